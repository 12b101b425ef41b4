#pragma once
// The desktop's opener, xdg-open: the shell's "open" on Linux.

#include <optional>
#include <string>

#include "core/platform/desktop.h"

namespace velmo::desktop {

// Runs xdg-open with `target` as its one argument (no shell in between) and waits for it. The
// exit status, -1 when it ended without one. std::system_error when it cannot be started.
int runXdgOpen(const std::string& target);

// Opens with xdg-open and answers as the Windows shell does: above 32 when xdg-open succeeded,
// 2 when it found no such file, 31 when it could not open the address otherwise. An address that
// cannot be handed over whole (a NUL, an unpaired surrogate) and an xdg-open that cannot be
// started are HostErrors, the failures of the call itself. Like the Windows shell, it takes an
// address that starts with "www." or "ftp." and names no file for a web or FTP address.
class XdgOpenShell : public Shell {
 public:
  std::intptr_t open(const std::u16string& address) override;

  // What the last open answered; nothing when it failed with an error.
  std::optional<std::intptr_t> lastAnswer() const { return lastAnswer_; }

 private:
  std::optional<std::intptr_t> lastAnswer_;
};

}  // namespace velmo::desktop
