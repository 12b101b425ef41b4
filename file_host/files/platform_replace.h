#pragma once
// What differs by system in writing files beside others and putting them in place (for
// atomic_file.cpp, staged_import.cpp, write_target.cpp and the settings store): posix_replace.cpp
// or windows_replace.cpp, chosen by the build. The steps themselves are written once, on
// TemporaryFile (temporary_file.h).

#include <filesystem>
#include <string_view>

#include "file_host/files/atomic_file.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/temporary_file.h"

namespace velmo::file_host {

// The one replace step of both systems (atomic_file.cpp): writes `content` to a new temporary
// file beside `target` (which is no link), makes it durable and renames it over `target`. Names
// `shownAs` in its errors: the path as the user gave it, which may be a link to `target`.
void writeAndReplace(const std::filesystem::path& target, std::string_view content,
                     const std::filesystem::path& shownAs, const ReplaceSteps& steps);

// Gives the new file what the file it replaces has and a save keeps: on POSIX its owner and
// group (where allowed) and its permission bits, else the bits a new file gets under the umask;
// on Windows nothing (the read-only attribute is kept by TemporaryFile::renameOver). `known`
// (may be null): what was seen of the target already; `file` was made with
// creationModeFor(known). 0 or an errno.
int carryOverAttributes(const std::filesystem::path& target, TemporaryFile& file,
                        const LockedFacts* known = nullptr);

// The permission bits to make the new file for a target with: on POSIX the target's own when it
// belongs to this user and the umask leaves them whole, so that carryOverAttributes has nothing
// left to do; else 0600, private until its bits are set.
unsigned creationModeFor(const LockedFacts* known);

// A lock on the new file, taken before it gets the target's name so that it stays locked across
// the rename (POSIX: the file's own descriptor, which the lock then owns and keeps open); on
// Windows the lock belongs to the name and this holds nothing.
FileLock lockNewFile(TemporaryFile& file);

// The permission bits a copy of `source` is created with (the umask then applies), as cp gives
// a new copy; 0 on Windows. HostError naming `source` when it cannot be looked at.
unsigned copyModeOf(const std::filesystem::path& source);

// True when a rename would part the file from other names it has (hard links).
bool hasOtherNames(const std::filesystem::path& file);

// Saves a file that has other names so that all of them see the new content.
void saveWithOtherNames(const std::filesystem::path& file, std::string_view content,
                        const std::filesystem::path& shownAs, const ReplaceSteps& steps);

// 0 when new files can be made in `folder`, else the errno that says why not.
int folderRefusesNewFiles(const std::filesystem::path& folder);

// False when the file may not be written by this user although its permissions let others.
// `known` (may be null): what was seen of it already; the file's owner writing it needs no
// further look.
bool writableByThisUser(const std::filesystem::path& file, const LockedFacts* known = nullptr);

}  // namespace velmo::file_host
