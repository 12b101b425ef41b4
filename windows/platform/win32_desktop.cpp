#include "windows/platform/win32_desktop.h"

#include <windows.h>

#include <shellapi.h>

#include "windows/platform/win_text.h"

namespace velmo::win {
namespace {

// One user-interface thread sets and reads it (the library is apartment-threaded).
bool waitShown = false;

}  // namespace

bool Win32FileProbe::canOpenForReading(const std::u16string& path) {
  const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::intptr_t ShellExecuteShell::open(const std::u16string& address) {
  const HINSTANCE answer = ShellExecuteW(GetActiveWindow(), L"open", wide(address).c_str(), nullptr,
                                         nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<std::intptr_t>(answer);
}

void Win32WaitCursor::setWait(bool wait) {
  waitShown = wait;
  SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

bool waitCursorShown() {
  return waitShown;
}

}  // namespace velmo::win
