#pragma once
// Reading and atomically replacing files of the page and the site.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmo::standalone {

// The whole file as bytes; HostError naming the file when it cannot be read. `spare` bytes of
// room are kept behind the content, so that growing it a little does not move it.
std::string readFile(const std::filesystem::path& path, std::size_t spare = 0);

// What tells one version of a file from another without reading it: which file the name leads
// to, its size and its times. A file rewritten in place within the same clock tick with the same
// size goes unnoticed.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds
  std::int64_t changed = 0;   // nanoseconds (status change; 0 where there is none)
  bool operator==(const FileStamp&) const = default;
};
// Nothing when there is no file by that name.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// Writes `content` to a temporary file in the target's folder, flushes it to disk and renames it
// over the target, so that a reader sees either the old or the new file and never a part.
// An existing target keeps its permission bits. HostError naming the file on any failure; the
// target is then left as it was and the temporary file is removed.
void writeFileAtomically(const std::filesystem::path& target, std::string_view content);

// Copies a file in the same way (used to bring a picture into the site).
void copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target);

// Renames `from` over `to` in one step (both in the same folder) and makes the rename durable.
// HostError naming `to` on failure; `from` is then left where it was.
void moveFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// A path as the core sees it, and back.
std::u16string pathToText(const std::filesystem::path& path);
std::filesystem::path textToPath(std::u16string_view text);

}  // namespace velmo::standalone
