#include "file_host/site_state.h"

#include <algorithm>
#include <system_error>

#include "core/common/host_error.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_undo.h"
#include "file_host/files/picture_file.h"
#include "file_host/files/staged_import.h"
#include "file_host/files/write_batch.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

std::u16string messageOf(const std::error_code& ec) {
  return pathToText(fs::path(ec.message()));
}

std::u16string inQuotes(std::u16string_view text) {
  return u"'" + std::u16string(text) + u"'";
}

template <typename Keep>
std::vector<SiteState::Entry> list(const fs::path& folder, const std::u16string& where, Keep keep) {
  std::vector<SiteState::Entry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (keep(*it)) entries.push_back({pathToText(it->path().filename()), it->path()});
  }
  if (ec) {
    throw HostError(hr::kPathNotFound, u"Cannot list " + where + u" at " +
                                           inQuotes(pathToText(folder)) + u": " + messageOf(ec));
  }
  return entries;
}

void sortByName(std::vector<SiteState::Entry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return a.path.filename().native() < b.path.filename().native();
  });
}

void checkFolderName(std::u16string_view name) {
  const bool bad = name.empty() || name == u"." || name == u".." ||
                   name.find_first_of(u"/\\") != std::u16string_view::npos ||
                   name.find(u'\0') != std::u16string_view::npos ||
                   isTemporaryName(textToPath(name));
  if (bad) throw HostError(hr::kInvalidArg, inQuotes(name) + u" is not a valid folder name");
}

}  // namespace

SiteState::SiteState(const fs::path& root, bool planOnly, WriteBatch* batch)
    : planOnly_(planOnly), batch_(batch) {
  std::error_code ec;
  root_ = fs::absolute(root, ec).lexically_normal();
  if (!root_.has_filename() && root_.has_relative_path()) root_ = root_.parent_path();
  if (!ec && batch_ && batch_->folderFound(root_)) return;
  if (ec || !fs::is_directory(root_, ec)) {
    throw HostError(hr::kPathNotFound,
                    u"The site folder " + inQuotes(pathToText(root)) + u" does not exist");
  }
  if (batch_) batch_->noteFolderFound(root_);
}

std::u16string SiteState::describe(const fs::path& folder) const {
  const fs::path relative = folder.lexically_relative(root_);
  if (relative.empty() || relative == ".") return u"the site's root folder";
  std::u16string text = pathToText(relative);
  std::replace(text.begin(), text.end(), static_cast<char16_t>(fs::path::preferred_separator),
               u'/');
  return u"folder " + inQuotes(text);
}

bool SiteState::planned(const fs::path& folder) const {
  return planOnly_ && std::find(created_.begin(), created_.end(), folder) != created_.end();
}

std::vector<SiteState::Entry> SiteState::folders(const fs::path& folder) const {
  std::vector<Entry> entries;
  if (!planned(folder)) {
    entries = list(folder, describe(folder), [](const fs::directory_entry& e) {
      std::error_code ec;
      return e.is_directory(ec);
    });
  }
  if (planOnly_) {
    for (const fs::path& made : created_) {
      if (made.parent_path() == folder) entries.push_back({pathToText(made.filename()), made});
    }
  }
  sortByName(entries);
  return entries;
}

std::vector<SiteState::Entry> SiteState::files(const fs::path& folder) const {
  std::vector<Entry> entries;
  if (!planned(folder)) {
    entries = list(folder, describe(folder), [&](const fs::directory_entry& e) {
      std::error_code ec;
      return e.is_regular_file(ec) && !isTemporaryName(e.path().filename()) &&
             !staged_.contains(e.path());
    });
  }
  for (const auto& [target, staging] : staged_) {
    if (target.parent_path() == folder) {
      entries.push_back({pathToText(target.filename()), target});
    }
  }
  sortByName(entries);
  return entries;
}

bool SiteState::taken(const fs::path& path) const {
  std::error_code ec;
  return staged_.contains(path) || planned(path) || fs::exists(fs::symlink_status(path, ec));
}

