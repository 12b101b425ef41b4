#pragma once
// The per-user settings store of the page host over files: one INI file per application,
// <config>/velmo/<application>.ini, replaced atomically on every save. Sections and keys compare
// ignoring ASCII case, as in the Windows store; values come back exactly as saved.
//
// A save reads the file, changes it and writes it back while holding its lock (locked_file.h),
// so that programs saving at the same time never lose each other's keys; the file is only ever
// read whole and replaced whole.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_host/files/locked_file.h"
#include "file_host/files/transaction.h"

namespace velmo::file_host {

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

  struct Setting {
    std::u16string section;
    std::u16string key;
    std::u16string value;
  };
  // Stores all the texts in one write, so that a reader sees all of them or none.
  void saveAll(std::u16string_view application, const std::vector<Setting>& settings);

  const std::filesystem::path& configDir() const { return configDir_; }

  // What saveAll() would fail on before it writes, found without creating or writing anything:
  // the name and the file as it reads now. Lets a caller that holds its saves back refuse them
  // early.
  void prepareSave(std::u16string_view application) const;

  // Where the application's settings live; HostError for a name that is not a plain file name.
  std::filesystem::path fileOf(std::u16string_view application) const;

 private:
  std::filesystem::path configDir_;
};

// The saves of one command, held as a part of its transaction (transaction.h): checked with the
// page, written just before it, and put back (file and created folders) should the page still
// fail. Each application's keys go into its file in one locked write.
class SettingsChange : public TransactionPart {
 public:
  explicit SettingsChange(IniSettingsStore store) : store_(std::move(store)) {}

  void add(std::u16string_view application, IniSettingsStore::Setting setting);
  // The value this change gives the key (the latest save of it); nothing when it saved none.
  std::optional<std::u16string> saved(std::u16string_view application, std::u16string_view section,
                                      std::u16string_view key) const;

  bool changes() const override { return !pending_.empty(); }
  void check(const CommitOptions& options) override;
  void commit(FileUndo& undo, const CommitOptions& options) override;
  void discard() noexcept override;

 private:
  IniSettingsStore store_;
  std::map<std::u16string, std::vector<IniSettingsStore::Setting>, std::less<>> pending_;
  std::vector<LockedFile> written_;  // locked until the transaction ends
};

}  // namespace velmo::file_host
