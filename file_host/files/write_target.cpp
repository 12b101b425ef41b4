#include "file_host/files/write_target.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>
#include <system_error>

#include "file_host/files/atomic_file.h"
#include "file_host/files/file_error.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/link_target.h"
#include "file_host/files/platform_replace.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

// The descriptor a name stands for: /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N. These
// lead through /proc to whatever the descriptor is, which may be a pipe with no usable name, or
// a file a shell opened for appending; writing to the descriptor itself is what the user meant.
int descriptorNamed(const fs::path& path) {
  const std::string name = path.generic_string();
  if (name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  for (std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (!name.starts_with(prefix)) continue;
    int fd = -1;
    const char* begin = name.data() + prefix.size();
    const char* end = name.data() + name.size();
    const auto [at, ec] = std::from_chars(begin, end, fd);
    if (ec == std::errc{} && at == end && begin != end) return fd;
  }
  return -1;
}

[[noreturn]] void isAFolder(const fs::path& path) {
  throw HostError(hr::kInvalidArg,
                  u"Cannot write " + quotedPath(path) + u": it is a folder, not a file name");
}

}  // namespace

WriteTarget checkWriteTarget(const fs::path& path, const LockedFacts* known) {
  if (known && known->known) {
    // A plain file by a name that is no link: only its folder may refuse, which making the new
    // file beside it, the first step of its replace, finds out with the same message.
    return WriteTarget{path, false, -1};
  }
  WriteTarget target{path, false, descriptorNamed(path)};
  if (target.descriptor >= 0) {
    target.stream = true;
    return target;
  }
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) isAFolder(path);
  if (!path.has_filename()) {
    // "out/" names a folder to write into, which a file never is.
    if (!fs::exists(status)) failOnFile(ENOENT, u"Cannot write", path);
    isAFolder(path);
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    target.stream = true;
    return target;
  }
  // The file is made (or replaced) in the folder its links lead to.
  fs::path folder = followLinks(path).parent_path();
  if (folder.empty()) folder = ".";
  const fs::file_status folderStatus = fs::status(folder, ec);
  if (!fs::exists(folderStatus)) {
    throw HostError(hr::kPathNotFound, u"Cannot write " + quotedPath(path) + u": its folder " +
                                           quotedPath(folder) + u" does not exist");
  }
  if (!fs::is_directory(folderStatus)) failOnFile(ENOTDIR, u"Cannot write", path);
  if (const int err = folderRefusesNewFiles(folder)) failOnFile(err, u"Cannot write", path);
  return target;
}

void checkNotReadOnly(const fs::path& path, std::u16string_view what, bool allowed,
                      const LockedFacts* known) {
  if (allowed) return;
  bool readOnly = false;
  if (known && known->known) {
    readOnly = (known->mode & 0222) == 0 || !writableByThisUser(path, known);
  } else {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::is_regular_file(status)) return;
    using fs::perms;
    readOnly = (status.permissions() &
                (perms::owner_write | perms::group_write | perms::others_write)) == perms::none;
    if (!readOnly && !writableByThisUser(path)) readOnly = true;
  }
  if (readOnly) {
    throw ReadOnlyFile(hr::kAccessDenied, u"The " + std::u16string(what) + u" " + quotedPath(path) +
                                              u" is read-only (write-protected); it was left "
                                              u"as it is");
  }
}

}  // namespace velmo::file_host
