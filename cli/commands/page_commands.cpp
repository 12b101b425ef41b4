#include "cli/commands/page_commands.h"

#include <memory>

#include "cli/run/page_run.h"
#include "cli/run/page_session.h"
#include "cli/run/replace_blocks.h"
#include "cli/run/standard_input.h"
#include "features/command_class/clstestt.h"

namespace velmo::cli {
namespace {

struct NamedCommand {
  PageOptions page;
  std::string text;
};

}  // namespace

void addPageCommands(CLI::App& app, int& exitStatus) {
  // The option structs must outlive parsing; the app owns them through the callbacks.
  auto found = std::make_shared<NamedCommand>();
  auto* botfound = app.add_subcommand("botfound",
                                      "Print true when the page holds a webbot block "
                                      "with bot name NAME (exact, case-sensitive)");
  addPageOptions(*botfound, found->page, false);
  botfound->add_option("NAME", found->text, "The bot name")->required();
  botfound->callback([found, &exitStatus] {
    exitStatus = runOnPage(found->page, [&](file_host::FileHost& host, PageRun& run) {
      run.reportFound(clstestt(host).botfound(argumentText(found->text, "NAME")));
    });
  });

  auto erase = std::make_shared<NamedCommand>();
  auto* eraseBot = app.add_subcommand(
      "erase-bot", "Remove the first webbot block with bot name NAME (exact, case-sensitive)");
  addPageOptions(*eraseBot, erase->page, false);
  eraseBot->add_option("NAME", erase->text, "The bot name")->required();
  eraseBot->callback([erase, &exitStatus] {
    exitStatus = runOnPage(erase->page, [&](file_host::FileHost& host, PageRun&) {
      clstestt(host).eraseBot(argumentText(erase->text, "NAME"));
    });
  });

  auto script = std::make_shared<NamedCommand>();
  auto* scriptHead =
      app.add_subcommand("script-head", "Append CODE wrapped in a script element to the page HEAD");
  addPageOptions(*scriptHead, script->page, false);
  scriptHead
      ->add_option("CODE", script->text,
                   "The script code; - reads it from standard input (at most 1 MiB)")
      ->required();
  addOnceOption(*scriptHead, script->page);
  scriptHead->callback([script, &exitStatus] {
    exitStatus = runOnPage(script->page, [&](file_host::FileHost& host, PageRun&) {
      // Read once the page is open, so that a missing page is reported without waiting for input.
      const std::string code = script->text == "-" ? readStandardInput() : script->text;
      const std::u16string text = argumentText(code, "CODE");
      if (script->page.once && headHolds(host, scriptHead2Block(text))) return;
      clstestt(host).scriptHead2(text);
    });
  });
}

}  // namespace velmo::cli
