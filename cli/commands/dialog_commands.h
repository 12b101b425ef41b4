#pragma once
// velmo date and velmo help: the current-date dialog and the help file.

#include <CLI/CLI.hpp>

namespace velmo::cli {

// Adds the subcommands; each sets `exitStatus` when it runs.
void addDialogCommands(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
