#include "platform/linux/settings_store.h"

#include <cstdlib>
#include <system_error>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include "common/host_error.h"
#include "common/text.h"
#include "files/atomic_file.h"
#include "files/sidecar_lock.h"
#include "platform/linux/ini_text.h"

namespace velmo::standalone {
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

void createFolderOf(const fs::path& file) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (ec) {
    throw HostError(hr::kAccessDenied, u"Cannot create the settings folder " +
                                           quotedPath(file.parent_path()) + u": " +
                                           pathToText(fs::path(ec.message())));
  }
}

}  // namespace

IniSettingsStore::IniSettingsStore(fs::path configDir) : configDir_(std::move(configDir)) {}

fs::path IniSettingsStore::defaultConfigDir() {
#ifdef _WIN32
  if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData) return fs::path(appData);
#else
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && fs::path(xdg).is_absolute()) {
    return fs::path(xdg);
  }
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".config";
  if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && *user->pw_dir) {
    return fs::path(user->pw_dir) / ".config";
  }
#endif
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
  createFolderOf(file);
  readSettings(file);
}

void IniSettingsStore::saveAll(std::u16string_view application,
                               const std::vector<Setting>& settings) {
  const fs::path file = fileOf(application);
  createFolderOf(file);
  const SidecarLock lock(file);
  std::u16string text = readSettings(file);
  for (const Setting& setting : settings) {
    text = withIniValue(text, setting.section, setting.key, setting.value);
  }
  writeFileAtomically(file, utf16ToUtf8(text));
}

}  // namespace velmo::standalone
