#pragma once
// The per-user settings store: texts under an application name, a section and a key.

#include <string>

namespace velmo {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // `fallback` when nothing is stored under the key.
  virtual std::u16string get(const std::u16string& application, const std::u16string& section,
                             const std::u16string& key, const std::u16string& fallback) = 0;
  // Replaces what was stored under the key.
  virtual void save(const std::u16string& application, const std::u16string& section,
                    const std::u16string& key, const std::u16string& value) = 0;
};

}  // namespace velmo
