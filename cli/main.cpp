// velmo: the library's commands on an HTML page and a site folder on disk.

#include <CLI/CLI.hpp>

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands/bots_command.h"
#include "cli/commands/check_command.h"
#include "cli/commands/dialog_commands.h"
#include "cli/commands/favourites_command.h"
#include "cli/commands/offers_command.h"
#include "cli/commands/page_commands.h"
#include "cli/commands/slide_command.h"
#include "cli/commands/style_command.h"
#include "cli/run/page_selection.h"
#include "cli/run/page_session.h"
#include "cli/run/process_platform.h"
#include "cli/run/standard_input.h"
#include "core/common/text.h"

namespace {

// The first argument names the command; CLI11 would take an unknown one for a stray argument
// and only say that a command is required.
bool reportUnknownCommand(CLI::App& app, int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return false;
  const std::string_view name = argv[1];
  std::string names;
  for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    if (command->get_name() == name) return false;
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  velmo::cli::printError(velmo::utf8ToUtf16("velmo: unknown command '" + std::string(name) +
                                            "'; the commands are: " + names +
                                            " (velmo --help tells more)"));
  return true;
}

}  // namespace

namespace {

int run(int argc, char** argv) {
  velmo::cli::guardStandardStreams();
  // On Windows the command line comes as UTF-16; the commands read UTF-8.
  std::vector<std::string> utf8 = velmo::cli::os::arguments(argc, argv);
  std::vector<char*> utf8Pointers;
  for (std::string& arg : utf8) utf8Pointers.push_back(arg.data());
  argc = static_cast<int>(utf8Pointers.size());
  argv = utf8Pointers.data();
  try {
    CLI::App app{"velmo: page-building commands on an HTML page and its site folder", "velmo"};
    app.set_version_flag("--version", std::string("velmo ") + VELMO_VERSION);
    // A path such as /tmp/page.html is an argument on every system, never a "/option".
    app.allow_windows_style_options(false);
    app.require_subcommand(1);

    int exitStatus = velmo::cli::kDone;
    velmo::cli::addPageCommands(app, exitStatus);
    velmo::cli::addDialogCommands(app, exitStatus);
    velmo::cli::addFavouritesCommand(app, exitStatus);
    velmo::cli::addStyleCommand(app, exitStatus);
    velmo::cli::addSlideCommand(app, exitStatus);
    velmo::cli::addOffersCommand(app, exitStatus);
    velmo::cli::addBotsCommand(app, exitStatus);
    velmo::cli::addCheckCommand(app, exitStatus);
    if (reportUnknownCommand(app, argc, argv)) return velmo::cli::kFailed;

    try {
      const std::vector<std::string> args = velmo::cli::placeholderForPageLists(argc, argv);
      std::vector<const char*> pointers;
      for (const std::string& arg : args) pointers.push_back(arg.c_str());
      app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& error) {
      const int status = app.exit(error);
      const bool printed = velmo::cli::finishStandardOutput();
      return status == 0 && printed ? velmo::cli::kDone : velmo::cli::kFailed;
    }
    // An answer that never arrived is a failure, whatever the command decided.
    if (!velmo::cli::finishStandardOutput()) return velmo::cli::kFailed;
    return exitStatus;
  } catch (const velmo::HostError& error) {
    velmo::cli::printError(u"velmo: " + error.description());
  } catch (const std::bad_alloc&) {
    velmo::cli::printError(u"velmo: not enough memory");
  } catch (const std::exception& error) {
    velmo::cli::printError(u"velmo: " + velmo::utf8ToUtf16(error.what()));
  }
  velmo::cli::finishStandardOutput();
  return velmo::cli::kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  return velmo::cli::os::finalStatus(run(argc, argv));
}
