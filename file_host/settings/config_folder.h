#pragma once
// The user's folder for configuration files: posix_config_folder.cpp or
// windows_config_folder.cpp, chosen by the build.

#include <filesystem>
#include <optional>

namespace velmo::file_host {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config (%APPDATA% on Windows); nothing
// when the user has no home folder.
std::optional<std::filesystem::path> userConfigFolder();

}  // namespace velmo::file_host
