#include "cli/bots_command.h"

#include <memory>
#include <string>
#include <string_view>

#include "cli/page_run.h"
#include "cli/page_selection.h"
#include "cli/page_session.h"
#include "cli/site_run.h"
#include "common/text.h"

namespace velmo::cli {
namespace {

// Line breaks in text as a browser's view-source counts them: CR LF, a lone LF and a lone CR
// (an old Mac page) each end a line.
std::size_t lineBreaks(std::string_view text) {
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++breaks;
    }
  }
  return breaks;
}

void listBlocks(standalone::StandaloneHost& host, PageRun& run) {
  const std::string_view source = host.pageSource();
  std::size_t line = 1;
  std::size_t counted = 0;  // source before this offset is counted in `line`
  for (const auto& block : host.webbotBlocks()) {
    // Each block starts with '<', so no CR LF is split where the counting stops.
    line += lineBreaks(source.substr(counted, block.begin - counted));
    counted = block.begin;
    run.rows().push_back(
        {{"line", std::to_string(line), true},
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
