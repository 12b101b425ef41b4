#include "windows/renderer/window_presenter.h"

#include "windows/platform/win_text.h"

namespace velmo::win {
namespace {

// The window the user is working in when the show starts; it owns the modal form.
HWND activeTopLevelWindow() {
  HWND active = GetActiveWindow();
  return active ? GetAncestor(active, GA_ROOT) : nullptr;
}

class Counted {
 public:
  explicit Counted(int& count) : count_(count) { ++count_; }
  ~Counted() { --count_; }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

 private:
  int& count_;
};

}  // namespace

WindowPresenter::WindowPresenter(HINSTANCE module) : module_(module), classes_(module) {}

WindowPresenter::~WindowPresenter() {
  closeModeless();
}

void WindowPresenter::runModal(forms::Form& form) {
  Counted shown(modalShows_);
  try {
    showUntilClosed(form);
  } catch (...) {
    // The show ended without the form closing itself (the application quits, the window was
    // destroyed from outside, a handler failed): the form goes as with the close box's unload.
    if (form.isVisible()) form.unload();
    throw;
  }
}

void WindowPresenter::showUntilClosed(forms::Form& form) {
  FormWindow window(form, module_, activeTopLevelWindow(), ShowMode::Modal);
  window.show();
  bool quit = false;
  WPARAM quitCode = 0;
  MSG message;
  while (form.isVisible() && window.alive() && !window.failure()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = message.wParam;
      break;
    }
    if (got == -1) break;
    dispatch(message);
  }
  window.close();
  if (form.isVisible()) form.unload();
  // The loop that the quit message was meant for gets it.
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  if (window.failure()) std::rethrow_exception(window.failure());
}

void WindowPresenter::showModeless(forms::Form& form) {
  forgetClosed();
  auto found = modeless_.find(&form);
  if (found == modeless_.end()) {
    auto window = std::make_unique<FormWindow>(form, module_, nullptr, ShowMode::Modeless);
    found = modeless_.emplace(&form, std::move(window)).first;
  }
  found->second->show();
}

void WindowPresenter::dispatch(MSG& message) {
  // The dialog keys (Tab, the arrows, Escape) for whichever form the message is for.
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && classes_.isForm(root) && IsDialogMessageW(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void WindowPresenter::forgetClosed() {
  std::erase_if(modeless_, [](const auto& entry) { return !entry.second->alive(); });
}

bool WindowPresenter::hasWindows() {
  forgetClosed();
  return modalShows_ > 0 || !modeless_.empty();
}

void WindowPresenter::closeModeless() {
  modeless_.clear();
}

}  // namespace velmo::win
