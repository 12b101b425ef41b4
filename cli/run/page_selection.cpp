#include "cli/run/page_selection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/run/glob_match.h"
#include "cli/run/identity_set.h"
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

// The text of --pages, read once for the run and for the count of its pages.
struct PageList {
  std::string text;
  std::string problem;  // why it could not be read
  // One page a line (LF or CR LF, as Windows tools write it), or one after each NUL (find
  // -print0, where a name may end in CR).
  char separator = '\n';
};

}  // namespace

struct PageSource::State {
  State(const PageOptions& options, std::shared_ptr<const PageList> list)
      : options(options), filter{options.many.include, options.many.exclude}, list(list) {}

  // A folder of the walk: its entries sorted so that taking them in turn, and a folder's
  // entries where the folder stands, gives the pages in the order of their paths.
  struct Frame {
    std::string folder;    // as the system writes it, for a problem's message
    std::string relative;  // '/'-separated below the folder walked
    std::vector<os::FolderEntry> entries;
    std::size_t next = 0;
    std::string problem;
  };

  std::optional<std::string> nextGiven() {
    const ManyPages& many = options.many;
    if (many.pages.empty() && many.list.empty()) {
      if (given++ == 0) return options.page;
      return std::nullopt;
    }
    if (given < many.pages.size()) return many.pages[given++];
    if (!list) return std::nullopt;
    if (!list->problem.empty()) {
      problems.push_back({many.list, list->problem});
      list = nullptr;
      return std::nullopt;
    }
    const std::string& text = list->text;
    while (listAt < text.size()) {
      const std::size_t from = listAt;
      std::size_t end = text.find(list->separator, from);
      if (end == std::string::npos) end = text.size();
      listAt = end + 1;
      std::size_t last = end;
      if (list->separator == '\n' && last > from && text[last - 1] == '\r') --last;
      if (last > from) return text.substr(from, last - from);
    }
    return std::nullopt;
  }

  std::size_t siteIndex(const std::string& site) {
    if (sites.empty() || sites.back() != site) sites.push_back(site);
    return sites.size() - 1;
  }

  // `identity`: which file it is, when the folder's listing told it.
  std::optional<SelectedPage> take(std::string path, std::size_t site,
                                   std::optional<os::FileIdentity> identity = std::nullopt) {
    // A page reached twice would be changed twice by threads working side by side.
    if (!identity) identity = os::fileIdentity(path);
    if (identity && !seen.insert(*identity)) return std::nullopt;
    return SelectedPage{std::move(path), site, &sites[site]};
  }

  void startWalk(const std::string& folder) {
    root = folder;
    walkSite = siteIndex(options.site.empty() ? folder : options.site);
    enter("");
  }

  void enter(const std::string& relative) {
    Frame frame;
    frame.folder =
        os::textOf(relative.empty() ? os::pathOf(root) : os::pathOf(root) / os::pathOf(relative));
    frame.relative = relative;
    frame.entries = os::listFolder(frame.folder, frame.problem);
    // A folder sorts as its name followed by '/', as the paths of the pages in it do.
    for (os::FolderEntry& entry : frame.entries) {
      if (entry.folder) entry.name += '/';
    }
    std::sort(frame.entries.begin(), frame.entries.end(),
              [](const os::FolderEntry& a, const os::FolderEntry& b) { return a.name < b.name; });
    for (os::FolderEntry& entry : frame.entries) {
      if (entry.folder) entry.name.pop_back();
    }
    walk.push_back(std::move(frame));
  }

  // The next entry of the walk: a page, or nothing when it was none (a folder entered or left,
  // a file left out).
  std::optional<SelectedPage> stepWalk() {
    Frame& frame = walk.back();
    if (frame.next == frame.entries.size()) {
      if (!frame.problem.empty()) problems.push_back({frame.folder, frame.problem});
      walk.pop_back();
      return std::nullopt;
    }
    os::FolderEntry& entry = frame.entries[frame.next++];
    const std::string path =
        frame.relative.empty() ? entry.name : frame.relative + "/" + entry.name;
    if (isHidden(entry.name)) return std::nullopt;
    // Linked folders are not followed: a link back up would walk for ever.
    if (entry.folder) {
      if (!isEditorData(entry.name) && filter.entersFolder(path)) enter(path);
      return std::nullopt;
    }
    if (!entry.file || !filter.takesFile(path)) return std::nullopt;
    return take(joined(root, path), walkSite, entry.identity);
  }

  const PageOptions& options;
  PageFilter filter;
  std::shared_ptr<const PageList> list;
  std::size_t listAt = 0;
  std::size_t given = 0;
  std::string root;
  std::size_t walkSite = 0;
  std::vector<Frame> walk;
  std::deque<std::string> sites;
  std::vector<std::pair<std::string, std::string>> problems;
  IdentitySet seen;
};

PageSource::PageSource(const PageOptions& options) {
  std::shared_ptr<PageList> list;
  if (!options.many.list.empty()) {
    list = std::make_shared<PageList>();
    try {
      list->text = readList(options.many.list);
      if (list->text.find('\0') != std::string::npos) list->separator = '\0';
    } catch (const std::exception& error) {
      list->problem = error.what();
    }
  }
  state_ = std::make_unique<State>(options, list);
}

PageSource::PageSource(const PageOptions& options, const PageSource& other)
    : state_(std::make_unique<State>(options, other.state_->list)) {}

PageSource::~PageSource() = default;

std::optional<SelectedPage> PageSource::next() {
  State& state = *state_;
  for (;;) {
    if (!state.walk.empty()) {
      if (auto page = state.stepWalk()) return page;
      continue;
    }
    std::optional<std::string> given = state.nextGiven();
    if (!given) return std::nullopt;
    if (os::isFolder(*given)) {
      state.startWalk(*given);
      continue;
    }
    if (auto page = state.take(*given, state.siteIndex(state.options.site))) return page;
  }
}

const std::deque<std::string>& PageSource::sites() const {
  return state_->sites;
}

const std::vector<std::pair<std::string, std::string>>& PageSource::problems() const {
  return state_->problems;
}

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
