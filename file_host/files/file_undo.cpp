#include "file_host/files/file_undo.h"

#include <system_error>

#include "file_host/files/atomic_file.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

void FileUndo::remember(const fs::path& path) {
  std::error_code ec;
  Earlier earlier{path, std::nullopt};
  if (fs::exists(fs::symlink_status(path, ec))) earlier.content = readFile(path);
  files_.push_back(std::move(earlier));
}

void FileUndo::rememberCreated(const fs::path& folder) {
  files_.push_back({folder, std::nullopt, true});
}

void FileUndo::restore() noexcept {
  for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
    try {
      if (it->createdFolder) {
        std::error_code ec;
        fs::remove(it->path, ec);  // only when empty
      } else if (it->content) {
        writeFileAtomically(it->path, *it->content);
      } else {
        std::error_code ec;
        fs::remove(it->path, ec);
      }
    } catch (...) {
      // Left as the failed commit made it; the error that caused the undo is what is reported.
    }
  }
  files_.clear();
}

}  // namespace velmo::file_host
