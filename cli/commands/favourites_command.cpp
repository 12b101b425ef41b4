#include "cli/commands/favourites_command.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/run/dialog_run.h"
#include "cli/run/headless_ui.h"
#include "cli/run/page_session.h"
#include "cli/run/replace_blocks.h"
#include "core/common/text.h"
#include "features/command_class/clstestt.h"
#include "features/command_class/dialogs.h"
#include "features/favourites/frm_add_to_favor2.h"
#include "features/favourites/frm_add_to_favor2_layout.h"
#include "file_host/files/atomic_file.h"

namespace velmo::cli {

namespace ctl = velmo::favourites_controls;
namespace {

using forms::UserAction;

struct FavouritesCommand {
  PageOptions page;
  DialogOptions dialog;
  std::string text;
  std::string image;
  std::string imageSrc;
  std::string url;
  std::string title;
  std::string message;
  CLI::Option* imageOption = nullptr;
  CLI::Option* imageSrcOption = nullptr;
  CLI::Option* urlOption = nullptr;
  CLI::Option* titleOption = nullptr;
  CLI::Option* messageOption = nullptr;
};

// The open-file dialog hands back a full path, as a user who browsed to the file would get.
std::u16string chosenPath(const std::string& file) {
  const auto path = file_host::textToPath(argumentText(file, "--image"));
  return file_host::pathToText(std::filesystem::absolute(path).lexically_normal());
}

// What the user does in the dialog for these options, ending with "Do it!".
std::vector<UserAction> userActions(const FavouritesCommand& options, HeadlessUi& ui) {
  std::vector<UserAction> actions;
  if (options.imageOption->count() > 0) {
    ui.openFile().answer(chosenPath(options.image));
    actions.push_back(UserAction::click(ctl::opType1));
    actions.push_back(UserAction::click(ctl::cmdBrowse));
    // After a No to using the web's picture of that name the source stays empty: the user
    // cancels rather than pressing "Do it!" on a dialog that has nothing to add.
    actions.push_back(UserAction::closeBoxIfEmpty(ctl::txtType));
  } else if (options.imageSrcOption->count() > 0) {
    actions.push_back(UserAction::click(ctl::opType1));
    actions.push_back(
        UserAction::type(ctl::txtType, argumentText(options.imageSrc, "--image-src")));
  } else {
    actions.push_back(UserAction::type(ctl::txtType, argumentText(options.text, "--text")));
  }
  if (options.urlOption->count() > 0) {
    actions.push_back(UserAction::click(ctl::opURL2));
    actions.push_back(UserAction::type(ctl::txtHTTP, argumentText(options.url, "--url")));
  }
  if (options.titleOption->count() > 0) {
    actions.push_back(UserAction::click(ctl::opTitle2));
    actions.push_back(UserAction::type(ctl::txtTitle, argumentText(options.title, "--title")));
  }
  if (options.messageOption->count() > 0) {
    actions.push_back(UserAction::click(ctl::opBrowsers2));
    actions.push_back(
        UserAction::type(ctl::txtMessage, argumentText(options.message, "--message")));
  }
  actions.push_back(UserAction::click(ctl::cmdDoIt));
  return actions;
}

// A user who has just been shown an error of the page or the site closes the dialog instead of
// going on, so nothing after the failure runs.
class CloseAfterFailure : public forms::FormObserver {
 public:
  explicit CloseAfterFailure(forms::Form& form) : form_(form) { form_.addObserver(*this); }
  ~CloseAfterFailure() override { form_.removeObserver(*this); }
  CloseAfterFailure(const CloseAfterFailure&) = delete;
  CloseAfterFailure& operator=(const CloseAfterFailure&) = delete;
  void handlerFailed(forms::Form& form, const HostError&) override { form.closeBox(); }

 private:
  forms::Form& form_;
};

void run(const FavouritesCommand& options, file_host::FileHost& host, PageRun& pageRun) {
  HeadlessUi ui(&pageRun, options.dialog.policy(), true);
  UiEnvironment& environment = ui.environment();
  CloseAfterFailure closer(favouritesDialog(environment, host));
  DialogScript script{frmAddToFavor2Design().name, userActions(options, ui)};
  requireConfirmed(
      runDialog(ui, std::move(script), [&] { clstestt(host, environment).addtofavor(); }));
}

}  // namespace

void addFavouritesCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<FavouritesCommand>();
  auto* command = app.add_subcommand(
      "favourites", "Paste the add-to-favourites block (a link or picture that bookmarks a page)");
  addPageOptions(*command, options->page, true);
  const auto option = [command](const char* name, std::string& target, const char* type,
                                const char* help) {
    return command->add_option(name, target, help)->type_name(type);
  };
  auto* text = option("--text", options->text, "TEXT", "A text link showing TEXT");
  options->imageOption = option("--image", options->image, "FILE",
                                "An image link: Browse picks FILE and brings it into the site's "
                                "images folder")
                             // As in the open-file dialog, only a file that exists can be picked.
                             ->check(CLI::ExistingFile);
  options->imageSrcOption =
      option("--image-src", options->imageSrc, "SRC", "An image link with source SRC");
  text->excludes(options->imageOption)->excludes(options->imageSrcOption);
  options->imageOption->excludes(options->imageSrcOption);
  options->urlOption = option("--url", options->url, "URL",
                              "Add URL, given without its scheme (default: the current page)");
  options->titleOption =
      option("--title", options->title, "TITLE", "Add under TITLE (default: the page's title)");
  // --message alone takes the text the dialog starts with.
  options->messageOption =
      option("--message", options->message, "[TEXT]", "Other browsers see the message TEXT")
          ->expected(0, 1)
          ->default_str(utf16ToUtf8(kFavouritesDefaultMessage));
  addDialogOptions(*command, options->dialog);
  addReplaceOption(*command, options->page, "the first add-to-favourites block");
  command->callback([options, &exitStatus] {
    exitStatus = runOnPage(options->page, [&](file_host::FileHost& host, PageRun& pageRun) {
      if (options->page.replace) selectBlockToReplace(host, u"AddToFavor_VL");
      run(*options, host, pageRun);
    });
  });
}

}  // namespace velmo::cli
