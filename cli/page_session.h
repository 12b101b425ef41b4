#pragma once
// What every page command of velmo shares: the page and site options, the selection options,
// and one run that opens the page, does the work, and writes everything only when it succeeded.

#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "site/standalone_host.h"

namespace velmo::cli {

// Exit statuses of velmo.
enum Exit : int {
  kDone = 0,
  kRefused = 1,  // a validation message, a No, a cancelled dialog
  kFailed = 2,   // bad usage or a host error
};

// Thrown by a command that ends without changing anything (exit status 1).
struct Refused {
  std::u16string message;
};

struct PageOptions {
  std::string page;
  std::string site;
  std::string select;
  std::string caretBefore;
  std::string caretAfter;
  std::string output;
  bool writeReadOnly = false;
  bool pastes = false;  // the command pastes at the selection (it has the selection options)
};

// Adds PAGE (positional), --site, --output, --write-read-only and, when the command pastes, the
// selection options.
void addPageOptions(CLI::App& command, PageOptions& options, bool withSelection);

// Opens the page, places the selection, runs `work`, and commits page and site when it returns.
// A HostError or Refused leaves every file as it was; the message goes to standard error.
int runOnPage(const PageOptions& options,
              const std::function<void(standalone::StandaloneHost&)>& work);

// Command-line text (UTF-8) as core text; a usage error when it is not UTF-8.
std::u16string argumentText(const std::string& value, const char* what);

// Core text on standard output / standard error, UTF-8, followed by a line break.
void printLine(std::u16string_view text);
void printError(std::u16string_view text);

// Flushes standard output; false (with a message on standard error) when what a command printed
// did not all arrive, e.g. on a full disk or a closed pipe.
bool finishStandardOutput();

}  // namespace velmo::cli
