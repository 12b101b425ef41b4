#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include "platform/linux/chm_help_viewer.h"
#include "platform/linux/private_folder.h"

namespace velmo::linux_help {
namespace fs = std::filesystem;
namespace {

// A desktop the user sees: not a service's or a scheduled task's hidden window station.
bool hasDesktop() {
  USEROBJECTFLAGS flags{};
  return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   nullptr) &&
         (flags.dwFlags & WSF_VISIBLE);
}

}  // namespace

// The default browser, through the shell's "open" of the extracted page.
bool openWithXdgOpen(const fs::path& file) {
  const auto answer = reinterpret_cast<std::intptr_t>(
      ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return answer > 32;
}

ChmHelpViewer ChmHelpViewer::forThisSession(std::ostream& out, std::ostream& err, bool textOnly) {
  const auto presentation =
      !textOnly && hasDesktop() ? HelpPresentation::Browser : HelpPresentation::Terminal;
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