fs::path SiteState::addFolder(const fs::path& parent, std::u16string_view name) {
  checkFolderName(name);
  const fs::path path = parent / textToPath(name);
  if (taken(path)) {
    throw HostError(hr::kFileExists,
                    u"An item named " + inQuotes(name) + u" already exists in " + describe(parent));
  }
  std::error_code ec;
  if (planOnly_) {
    // What creating it would run into, found without creating it.
    if (!planned(parent) && !fs::is_directory(parent, ec)) {
      throw HostError(hr::kPathNotFound,
                      u"Cannot create " + describe(path) + u": " +
                          messageOf(std::make_error_code(std::errc::no_such_file_or_directory)));
    }
  } else if (!fs::create_directory(path, ec) || ec) {
    // Made by someone else since it was looked for: the same answer as when it was there.
    if (!ec) {
      throw HostError(hr::kFileExists, u"An item named " + inQuotes(name) + u" already exists in " +
                                           describe(parent));
    }
    throw HostError(
        ec == std::errc::no_such_file_or_directory ? hr::kPathNotFound : hr::kAccessDenied,
        u"Cannot create " + describe(path) + u": " + messageOf(ec));
  }
  created_.push_back(path);
  return path;
}

fs::path SiteState::importFile(const fs::path& folder, std::u16string_view diskPath,
                               bool overwrite) {
  const fs::path source = textToPath(diskPath);
  const fs::path name = source.filename();
  if (name.empty() || name == "." || name == ".." || isTemporaryName(name)) {
    throw HostError(hr::kInvalidArg, u"Cannot import " + inQuotes(diskPath) + u": not a file name");
  }
  // A browser reads a backslash in an address as a folder separator, so the page could never
  // refer to the copy by the name it has here. (Where the backslash separates folders, as on
  // Windows, a file name never holds one.)
  if (name.native().find('\\') != fs::path::string_type::npos) {
    throw HostError(hr::kInvalidArg, u"Cannot import " + inQuotes(diskPath) +
                                         u": a picture name with a backslash cannot be used in "
                                         u"a web page address; rename the file");
  }
  const fs::path target = folder / name;
  std::error_code ec;
  if (fs::is_directory(target, ec)) {
    throw HostError(hr::kFileExists, u"A folder named " + inQuotes(pathToText(name)) +
                                         u" already exists in " + describe(folder));
  }
  if (!overwrite && taken(target)) {
    throw HostError(hr::kFileExists, u"A file named " + inQuotes(pathToText(name)) +
                                         u" already exists in " + describe(folder));
  }
  const std::string content = readFile(source);
  if (!isGifOrJpeg(content)) {
    throw HostError(hr::kInvalidData,
                    u"Cannot import " + inQuotes(diskPath) + u": it is not a GIF or JPEG picture");
  }
  // The site's own copy picked again (a run over many pages imports once and then points the
  // later pages at the copy) has nothing to bring in.
  if (!staged_.contains(target) && fs::equivalent(source, target, ec) && !ec) return target;
  TemporaryFile copy;
  if (!planOnly_) {
    try {
      copy = stageCopy(folder, content, source, target, batch_);
    } catch (const HostError& e) {
      throw HostError(e.hresult(), u"Cannot import " + inQuotes(diskPath) + u" into " +
                                       describe(folder) + u": " + e.description());
    }
  }
  // A copy staged before under that name goes with the one it replaces.
  staged_[target] = std::move(copy);
  return target;
}

std::vector<fs::path> SiteState::stagedTargets() const {
  std::vector<fs::path> targets;
  for (const auto& entry : staged_) targets.push_back(entry.first);
  return targets;
}

void SiteState::commit(FileUndo& undo) {
  // Folders first, so that putting back removes them after the files in them.
  for (const fs::path& folder : created_) undo.rememberCreated(folder);
  created_.clear();
  while (!staged_.empty()) {
    const auto first = staged_.begin();
    undo.remember(first->first);
    moveIntoPlace(first->second, first->first, batch_);
    staged_.erase(first);
  }
}

void SiteState::rollback() noexcept {
  std::error_code ec;
  staged_.clear();  // each staged copy goes with its TemporaryFile
  if (planOnly_) created_.clear();
  // Newest first, so that a folder created inside another goes before it; fs::remove leaves a
  // folder that is not empty.
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) fs::remove(*it, ec);
  created_.clear();
}

}  // namespace velmo::file_host
