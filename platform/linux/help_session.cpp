#include <cstdlib>
#include <system_error>

#include "platform/linux/chm_help_viewer.h"
#include "platform/linux/private_folder.h"
#include "platform/linux/xdg_open.h"

namespace velmo::linux_help {
namespace fs = std::filesystem;
namespace {

bool hasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

bool openWithXdgOpen(const fs::path& file) {
  try {
    return linux_desktop::runXdgOpen(file.string()) == 0;
  } catch (const std::system_error&) {
    return false;
  }
}

ChmHelpViewer ChmHelpViewer::forThisSession(std::ostream& out, std::ostream& err, bool textOnly) {
  const auto presentation =
      !textOnly && hasDisplay() ? HelpPresentation::Browser : HelpPresentation::Terminal;
  fs::path cache;
  if (presentation == HelpPresentation::Browser) {
    try {
      cache = PrivateFolder::userHelpCache();
    } catch (const PrivateFolderError&) {
      // Told when a page is to be extracted; the terminal needs no folder.
    }
  }
  // "velmo" and "help" are both velmo's own folders.
  return ChmHelpViewer(out, err, presentation, openWithXdgOpen, cache, 2);
}

}  // namespace velmo::linux_help
