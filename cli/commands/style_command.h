#pragma once
// velmo style: the scrollbar colour dialog.

#include <CLI/CLI.hpp>

namespace velmo::cli {

// Adds the subcommand; it sets `exitStatus` when it runs.
void addStyleCommand(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
