#include "cli/ini_settings.h"

#include "cli/after_commit.h"
#include "common/host_error.h"
#include "common/text.h"

namespace velmo::cli {

std::u16string IniSettings::get(const std::u16string& application, const std::u16string& section,
                                const std::u16string& key, const std::u16string& fallback) {
  if (pending_) {
    if (const auto saved = pending_->find(application); saved != pending_->end()) {
      // The latest save of the key wins, as it would in the file.
      for (auto it = saved->second.rbegin(); it != saved->second.rend(); ++it) {
        if (equalsIgnoreAsciiCase(it->section, section) && equalsIgnoreAsciiCase(it->key, key)) {
          return it->value;
        }
      }
    }
  }
  return store().get(application, section, key, fallback);
}

void IniSettings::save(const std::u16string& application, const std::u16string& section,
                       const std::u16string& key, const std::u16string& value) {
  // What can be found out now fails the Save press, before the page is written.
  store().prepareSave(application);
  if (!pending_) {
    pending_ = std::make_shared<Pending>();
    holdUntilCommitted([pending = pending_, configDir = store().configDir()] {
      standalone::IniSettingsStore store(configDir);
      try {
        for (const auto& [app, settings] : *pending) store.saveAll(app, settings);
      } catch (const HostError& e) {
        throw HostError(e.hresult(), u"the page was written, but the settings were not saved: " +
                                         e.description());
      }
    });
  }
  (*pending_)[application].push_back({section, key, value});
}

standalone::IniSettingsStore& IniSettings::store() {
  if (!store_) store_.emplace(standalone::IniSettingsStore::defaultConfigDir());
  return *store_;
}

}  // namespace velmo::cli
