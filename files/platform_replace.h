#pragma once
// What differs by system in replacing and writing files (for atomic_file.cpp and
// write_target.cpp): posix_replace.cpp or windows_replace.cpp, chosen by the build.

#include <filesystem>
#include <functional>
#include <string_view>

#include "files/atomic_file.h"

namespace velmo::standalone {

// Writes `content` to a new temporary file beside `target` (which is no link), makes it durable
// and renames it over `target`. Names `shownAs` in its errors: the path as the user gave it,
// which may be a link to `target`.
void writeAndReplace(const std::filesystem::path& target, std::string_view content,
                     const std::filesystem::path& shownAs, const ReplaceSteps& steps);

// Renames `from` over `to` (same folder) in one step; HostError naming `to` on failure.
void renameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// True when a rename would part the file from other names it has (hard links).
bool hasOtherNames(const std::filesystem::path& file);

// Saves a file that has other names so that all of them see the new content.
void saveWithOtherNames(const std::filesystem::path& file, std::string_view content,
                        const std::filesystem::path& shownAs, const ReplaceSteps& steps);

// A new file in `folder` named by `newName` (tried again when the name is taken) holding
// `content`, flushed to disk; on POSIX with the permission bits of `source` under the umask.
// HostError naming `shownAs` on failure, with nothing left behind.
std::filesystem::path writeNewStagingFile(const std::filesystem::path& folder,
                                          std::string_view content,
                                          const std::filesystem::path& source,
                                          const std::filesystem::path& shownAs,
                                          const std::function<std::filesystem::path()>& newName);

// 0 when new files can be made in `folder`, else the errno that says why not.
int folderRefusesNewFiles(const std::filesystem::path& folder);

// False when the file may not be written by this user although its permissions let others.
bool writableByThisUser(const std::filesystem::path& file);

}  // namespace velmo::standalone
