#pragma once
// The settings seam over the file host's INI store. The store's folder is looked up on
// first use, so commands that keep no settings run without a home folder.
//
// Saves join the page's transaction (SettingsChange, settings_store.h): they are written with
// the page and site, in one locked write per application, and put back should the page fail,
// so that a refused or failed command leaves the saved settings as they were and a command's
// keys are stored together. Until then get() answers with what this command saved. Without a
// page's run (no page open) a save is written at once.

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/platform/settings_store.h"
#include "file_host/settings/settings_store.h"

namespace velmo::cli {

class PageRun;

class IniSettings : public SettingsStore {
 public:
  explicit IniSettings(PageRun* run) : run_(run) {}
  std::u16string get(const std::u16string& application, const std::u16string& section,
                     const std::u16string& key, const std::u16string& fallback) override;
  void save(const std::u16string& application, const std::u16string& section,
            const std::u16string& key, const std::u16string& value) override;

 private:
  file_host::IniSettingsStore& store();

  PageRun* run_;
  std::optional<file_host::IniSettingsStore> store_;
  // Owned by the page's host, which outlives this object.
  file_host::SettingsChange* change_ = nullptr;
};

}  // namespace velmo::cli
