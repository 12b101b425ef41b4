#include "cli/run/import_once.h"

#include "cli/run/page_run.h"
#include "file_host/files/atomic_file.h"

namespace velmo::cli {

void ImportedOnce::imported(const std::filesystem::path& site, const std::u16string& source,
                            const std::filesystem::path& copy) {
  std::lock_guard lock(mutex_);
  copies_[{site, source}] = file_host::pathToText(copy);
}

std::optional<std::u16string> ImportedOnce::copyIn(const std::filesystem::path& site,
                                                   const std::u16string& source) const {
  std::lock_guard lock(mutex_);
  const auto it = copies_.find({site, source});
  if (it == copies_.end()) return std::nullopt;
  return it->second;
}

std::optional<ChosenFile> ImportOnceOpenFile::showOpen(const std::u16string& filter) {
  auto chosen = ScriptedOpenFileDialog::showOpen(filter);
  if (chosen && run_) chosen->fullPath = run_->picked(chosen->fullPath);
  return chosen;
}

}  // namespace velmo::cli
