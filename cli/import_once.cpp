#include "cli/import_once.h"

#include "cli/page_capture.h"
#include "files/atomic_file.h"

namespace velmo::cli {
namespace {

// Written only while no page runs, read by every page thread.
std::map<std::u16string, std::u16string>& imported() {
  static std::map<std::u16string, std::u16string> copies;
  return copies;
}

}  // namespace

std::optional<ChosenFile> ImportOnceOpenFile::showOpen(const std::u16string& filter) {
  auto chosen = ScriptedOpenFileDialog::showOpen(filter);
  if (!chosen) return chosen;
  if (PageCapture* capture = currentCapture()) capture->chosenFiles.push_back(chosen->fullPath);
  if (const auto copy = imported().find(chosen->fullPath); copy != imported().end()) {
    chosen->fullPath = copy->second;
  }
  return chosen;
}

void importedOnce(const std::u16string& source, const std::filesystem::path& copy) {
  imported()[source] = standalone::pathToText(copy);
}

void forgetImports() {
  imported().clear();
}

}  // namespace velmo::cli
