#pragma once
// Text and errors at the Win32 boundary. wchar_t is UTF-16 on Windows, so text is copied unit
// for unit; a failed call becomes a HostError with the system's code.

#include <windows.h>

#include <string>
#include <string_view>

#include "core/common/host_error.h"

namespace velmo::win {

inline std::wstring wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

inline std::u16string utf16(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

// A HostError for a Win32 error code (GetLastError or a returned status).
inline HostError win32Error(DWORD code, std::u16string description) {
  const HRESULT hr = code == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(code);
  return HostError(static_cast<std::int32_t>(hr), std::move(description));
}

inline HostError lastWin32Error(std::u16string description) {
  return win32Error(GetLastError(), std::move(description));
}

}  // namespace velmo::win
