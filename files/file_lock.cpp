#include "files/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "common/host_error.h"
#include "files/atomic_file.h"
#include "files/posix_file.h"

namespace velmo::standalone {

namespace {

using FileId = std::pair<dev_t, ino_t>;
// A lock is shared within the thread that holds it; other threads of the process (pages worked
// on side by side) wait for it as another run would.
using HolderKey = std::pair<FileId, std::thread::id>;

}  // namespace

// One locked file of this process, shared by every FileLock on it and unlocked (closed) with
// the last of them.
struct FileLock::Held {
  UniqueFd fd;
  HolderKey key;
  ~Held();
};

namespace {

std::mutex registryMutex;
std::map<HolderKey, std::weak_ptr<FileLock::Held> >& registry() {
  static std::map<HolderKey, std::weak_ptr<FileLock::Held> > held;
  return held;
}

std::shared_ptr<FileLock::Held> heldByThisThread(const FileId& id) {
  std::lock_guard guard(registryMutex);
  const auto it = registry().find({id, std::this_thread::get_id()});
  return it == registry().end() ? nullptr : it->second.lock();
}

std::shared_ptr<FileLock::Held> registerHeld(UniqueFd fd, const FileId& id) {
  auto held = std::make_shared<FileLock::Held>();
  held->fd = std::move(fd);
  held->key = {id, std::this_thread::get_id()};
  std::lock_guard guard(registryMutex);
  registry()[held->key] = held;
  return held;
}

// Waits for the lock on `fd` (at most `seconds` unless negative); 0, or the errno of a file
// system without locks (NFS may refuse one on a read-only descriptor), or EWOULDBLOCK when the
// time is up.
int lockWaiting(int fd, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    if (::flock(fd, seconds < 0 ? LOCK_EX : LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) return errno;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

FileLock::Held::~Held() {
  std::lock_guard guard(registryMutex);
  const auto it = registry().find(key);
  if (it != registry().end() && it->second.expired()) registry().erase(it);
}

FileLock FileLock::acquire(const std::filesystem::path& path) {
  return acquireWithin(path, -1);
}

FileLock FileLock::acquireWithin(const std::filesystem::path& path, int seconds) {
  for (;;) {
    // Non-blocking: a FIFO by the page's name must not hang the open.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd) return {};
    struct stat locked {};
    if (::fstat(fd.get(), &locked) != 0 || !S_ISREG(locked.st_mode)) return {};
    const FileId id{locked.st_dev, locked.st_ino};
    FileLock lock;
    lock.held_ = heldByThisThread(id);
    if (!lock.held_) {
      if (const int err = lockWaiting(fd.get(), seconds)) {
        if (err != EWOULDBLOCK) return {};
        throw HostError(hr::kFail, u"Cannot change '" + pathToText(path) +
                                       u"': another run is changing it; it was left as it is");
      }
      lock.held_ = registerHeld(std::move(fd), id);
    }
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) return {};
    if (named.st_dev == locked.st_dev && named.st_ino == locked.st_ino) return lock;
    // Replaced while we waited (the run before us saved it): lock the new file.
  }
}

FileLock FileLock::adopt(int fd) {
  UniqueFd owned(fd);
  struct stat st {};
  if (!owned || ::fstat(fd, &st) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) return {};
  FileLock lock;
  lock.held_ = registerHeld(std::move(owned), FileId{st.st_dev, st.st_ino});
  return lock;
}
}  // namespace velmo::standalone
