#include "cli/bots_command.h"

#include <algorithm>
#include <memory>
#include <string>

#include "cli/page_run.h"
#include "cli/page_selection.h"
#include "cli/page_session.h"
#include "cli/site_run.h"
#include "common/text.h"

namespace velmo::cli {
namespace {

void listBlocks(standalone::StandaloneHost& host, PageRun& run) {
  const std::string& source = host.pageSource();
  std::size_t line = 1;
  std::size_t counted = 0;  // source before this offset is counted in `line`
  for (const auto& block : host.webbotBlocks()) {
    line +=
        static_cast<std::size_t>(std::count(source.begin() + static_cast<long>(counted),
                                            source.begin() + static_cast<long>(block.begin), '\n'));
    counted = block.begin;
    run.rows().push_back({{"line", std::to_string(line), true},
                          {"bot", block.name ? utf16ToUtf8(*block.name) : std::string(), false},
                          {"size", std::to_string(block.end - block.begin), true}});
  }
}

}  // namespace

void addBotsCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<PageOptions>();
  auto* command = app.add_subcommand(
      "bots",
      "List every webbot block of the page, or of every page of a site folder: page, line, bot "
      "name and size in bytes");
  options->command = command->get_name();
  command
      ->add_option("PAGE", options->page,
                   "The HTML page, or a site folder: every page in it and its sub-folders")
      ->required();
  addManyPageOptions(*command, *options, false);
  command->callback([options, &exitStatus] { exitStatus = runOnPages(*options, listBlocks); });
}

}  // namespace velmo::cli
