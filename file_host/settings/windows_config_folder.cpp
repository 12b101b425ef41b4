#include <cstdlib>

#include "file_host/settings/config_folder.h"

namespace velmo::file_host {

std::optional<std::filesystem::path> userConfigFolder() {
  if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData) {
    return std::filesystem::path(appData);
  }
  return std::nullopt;
}

}  // namespace velmo::file_host
