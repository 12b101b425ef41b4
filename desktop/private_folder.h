#pragma once
// A folder only this user can reach, for the help pages the browser opens: velmo writes them
// there and the browser reads them after velmo has ended. Nothing in it is reached through a
// symbolic link, and a file is replaced by renaming a new one over it, so nobody else can
// plant a name that makes velmo write elsewhere.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmo::desktop {

class PrivateFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PrivateFolder {
 public:
  // Opens `folder`, creating it and the folders on the way that are missing (mode 0700). The
  // last `ownLevels` parts of the path must be real folders (no symbolic links) owned by this
  // user; their mode is narrowed to 0700. PrivateFolderError otherwise.
  PrivateFolder(const std::filesystem::path& folder, int ownLevels);
  ~PrivateFolder();

  // The help cache of this user: $XDG_CACHE_HOME/velmo/help, else ~/.cache/velmo/help.
  static std::filesystem::path userHelpCache();

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to `relative` (parts separated by "/", no "." or ".." parts) below the
  // folder, creating private sub-folders; an existing file is replaced whole. Returns the path.
  std::filesystem::path write(std::string_view relative, std::string_view bytes) const;

 private:
  // What the system's half holds open of the folder while it lives (on Linux the descriptor
  // every write starts from, so that no link put in a path above can lead it elsewhere).
  struct Opened;

  std::filesystem::path path_;
  std::unique_ptr<Opened> opened_;
};

}  // namespace velmo::desktop
