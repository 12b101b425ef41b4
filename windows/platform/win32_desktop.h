#pragma once
// The desktop services on Windows: the file test with CreateFileW, the shell's "open" with
// ShellExecuteW, and the application-wide wait cursor.

#include "core/platform/desktop.h"

namespace velmo::win {

// Opens the file for reading, shared with readers and writers; a folder cannot be opened so.
class Win32FileProbe : public FileProbe {
 public:
  bool canOpenForReading(const std::u16string& path) override;
};

// ShellExecuteW with "open" and SW_SHOWNORMAL, owned by the thread's active window (the window
// the user just clicked in).
class ShellExecuteShell : public Shell {
 public:
  std::intptr_t open(const std::u16string& address) override;
};

// The hourglass over every window of the library while it is set; the library's windows ask
// waitCursorShown() when the system asks them for a cursor.
class Win32WaitCursor : public MouseCursor {
 public:
  void setWait(bool wait) override;
};

bool waitCursorShown();

}  // namespace velmo::win
