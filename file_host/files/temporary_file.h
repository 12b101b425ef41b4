#pragma once
// The one primitive behind every file velmo makes beside another: the new text of a page or
// style sheet waiting for its rename, a staged import, a journal being written. Each is a new
// file made exclusively in its folder under one naming scheme (".velmo-" and 16 hex digits, short
// enough for a target whose name is as long as names can be), registered so that a stopping
// signal removes it (temporary_files.h), flushed on request, and then renamed into place or
// removed; the object removes it when it goes without either.
//
// A run that is killed leaves such files behind. They are swept when their folder is next
// written (sweepStaleTemporaries), once older than a minute: a live run renames or removes its
// own within moments of writing them, and never sweeps one it registered itself.
//
// What differs by system (creating, writing, flushing, renaming) is in posix_temporary_file.cpp
// and windows_temporary_file.cpp; the naming and the sweep are in temporary_file.cpp.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <utility>

#include "file_host/files/native_file.h"

namespace velmo::file_host {

class TemporaryFile {
 public:
  using NativeFile = file_host::NativeFile;
  static constexpr NativeFile kNoFile = kNoNativeFile;

  // A new file in `folder`, open for writing; on POSIX with the permission bits `mode` under the
  // umask. HostError "Cannot write 'SHOWN': REASON" naming `shownAs` when none can be made.
  static TemporaryFile createIn(const std::filesystem::path& folder,
                                const std::filesystem::path& shownAs, unsigned mode = 0600);

  TemporaryFile() = default;
  TemporaryFile(TemporaryFile&& other) noexcept;
  TemporaryFile& operator=(TemporaryFile&& other) noexcept;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  // Removes the file unless it was renamed into place.
  ~TemporaryFile();

  const std::filesystem::path& path() const { return path_; }
  explicit operator bool() const { return !path_.empty(); }

  // Each returns 0, or the errno of the failure.
  int write(std::string_view content);
  // Makes what was written durable.
  int flush();
  // Closes the open file; the file itself stays, still temporary.
  int close();
  // The open file, which the caller may use (permissions, a lock) but not close.
  NativeFile native() const { return file_; }
  // The open file, handed to the caller, who closes it (POSIX: a lock kept open across the
  // rename); the file itself stays temporary until it is renamed or removed.
  NativeFile handOver() { return std::exchange(file_, kNoFile); }
  // Renames it over `target`, in the same folder, in one step; from then on it is `target` and
  // no longer temporary. The open file is closed first.
  int renameOver(const std::filesystem::path& target);

  // Removes it now (nothing when there is none).
  void remove() noexcept;

 private:
  TemporaryFile(std::filesystem::path path, NativeFile file)
      : path_(std::move(path)), file_(file) {}
  void closeQuietly() noexcept;

  std::filesystem::path path_;
  NativeFile file_ = kNoFile;
  std::uint64_t written_ = 0;  // where the next write goes
};

// A new name of the scheme, in `folder`: ".velmo-" and 16 hex digits.
std::filesystem::path newTemporaryName(const std::filesystem::path& folder);

// True for a name of the scheme, and for the names earlier versions gave such files
// (".velmo-" and six letters or digits, ".velmo-stage-…", ".NAME.velmo-journal.part"):
// never listed as files of the site, and swept as stale.
bool isTemporaryName(const std::filesystem::path& name);

// Removes the files of `folder` with temporary names that are older than a minute and not this
// process's own. Never fails.
void sweepStaleTemporaries(const std::filesystem::path& folder) noexcept;

}  // namespace velmo::file_host
