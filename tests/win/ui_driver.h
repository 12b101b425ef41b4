#pragma once
// A user for the Windows tests: a helper thread that waits for the library's windows by caption,
// reads their controls, types, clicks, answers message boxes and the common dialogs, and closes
// windows by their close box, while the test's own thread runs the command that shows them (and
// so pumps their messages in its modal loops).
//
// Clicks are posted, never sent: a click that opens a message box would block a sent message
// and with it the user.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace velmo::win::test {

// One control as the user sees it. Positions are in the client coordinates of the top-level
// window, so that they compare with the layout.
struct SeenControl {
  HWND hwnd = nullptr;
  std::wstring className;
  std::wstring text;
  RECT rect{};
  int id = 0;
  bool enabled = false;
  bool visible = false;
};

struct SeenMessageBox {
  std::wstring title;
  std::wstring text;
  std::vector<std::wstring> buttons;  // captions, left to right
  HICON icon = nullptr;               // nullptr without an icon
};

class UiDriver {
 public:
  // `commandEnded` turns true when the command on the test's thread has returned: a wait for a
  // window that can no longer come then fails at once.
  explicit UiDriver(const std::atomic<bool>& commandEnded) : commandEnded_(commandEnded) {}

  // A visible top-level window of this process with exactly this caption (and class).
  HWND waitForWindow(const std::wstring& caption, const wchar_t* className = nullptr);
  void waitUntilGone(HWND window);
  // Waits until `condition` holds (a posted click has had its effect); fails naming `what`.
  void waitUntil(const std::string& what, const std::function<bool()>& condition);
  // Whether a visible window with this caption is open now.
  bool isOpen(const std::wstring& caption, const wchar_t* className = nullptr);

  // Every control inside the window, depth first in z-order (which is tab order).
  std::vector<SeenControl> controls(HWND window);
  // The first control inside the window with this text; fails when there is none.
  SeenControl control(HWND window, const std::wstring& text);
  // The control with this id anywhere inside the window; fails when there is none.
  SeenControl controlById(HWND window, int id);
  std::wstring text(HWND window);
  RECT clientRect(HWND window);
  bool isChecked(HWND button);

  void type(HWND edit, const std::wstring& text);
  void click(HWND control);
  void doubleClick(HWND control);
  void mouseDown(HWND control, UINT button = WM_LBUTTONDOWN);
  void selectItem(HWND list, int index);
  void pressEscape(HWND window);
  void closeBox(HWND window);

  // Waits for a message box with this title, reads it and presses the button with this id
  // (IDOK, IDYES, ...).
  SeenMessageBox answerMessageBox(const std::wstring& title, int button = IDOK);
  // The open-file dialog: chooses `path` (as typed into the file name), or cancels with nothing.
  void answerOpenFile(const std::optional<std::wstring>& path);
  // The colour chooser: confirms this colour, or cancels with nothing.
  void answerColour(std::optional<COLORREF> colour);

 private:
  template <typename Found>
  auto waitFor(const std::string& what, Found found) -> decltype(found());
  LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  const std::atomic<bool>& commandEnded_;
};

// Runs `user` on a helper thread while `command` runs on this one, and returns what the user
// saw once both have ended. When the user fails, every window of this thread is closed so that
// the command can return, and the user's failure is thrown here.
template <typename User>
auto asUser(User user, const std::function<void()>& command)
    -> decltype(user(std::declval<UiDriver&>()));

// On the test's thread: runs its windows' messages for this long (a help window's posted close
// is handled meanwhile).
void pumpFor(std::chrono::milliseconds time);

// On the test's thread: runs its windows' messages while a form window with this caption is
// open (a modeless window's command returns at once, as in an editor with its own loop).
void pumpWhileOpen(const wchar_t* caption);

// Posts closes to every window of the thread until `done` turns true.
void closeEverything(DWORD thread, const std::atomic<bool>& done);
// Whether `flag` turns true within the driver's time limit.
bool waitUntil(const std::atomic<bool>& flag);

template <typename User>
auto asUser(User user, const std::function<void()>& command)
    -> decltype(user(std::declval<UiDriver&>())) {
  using Result = decltype(user(std::declval<UiDriver&>()));
  const DWORD uiThread = GetCurrentThreadId();
  std::atomic<bool> commandEnded{false};
  std::exception_ptr userFailure;
  std::optional<std::conditional_t<std::is_void_v<Result>, bool, Result>> seen;
  std::thread helper([&] {
    UiDriver driver(commandEnded);
    try {
      if constexpr (std::is_void_v<Result>) {
        user(driver);
        seen = true;
      } else {
        seen = user(driver);
      }
      // A user who is done leaves nothing open: a command still running by then is stuck.
      if (!waitUntil(commandEnded)) {
        throw std::runtime_error("the command did not return after the user was done");
      }
    } catch (...) {
      userFailure = std::current_exception();
      closeEverything(uiThread, commandEnded);
    }
  });
  std::exception_ptr commandFailure;
  try {
    command();
  } catch (...) {
    commandFailure = std::current_exception();
  }
  commandEnded = true;
  helper.join();
  if (userFailure) std::rethrow_exception(userFailure);
  if (commandFailure) std::rethrow_exception(commandFailure);
  if constexpr (!std::is_void_v<Result>) return std::move(*seen);
}

}  // namespace velmo::win::test
