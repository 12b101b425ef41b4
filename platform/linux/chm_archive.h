#pragma once
// Read access to a compiled HTML Help file (libchm): its pages, the context-id table and the
// names of its contents, index and default pages.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct chmFile;

namespace velmo::linux_help {

struct ChmSystemInfo {
  std::string title;
  std::string contentsFile;  // archive paths, with the leading "/"
  std::string indexFile;
  std::string defaultTopic;
};

class ChmArchive {
 public:
  // Nothing when the file is missing or is no help file.
  static std::unique_ptr<ChmArchive> open(const std::filesystem::path& file);
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

}  // namespace velmo::linux_help
