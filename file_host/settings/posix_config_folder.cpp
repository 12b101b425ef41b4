#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "file_host/settings/config_folder.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

std::optional<fs::path> userConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && fs::path(xdg).is_absolute()) {
    return fs::path(xdg);
  }
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".config";
  if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && *user->pw_dir) {
    return fs::path(user->pw_dir) / ".config";
  }
  return std::nullopt;
}

}  // namespace velmo::file_host
