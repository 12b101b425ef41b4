#pragma once
// The settings seam over the stand-alone host's INI store. The store's folder is looked up on
// first use, so commands that keep no settings run without a home folder.
//
// Saves are held until the command's page and site are written (after_commit.h) and then stored
// in one locked write per application, so that a refused or failed command leaves the saved
// settings as they were and a command's keys are stored together. Until then get() answers with
// what this command saved.

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/linux/settings_store.h"
#include "platform/settings_store.h"

namespace velmo::cli {

class IniSettings : public SettingsStore {
 public:
  std::u16string get(const std::u16string& application, const std::u16string& section,
                     const std::u16string& key, const std::u16string& fallback) override;
  void save(const std::u16string& application, const std::u16string& section,
            const std::u16string& key, const std::u16string& value) override;

 private:
  using Pending = std::map<std::u16string, std::vector<standalone::IniSettingsStore::Setting>>;

  standalone::IniSettingsStore& store();

  std::optional<standalone::IniSettingsStore> store_;
  // Shared with the held write, which outlives this object.
  std::shared_ptr<Pending> pending_;
};

}  // namespace velmo::cli
