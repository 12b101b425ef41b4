#include "desktop/chm_help_viewer.h"

#include <fstream>
#include <map>
#include <new>
#include <system_error>

#include "core/common/text.h"
#include "desktop/chm_archive.h"
#include "desktop/help_text.h"
#include "desktop/private_folder.h"

namespace velmo::desktop {
namespace fs = std::filesystem;
namespace {

// The path below the extraction folder for an archive path; nothing for a path that would
// leave it.
std::optional<std::string> extractedName(const std::string& objectPath) {
  const fs::path relative = fs::path(objectPath).relative_path();
  if (relative.empty()) return std::nullopt;
  for (const auto& part : relative) {
    if (part == ".." || part == ".") return std::nullopt;
  }
  return relative.string();
}

// Pages by their archive path, named as the contents file names them.
std::map<std::string, std::string> titlesFromContents(ChmArchive& archive,
                                                      const ChmSystemInfo& info) {
  std::map<std::string, std::string> titles;
  if (auto contents = archive.read(info.contentsFile)) {
    for (const auto& entry : sitemapEntries(*contents)) {
      titles.emplace(archivePath(entry.local), entry.name);
    }
  }
  return titles;
}

class ShownFile {
 public:
  ShownFile(ChmArchive& archive, std::ostream& out) : archive_(archive), out_(out) {}

  void contents(const ChmSystemInfo& info) {
    std::map<std::string, std::uint32_t> ids;
    for (auto& [id, page] : archive_.contextTable()) ids.emplace(page, id);
    out_ << info.title << "\n" << std::string(info.title.size(), '=') << "\n\nContents\n";
    const auto contents = archive_.read(info.contentsFile);
    for (const auto& entry : sitemapEntries(contents.value_or(""))) {
      out_ << std::string(2 * (entry.depth + 1), ' ') << entry.name;
      if (auto id = ids.find(archivePath(entry.local)); id != ids.end()) {
        out_ << "  (velmo help " << id->second << ")";
      }
      out_ << '\n';
    }
  }

  void index(const ChmSystemInfo& info) {
    const auto titles = titlesFromContents(archive_, info);
    out_ << info.title << "\n" << std::string(info.title.size(), '=') << "\n\nIndex\n";
    const auto index = archive_.read(info.indexFile);
    for (const auto& entry : sitemapEntries(index.value_or(""))) {
      const auto title = titles.find(archivePath(entry.local));
      out_ << "  " << entry.name << ": " << (title == titles.end() ? entry.local : title->second)
           << '\n';
    }
  }

 private:
  ChmArchive& archive_;
  std::ostream& out_;
};

}  // namespace

ChmHelpViewer::ChmHelpViewer(std::ostream& out, std::ostream& err, HelpPresentation presentation,
                             Opener opener, fs::path extractFolder, int privateLevels)
    : out_(out),
      err_(err),
      presentation_(presentation),
      opener_(std::move(opener)),
      extractFolder_(std::move(extractFolder)),
      privateLevels_(privateLevels) {}

WindowHandle ChmHelpViewer::show(WindowHandle, const std::u16string& helpFile, HelpCommand command,
                                 const HelpData& data) {
  const fs::path file(helpFile);
  try {
    return showFrom(file, command, data);
  } catch (const HelpFileError& error) {
    err_ << "velmo: " << error.what() << '\n';
  } catch (const PrivateFolderError& error) {
    err_ << "velmo: " << error.what() << '\n';
  } catch (const std::bad_alloc&) {
    err_ << "velmo: not enough memory to read the help file " << file.string() << '\n';
  }
  return 0;
}

fs::path ChmHelpViewer::extract(ChmArchive& archive, const fs::path& file,
                                const std::string& topic) {
  if (extractFolder_.empty()) {
    throw PrivateFolderError(
        "the help folder has no place: neither XDG_CACHE_HOME nor HOME is set");
  }
  const PrivateFolder folder(extractFolder_, privateLevels_);
  const std::string stem = file.stem().string();
  for (const std::string& object : archive.contentFiles()) {
    const auto name = extractedName(object);
    const auto bytes = archive.read(object);
    if (name && bytes) folder.write(stem + "/" + *name, *bytes);
  }
  const auto page = extractedName(topic);
  if (!page) throw HelpFileError("the help file " + file.string() + " names no page to show");
  return folder.path() / stem / *page;
}

WindowHandle ChmHelpViewer::showFrom(const fs::path& file, HelpCommand command,
                                     const HelpData& data) {
  auto archive = ChmArchive::open(file);
  const ChmSystemInfo info = archive->systemInfo();
  std::string topic = info.defaultTopic;
  if (command == HelpCommand::HelpContext) {
    const std::uint32_t id = std::get<std::uint32_t>(data);
    auto mapped = archive->topicOf(id);
    if (!mapped) {
      err_ << "velmo: the help file has no topic with context id " << id << '\n';
      return 0;
    }
    topic = *mapped;
  }

  if (presentation_ == HelpPresentation::Browser) {
    const fs::path page = extract(*archive, file, topic);
    if (!opener_(page)) {
      err_ << "velmo: cannot open the help page " << topic << " in a browser\n";
      return 0;
    }
    return ++lastHandle_;
  }

  ShownFile shown(*archive, out_);
  switch (command) {
    case HelpCommand::DisplayToc:
    case HelpCommand::DisplaySearch:  // no full-text search on a terminal: the contents instead
      shown.contents(info);
      break;
    case HelpCommand::DisplayIndex:
      shown.index(info);
      break;
    case HelpCommand::HelpContext: {
      const auto page = archive->read(topic);
      if (!page) {
        err_ << "velmo: the help file has no page " << topic << '\n';
        return 0;
      }
      out_ << pageText(*page);
      break;
    }
  }
  out_ << std::flush;
  return ++lastHandle_;
}

ChmHelpViewer ChmHelpViewer::forThisSession(std::ostream& out, std::ostream& err, bool textOnly) {
  const auto presentation =
      !textOnly && hasDisplay() ? HelpPresentation::Browser : HelpPresentation::Terminal;
  fs::path cache;
  if (presentation == HelpPresentation::Browser) {
    try {
      cache = PrivateFolder::userHelpCache();
    } catch (const PrivateFolderError&) {
      // Told when a page is to be extracted; the terminal needs no folder.
    }
  }
  // "velmo" and "help" are both velmo's own folders.
  return ChmHelpViewer(out, err, presentation, openInBrowser, cache, 2);
}

}  // namespace velmo::desktop
