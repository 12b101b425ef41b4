#pragma once
// The per-user settings store of the stand-alone host: one INI file per application,
// <config>/velmo/<application>.ini, replaced atomically on every save. Sections and keys compare
// ignoring ASCII case, as in the Windows store; values come back exactly as saved.

#include <filesystem>
#include <string>
#include <string_view>

namespace velmo::standalone {

class IniSettingsStore {
 public:
  explicit IniSettingsStore(std::filesystem::path configDir);

  // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config (%APPDATA% on Windows).
  // HostError when there is no home folder.
  static std::filesystem::path defaultConfigDir();

  // The stored text, or `defaultValue` when the file, the section or the key is missing.
  // HostError when the file exists but cannot be read or is not UTF-8.
  std::u16string get(std::u16string_view application, std::u16string_view section,
                     std::u16string_view key, std::u16string_view defaultValue) const;

  // Stores the text, replacing what was there. HostError when the file cannot be written.
  void save(std::u16string_view application, std::u16string_view section, std::u16string_view key,
            std::u16string_view value);

  // Where the application's settings live; HostError for a name that is not a plain file name.
  std::filesystem::path fileOf(std::u16string_view application) const;

 private:
  std::filesystem::path configDir_;
};

}  // namespace velmo::standalone
