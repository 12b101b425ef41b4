#pragma once
// What every page command of velmo shares: the page and site options, the selection options,
// and one run that opens the page, does the work, and writes everything only when it succeeded.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/run/import_once.h"
#include "cli/run/page_run.h"
#include "file_host/file_host.h"
#include "file_host/files/page_memory.h"
#include "file_host/files/write_batch.h"

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

// Which pages a command works on when it works on more than one (page_selection.h).
struct ManyPages {
  std::vector<std::string> pages;  // --page, each a page or a folder
  std::string list;                // --pages: a file listing pages, or - for standard input
  std::vector<std::string> include;
  std::vector<std::string> exclude;
  bool stopOnError = false;
  unsigned jobs = 0;          // 0: as many as suit the command (jobsFor)
  bool changesPages = false;  // the command writes pages (unless it is a dry run)
};

// How a command whose pages give rows of its own form (velmo check) reports them; each part
// may be left empty.
struct RowReport {
  // Each row of a page as one line of standard output, instead of the table of rows.
  std::function<std::string(const std::string& shownPage, const ResultRow& row)> rowLine;
  // Rows of the run beyond its pages (files that are no pages), made once every page is done:
  // each with the path of the file they speak of, printed and reported after the pages.
  std::function<std::vector<std::pair<std::string, std::vector<ResultRow>>>()> afterPages;
  // The document printed instead of the --json document, made from it.
  std::function<nlohmann::ordered_json(const nlohmann::ordered_json&)> reshapeJson;
  // The summary line over many pages ("velmo: 10 pages: ..."), given the pages, the rows and the
  // pages that failed.
  std::function<std::string(std::size_t pages, std::size_t rows, std::size_t failed)> summary;
};

struct PageOptions {
  std::string command;  // the command's name
  std::string page;
  std::string site;
  std::string select;
  std::string caretBefore;
  std::string caretAfter;
  std::string output;
  bool writeReadOnly = false;
  // --template: the template language the pages are written in, whatever their names.
  std::optional<file_host::html::TemplateSyntax> templateSyntax;
  bool pastes = false;  // the command pastes at the selection (it has the selection options)
  bool dryRun = false;
  bool json = false;
  // --replace (date, favourites, slide) and --once (script-head): see replace_blocks.h.
  bool replace = false;
  bool once = false;
  ManyPages many;
  const RowReport* report = nullptr;  // none: rows as a table (bots)
};

// Adds PAGE (positional), --site, --output, --write-read-only, the options that choose many
// pages, --dry-run, --json and, when the command pastes, the selection options.
void addPageOptions(CLI::App& command, PageOptions& options, bool withSelection);

using PageWork = std::function<void(file_host::FileHost&, PageRun&)>;

// Opens the page, places the selection, runs `work`, and commits page and site when it returns.
// A HostError or Refused leaves every file as it was; the message goes to standard error. With
// many pages, runs that on each (site_run.h); with --dry-run, prints what would change instead
// of committing.
int runOnPage(const PageOptions& options, const PageWork& work);

// What one page's run did.
struct PageOutcome {
  bool changed = false;
  // --dry-run: the page's diff and the site files that would be imported.
  std::string diff;
  std::vector<std::filesystem::path> imports;
  // The site folder the page was opened with (absolute).
  std::filesystem::path site;
  // What a captured page printed, picked, answered and listed (page_run.h).
  std::string out;
  std::string err;
  std::vector<std::u16string> chosen;
  std::optional<bool> found;
  std::vector<ResultRow> rows;
};

// What the pages of one run share.
struct RunShared {
  bool captured = false;  // one of many pages: output kept apart, no questions on a terminal
  const ImportedOnce* imported = nullptr;
  file_host::WriteBatch* batch = nullptr;
  file_host::PageMemory* memory = nullptr;
  // The folder velmo started in, asked once: a page or site named relative to it is opened as
  // this folder joined with the name, rather than the system being asked again for every page.
  std::filesystem::path workingFolder;
};

// The transaction on the one page options.page: exit status as for a single page.
int runOnePage(const PageOptions& options, const PageWork& work, PageOutcome& outcome,
               const RunShared& shared = {});

// A page as messages name it: "velmo: PAGE: ".
std::u16string pagePrefix(const std::string& page);

// Command-line text (UTF-8) as core text; a usage error when it is not UTF-8.
std::u16string argumentText(const std::string& value, const char* what);

// Core text on standard output / standard error, UTF-8, followed by a line break.
void printLine(std::u16string_view text);
void printError(std::u16string_view text);

// Flushes standard output; false (with a message on standard error) when what a command printed
// did not all arrive, e.g. on a full disk or a closed pipe.
bool finishStandardOutput();

}  // namespace velmo::cli
