// The Linux halves of the help viewer: the desktop is the X or Wayland display, and the browser is
// whatever xdg-open starts.

#include <cstdlib>
#include <system_error>

#include "desktop/chm_help_viewer.h"
#include "desktop/xdg_open.h"

namespace velmo::desktop {

bool hasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

bool openInBrowser(const std::filesystem::path& file) {
  try {
    return desktop::runXdgOpen(file.string()) == 0;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace velmo::desktop
