#pragma once
// Files a run over many pages imports once: the first page that succeeds brings the picked
// files into the site, and the pages after it pick the site's copies instead, which the site
// takes as they are (no second copy, no "already exists" question).

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/headless/scripted_dialogs.h"

namespace velmo::cli {

// The open-file dialog of velmo's dialogs: answers as scripted, but with a picked file that this
// run has imported already replaced by its copy in the site; each pick is noted in the page's
// capture (page_capture.h).
class ImportOnceOpenFile : public ScriptedOpenFileDialog {
 public:
  std::optional<ChosenFile> showOpen(const std::u16string& filter) override;
};

// From now on, a pick of `source` is a pick of `copy`. Set between pages, never while pages run.
void importedOnce(const std::u16string& source, const std::filesystem::path& copy);
void forgetImports();

}  // namespace velmo::cli
