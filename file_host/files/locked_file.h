#pragma once
// A file one run reads, changes and writes back while other runs wait: the layer every such
// file goes through (the page, its linked style sheets, the saved colour scheme), on the lock
// (file_lock.h) and the atomic replace (atomic_file.h). It locks the file for the whole
// read-change-write, stamps it as read, and replaces it only when it is still the file that was
// read: another program's version is never overwritten, and the check is made right before the
// rename. A file that does not exist yet is locked through its folder, so two runs that would
// create it take turns.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "file_host/files/atomic_file.h"
#include "file_host/files/file_lock.h"

namespace velmo::file_host {

class LockedFile {
 public:
  LockedFile() = default;

  // Locks what `path` leads to, waiting at most `seconds` (for ever when negative; HostError
  // when the time is up), finishes a save of it that was cut short, and stamps it. `what` names
  // the kind of file in messages ("page", "style sheet"). Locks taken through `shared` are
  // shared with the others taken through it.
  static LockedFile open(const std::filesystem::path& path, std::u16string_view what,
                         int seconds = -1, FileLocks* shared = nullptr);

  // Stamped but not locked: a file read by someone else (a page made from bytes in a test).
  static LockedFile unlocked(const std::filesystem::path& path, std::u16string_view what);

  const std::filesystem::path& path() const { return path_; }
  bool exists() const { return stamp_.has_value(); }
  // The size it had when stamped (0 when there is none).
  std::uint64_t stampedSize() const { return stamp_ ? stamp_->size : 0; }
  // What the lock learned of the file while it is still the one read; null when not known.
  const LockedFacts* facts() const { return facts_.known ? &facts_ : nullptr; }

  // The whole file (readFile), `spare` bytes of room behind it.
  std::string read(std::size_t spare = 0) const;

  // HostError "The WHAT 'PATH' was changed or replaced by another program after it was read; it
  // was left as it is" (or "... was removed ...") when the file is no longer the one read.
  void checkUnchanged() const;

  // Writes `content` over the file atomically, checking it is unchanged right before the rename
  // (after `steps.beforeReplace`), keeps the new file locked and stamps it.
  void replace(std::string_view content, ReplaceSteps steps = {});

  // The file was written by someone who holds this lock (a stream target, a restore): it is the
  // one to compare with from now on.
  void restamp();

 private:
  std::filesystem::path path_;
  std::u16string what_;
  FileLocks* shared_ = nullptr;
  FileLock lock_;
  std::optional<FileStamp> stamp_;
  LockedFacts facts_;
};

}  // namespace velmo::file_host
