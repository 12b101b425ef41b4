#pragma once
// Everything a dialog asks of the platform it runs on, in one bundle that the command class
// hands to each dialog. Windows binds these to real windows and system dialogs; velmo and the
// tests bind them to the headless implementations in platform/headless/.

#include <string>

#include "forms/form_presenter.h"
#include "forms/message_box.h"
#include "platform/common_dialogs.h"
#include "platform/desktop.h"
#include "platform/html_help.h"
#include "platform/settings_store.h"
#include "platform/text_measurer.h"

namespace velmo {

struct Platform {
  MessageBoxes& messages;
  OpenFileDialog& openFile;
  ColourChooser& colours;
  SettingsStore& settings;
  HtmlHelpApi& help;
  FileProbe& files;
  Shell& shell;
  MouseCursor& cursor;
  TextMeasurer& measurer;
  forms::FormPresenter& presenter;
  // Full path of helptest.chm: the folder of the library file (Windows) or of the running
  // program (Linux), then the file name.
  std::u16string helpFile;
};

}  // namespace velmo
