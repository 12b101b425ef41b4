#include "cli/ini_settings.h"

#include "cli/page_run.h"
#include "common/host_error.h"
#include "common/text.h"
#include "site/standalone_host.h"

namespace velmo::cli {

std::u16string IniSettings::get(const std::u16string& application, const std::u16string& section,
                                const std::u16string& key, const std::u16string& fallback) {
  if (change_) {
    if (auto saved = change_->saved(application, section, key)) return *saved;
  }
  return store().get(application, section, key, fallback);
}

void IniSettings::save(const std::u16string& application, const std::u16string& section,
                       const std::u16string& key, const std::u16string& value) {
  if (!run_) {
    store().save(application, section, key, value);
    return;
  }
  if (!change_) {
    auto change = std::make_unique<standalone::SettingsChange>(store());
    change_ = change.get();
    run_->host().join(std::move(change));
  }
  // What can be found out now fails the Save press, before the page is written.
  change_->add(application, {section, key, value});
}

standalone::IniSettingsStore& IniSettings::store() {
  if (!store_) store_.emplace(standalone::IniSettingsStore::defaultConfigDir());
  return *store_;
}

}  // namespace velmo::cli
