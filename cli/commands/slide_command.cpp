#include "cli/commands/slide_command.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/run/dialog_run.h"
#include "cli/run/headless_ui.h"
#include "cli/run/page_session.h"
#include "cli/run/replace_blocks.h"
#include "features/command_class/clstestt.h"
#include "features/slideshow/frm_slide.h"
#include "features/slideshow/frm_slide_layout.h"
#include "file_host/files/atomic_file.h"

namespace velmo::cli {

namespace ctl = velmo::slide_controls;
namespace {

struct SlideCommand {
  PageOptions page;
  std::vector<std::string> pictures;
};

// The full path the open-file dialog would hand back for a picture named on the command line.
std::u16string fullPath(const std::string& picture) {
  const auto path = file_host::textToPath(argumentText(picture, "PICTURE"));
  return file_host::pathToText(std::filesystem::absolute(path).lexically_normal());
}

void runSlide(const SlideCommand& options, file_host::FileHost& host, PageRun& run) {
  HeadlessUi ui(&run, QuestionPolicy::No, true);
  // The user adds one picture after the other and stops at the first one the dialog refuses
  // (the one after a full list); "Do it" only when every picture is in the list.
  const std::size_t adds = std::min(options.pictures.size(), kMaximumSlides + 1);
  std::vector<forms::UserAction> actions;
  for (std::size_t i = 0; i < adds; ++i) {
    ui.openFile().answer(fullPath(options.pictures[i]));
    actions.push_back(forms::UserAction::click(ctl::cmdBrowse));
  }
  if (options.pictures.size() <= kMaximumSlides) {
    actions.push_back(forms::UserAction::click(ctl::cmdDoit));
  }
  // A dialog left open without a host error has told the user why in a message box already.
  DialogScript script{frmSlideDesign().name, std::move(actions), DialogOutcome::Refused};
  requireConfirmed(
      runDialog(ui, std::move(script), [&] { clstestt(host, ui.environment()).slide(); }));
}

}  // namespace

void addSlideCommand(CLI::App& app, int& exitStatus) {
  auto slide = std::make_shared<SlideCommand>();
  auto* command = app.add_subcommand(
      "slide",
      "Import the pictures into the site's slide_img folder, add the viewer script to the HEAD "
      "once and paste the slide show at the selection");
  addPageOptions(*command, slide->page, true);
  command->add_option("PICTURE", slide->pictures,
                      "The pictures in slide order (GIF or JPEG files; at least two, at most 71)");
  addReplaceOption(*command, slide->page, "the slide show (its table and picture list)");
  command->callback([slide, &exitStatus] {
    exitStatus = runOnPage(slide->page, [&](file_host::FileHost& host, PageRun& run) {
      if (slide->page.replace) prepareSlideShowReplace(host);
      runSlide(*slide, host, run);
    });
  });
}

}  // namespace velmo::cli
