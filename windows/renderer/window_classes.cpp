#include "windows/renderer/window_classes.h"

#include <commctrl.h>

#include <map>
#include <mutex>

#include "windows/platform/win_text.h"
#include "windows/renderer/control_windows.h"
#include "windows/renderer/form_window.h"

namespace velmo::win {
namespace {

constexpr const wchar_t* kClassNames[] = {kFormClass, kContainerClass, kScrollerClass,
                                          kUserControlClass};

// Owners per module, of every thread; window classes belong to the process.
std::map<HINSTANCE, int>& users() {
  static std::map<HINSTANCE, int> counts;
  return counts;
}
std::mutex& usersLock() {
  static std::mutex lock;
  return lock;
}

void registerClasses(HINSTANCE module) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  for (const wchar_t* name : kClassNames) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &FormWindow::windowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      throw lastWin32Error(u"The window class " + utf16(name) + u" cannot be registered");
    }
  }
}

}  // namespace

WindowClasses::WindowClasses(HINSTANCE module) : module_(module) {
  const std::lock_guard<std::mutex> hold(usersLock());
  if (users()[module_] == 0) registerClasses(module_);
  ++users()[module_];
}

WindowClasses::~WindowClasses() {
  const std::lock_guard<std::mutex> hold(usersLock());
  if (--users()[module_] > 0) return;
  users().erase(module_);
  for (const wchar_t* name : kClassNames) UnregisterClassW(name, module_);
}

bool WindowClasses::isForm(HWND window) const {
  return isFormWindow(window, module_);
}

bool isFormWindow(HWND window, HINSTANCE module) {
  wchar_t name[32] = {};
  return GetClassNameW(window, name, 32) > 0 && std::wstring_view(name) == kFormClass &&
         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)) == module;
}

}  // namespace velmo::win
