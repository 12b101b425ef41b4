#pragma once
// The FormPresenter of Windows: forms as real windows. A modal show runs its own message loop
// inside the calling method, with the caller's active top-level window as owner (disabled while
// the form is up), and returns when the form is unloaded or hidden. A modeless show returns at
// once; showing the same form again brings its window to the front.

#include <windows.h>

#include <map>
#include <memory>

#include "core/forms/form_presenter.h"
#include "windows/renderer/form_window.h"
#include "windows/renderer/window_classes.h"

namespace velmo::win {

class WindowPresenter : public forms::FormPresenter {
 public:
  // `module` holds the window classes, pictures and cursors.
  explicit WindowPresenter(HINSTANCE module);
  ~WindowPresenter() override;
  WindowPresenter(const WindowPresenter&) = delete;
  WindowPresenter& operator=(const WindowPresenter&) = delete;

  void runModal(forms::Form& form) override;
  void showModeless(forms::Form& form) override;

  // True while a window of the presenter is open: the code behind it must stay loaded.
  bool hasWindows();
  // Destroys every modeless window (modal ones end with their loop).
  void closeModeless();

 private:
  void showUntilClosed(forms::Form& form);
  void dispatch(MSG& message);
  void forgetClosed();

  HINSTANCE module_;
  WindowClasses classes_;
  int modalShows_ = 0;
  std::map<forms::Form*, std::unique_ptr<FormWindow>> modeless_;
};

}  // namespace velmo::win
