#pragma once
// velmo check PAGE|SITE: the blocks the commands write, webbot pairing and the files the blocks
// refer to, checked; with --fix, what has one safe mend mended through the page's transaction.
//
// Exit status as linters have it: 0 nothing found (or everything found mended), 1 findings,
// 2 an error of the run (a page that could not be read, a bad ignore file).

#include <CLI/CLI.hpp>

namespace velmo::cli {

void addCheckCommand(CLI::App& app, int& exitStatus);

}  // namespace velmo::cli
