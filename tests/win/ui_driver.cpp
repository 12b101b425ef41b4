#include "tests/win/ui_driver.h"

#include <stdexcept>

#include "core/common/text.h"

namespace velmo::win::test {
namespace {

using namespace std::chrono_literals;

// Long enough for a loaded machine; a missing window fails after it.
constexpr auto kPatience = 15s;
constexpr auto kPoll = 10ms;
// How long a message may wait for the user-interface thread to take it.
constexpr UINT kSendTimeoutMs = 10000;

// Control ids of the system's dialogs.
constexpr int kMessageBoxIcon = 0x0440;
constexpr int kOpenFileName = 0x047C;
constexpr int kColourRed = 0x02C2;

std::string narrowText(const std::wstring& text) {
  return utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

bool isOurs(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

HWND findVisible(const std::wstring& caption, const wchar_t* className) {
  for (HWND window = FindWindowExW(nullptr, nullptr, className, caption.c_str()); window;
       window = FindWindowExW(nullptr, window, className, caption.c_str())) {
    if (isOurs(window) && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

std::wstring classOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

BOOL CALLBACK collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> descendants(HWND window) {
  std::vector<HWND> all;
  EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

}  // namespace

bool waitUntil(const std::atomic<bool>& flag) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!flag) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

void pumpFor(std::chrono::milliseconds time) {
  const auto until = std::chrono::steady_clock::now() + time;
  MSG message;
  while (std::chrono::steady_clock::now() < until) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

void pumpWhileOpen(const wchar_t* caption) {
  MSG message;
  while (FindWindowW(L"VelmoForm", caption)) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }
}

void closeEverything(DWORD thread, const std::atomic<bool>& done) {
  while (!done) {
    std::vector<HWND> windows;
    EnumThreadWindows(thread, collect, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
      if (!IsWindowVisible(window)) continue;
      // System dialogs take their No or Cancel; every window takes a close.
      if (classOf(window) == L"#32770") {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(window, WM_COMMAND, IDNO, 0);
      }
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
    std::this_thread::sleep_for(100ms);
  }
}

template <typename Found>
auto UiDriver::waitFor(const std::string& what, Found found) -> decltype(found()) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    // Once the command has returned, one more look decides.
    const bool ended = commandEnded_;
    if (auto result = found()) return result;
    if (ended) throw std::runtime_error("the command returned without " + what);
    if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("no " + what);
    std::this_thread::sleep_for(kPoll);
  }
}

HWND UiDriver::waitForWindow(const std::wstring& caption, const wchar_t* className) {
  return waitFor("window \"" + narrowText(caption) + "\"",
                 [&] { return findVisible(caption, className); });
}

void UiDriver::waitUntil(const std::string& what, const std::function<bool()>& condition) {
  waitFor(what, [&] { return condition(); });
}

bool UiDriver::isOpen(const std::wstring& caption, const wchar_t* className) {
  return findVisible(caption, className) != nullptr;
}

void UiDriver::waitUntilGone(HWND window) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("the window \"" + narrowText(text(window)) + "\" stays open");
    }
    std::this_thread::sleep_for(kPoll);
  }
}

LRESULT UiDriver::send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) {
    throw std::runtime_error("the window did not take message " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

std::wstring UiDriver::text(HWND window) {
  const auto length = static_cast<std::size_t>(send(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring result(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(
      send(window, WM_GETTEXT, result.size(), reinterpret_cast<LPARAM>(result.data())));
  result.resize(copied);
  return result;
}

RECT UiDriver::clientRect(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

bool UiDriver::isChecked(HWND button) {
  return send(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<SeenControl> UiDriver::controls(HWND window) {
  std::vector<SeenControl> seen;
  for (HWND child : descendants(window)) {
    SeenControl control;
    control.hwnd = child;
    control.className = classOf(child);
    control.text = text(child);
    GetWindowRect(child, &control.rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&control.rect), 2);
    control.id = GetDlgCtrlID(child);
    control.enabled = IsWindowEnabled(child) != FALSE;
    control.visible = IsWindowVisible(child) != FALSE;
    seen.push_back(std::move(control));
  }
  return seen;
}

SeenControl UiDriver::control(HWND window, const std::wstring& wanted) {
  for (SeenControl& seen : controls(window)) {
    if (seen.text == wanted) return seen;
  }
  throw std::runtime_error("no control \"" + narrowText(wanted) + "\"");
}

SeenControl UiDriver::controlById(HWND window, int id) {
  for (SeenControl& seen : controls(window)) {
    if (seen.id == id) return seen;
  }
  throw std::runtime_error("no control with id " + std::to_string(id));
}

void UiDriver::type(HWND edit, const std::wstring& typed) {
  send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
}

void UiDriver::click(HWND control) {
  PostMessageW(control, BM_CLICK, 0, 0);
}

void UiDriver::doubleClick(HWND control) {
  PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
}

void UiDriver::mouseDown(HWND control, UINT button) {
  PostMessageW(control, button, 0, MAKELPARAM(2, 2));
}

void UiDriver::selectItem(HWND list, int index) {
  send(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // The list box reports a selection by the user only; the notice is what its parent hears.
  PostMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

void UiDriver::pressEscape(HWND window) {
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void UiDriver::closeBox(HWND window) {
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

SeenMessageBox UiDriver::answerMessageBox(const std::wstring& title, int button) {
  HWND box = waitForWindow(title, L"#32770");
  SeenMessageBox seen;
  seen.title = title;
  for (const SeenControl& control : controls(box)) {
    if (control.className == L"Button" && control.visible) {
      seen.buttons.push_back(control.text);
    } else if (control.className == L"Static" && control.id == kMessageBoxIcon) {
      if (control.visible)
        seen.icon = reinterpret_cast<HICON>(send(control.hwnd, STM_GETICON, 0, 0));
    } else if (control.className == L"Static" && !control.text.empty()) {
      seen.text = control.text;
    }
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  waitUntilGone(box);
  return seen;
}

void UiDriver::answerOpenFile(const std::optional<std::wstring>& path) {
  HWND dialog = waitForWindow(L"Open", L"#32770");
  if (path) {
    // Wine's dialog has the file name in the combo box; the classic one in an edit box.
    HWND name = waitFor("file name box", [&] { return GetDlgItem(dialog, kOpenFileName); });
    type(name, *path);
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(path ? IDOK : IDCANCEL, BN_CLICKED), 0);
  waitUntilGone(dialog);
}

void UiDriver::answerColour(std::optional<COLORREF> colour) {
  HWND dialog = waitForWindow(L"Color", L"#32770");
  if (colour) {
    const int parts[] = {GetRValue(*colour), GetGValue(*colour), GetBValue(*colour)};
    for (int i = 0; i < 3; ++i) {
      HWND edit = GetDlgItem(dialog, kColourRed + i);
      type(edit, std::to_wstring(parts[i]));
      // The chooser takes a typed value when the edit box reports it.
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kColourRed + i, EN_UPDATE),
                   reinterpret_cast<LPARAM>(edit));
    }
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(colour ? IDOK : IDCANCEL, BN_CLICKED), 0);
  waitUntilGone(dialog);
}

}  // namespace velmo::win::test
