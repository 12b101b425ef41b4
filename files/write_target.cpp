#include "files/write_target.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/link_target.h"
#ifndef _WIN32
#include "files/posix_file.h"
#endif

namespace velmo::standalone {
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

WriteTarget checkWriteTarget(const fs::path& path) {
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
#ifndef _WIN32
  if (::access(folder.c_str(), W_OK | X_OK) != 0) failOnFile(errno, u"Cannot write", path);
#endif
  return target;
}

void writeIntoStream(const WriteTarget& target, std::string_view content) {
#ifdef _WIN32
  std::FILE* stream = target.descriptor == 2 ? stderr : stdout;
  if (target.descriptor < 0) stream = _wfopen(target.path.c_str(), L"wb");
  if (!stream) failOnFile(errno, u"Cannot write", target.path);
  const bool ok = std::fwrite(content.data(), 1, content.size(), stream) == content.size() &&
                  std::fflush(stream) == 0;
  const int err = errno;
  if (target.descriptor < 0) std::fclose(stream);
  if (!ok) failOnFile(err ? err : EIO, u"Cannot write", target.path);
#else
  // What else went to standard output first stays in front of the page.
  std::fflush(nullptr);
  UniqueFd opened;
  int fd = target.descriptor;
  if (fd < 0) {
    // Blocks for a pipe until someone reads it, as writing to a pipe does.
    opened = UniqueFd(::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!opened) failOnFile(errno, u"Cannot write", target.path);
    fd = opened.get();
  }
  int err = writeAll(fd, content);
  if (const int closed = opened.close(); !err) err = closed;
  if (err) failOnFile(err, u"Cannot write", target.path);
#endif
}

void checkNotReadOnly(const fs::path& path, std::u16string_view what, bool allowed) {
  if (allowed) return;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::is_regular_file(status)) return;
  using fs::perms;
  bool readOnly = (status.permissions() &
                   (perms::owner_write | perms::group_write | perms::others_write)) == perms::none;
#ifndef _WIN32
  // Writable for someone, but not for this user: replacing it would still be allowed by its
  // folder, and would overrule the file's owner.
  if (!readOnly && ::access(path.c_str(), W_OK) != 0 && errno == EACCES) readOnly = true;
#endif
  if (readOnly) {
    throw ReadOnlyFile(hr::kAccessDenied, u"The " + std::u16string(what) + u" " + quotedPath(path) +
                                              u" is read-only (write-protected); it was left "
                                              u"as it is");
  }
}

}  // namespace velmo::standalone
