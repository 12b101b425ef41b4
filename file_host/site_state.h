#pragma once
// The site folder with its uncommitted changes: staged imports and created folders. The Web,
// Folder and File objects are views over it.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "file_host/files/temporary_file.h"

namespace velmo::file_host {

class FileUndo;
class WriteBatch;

class SiteState {
 public:
  struct Entry {
    std::u16string name;
    std::filesystem::path path;
  };

  // HostError when the folder does not exist. `planOnly`: nothing is created or written, but
  // every check is made and planned folders and imports are listed as if they were there.
  SiteState(const std::filesystem::path& root, bool planOnly = false, WriteBatch* batch = nullptr);

  const std::filesystem::path& root() const { return root_; }

  // The sub-folders and the files of a folder of the site, staged imports included, by name.
  std::vector<Entry> folders(const std::filesystem::path& folder) const;
  std::vector<Entry> files(const std::filesystem::path& folder) const;

  // Creates the folder; returns its path.
  std::filesystem::path addFolder(const std::filesystem::path& parent, std::u16string_view name);
  // Stages a copy of the disk file under its own name; returns the path it will have. Only a GIF
  // or JPEG file is taken (see picture_file.h); the copy gets the source's permission bits under
  // the umask (see staged_import.h).
  std::filesystem::path importFile(const std::filesystem::path& folder,
                                   std::u16string_view diskPath, bool overwrite);

  // Moves the staged imports into place; `undo` first keeps what each replaces and the folders
  // made for them.
  void commit(FileUndo& undo);
  void rollback() noexcept;
  bool changed() const { return !staged_.empty() || !created_.empty(); }
  std::vector<std::filesystem::path> stagedTargets() const;

  // "folder 'images/sub'", or "the site's root folder", for messages.
  std::u16string describe(const std::filesystem::path& folder) const;

 private:
  bool taken(const std::filesystem::path& path) const;
  bool planned(const std::filesystem::path& folder) const;

  std::filesystem::path root_;
  bool planOnly_ = false;
  WriteBatch* batch_ = nullptr;
  // target -> its staged copy (none when only planned)
  std::map<std::filesystem::path, TemporaryFile> staged_;
  std::vector<std::filesystem::path> created_;  // in creation order (planned only: not made)
};

}  // namespace velmo::file_host
