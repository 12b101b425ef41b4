#include "cli/run/page_selection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/run/glob_match.h"
#include "cli/run/process_platform.h"
#include "cli/run/standard_input.h"
#include "core/common/shown_name.h"
#include "file_host/html/template_syntax.h"

namespace velmo::cli {
namespace fs = std::filesystem;

namespace {

constexpr const char* kPageExtensions[] = {
    "htm", "html", "xhtml", "xht",  "shtml", "shtm",  "stm", "asp",  "aspx", "ascx",
    "asa", "php",  "php3",  "php4", "php5",  "phtml", "jsp", "jspf", "jspx", "htx"};

// The stand-in for PAGE; never read as a path, since --page or --pages then gives the pages.
constexpr const char* kListedPages = "(--page/--pages)";

// The commands that work on pages.
constexpr const char* kPageCommands[] = {"botfound", "erase-bot",  "script-head",
                                         "date",     "favourites", "style",
                                         "slide",    "bots",       "check"};

bool matches(const std::string& glob, const std::string& relative) {
  // A glob without a slash names a file or folder wherever it stands; with one, a path from the
  // folder walked.
  if (glob.find('/') == std::string::npos) {
    const auto slash = relative.rfind('/');
    const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    return globMatch(glob, name, false);
  }
  return globMatch(glob, relative, true);
}

bool isHidden(const std::string& name) {
  return !name.empty() && name[0] == '.';
}

// The editor keeps its own data about each page in folders named _vti_*: copies under page
// names that are no pages.
bool isEditorData(const std::string& name) {
  return name.rfind("_vti_", 0) == 0;
}

// The path as the system writes it, so that velmo.exe's messages show one separator throughout.
std::string joined(const std::string& folder, const std::string& relative) {
  return os::textOf((os::pathOf(folder) / os::pathOf(relative)).make_preferred());
}

class Selector {
 public:
  Selector(const PageOptions& options, PageSelection& out)
      : options_(options), out_(out), filter_{options.many.include, options.many.exclude} {}

  void add(const std::string& given, bool fromFolderWalk) {
    if (!fromFolderWalk && os::isFolder(given)) {
      walk(given);
      return;
    }
    take(given, siteIndex(options_.site));
  }

 private:
  std::size_t siteIndex(const std::string& site) {
    if (out_.sites.empty() || out_.sites.back() != site) out_.sites.push_back(site);
    return out_.sites.size() - 1;
  }

  // `identity`: which file it is, when the folder's listing told it.
  void take(const std::string& path, std::size_t site,
            std::optional<os::FileIdentity> identity = std::nullopt) {
    // A page reached twice would be changed twice by threads working side by side.
    if (!identity) identity = os::fileIdentity(path);
    if (identity && !seen_.insert(*identity).second) return;
    out_.pages.push_back({path, site});
  }

  struct Found {
    std::string relative;
    std::optional<os::FileIdentity> identity;
  };

  void walk(const std::string& folder) {
    const std::size_t site = siteIndex(options_.site.empty() ? folder : options_.site);
    std::vector<Found> found;
    walkInto(folder, "", found);
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.relative < b.relative; });
    for (const Found& page : found) take(joined(folder, page.relative), site, page.identity);
  }

  void walkInto(const std::string& root, const std::string& relative, std::vector<Found>& found) {
    const std::string folder =
        os::textOf(relative.empty() ? os::pathOf(root) : os::pathOf(root) / os::pathOf(relative));
    std::string problem;
    for (os::FolderEntry& entry : os::listFolder(folder, problem)) {
      const std::string path = relative.empty() ? entry.name : relative + "/" + entry.name;
      // Linked folders are not followed: a link back up would walk for ever.
      if (entry.folder) {
        if (!isHidden(entry.name) && !isEditorData(entry.name) && filter_.entersFolder(path)) {
          walkInto(root, path, found);
        }
      } else if (entry.file && !isHidden(entry.name) && filter_.takesFile(path)) {
        found.push_back({path, entry.identity});
      }
    }
    if (!problem.empty()) out_.problems.push_back({folder, problem});
  }

  const PageOptions& options_;
  PageSelection& out_;
  PageFilter filter_;
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen_;
};

std::string readList(const std::string& list) {
  if (list != "-") {
    if (os::isFolder(list)) {
      throw std::runtime_error("is a folder, not a list of pages (--page takes a folder)");
    }
    std::ifstream in(os::pathOf(list), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the list of pages");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw std::runtime_error("cannot read the list of pages");
    return text.str();
  }
  return readPageList();
}

// One page a line (LF or CR LF, as Windows tools write it), or one after each NUL (find
// -print0, where a name may end in CR).
std::vector<std::string> listedPages(const std::string& text) {
  const char separator = text.find('\0') != std::string::npos ? '\0' : '\n';
  std::vector<std::string> pages;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find(separator, from);
    if (end == std::string::npos) end = text.size();
    std::size_t last = end;
    if (separator == '\n' && last > from && text[last - 1] == '\r') --last;
    if (last > from) pages.push_back(text.substr(from, last - from));
    from = end + 1;
  }
  return pages;
}

}  // namespace

bool hasPageExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::any_of(std::begin(kPageExtensions), std::end(kPageExtensions),
                     [&](const char* known) { return extension == known; }) ||
         std::any_of(std::begin(file_host::html::kTemplateExtensions),
                     std::end(file_host::html::kTemplateExtensions),
                     [&](const auto& known) { return extension == known.extension; });
}

