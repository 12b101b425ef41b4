#include "cli/commands/dialog_commands.h"

#include <iostream>
#include <memory>
#include <optional>

#include "cli/run/dialog_run.h"
#include "cli/run/headless_ui.h"
#include "cli/run/page_session.h"
#include "cli/run/replace_blocks.h"
#include "core/common/text.h"
#include "core/help/chtmlhelp.h"
#include "features/command_class/clstestt.h"
#include "features/date/frm_date_layout.h"

namespace velmo::cli {

namespace ctl = velmo::date_controls;
namespace {

struct DateCommand {
  PageOptions page;
  DialogOptions dialog;
};

struct HelpCommand {
  std::optional<std::int16_t> topic;
  bool index = false;
  bool text = false;
};

int showHelp(const HelpCommand& options) {
  // The help call takes the id as unsigned: -1 would ask for topic 4294967295.
  if (options.topic && *options.topic < 0) {
    printError(u"velmo: " + utf8ToUtf16(std::to_string(*options.topic)) +
               u" is not a topic id: ids are 0 or more (velmo help lists the topics)");
    return kFailed;
  }
  HeadlessUi ui(nullptr, QuestionPolicy::No, options.text);
  Platform& platform = ui.environment().platform();
  CHTMLHelp help(platform.help, platform.files, platform.messages, platform.helpFile);
  if (options.topic) {
    help.ShowTopic(*options.topic, 0);
  } else if (options.index) {
    help.ShowIndex(0);
  } else {
    help.ShowContents(0);
  }
  return help.helpWindow() != 0 ? kDone : kFailed;
}

}  // namespace

void addDialogCommands(CLI::App& app, int& exitStatus) {
  auto date = std::make_shared<DateCommand>();
  auto* dateCommand = app.add_subcommand(
      "date", "Paste the current-date block (a script that writes the viewer's date in words)");
  addPageOptions(*dateCommand, date->page, true);
  addDialogOptions(*dateCommand, date->dialog);
  addReplaceOption(*dateCommand, date->page, "the first current-date block");
  dateCommand->callback([date, &exitStatus] {
    exitStatus = runOnPage(date->page, [&](file_host::FileHost& host, PageRun& run) {
      if (date->page.replace) selectBlockToReplace(host, u"V_Date");
      HeadlessUi ui(&run, date->dialog.policy(), true);
      const DialogScript script{frmDateDesign().name, {forms::UserAction::click(ctl::cmdDo)}};
      requireConfirmed(runDialog(ui, script, [&] { clstestt(host, ui.environment()).CurDate(); }));
    });
  });

  auto help = std::make_shared<HelpCommand>();
  auto* helpCommand = app.add_subcommand(
      "help", "Show the help file's contents, its index, or the topic with context id ID");
  helpCommand->add_option("ID", help->topic,
                          "Context id of a topic: 2 add to favorites, "
                          "3 scrollbar colors, 4 slide show, 5 current date");
  helpCommand->add_flag("--index", help->index, "Show the index");
  helpCommand->add_flag("--text", help->text,
                        "Print on the terminal even when a display is available");
  helpCommand->callback([help, &exitStatus] { exitStatus = showHelp(*help); });
}

}  // namespace velmo::cli
