#include "cli/commands/bots_command.h"

#include <memory>
#include <string>

#include "cli/run/page_run.h"
#include "cli/run/page_selection.h"
#include "cli/run/page_session.h"
#include "cli/run/site_run.h"
#include "core/common/text.h"
#include "file_host/html/page_codec.h"
#include "file_host/html/page_lines.h"

namespace velmo::cli {
namespace {

void listBlocks(file_host::FileHost& host, PageRun& run) {
  file_host::LineCounter lines(host.pageSource(),
                               host.pageCodec().encoding() == file_host::Encoding::Utf8);
  for (const auto& block : host.webbotBlocks()) {
    run.rows().push_back(
        {{"line", std::to_string(lines.at(block.begin).line), true},
         {"bot", block.name ? utf16ToUtf8(*block.name) : std::string(), false},
         {"size", std::to_string(host.pageFileSize(block.begin, block.end)), true}});
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
