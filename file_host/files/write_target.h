#pragma once
// The checks made on a file before anything is written, and the targets that are not files to
// replace: a terminal, a pipe, a device or standard output is written into, never renamed over
// (which would put a plain file where the device or pipe was).

#include <filesystem>
#include <string_view>

#include "core/common/host_error.h"

namespace velmo::file_host {

// Refused because the file is write-protected; the caller may offer a way to write it anyway.
struct ReadOnlyFile : HostError {
  using HostError::HostError;
};

struct WriteTarget {
  std::filesystem::path path;
  // Not a regular file (or a standard stream by name): written into, not replaced.
  bool stream = false;
  // The descriptor a name like /dev/stdout or /dev/fd/3 stands for; -1 for a name to open.
  int descriptor = -1;
};

struct LockedFacts;

// What writing to `path` would mean. HostError naming the path when it is a folder (or ends in a
// separator), or when its folder is missing or cannot be written in. `known` (may be null): what
// a lock on `path` learned of it: a plain file by that name, whose folder is then looked at by
// the replace itself, before any file changes.
WriteTarget checkWriteTarget(const std::filesystem::path& path, const LockedFacts* known = nullptr);

// Writes `content` into a stream target; HostError naming it when that fails.
void writeIntoStream(const WriteTarget& target, std::string_view content);

// ReadOnlyFile naming `path` when the regular file it leads to is write-protected (no write
// permission bit, or no write access for this user), unless `allowed`. `what` says what it is:
// "page", "style sheet".
void checkNotReadOnly(const std::filesystem::path& path, std::u16string_view what, bool allowed,
                      const LockedFacts* known = nullptr);

}  // namespace velmo::file_host
