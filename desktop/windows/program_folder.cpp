#include <windows.h>

#include <string>

#include "desktop/program_folder.h"

namespace velmo::desktop {

// velmo.exe finds helptest.chm beside itself wherever it was installed (a folder on PATH).
std::u16string programFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return u".";
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);
  }
  const auto slash = name.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return u".";
  return std::u16string(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(slash));
}

}  // namespace velmo::desktop
