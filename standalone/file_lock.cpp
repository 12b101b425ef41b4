#include "standalone/file_lock.h"

#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "entry/host_error.h"
#include "standalone/atomic_file.h"
#endif

namespace velmo::standalone {

#ifdef _WIN32
// A file that is open for writing cannot be replaced on Windows, which serialises saves there.
FileLock FileLock::acquire(const std::filesystem::path&) {
  return {};
}
FileLock FileLock::acquireWithin(const std::filesystem::path&, int) {
  return {};
}
FileLock FileLock::adopt(int) {
  return {};
}
FileLock::~FileLock() = default;
#else
FileLock FileLock::acquire(const std::filesystem::path& path) {
  return acquireWithin(path, -1);
}

FileLock FileLock::acquireWithin(const std::filesystem::path& path, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    // Non-blocking: a FIFO by the page's name must not hang the open.
    FileLock lock(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!lock.held()) return {};
    struct stat locked {};
    if (::fstat(lock.fd_, &locked) != 0 || !S_ISREG(locked.st_mode)) return {};
    int done;
    if (seconds < 0) {
      do {
        done = ::flock(lock.fd_, LOCK_EX);
      } while (done != 0 && errno == EINTR);
    } else {
      while ((done = ::flock(lock.fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EWOULDBLOCK) {
        if (std::chrono::steady_clock::now() >= deadline) {
          throw HostError(hr::kFail, u"Cannot change '" + pathToText(path) +
                                         u"': another run is changing it; it was left as it is");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
    // A file system without locks (or NFS refusing one on a read-only descriptor): the check
    // at the rename still guards the page.
    if (done != 0) return {};
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) return {};
    if (named.st_dev == locked.st_dev && named.st_ino == locked.st_ino) return lock;
    // Replaced while we waited (the run before us saved it): lock the new file.
  }
}

FileLock FileLock::adopt(int fd) {
  FileLock lock(fd);
  if (lock.held() && ::flock(fd, LOCK_EX | LOCK_NB) != 0) return {};
  return lock;
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}
#endif

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    FileLock gone(std::exchange(fd_, std::exchange(other.fd_, -1)));
  }
  return *this;
}

}  // namespace velmo::standalone
