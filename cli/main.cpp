// velmo: the library's commands on an HTML page and a site folder on disk.

#include <CLI/CLI.hpp>

#include "cli/dialog_commands.h"
#include "cli/favourites_command.h"
#include "cli/offers_command.h"
#include "cli/page_commands.h"
#include "cli/page_session.h"
#include "cli/slide_command.h"
#include "cli/style_command.h"

int main(int argc, char** argv) {
  CLI::App app{"velmo: page-building commands on an HTML page and its site folder", "velmo"};
  app.set_version_flag("--version", std::string("velmo ") + VELMO_VERSION);
  app.require_subcommand(1);

  int exitStatus = velmo::cli::kDone;
  velmo::cli::addPageCommands(app, exitStatus);
  velmo::cli::addDialogCommands(app, exitStatus);
  velmo::cli::addFavouritesCommand(app, exitStatus);
  velmo::cli::addStyleCommand(app, exitStatus);
  velmo::cli::addSlideCommand(app, exitStatus);
  velmo::cli::addOffersCommand(app, exitStatus);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    const bool printed = velmo::cli::finishStandardOutput();
    return status == 0 && printed ? velmo::cli::kDone : velmo::cli::kFailed;
  } catch (const velmo::HostError& error) {
    velmo::cli::printError(u"velmo: " + error.description());
    velmo::cli::finishStandardOutput();
    return velmo::cli::kFailed;
  }
  // An answer that never arrived is a failure, whatever the command decided.
  if (!velmo::cli::finishStandardOutput()) return velmo::cli::kFailed;
  return exitStatus;
}
