#include "files/sidecar_lock.h"

#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#endif

#include "files/file_error.h"

namespace velmo::standalone {
namespace fs = std::filesystem;

fs::path SidecarLock::lockFileOf(const fs::path& shared) {
  fs::path lock = shared;
  lock += ".lock";
  return lock;
}

#ifdef _WIN32
SidecarLock::SidecarLock(const fs::path& shared) {
  const fs::path lock = lockFileOf(shared);
  handle_ = CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) failOnFile(EACCES, u"Cannot lock", lock);
  OVERLAPPED whole{};
  if (!LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    failOnFile(EACCES, u"Cannot lock", lock);
  }
}

SidecarLock::~SidecarLock() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  OVERLAPPED whole{};
  UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(handle_);
}
#else
SidecarLock::SidecarLock(const fs::path& shared) {
  const fs::path lock = lockFileOf(shared);
  fd_ = UniqueFd(::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd_) failOnFile(errno, u"Cannot lock", lock);
  while (::flock(fd_.get(), LOCK_EX) != 0) {
    if (errno != EINTR) failOnFile(errno, u"Cannot lock", lock);
  }
}

SidecarLock::~SidecarLock() = default;
#endif

}  // namespace velmo::standalone
