#include "file_host/files/file_lock.h"

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

#include "core/common/host_error.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/posix_file.h"

namespace velmo::file_host {

namespace {
using FileId = std::pair<dev_t, ino_t>;
}  // namespace

// One locked file, shared by every FileLock on it and unlocked (closed) with the last of them.
struct FileLock::Held {
  UniqueFd fd;
  // Opened for reading (a lock taken by name); a new file's adopted lock is write-only.
  bool readable = false;
  // In a FileLocks registry.
  bool shared = false;
};

struct FileLocks::Registry {
  std::mutex mutex;
  std::map<FileId, std::weak_ptr<FileLock::Held> > held;
};

FileLocks::FileLocks() : registry_(std::make_unique<Registry>()) {}
FileLocks::~FileLocks() = default;

namespace {

std::shared_ptr<FileLock::Held> heldIn(FileLocks* shared, const FileId& id) {
  if (!shared) return nullptr;
  auto& registry = shared->registry();
  std::lock_guard guard(registry.mutex);
  const auto it = registry.held.find(id);
  if (it == registry.held.end()) return nullptr;
  auto held = it->second.lock();
  if (!held) registry.held.erase(it);
  return held;
}

std::shared_ptr<FileLock::Held> hold(UniqueFd fd, FileLocks* shared, const FileId& id,
                                     bool readable = false) {
  auto held = std::make_shared<FileLock::Held>();
  held->fd = std::move(fd);
  held->readable = readable;
  held->shared = shared != nullptr;
  if (shared) {
    auto& registry = shared->registry();
    std::lock_guard guard(registry.mutex);
    registry.held[id] = held;
  }
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

FileLock FileLock::acquire(const std::filesystem::path& path, FileLocks* shared) {
  return acquireWithin(path, -1, shared);
}

namespace {

std::int64_t nanoseconds(const timespec& t) {
  return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

}  // namespace

FileStamp stampOfStat(const struct stat& st) {
  FileStamp s;
  s.device = static_cast<std::uint64_t>(st.st_dev);
  s.inode = static_cast<std::uint64_t>(st.st_ino);
  s.size = static_cast<std::uint64_t>(st.st_size);
  s.modified = nanoseconds(st.st_mtim);
  s.changed = nanoseconds(st.st_ctim);
  return s;
}

int FileLock::descriptor() const {
  return held_ && held_->readable ? held_->fd.get() : -1;
}

namespace {

constexpr int kOpenToLock = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

void learn(const struct stat& st, LockedFacts* learned) {
  if (!learned) return;
  learned->known = true;
  learned->stamp = stampOfStat(st);
  learned->mode = st.st_mode & 07777;
  learned->owner = st.st_uid;
  learned->group = st.st_gid;
  learned->links = st.st_nlink;
}

}  // namespace

FileLock FileLock::acquireWithin(const std::filesystem::path& path, int seconds, FileLocks* shared,
                                 LockedFacts* learned) {
  for (;;) {
    // Non-blocking: a FIFO by the page's name must not hang the open. Not through a link, so
    // that the usual file is opened, locked and looked at in three calls; a link takes the
    // longer way below and learns nothing.
    UniqueFd fd(::open(path.c_str(), kOpenToLock | O_NOFOLLOW));
    const bool link = !fd && errno == ELOOP;
    if (link) fd = UniqueFd(::open(path.c_str(), kOpenToLock));
    if (!fd) return {};
    struct stat locked {};
    FileLock lock;
    if (!link && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      // Nobody held it, this run included (its own lock would have been in the way). A file
      // replaced since the open has lost its name; one moved away is caught by the check before
      // any save, since its stamp no longer matches the name.
      if (::fstat(fd.get(), &locked) != 0 || !S_ISREG(locked.st_mode)) return {};
      if (locked.st_nlink == 0) continue;
      lock.held_ = hold(std::move(fd), shared, FileId{locked.st_dev, locked.st_ino}, true);
      learn(locked, learned);
      return lock;
    }
    if (::fstat(fd.get(), &locked) != 0 || !S_ISREG(locked.st_mode)) return {};
    const FileId id{locked.st_dev, locked.st_ino};
    lock.held_ = heldIn(shared, id);
    if (!lock.held_) {
      if (const int err = lockWaiting(fd.get(), seconds)) {
        if (err != EWOULDBLOCK) return {};
        throw HostError(hr::kFail, u"Cannot change '" + pathToText(path) +
                                       u"': another run is changing it; it was left as it is");
      }
      lock.held_ = hold(std::move(fd), shared, id, true);
    }
    // One look at the name tells whether it still leads to the locked file, whether it is a
    // link, and what the file is now.
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0) return {};
    const bool namedByLink = S_ISLNK(named.st_mode);
    if (namedByLink && ::stat(path.c_str(), &named) != 0) return {};
    if (named.st_dev == locked.st_dev && named.st_ino == locked.st_ino) {
      if (!namedByLink) learn(named, learned);
      return lock;
    }
    // Replaced while we waited (the run before us saved it): lock the new file.
  }
}

FileLock FileLock::adopt(int fd) {
  UniqueFd owned(fd);
  if (!owned || ::flock(fd, LOCK_EX | LOCK_NB) != 0) return {};
  FileLock lock;
  lock.held_ = hold(std::move(owned), nullptr, {});
  return lock;
}

std::optional<FileStamp> FileLock::stampAfterRename(FileLocks* shared) {
  struct stat st {};
  if (!held_ || ::fstat(held_->fd.get(), &st) != 0) return std::nullopt;
  if (shared && !held_->shared) {
    auto& registry = shared->registry();
    std::lock_guard guard(registry.mutex);
    registry.held[FileId{st.st_dev, st.st_ino}] = held_;
    held_->shared = true;
  }
  return stampOfStat(st);
}

FileLock FileLock::acquireFolder(const std::filesystem::path& path, int seconds) {
  UniqueFd fd(::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return {};
  if (const int err = lockWaiting(fd.get(), seconds)) {
    if (err != EWOULDBLOCK) return {};
    throw HostError(hr::kFail, u"Cannot change '" + pathToText(path) +
                                   u"': another run is changing it; it was left as it is");
  }
  FileLock lock;
  lock.held_ = hold(std::move(fd), nullptr, {});
  return lock;
}
}  // namespace velmo::file_host
