#include "windows/dll/windows_ui.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "core/help/chtmlhelp.h"
#include "windows/com/registry_table.h"
#include "windows/platform/hhctrl_html_help.h"
#include "windows/platform/registry_settings_store.h"
#include "windows/platform/win32_common_dialogs.h"
#include "windows/platform/win32_desktop.h"
#include "windows/platform/win32_message_boxes.h"
#include "windows/platform/win_text.h"
#include "windows/renderer/gdi_text_measurer.h"
#include "windows/renderer/window_classes.h"
#include "windows/renderer/window_presenter.h"

namespace velmo::win {
namespace {

// helptest.chm in the folder of this DLL.
std::u16string helpFileBesideDll() {
  const std::wstring dll = modulePath(thisModule());
  const std::wstring folder = std::filesystem::path(dll).parent_path().wstring();
  return helpFileIn(utf16(folder), u'\\');
}

struct WindowsUi {
  Win32MessageBoxes messages;
  Win32OpenFileDialog openFile;
  Win32ColourChooser colours;
  RegistrySettingsStore settings;
  HhctrlHtmlHelp help;
  Win32FileProbe files;
  ShellExecuteShell shell;
  Win32WaitCursor cursor;
  GdiTextMeasurer measurer;
  WindowPresenter presenter{thisModule()};
  UiEnvironment environment{Platform{messages, openFile, colours, settings, help, files, shell,
                                     cursor, measurer, presenter, helpFileBesideDll()}};

  ~WindowsUi() {
    // The windows go before the forms they show.
    presenter.closeModeless();
  }
};

// The environments by thread. The lock guards the map only: an environment is made and ended
// on its own thread outside it, since both may load system DLLs, and the thread's end runs under
// the loader's lock.
class ThreadEnvironments {
 public:
  ~ThreadEnvironments() { abandon(); }

  UiEnvironment& forThisThread() {
    const DWORD thread = GetCurrentThreadId();
    {
      const std::lock_guard<std::mutex> hold(lock_);
      if (auto found = byThread_.find(thread); found != byThread_.end()) {
        return found->second->environment;
      }
    }
    auto made = std::make_unique<WindowsUi>();
    const std::lock_guard<std::mutex> hold(lock_);
    return byThread_.emplace(thread, std::move(made)).first->second->environment;
  }

  void endThisThread() noexcept {
    std::unique_ptr<WindowsUi> ending;
    {
      const std::lock_guard<std::mutex> hold(lock_);
      auto found = byThread_.find(GetCurrentThreadId());
      if (found == byThread_.end()) return;
      ending = std::move(found->second);
      byThread_.erase(found);
    }
  }

  std::vector<DWORD> threads() {
    const std::lock_guard<std::mutex> hold(lock_);
    std::vector<DWORD> all;
    for (const auto& entry : byThread_) all.push_back(entry.first);
    return all;
  }

  void abandon() noexcept {
    const std::lock_guard<std::mutex> hold(lock_);
    for (auto& entry : byThread_) static_cast<void>(entry.second.release());
    byThread_.clear();
  }

 private:
  std::mutex lock_;
  std::map<DWORD, std::unique_ptr<WindowsUi>> byThread_;
};

ThreadEnvironments& environments() {
  static ThreadEnvironments instance;
  return instance;
}

BOOL CALLBACK findForm(HWND window, LPARAM found) {
  if (!isFormWindow(window, thisModule())) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

}  // namespace

UiEnvironment& windowsUi() {
  return environments().forThisThread();
}

bool windowsUiInUse() {
  // The windows themselves are asked, not the presenters: those belong to their threads, and a
  // window the system destroyed with its thread is gone whatever a presenter remembers.
  bool found = false;
  for (DWORD thread : environments().threads()) {
    EnumThreadWindows(thread, findForm, reinterpret_cast<LPARAM>(&found));
    if (found) return true;
  }
  return false;
}

void endThreadUi() noexcept {
  environments().endThisThread();
}

void abandonWindowsUi() noexcept {
  environments().abandon();
}

}  // namespace velmo::win
