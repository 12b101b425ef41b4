// The Windows halves of velmo.exe's help viewer: the desktop is a visible window station, and the
// browser is the shell's "open" of the extracted page.

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <cstdint>

#include "desktop/chm_help_viewer.h"

namespace velmo::desktop {

// A desktop the user sees: not a service's or a scheduled task's hidden window station.
bool hasDisplay() {
  USEROBJECTFLAGS flags{};
  return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   nullptr) &&
         (flags.dwFlags & WSF_VISIBLE);
}

bool openInBrowser(const std::filesystem::path& file) {
  const auto answer = reinterpret_cast<std::intptr_t>(
      ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return answer > 32;
}

}  // namespace velmo::desktop
