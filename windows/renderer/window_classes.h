#pragma once
// The renderer's window classes, registered in a module for as long as an owner of this object
// lives (several owners, of any threads, share one registration), and the common controls they
// use.

#include <windows.h>

namespace velmo::win {

class WindowClasses {
 public:
  explicit WindowClasses(HINSTANCE module);
  ~WindowClasses();
  WindowClasses(const WindowClasses&) = delete;
  WindowClasses& operator=(const WindowClasses&) = delete;

  // True for the top-level window of a form.
  bool isForm(HWND window) const;

 private:
  HINSTANCE module_;
};

// True for the top-level window of a form whose class `module` registered.
bool isFormWindow(HWND window, HINSTANCE module);

}  // namespace velmo::win
