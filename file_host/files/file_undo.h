#pragma once
// The earlier content of files a commit replaces, kept until the commit as a whole succeeded, so
// that a commit failing midway can put every file back as it was.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmo::file_host {

class FileUndo {
 public:
  // Keeps what `path` holds now (or that there is no file), before it is replaced. HostError
  // when it exists and cannot be read: then it must not be replaced either.
  void remember(const std::filesystem::path& path);
  // A folder the commit created: removed again on restore when nothing else went into it.
  void rememberCreated(const std::filesystem::path& folder);
  // Puts every remembered file back, the latest first; what cannot be put back stays as it is.
  void restore() noexcept;
  // The commit succeeded: nothing to put back.
  void forget() noexcept { files_.clear(); }

 private:
  struct Earlier {
    std::filesystem::path path;
    std::optional<std::string> content;  // nothing: there was no file
    bool createdFolder = false;
  };
  std::vector<Earlier> files_;
};

}  // namespace velmo::file_host