bool PageFilter::takesFile(const std::string& relative) const {
  for (const std::string& glob : exclude) {
    if (matches(glob, relative)) return false;
  }
  if (include.empty()) {
    const auto slash = relative.rfind('/');
    return hasPageExtension(slash == std::string::npos ? relative : relative.substr(slash + 1));
  }
  return std::any_of(include.begin(), include.end(),
                     [&](const std::string& glob) { return matches(glob, relative); });
}

bool PageFilter::entersFolder(const std::string& relative) const {
  return std::none_of(exclude.begin(), exclude.end(),
                      [&](const std::string& glob) { return matches(glob, relative); });
}

void addManyPageOptions(CLI::App& command, PageOptions& options, bool changesPages) {
  // A glob that can match nothing at all is refused, rather than quietly taking or leaving out
  // every file.
  const CLI::Validator wellFormedGlob([](const std::string& glob) { return globProblem(glob); },
                                      "GLOB");
  ManyPages& many = options.many;
  command
      .add_option("--page", many.pages,
                  "A page (or a folder of pages) to work on instead of PAGE; give it once for "
                  "each")
      ->type_name("PATH")
      ->allow_extra_args(false);
  command
      .add_option("--pages", many.list,
                  "Work on the pages listed in FILE (- : standard input), one a line or each "
                  "ended by a NUL, instead of PAGE")
      ->type_name("FILE");
  command
      .add_option("--include", many.include,
                  "In a folder, work on the files that match GLOB instead of those with a page "
                  "extension (a GLOB with '/' matches the path inside the folder)")
      ->type_name("GLOB")
      ->allow_extra_args(false)
      ->check(wellFormedGlob);
  command
      .add_option("--exclude", many.exclude,
                  "In a folder, leave out the files and sub-folders that match GLOB")
      ->type_name("GLOB")
      ->allow_extra_args(false)
      ->check(wellFormedGlob);
  command
      .add_option_function<std::string>(
          "--template",
          [&options](const std::string& name) {
            options.templateSyntax = file_host::html::templateSyntaxNamed(name);
          },
          "The pages are templates of this language, whatever their names: " +
              std::string(file_host::html::kTemplateSyntaxNames) +
              " (none: plain pages). Without it, .twig, .j2, .jinja, .tpl, .cfm, .cfc, .hbs and "
              ".mustache files are templates")
      ->type_name("LANGUAGE")
      ->check(CLI::Validator(
          [](const std::string& name) {
            return file_host::html::templateSyntaxNamed(name)
                       ? std::string()
                       : "unknown template language '" + name + "'; one of " +
                             std::string(file_host::html::kTemplateSyntaxNames);
          },
          ""));
  command.add_flag("--stop-on-error", many.stopOnError,
                   "Over many pages: start no other page once a page failed");
  command
      .add_option("--jobs", many.jobs,
                  changesPages
                      ? "Over many pages: work on N pages at once (default: 64, holding at "
                        "most 256 MiB of pages)"
                      : "Over many pages: work on N pages at once (default: twice "
                        "the cores, at least 8)")
      ->type_name("N")
      ->check(CLI::Range(1u, 1024u));
  many.changesPages = changesPages;
  if (changesPages) {
    command.add_flag("--dry-run", options.dryRun,
                     "Change nothing: print what would change as a unified diff, and the site "
                     "files that would be imported");
  }
  command.add_flag("--json", options.json, "Print the results as JSON");
}

bool isManyPages(const PageOptions& options) {
  if (!options.many.pages.empty() || !options.many.list.empty()) return true;
  return os::isFolder(options.page);
}

PageSelection selectPages(const PageOptions& options) {
  PageSelection selection;
  Selector selector(options, selection);
  if (options.many.pages.empty() && options.many.list.empty()) {
    selector.add(options.page, false);
    return selection;
  }
  for (const std::string& page : options.many.pages) selector.add(page, false);
  if (!options.many.list.empty()) {
    try {
      for (const std::string& page : listedPages(readList(options.many.list))) {
        selector.add(page, false);
      }
    } catch (const std::exception& error) {
      selection.problems.push_back({options.many.list, error.what()});
    }
  }
  return selection;
}

std::vector<std::string> placeholderForPageLists(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  if (argc < 2 || std::none_of(std::begin(kPageCommands), std::end(kPageCommands),
                               [&](const char* name) { return args[1] == name; })) {
    return args;
  }
  bool listed = false;
  for (int i = 2; i < argc && !listed; ++i) {
    const std::string_view arg = args[static_cast<std::size_t>(i)];
    if (arg == "--") break;
    listed = arg == "--page" || arg == "--pages" || arg.starts_with("--page=") ||
             arg.starts_with("--pages=");
  }
  if (!listed) return args;
  // The stand-in would shift a PAGE given as well into the place of the next argument (a page
  // taken as script code), so an argument that is no option's value and names a page or a
  // folder is refused.
  constexpr std::string_view kTakeValues[] = {"--page",   "--pages",        "--site",
                                              "--output", "--include",      "--exclude",
                                              "--select", "--caret-before", "--caret-after"};
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") break;
    if (std::find(std::begin(kTakeValues), std::end(kTakeValues), arg) != std::end(kTakeValues)) {
      ++i;
      continue;
    }
    if (arg.starts_with("-")) continue;
    if (os::isFolder(arg) || (hasPageExtension(arg) && os::fileIdentity(arg))) {
      throw CLI::ValidationError("PAGE", "'" + shownName(arg) +
                                             "' and --page/--pages both name pages; give the "
                                             "pages either as PAGE or with --page/--pages");
    }
  }
  args.insert(args.begin() + 2, kListedPages);
  return args;
}

}  // namespace velmo::cli
