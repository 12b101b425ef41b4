#pragma once
// The hidden files an import writes beside its target before commit renames them into place.
//
// A staging file is named ".velmo-stage-" and 16 hex digits, whatever the picture is called, so
// that a picture whose name is near the longest a folder allows can still be staged. A run that
// is killed leaves its staging files behind; the next import into the same folder removes those
// older than a minute (a live run renames its own within moments of writing them). Staging files
// are also registered as temporary files, which a stopping signal removes.

#include <filesystem>
#include <string_view>
#include <vector>

namespace velmo::standalone {

// True for the name of a staging file (never listed as a file of the site).
bool isStagingName(const std::filesystem::path& name);

// A new staging file in `folder` holding `content`, created with the permission bits of
// `source` under the umask, as cp gives a new copy: never wider than the source, so a private
// picture stays private until the user opens it up. HostError naming `shownAs` on failure,
// with nothing left behind.
std::filesystem::path writeStagingFile(const std::filesystem::path& folder,
                                       std::string_view content,
                                       const std::filesystem::path& source,
                                       const std::filesystem::path& shownAs);

// Removes a staging file this process wrote. Never fails.
void removeStagingFile(const std::filesystem::path& staging) noexcept;
// Forgets a staging file that has been renamed into place.
void forgetStagingFile(const std::filesystem::path& staging) noexcept;

// Removes the staging files in `folder` that are older than a minute. Never fails.
void removeStaleStagingFiles(const std::filesystem::path& folder) noexcept;

}  // namespace velmo::standalone
