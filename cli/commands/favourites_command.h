#pragma once
// velmo favourites: the add-to-favourites dialog played through its own handlers.

#include <CLI/CLI.hpp>

namespace velmo::cli {

// Adds the subcommand; it sets `exitStatus` when it runs.
void addFavouritesCommand(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
