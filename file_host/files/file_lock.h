#pragma once
// An exclusive advisory lock on the file a path leads to, held for a whole read-change-write, so
// that two velmo runs on one page take turns and neither loses the other's edit.
//
// flock(2) rather than fcntl locks: a flock lock belongs to the open file, so closing some other
// descriptor of the same file in this process (a read, a check) does not drop it, and it needs
// no write access (a read-only page can still be locked while it is refused). Since a save
// replaces the file by rename, a lock on the old file would not stop the next run: after
// locking, the name is checked to still lead to the locked file, and the lock is taken again on
// the new file when it does not. Locks are advisory: programs that do not take them are not
// held back (the check at the rename is what guards against them). Locks taken through one
// FileLocks set are shared, not waited for: a page and the pages and sheets opened with it in one
// host (an editor that opens the next page before closing the last, a page that links itself as
// a style sheet) must not wait for themselves. Everything else (pages worked on side by side,
// sharing a style sheet) waits as another run would.
//
// On Windows (windows_file_lock.cpp) the lock is a named mutex for the file's final path: Windows
// will not rename a new file over one that a handle holds open, so no handle may stay open on
// the page while it is replaced.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "file_host/files/atomic_file.h"
#include "file_host/files/native_file.h"

namespace velmo::file_host {

class FileLocks;

// What locking a file by its name learned of it on the way, so that nobody asks again: the stamp
// of the file, its permission bits, owner, group and number of names. Known only where the lock
// looks at the file (POSIX) and when the name itself is no link.
struct LockedFacts {
  bool known = false;
  FileStamp stamp;
  unsigned mode = 0;
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint64_t links = 1;
};

class FileLock {
 public:
  FileLock() = default;
  // Waits for the lock on the regular file `path` leads to. Holds nothing when there is no such
  // file or the file system has no locks (the read that follows reports a missing file).
  static FileLock acquire(const std::filesystem::path& path, FileLocks* shared = nullptr);
  // The same, waiting at most `seconds`: for a second file locked while one is held, where two
  // runs taking the same two files in opposite order would otherwise wait for each other for
  // ever. HostError naming the file when the time is up.
  // `learned` (may be null) receives what was seen of the file.
  static FileLock acquireWithin(const std::filesystem::path& path, int seconds,
                                FileLocks* shared = nullptr, LockedFacts* learned = nullptr);
  // The same for the folder `path` names: the lock of a file that does not exist yet, so that
  // two runs that would create it take turns.
  static FileLock acquireFolder(const std::filesystem::path& path, int seconds);
  // Takes over `fd`, an open descriptor (a handle on Windows) of a file that nobody else can
  // have locked yet (a new file about to be renamed into place), and locks it.
  using NativeFile = file_host::NativeFile;
  static FileLock adopt(NativeFile fd);
  // The stamp of the locked file as its own descriptor sees it, once an adopted file has been
  // renamed into place; from then on the lock is shared in `shared` (may be null) under the
  // file's identity. Nothing where the lock holds no file (none held, Windows).
  std::optional<FileStamp> stampAfterRename(FileLocks* shared);

  bool held() const { return held_ != nullptr; }
  // The open descriptor of the locked file, for reading it; -1 when there is none (no lock, a
  // folder's lock, Windows).
  int descriptor() const;

  struct Held;

 private:
  std::shared_ptr<Held> held_;
};

// The locks one host holds, shared by everything it opens (see above).
class FileLocks {
 public:
  FileLocks();
  ~FileLocks();
  FileLocks(const FileLocks&) = delete;
  FileLocks& operator=(const FileLocks&) = delete;

  struct Registry;
  Registry& registry() { return *registry_; }

 private:
  std::unique_ptr<Registry> registry_;
};

}  // namespace velmo::file_host
