#pragma once
// The per-user settings store in the registry, where classic GetSetting/SaveSetting code keeps
// it: HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one REG_SZ
// value per key. Schemes saved by earlier builds of the library therefore load.

#include <string>

#include "core/platform/settings_store.h"

namespace velmo::win {

class RegistrySettingsStore : public SettingsStore {
 public:
  // `fallback` when the section or the key does not exist, or holds no text.
  std::u16string get(const std::u16string& application, const std::u16string& section,
                     const std::u16string& key, const std::u16string& fallback) override;
  void save(const std::u16string& application, const std::u16string& section,
            const std::u16string& key, const std::u16string& value) override;
};

// The key under HKEY_CURRENT_USER that holds a section's values.
std::wstring settingsKeyPath(const std::u16string& application, const std::u16string& section);

}  // namespace velmo::win
