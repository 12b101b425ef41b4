#pragma once
// The settings seam over the stand-alone host's INI store. The store's folder is looked up on
// first use, so commands that keep no settings run without a home folder.

#include <optional>

#include "platform/settings_store.h"
#include "standalone/settings_store.h"

namespace velmo::cli {

class IniSettings : public SettingsStore {
 public:
  std::u16string get(const std::u16string& application, const std::u16string& section,
                     const std::u16string& key, const std::u16string& fallback) override {
    return store().get(application, section, key, fallback);
  }
  void save(const std::u16string& application, const std::u16string& section,
            const std::u16string& key, const std::u16string& value) override {
    store().save(application, section, key, value);
  }

 private:
  standalone::IniSettingsStore& store() {
    if (!store_) store_.emplace(standalone::IniSettingsStore::defaultConfigDir());
    return *store_;
  }
  std::optional<standalone::IniSettingsStore> store_;
};

}  // namespace velmo::cli
