#pragma once
// Reading and atomically replacing files of the page and the site.

#include <filesystem>
#include <string>
#include <string_view>

namespace velmo::standalone {

// The whole file as bytes; HostError naming the file when it cannot be read.
std::string readFile(const std::filesystem::path& path);

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
