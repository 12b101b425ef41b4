#pragma once
// Where a name that may be a symbolic link really leads.

#include <filesystem>

namespace velmo::file_host {

// The file `path` leads to once every symbolic link on the way is followed (a link to a link,
// a link relative to its own folder). A save writes there, so that a link stays a link. A
// dangling link gives the missing file it names, which a save then creates, as copying onto
// it would. HostError naming `path` for a loop of links.
std::filesystem::path followLinks(const std::filesystem::path& path);

}  // namespace velmo::file_host
