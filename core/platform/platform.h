#pragma once
// Everything a dialog asks of the platform it runs on, in one bundle that the command class
// hands to each dialog. Windows binds these to real windows and system dialogs; velmo and the
// tests bind them to the headless implementations in core/platform/headless/.

#include <string>

#include "core/forms/form_presenter.h"
#include "core/forms/message_box.h"
#include "core/platform/common_dialogs.h"
#include "core/platform/desktop.h"
#include "core/platform/html_help.h"
#include "core/platform/settings_store.h"
#include "core/platform/text_measurer.h"

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
