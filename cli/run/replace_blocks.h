#pragma once
// Updating what a page holds instead of adding to it: --replace for the commands that paste a
// block (date, favourites, slide) and --once for script-head. Each prepares the page so that the
// command, run as it always runs, writes its block in place of the old one.

#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/run/page_session.h"

namespace velmo::cli {

// --replace, setting options.replace; `what` names what is replaced.
void addReplaceOption(CLI::App& command, PageOptions& options, const std::string& what);
// --once, setting options.once.
void addOnceOption(CLI::App& command, PageOptions& options);

// The first webbot block named `botName` becomes the selection, so that pasting replaces it;
// without one the selection stays where the selection options put it.
void selectBlockToReplace(file_host::FileHost& host, std::u16string_view botName);

// The page's slide show makes way for a new one: its viewer script leaves the HEAD (the command
// writes the one for the new pictures) and its table becomes the selection.
void prepareSlideShowReplace(file_host::FileHost& host);

// True when the HEAD already holds `block` exactly.
bool headHolds(file_host::FileHost& host, std::u16string_view block);

}  // namespace velmo::cli
