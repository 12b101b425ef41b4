#pragma once
// velmo offers: the offers window as text, and opening an offer's link.

#include <CLI/CLI.hpp>

namespace velmo::cli {

// Adds the subcommand; it sets `exitStatus` when it runs.
void addOffersCommand(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
