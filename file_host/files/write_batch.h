#pragma once
// What the writes of one run share: the flushes that make new files durable, done in waves for
// every file waiting at the same moment (one flush of their file system for the lot, instead of
// one per file); the folders whose renames are made durable once, when the run ends, instead of
// after every page (a run over many pages renames thousands of pages into a few folders); and
// the folders already swept of the files a killed run left behind (temporary_file.h). A run owns
// one and hands it down with each write; a write without one flushes its own file, makes its
// rename durable at once and sweeps its folder every time.
//
// The promise stays that of a single write: a file's data is on disk before the rename that
// makes it visible, since each write waits for a wave that began after its data was written.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "file_host/files/temporary_file.h"

namespace velmo::file_host {

class WriteBatch {
 public:
  WriteBatch() = default;
  // Flushes every folder noted (best effort).
  ~WriteBatch();
  WriteBatch(const WriteBatch&) = delete;
  WriteBatch& operator=(const WriteBatch&) = delete;

  // Makes what was written to `file`, made in `folder`, durable: waits for the next wave, in
  // which one writer flushes the file system of every file then waiting. 0 or an errno.
  int flushInWave(TemporaryFile& file, const std::filesystem::path& folder);

  // Runs after each wave's flush, before any file of it is renamed (for tests: a crash there).
  void afterEachWave(std::function<void()> step) { afterWave_ = std::move(step); }

  // A folder the run found to exist (a site's root), not looked for again by its later pages.
  bool folderFound(const std::filesystem::path& folder);
  void noteFolderFound(const std::filesystem::path& folder);

  // Used by the free functions below, from any thread.
  void noteRename(const std::filesystem::path& folder);
  bool firstWriteIn(const std::filesystem::path& folder);

 private:
  struct Waiting {
    TemporaryFile::NativeFile file;
    std::uint64_t device;
    int result = 0;
  };
  std::uint64_t deviceOf(const std::filesystem::path& folder);
  void flushWave(const std::vector<Waiting*>& wave);
  void waitUntilFlushed(std::uint32_t wave);

  std::mutex mutex_;
  std::set<std::filesystem::path> renamedIn_;
  std::set<std::filesystem::path> swept_;
  std::set<std::filesystem::path> found_;
  std::map<std::filesystem::path, std::uint64_t> devices_;

  std::mutex waveMutex_;
  std::vector<Waiting*> next_;  // the wave now gathering
  std::uint32_t nextWave_ = 1;  // its number
  // The last wave flushed of each parity. The files of wave w wait on done_[w % 2] alone, which
  // changes only when w is flushed (w - 2 was flushed before w began to gather), so that a
  // wave's end wakes its own files and no others.
  std::atomic<std::uint32_t> done_[2] = {0, 0};
  std::function<void()> afterWave_;
};

// A file is about to be made in `folder`: stale temporary files go first (once per run with a
// batch).
void beforeWritingIn(WriteBatch* batch, const std::filesystem::path& folder);
// A rename into `folder` took place: made durable now, or by the end of the batch's run.
void afterRenameIn(WriteBatch* batch, const std::filesystem::path& folder);

// Makes renames, creations and removals in `folder` durable (best effort; nothing where the
// system writes them through at once).
void flushFolder(const std::filesystem::path& folder);

// What differs by system in a wave (posix_file.cpp, windows_file.cpp).
// The file system `folder` lies on, as a number that tells file systems apart; 0 when unknown
// or when the system can only flush file by file.
std::uint64_t fileSystemOf(const std::filesystem::path& folder);
// Flushes everything written to the file system that holds `file` (`fileSystem` not 0), or the
// file alone. 0 or an errno.
int flushFileSystem(TemporaryFile::NativeFile file, std::uint64_t fileSystem);
// Flushes the file system of `folder`, renames in it included (best effort).
void flushFileSystemOf(const std::filesystem::path& folder);
// Waits until `value` may no longer be `seen` (it may return early: the caller looks again), and
// wakes every thread waiting on `value`. One system call each where the system has one for it.
void waitWhileEqual(std::atomic<std::uint32_t>& value, std::uint32_t seen);
void wakeAll(std::atomic<std::uint32_t>& value);

}  // namespace velmo::file_host
