#pragma once
// A settings store that lives as long as the object: for tests and for runs that keep nothing.

#include <map>
#include <string>
#include <tuple>

#include "core/platform/settings_store.h"

namespace velmo {

class MemorySettingsStore : public SettingsStore {
 public:
  std::u16string get(const std::u16string& application, const std::u16string& section,
                     const std::u16string& key, const std::u16string& fallback) override {
    const auto found = values_.find({application, section, key});
    return found == values_.end() ? fallback : found->second;
  }
  void save(const std::u16string& application, const std::u16string& section,
            const std::u16string& key, const std::u16string& value) override {
    values_[{application, section, key}] = value;
  }

 private:
  std::map<std::tuple<std::u16string, std::u16string, std::u16string>, std::u16string> values_;
};

}  // namespace velmo
