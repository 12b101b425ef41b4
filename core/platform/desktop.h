#pragma once
// Small desktop services: whether a file can be read, the shell's "open", the wait cursor.

#include <cstdint>
#include <string>

namespace velmo {

class FileProbe {
 public:
  virtual ~FileProbe() = default;
  // True when the file can be opened for reading in shared mode; a folder cannot.
  virtual bool canOpenForReading(const std::u16string& path) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a web address or a document with its registered program; returns the shell's value
  // (above 32 on success), which callers may ignore.
  virtual std::intptr_t open(const std::u16string& address) = 0;
};

class MouseCursor {
 public:
  virtual ~MouseCursor() = default;
  // The application-wide cursor: the hourglass, or back to the default.
  virtual void setWait(bool wait) = 0;
};

// The wait cursor for the life of a scope.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(MouseCursor& cursor) : cursor_(cursor) { cursor_.setWait(true); }
  ~WaitCursorScope() { cursor_.setWait(false); }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  MouseCursor& cursor_;
};

}  // namespace velmo
