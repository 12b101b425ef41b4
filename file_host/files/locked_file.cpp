#include "file_host/files/locked_file.h"

#include <system_error>

#include "core/common/host_error.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

LockedFile LockedFile::open(const fs::path& path, std::u16string_view what, int seconds,
                            FileLocks* shared) {
  LockedFile file;
  file.path_ = path;
  file.what_ = what;
  file.shared_ = shared;
  // Locked before anything is read, so that a run that saves it meanwhile goes first and this
  // one reads its result. Stamped before reading: a file replaced in between then counts as
  // changed, never the other way round. A save cut short is finished before, or it would count
  // as a change.
  LockedFacts facts;
  file.lock_ = FileLock::acquireWithin(path, seconds, shared, &facts);
  if (facts.known && !interruptedSaveMayBeLeft(facts.stamp, facts.links)) {
    // The lock's look at the file is the stamp: nothing to finish, nothing to ask again.
    file.stamp_ = facts.stamp;
    file.facts_ = facts;
    return file;
  }
  if (!file.lock_.held()) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) {
      const fs::path folder = path.parent_path();
      if (fs::is_directory(folder, ec)) file.lock_ = FileLock::acquireFolder(folder, seconds);
      // The folder's lock is all a run waited for: another may have created the file meanwhile.
      if (fs::exists(path, ec)) file.lock_ = FileLock::acquireWithin(path, seconds, shared);
    }
  }
  recoverInterruptedSave(path);
  file.stamp_ = stampOf(path);
  return file;
}

LockedFile LockedFile::unlocked(const fs::path& path, std::u16string_view what) {
  LockedFile file;
  file.path_ = path;
  file.what_ = what;
  file.stamp_ = stampOf(path);
  return file;
}

std::string LockedFile::read(std::size_t spare) const {
  // Read through the lock's own descriptor, as much as was stamped.
  if (facts_.known && lock_.descriptor() >= 0) {
    return readOpenFile(lock_.descriptor(), static_cast<std::size_t>(facts_.stamp.size), spare,
                        path_);
  }
  return readFile(path_, spare);
}

void LockedFile::checkUnchanged() const {
  const auto now = stampOf(path_);
  if (now == stamp_) return;
  const std::u16string how = now ? u"was changed or replaced by another program" : u"was removed";
  throw HostError(hr::kFail, u"The " + what_ + u" '" + pathToText(path_) + u"' " + how +
                                 u" after it was read; it was left as it is");
}

void LockedFile::replace(std::string_view content, ReplaceSteps steps) {
  const auto before = std::move(steps.beforeReplace);
  steps.beforeReplace = [&] {
    if (before) before();
    checkUnchanged();
  };
  steps.lockOfNewFile = &lock_;
  steps.known = facts();
  writeFileAtomically(path_, content, steps);
  restamp();
}

void LockedFile::restamp() {
  facts_.known = false;
  // Through the lock's own descriptor where it has one: the file as it now is, with no second
  // look by name.
  stamp_ = lock_.stampAfterRename(shared_);
  if (!stamp_) stamp_ = stampOf(path_);
}

}  // namespace velmo::file_host
