#include "comserver/windows_ui.h"

#include <filesystem>
#include <memory>

#include "com/registry_table.h"
#include "help/chtmlhelp.h"
#include "platform/windows/hhctrl_html_help.h"
#include "platform/windows/registry_settings_store.h"
#include "platform/windows/renderer/gdi_text_measurer.h"
#include "platform/windows/renderer/window_presenter.h"
#include "platform/windows/win32_common_dialogs.h"
#include "platform/windows/win32_desktop.h"
#include "platform/windows/win32_message_boxes.h"
#include "platform/windows/win_text.h"

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

// At process exit the environment is left to the system: its windows and the help viewer may be
// gone already, and nothing may be called into them from the DLL's detach.
class Holder {
 public:
  ~Holder() { static_cast<void>(ui.release()); }
  std::unique_ptr<WindowsUi> ui;
};

Holder& holder() {
  static Holder instance;
  return instance;
}

}  // namespace

UiEnvironment& windowsUi() {
  auto& ui = holder().ui;
  if (!ui) ui = std::make_unique<WindowsUi>();
  return ui->environment;
}

bool windowsUiInUse() {
  auto& ui = holder().ui;
  return ui && ui->presenter.hasWindows();
}

void releaseWindowsUi() noexcept {
  holder().ui.reset();
}

}  // namespace velmo::win
