#pragma once
// An exclusive advisory lock that programs of this library take before they read, change and
// write a shared file back, so that two of them never both start from the old text and the
// later write loses the earlier one's changes.
//
// The lock is held on a separate file beside the shared one ("NAME.lock"), never on the shared
// file itself: that file is replaced by a rename on every write, and a lock on the replaced file
// would no longer exclude anyone.

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include "files/posix_file.h"
#endif

namespace velmo::standalone {

class SidecarLock {
 public:
  // Waits until no other holder is left. HostError naming the lock file when it cannot be
  // created or locked.
  explicit SidecarLock(const std::filesystem::path& shared);
  ~SidecarLock();
  SidecarLock(const SidecarLock&) = delete;
  SidecarLock& operator=(const SidecarLock&) = delete;

  // The lock file for a shared file.
  static std::filesystem::path lockFileOf(const std::filesystem::path& shared);

 private:
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  UniqueFd fd_;  // closing it releases the lock
#endif
};

}  // namespace velmo::standalone
