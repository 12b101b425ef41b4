#pragma once
// A user interface for tests: message boxes that are recorded and answered from a list, the
// scripted presenter, scripted common dialogs and the in-memory settings store, bundled into a
// UiEnvironment.

#include <algorithm>
#include <deque>
#include <iostream>
#include <optional>
#include <vector>

#include "core/forms/scripted_presenter.h"
#include "core/platform/headless/desktop_services.h"
#include "core/platform/headless/fixed_text_measurer.h"
#include "core/platform/headless/memory_settings_store.h"
#include "core/platform/headless/scripted_dialogs.h"
#include "core/platform/ui_environment.h"

namespace velmo::testing {

class RecordingMessageBoxes : public MessageBoxes {
 public:
  std::vector<MessageRequest> shown;
  std::deque<MsgAnswer> answers;  // for questions; No when used up

  MsgAnswer show(const MessageRequest& request) override {
    shown.push_back(request);
    if (request.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) return MsgAnswer::No;
    const MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Records what the help API was asked; show() answers from `windows` (0 when used up), and a
// window is alive while it is in `liveWindows`.
class RecordingHelpApi : public HtmlHelpApi {
 public:
  struct Call {
    WindowHandle parent;
    std::u16string helpFile;
    HelpCommand command;
    HelpData data;
  };
  std::vector<Call> shows;
  std::deque<WindowHandle> windows;
  std::vector<WindowHandle> liveWindows;
  std::vector<WindowHandle> isWindowAsked;
  std::vector<WindowHandle> closesPosted;

  WindowHandle show(WindowHandle parent, const std::u16string& helpFile, HelpCommand command,
                    const HelpData& data) override {
    shows.push_back({parent, helpFile, command, data});
    if (windows.empty()) return 0;
    const WindowHandle window = windows.front();
    windows.pop_front();
    return window;
  }
  bool isWindow(WindowHandle window) override {
    isWindowAsked.push_back(window);
    return std::find(liveWindows.begin(), liveWindows.end(), window) != liveWindows.end();
  }
  void postClose(WindowHandle window) override { closesPosted.push_back(window); }
};

class RecordingFileProbe : public FileProbe {
 public:
  std::vector<std::u16string> asked;
  std::vector<std::u16string> readable;
  bool canOpenForReading(const std::u16string& path) override {
    asked.push_back(path);
    return std::find(readable.begin(), readable.end(), path) != readable.end();
  }
};

// The shell and the application-wide cursor in one log, so that tests see their order:
// "wait", "open ADDRESS", "default". An open answers `answer`, or throws `failure` when set.
class RecordingDesktop : public Shell, public MouseCursor {
 public:
  std::vector<std::u16string> events;
  std::intptr_t answer = 42;
  std::optional<HostError> failure;

  std::intptr_t open(const std::u16string& address) override {
    events.push_back(u"open " + address);
    if (failure) throw *failure;
    return answer;
  }
  void setWait(bool wait) override { events.push_back(wait ? u"wait" : u"default"); }
};

struct RecordingUi {
  RecordingMessageBoxes messages;
  ScriptedOpenFileDialog openFile;
  ScriptedColourChooser colours;
  MemorySettingsStore settings;
  RecordingHelpApi help;
  RecordingFileProbe files;
  RecordingDesktop desktop;
  FixedTextMeasurer measurer;
  forms::ScriptedPresenter presenter;
  UiEnvironment ui{Platform{messages, openFile, colours, settings, help, files, desktop, desktop,
                            measurer, presenter, u"/opt/velmo/helptest.chm"}};
};

}  // namespace velmo::testing
