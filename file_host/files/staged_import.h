#pragma once
// The copy an import writes beside its target before commit puts it in place: a TemporaryFile
// (temporary_file.h), so a stop removes it, a killed run's copy is swept by the next write into
// the folder, and its name is never taken for a file of the site.

#include <filesystem>
#include <string_view>

#include "file_host/files/temporary_file.h"

namespace velmo::file_host {

class WriteBatch;

// A new copy of `source` (whose bytes are `content`) in `folder`, made durable, created with the
// permission bits of `source` under the umask, as cp gives a new copy: never wider than the
// source, so a private picture stays private until the user opens it up. HostError naming
// `shownAs` on failure, with nothing left behind.
TemporaryFile stageCopy(const std::filesystem::path& folder, std::string_view content,
                        const std::filesystem::path& source, const std::filesystem::path& shownAs,
                        WriteBatch* batch = nullptr);

}  // namespace velmo::file_host
