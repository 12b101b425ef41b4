#pragma once
// velmo slide: the slide show dialog, with the pictures of the command line added in order.

#include <CLI/CLI.hpp>

namespace velmo::cli {

// Adds the subcommand; it sets `exitStatus` when it runs.
void addSlideCommand(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
