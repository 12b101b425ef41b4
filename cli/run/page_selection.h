#pragma once
// Which pages a command works on: PAGE, or the pages of --page and --pages; a folder among
// them stands for every page in it and its sub-folders, chosen by extension or by --include and
// --exclude.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/run/page_session.h"

namespace velmo::cli {

// Adds --page, --pages, --include, --exclude, --template, --stop-on-error, --jobs and --json,
// and for a command that changes pages --dry-run.
void addManyPageOptions(CLI::App& command, PageOptions& options, bool changesPages = true);

// True when --page or --pages is given (PAGE then holds nothing of the user's; see
// placeholderForPageLists) or PAGE is a folder.
bool isManyPages(const PageOptions& options);

struct SelectedPage {
  std::string path;      // as given, or the folder as given joined with the path found in it
  std::size_t site = 0;  // in PageSource::sites()
  const std::string* siteFolder = nullptr;  // that site, which stays where it is
};

// The pages in order: as given, each folder's pages sorted by path; a file reached twice (a
// link, the same page named twice) only the first time. Found as they are asked for, so that
// a run holds one folder listing a level of the walk rather than every page of the site; what
// grows with the site is the 16-byte identity of each page taken, which tells a page reached
// again.
class PageSource {
 public:
  // The list of --pages is read here, once.
  explicit PageSource(const PageOptions& options);
  // The same pages again, from the list `other` read (counting them for the progress bar).
  PageSource(const PageOptions& options, const PageSource& other);
  ~PageSource();
  PageSource(const PageSource&) = delete;
  PageSource& operator=(const PageSource&) = delete;

  // The next page; nothing once every page has been given.
  std::optional<SelectedPage> next();
  // The site folders open with the pages: --site, else the folder walked, else "" (the page's
  // own folder). Kept once for all their pages; an element stays where it is as more come.
  const std::deque<std::string>& sites() const;
  // What could not be looked at (an unreadable folder, a missing list), with the reason.
  const std::vector<std::pair<std::string, std::string>>& problems() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// True for a file name whose extension marks a page the page model reads (.htm, .asp, .php,
// a template's .twig, .tpl, .cfm, ...).
bool hasPageExtension(const std::string& name);

// Whether `relative` (a path below a folder walked, '/'-separated) passes --include/--exclude.
struct PageFilter {
  std::vector<std::string> include;
  std::vector<std::string> exclude;
  bool takesFile(const std::string& relative) const;
  bool entersFolder(const std::string& relative) const;
};

// The command line with PAGE filled in by a stand-in when --page or --pages gives the pages, so
// that the positional arguments after PAGE (NAME, CODE, PICTURE...) keep their places.
std::vector<std::string> placeholderForPageLists(int argc, char** argv);

}  // namespace velmo::cli
