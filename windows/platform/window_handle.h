#pragma once
// The core's 32-bit window handles and HWND. Window handles keep their value in the low 32 bits
// on 64-bit Windows too (they are shared with 32-bit processes), sign-extended to the pointer.

#include <windows.h>

#include <cstdint>

#include "core/platform/html_help.h"

namespace velmo::win {

inline WindowHandle toWindowHandle(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

inline HWND toHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(window)));
}

}  // namespace velmo::win
