#pragma once
// What the writes of one run share: the folders whose renames are made durable once, when the
// run ends, instead of after every page (a run over many pages renames thousands of pages into
// a few folders), and the folders already swept of the files a killed run left behind
// (temporary_file.h). A run owns one and hands it down with each write; a write without one
// makes its rename durable at once and sweeps its folder every time.

#include <filesystem>
#include <mutex>
#include <set>

namespace velmo::standalone {

class WriteBatch {
 public:
  WriteBatch() = default;
  // Flushes every folder noted (best effort).
  ~WriteBatch();
  WriteBatch(const WriteBatch&) = delete;
  WriteBatch& operator=(const WriteBatch&) = delete;

  // Used by the free functions below, from any thread.
  void noteRename(const std::filesystem::path& folder);
  bool firstWriteIn(const std::filesystem::path& folder);

 private:
  std::mutex mutex_;
  std::set<std::filesystem::path> renamedIn_;
  std::set<std::filesystem::path> swept_;
};

// A file is about to be made in `folder`: stale temporary files go first (once per run with a
// batch).
void beforeWritingIn(WriteBatch* batch, const std::filesystem::path& folder);
// A rename into `folder` took place: made durable now, or by the end of the batch's run.
void afterRenameIn(WriteBatch* batch, const std::filesystem::path& folder);

// Makes renames, creations and removals in `folder` durable (best effort; nothing where the
// system writes them through at once).
void flushFolder(const std::filesystem::path& folder);

}  // namespace velmo::standalone
