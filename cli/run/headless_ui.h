#pragma once
// The user interface of velmo's dialog commands: velmo plays the user through the dialogs' own
// handlers, message boxes are lines on the console, and help is the desktop's help viewer.

#include <CLI/CLI.hpp>

#include "cli/run/held_confirmations.h"
#include "cli/run/import_once.h"
#include "cli/run/ini_settings.h"
#include "core/forms/scripted_presenter.h"
#include "core/platform/headless/console_message_boxes.h"
#include "core/platform/headless/desktop_services.h"
#include "core/platform/headless/fixed_text_measurer.h"
#include "core/platform/headless/scripted_dialogs.h"
#include "core/platform/ui_environment.h"
#include "desktop/chm_help_viewer.h"
#include "desktop/xdg_open.h"

namespace velmo::cli {

struct DialogOptions {
  bool yes = false;
  bool no = false;
  QuestionPolicy policy() const;
};

// --yes and --no: how Yes/No questions are answered (else asked on a terminal, else No).
void addDialogOptions(CLI::App& command, DialogOptions& options);

// The help file beside velmo.
std::u16string helpFilePath();

class HeadlessUi {
 public:
  // `run`: the page's run the dialogs act for; null for a command without a page (help, offers).
  HeadlessUi(PageRun* run, QuestionPolicy policy, bool helpAsText);
  HeadlessUi(const HeadlessUi&) = delete;
  HeadlessUi& operator=(const HeadlessUi&) = delete;

  UiEnvironment& environment() { return environment_; }
  forms::ScriptedPresenter& presenter() { return presenter_; }
  ScriptedOpenFileDialog& openFile() { return openFile_; }
  ScriptedColourChooser& colours() { return colours_; }
  desktop::XdgOpenShell& shell() { return shell_; }

 private:
  HeldConfirmations messages_;
  ImportOnceOpenFile openFile_;
  ScriptedColourChooser colours_;
  IniSettings settings_;
  desktop::ChmHelpViewer help_;
  StdFileProbe files_;
  desktop::XdgOpenShell shell_;
  NullCursor cursor_;
  FixedTextMeasurer measurer_;
  forms::ScriptedPresenter presenter_;
  UiEnvironment environment_;
};

}  // namespace velmo::cli
