#pragma once
// Read access to a compiled HTML Help file (libchm): its pages, the context-id table and the
// names of its contents, index and default pages.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct chmFile;

namespace velmo::desktop {

struct ChmSystemInfo {
  std::string title;
  std::string contentsFile;  // archive paths, with the leading "/"
  std::string indexFile;
  std::string defaultTopic;
};

// A help file that cannot be read or is damaged; what() says which, naming the file.
class HelpFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ChmArchive {
 public:
  // The file's bytes are checked (chm_layout.h) and libchm reads that checked copy, never the
  // file again. HelpFileError when the file cannot be read or is damaged.
  static std::unique_ptr<ChmArchive> open(const std::filesystem::path& file);
  // The same for a help file's bytes (the fuzz target); `name` is the file's name for messages.
  static std::unique_ptr<ChmArchive> fromBytes(std::string_view bytes, const std::string& name);
  // Takes ownership of an open archive.
  explicit ChmArchive(chmFile* handle) : handle_(handle) {}

  // The object's bytes; nothing when the archive has no such object.
  std::optional<std::string> read(const std::string& objectPath);
  // The page mapped to a context id through the #IVB and #STRINGS tables.
  std::optional<std::string> topicOf(std::uint32_t contextId);
  // Every context id with its page, in table order.
  std::vector<std::pair<std::uint32_t, std::string>> contextTable();
  ChmSystemInfo systemInfo();
  // The content files (pages, pictures, style sheets), without the archive's own tables.
  std::vector<std::string> contentFiles();

 private:
  struct Closer {
    void operator()(chmFile* handle) const;
  };
  std::unique_ptr<chmFile, Closer> handle_;
};

// "/a.htm" for "a.htm"; archive paths always start at the root.
std::string archivePath(std::string_view name);

}  // namespace velmo::desktop
