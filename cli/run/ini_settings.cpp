#include "cli/run/ini_settings.h"

#include "cli/run/page_run.h"
#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/file_host.h"

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
    auto change = std::make_unique<file_host::SettingsChange>(store());
    change_ = change.get();
    run_->host().join(std::move(change));
  }
  // What can be found out now fails the Save press, before the page is written.
  change_->add(application, {section, key, value});
}

file_host::IniSettingsStore& IniSettings::store() {
  if (!store_) store_.emplace(file_host::IniSettingsStore::defaultConfigDir());
  return *store_;
}

}  // namespace velmo::cli
