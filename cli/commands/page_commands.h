#pragma once
// velmo botfound, erase-bot and script-head: the command class's page operations.

#include <CLI/CLI.hpp>

namespace velmo::cli {

// Adds the subcommands; each sets `exitStatus` when it runs.
void addPageCommands(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
