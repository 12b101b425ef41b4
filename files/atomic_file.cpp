#include "files/atomic_file.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include "common/host_error.h"
#include "common/text.h"
#include "files/file_error.h"
#include "files/large_pages.h"
#include "files/link_target.h"
#include "files/platform_replace.h"

namespace velmo::standalone {
namespace fs = std::filesystem;

std::u16string quotedPath(const fs::path& path) {
  return u"'" + pathToText(path) + u"'";
}

std::string readFile(const fs::path& path, std::size_t spare) {
  recoverInterruptedSave(path);
  std::error_code ec;
  const fs::file_type type = fs::status(path, ec).type();
  if (type == fs::file_type::directory) failOnFile(EISDIR, u"Cannot read", path);
  // A pipe or a device would block or never end; only a plain file is read.
  if (!ec && type != fs::file_type::regular) {
    throw HostError(hr::kInvalidData, u"Cannot read '" + pathToText(path) + u"': not a plain file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) failOnFile(errno ? errno : ENOENT, u"Cannot read", path);
  std::string content;
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size > 0) {
    content.reserve(static_cast<std::size_t>(size) + spare);
    if (content.capacity() >= (std::size_t{8} << 20)) {
      preferLargePages(content.data(), content.capacity());
    }
    content.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(content.data(), size);
  }
  if (!in) failOnFile(errno ? errno : EIO, u"Cannot read", path);
  return content;
}

void writeFileAtomically(const fs::path& target, std::string_view content,
                         const ReplaceSteps& steps) {
  const fs::path file = followLinks(target);
  if (hasOtherNames(file)) {
    saveWithOtherNames(file, content, target, steps);
    return;
  }
  writeAndReplace(file, content, target, steps);
}

void moveFileReplacing(const fs::path& from, const fs::path& to) {
  const fs::path file = followLinks(to);
  if (file == to && !hasOtherNames(file)) {
    renameOver(from, to);
    return;
  }
  // The file behind the link, or every name of it, takes the new content; `from` may lie in
  // another folder or on another disk than that file.
  writeFileAtomically(to, readFile(from));
  std::error_code ec;
  fs::remove(from, ec);
}

}  // namespace velmo::standalone
