#pragma once
// Files a run over many pages imports once into each site: the first page of a site that
// succeeds brings the picked files in, and the later pages of that site pick the site's copies
// instead, which the site takes as they are (no second copy, no "already exists" question). A
// site is planned apart from every other: pages of another site import their own copies.

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "core/platform/headless/scripted_dialogs.h"

namespace velmo::cli {

class PageRun;

class ImportedOnce {
 public:
  // From now on, a pick of `source` for a page of `site` is a pick of `copy`.
  void imported(const std::filesystem::path& site, const std::u16string& source,
                const std::filesystem::path& copy);
  // The copy of `source` in `site`, when the run imported it there.
  std::optional<std::u16string> copyIn(const std::filesystem::path& site,
                                       const std::u16string& source) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::filesystem::path, std::u16string>, std::u16string> copies_;
};

// The open-file dialog of velmo's dialogs: answers as scripted, with each pick going through
// the page's run (PageRun::picked) when there is one.
class ImportOnceOpenFile : public ScriptedOpenFileDialog {
 public:
  explicit ImportOnceOpenFile(PageRun* run) : run_(run) {}
  std::optional<ChosenFile> showOpen(const std::u16string& filter) override;

 private:
  PageRun* run_;
};

}  // namespace velmo::cli
