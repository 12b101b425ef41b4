#pragma once
// velmo bots PAGE|SITE: every webbot block with its page, line, bot name and size.

#include <CLI/CLI.hpp>

namespace velmo::cli {

void addBotsCommand(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
