#include "cli/run/headless_ui.h"

#include <iostream>

#include "cli/run/page_run.h"
#include "cli/run/page_session.h"
#include "cli/run/process_platform.h"
#include "core/help/chtmlhelp.h"
#include "desktop/program_folder.h"

namespace velmo::cli {
namespace {

// Questions are asked only when someone can see and answer them: never for one of many pages
// worked on at once.
std::istream* terminal(const PageRun* run) {
  if (run && run->captured()) return nullptr;
  return os::isTerminal(0) && os::isTerminal(2) ? &std::cin : nullptr;
}

}  // namespace

QuestionPolicy DialogOptions::policy() const {
  if (yes) return QuestionPolicy::Yes;
  if (no) return QuestionPolicy::No;
  return QuestionPolicy::Ask;
}

void addDialogOptions(CLI::App& command, DialogOptions& options) {
  auto* yes = command.add_flag("--yes", options.yes, "Answer Yes to every question of the dialog");
  auto* no = command.add_flag("--no", options.no, "Answer No to every question of the dialog");
  yes->excludes(no);
}

std::u16string helpFilePath() {
  // Found once: every page of a run has a dialog host of its own.
  static const std::u16string path =
      helpFileIn(desktop::dataFolderFor(desktop::programFolder(), kHelpFileName), u'/');
  return path;
}

HeadlessUi::HeadlessUi(PageRun* run, QuestionPolicy policy, bool helpAsText)
    : messages_(run, policy, terminal(run)),
      openFile_(run),
      settings_(run),
      help_(desktop::ChmHelpViewer::forThisSession(std::cout, std::cerr, helpAsText)),
      environment_(Platform{messages_, openFile_, colours_, settings_, help_, files_, shell_,
                            cursor_, measurer_, presenter_, helpFilePath()}) {
  presenter_.stopAtFirstFailure(true);
}

}  // namespace velmo::cli
