#include "file_host/settings/settings_store.h"

#include <system_error>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_undo.h"
#include "file_host/files/platform_replace.h"
#include "file_host/settings/config_folder.h"
#include "file_host/settings/ini_text.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

// The file's text; empty when there is no file yet.
std::u16string readSettings(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(file, ec))) return {};
  const std::string bytes = readFile(file);
  if (!isValidUtf8(bytes)) {
    throw HostError(hr::kInvalidData, u"The settings file " + quotedPath(file) + u" is not UTF-8");
  }
  return utf8ToUtf16(bytes);
}

// Creates the folders of `file` that are missing; each one made is noted in `undo` (when given),
// outermost first.
void createFolderOf(const fs::path& file, FileUndo* undo = nullptr) {
  std::vector<fs::path> missing;
  std::error_code ec;
  for (fs::path folder = file.parent_path(); !folder.empty() && !fs::exists(folder, ec);
       folder = folder.parent_path()) {
    missing.push_back(folder);
    if (folder == folder.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!fs::create_directory(*it, ec) && ec) {
      throw HostError(hr::kAccessDenied, u"Cannot create the settings folder " +
                                             quotedPath(file.parent_path()) + u": " +
                                             pathToText(fs::path(ec.message())));
    }
    if (undo) undo->rememberCreated(*it);
  }
}

// What creating the folders of `file` would run into, found without creating them: the nearest
// part of the path that exists must be a folder this user can make folders in.
void checkFolderCanBeMade(const fs::path& file) {
  std::error_code ec;
  fs::path folder = file.parent_path();
  while (!folder.empty() && !fs::exists(fs::symlink_status(folder, ec)) &&
         folder != folder.parent_path()) {
    folder = folder.parent_path();
  }
  if (fs::exists(file.parent_path(), ec) && fs::is_directory(file.parent_path(), ec)) return;
  std::error_code why;
  if (!fs::is_directory(folder, ec)) {
    why = std::make_error_code(std::errc::not_a_directory);
  } else if (const int refused = folderRefusesNewFiles(folder)) {
    why = std::error_code(refused, std::generic_category());
  } else {
    return;
  }
  throw HostError(hr::kAccessDenied, u"Cannot create the settings folder " +
                                         quotedPath(file.parent_path()) + u": " +
                                         pathToText(fs::path(why.message())));
}

// Reads, changes and writes back the file under its lock; the lock is handed back held.
LockedFile writeSettings(const fs::path& file,
                         const std::vector<IniSettingsStore::Setting>& settings, FileUndo* undo,
                         WriteBatch* batch) {
  createFolderOf(file, undo);
  LockedFile locked = LockedFile::open(file, u"settings file");
  std::u16string text = readSettings(file);
  for (const auto& setting : settings) {
    text = withIniValue(text, setting.section, setting.key, setting.value);
  }
  if (undo) undo->remember(file);
  ReplaceSteps steps;
  steps.batch = batch;
  locked.replace(utf16ToUtf8(text), steps);
  return locked;
}

}  // namespace

IniSettingsStore::IniSettingsStore(fs::path configDir) : configDir_(std::move(configDir)) {}

fs::path IniSettingsStore::defaultConfigDir() {
  if (std::optional<fs::path> folder = userConfigFolder()) return *folder;
  throw HostError(hr::kPathNotFound, u"There is no home folder to keep the settings in");
}

fs::path IniSettingsStore::fileOf(std::u16string_view application) const {
  const bool plain = !application.empty() && application != u"." && application != u".." &&
                     application.find_first_of(u"/\\:") == std::u16string_view::npos &&
                     application.find(u'\0') == std::u16string_view::npos;
  if (!plain) {
    throw HostError(hr::kInvalidArg,
                    u"'" + std::u16string(application) + u"' is not a valid application name");
  }
  return configDir_ / "velmo" / textToPath(std::u16string(application) + u".ini");
}

std::u16string IniSettingsStore::get(std::u16string_view application, std::u16string_view section,
                                     std::u16string_view key,
                                     std::u16string_view defaultValue) const {
  const std::u16string text = readSettings(fileOf(application));
  return iniValue(text, section, key).value_or(std::u16string(defaultValue));
}

void IniSettingsStore::save(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view value) {
  saveAll(application, {{std::u16string(section), std::u16string(key), std::u16string(value)}});
}

void IniSettingsStore::prepareSave(std::u16string_view application) const {
  const fs::path file = fileOf(application);
  checkFolderCanBeMade(file);
  readSettings(file);
}

void IniSettingsStore::saveAll(std::u16string_view application,
                               const std::vector<Setting>& settings) {
  writeSettings(fileOf(application), settings, nullptr, nullptr);
}

void SettingsChange::add(std::u16string_view application, IniSettingsStore::Setting setting) {
  if (!pending_.contains(application)) store_.prepareSave(application);
  pending_[std::u16string(application)].push_back(std::move(setting));
}

std::optional<std::u16string> SettingsChange::saved(std::u16string_view application,
                                                    std::u16string_view section,
                                                    std::u16string_view key) const {
  const auto it = pending_.find(application);
  if (it == pending_.end()) return std::nullopt;
  for (auto s = it->second.rbegin(); s != it->second.rend(); ++s) {
    if (equalsIgnoreAsciiCase(s->section, section) && equalsIgnoreAsciiCase(s->key, key)) {
      return s->value;
    }
  }
  return std::nullopt;
}

void SettingsChange::check(const CommitOptions&) {
  for (const auto& [application, settings] : pending_) store_.prepareSave(application);
}

void SettingsChange::commit(FileUndo& undo, const CommitOptions& options) {
  for (const auto& [application, settings] : pending_) {
    written_.push_back(writeSettings(store_.fileOf(application), settings, &undo, options.batch));
  }
}

void SettingsChange::discard() noexcept {
  pending_.clear();
  written_.clear();
}

}  // namespace velmo::file_host
