#pragma once
// How velmo runs a command's dialog: it plays the user through a script while the command class
// shows the dialog, then reads how the dialog ended. Every dialog command ends the same way for
// the same outcome.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/run/headless_ui.h"
#include "cli/run/page_session.h"
#include "core/common/host_error.h"
#include "core/forms/scripted_presenter.h"

namespace velmo::cli {

enum class DialogOutcome {
  Confirmed,  // a handler closed the dialog: the command's work is done
  Refused,    // the handlers left it open after telling the user why
  Cancelled,  // the user closed it, or it was never shown
  Failed,     // a handler met a host error
};

// What the user does in one dialog.
struct DialogScript {
  std::u16string form;  // the dialog's form name
  std::vector<forms::UserAction> actions;
  // What a dialog that its handlers left open at the end of the actions means: the user gave up
  // (Cancelled), every way it stays open has shown a message (Refused), or looking at it was
  // the whole point (Confirmed).
  DialogOutcome leftOpen = DialogOutcome::Cancelled;
};

struct DialogRun {
  DialogOutcome outcome = DialogOutcome::Cancelled;
  std::optional<HostError> failure{};  // the host error of a Failed run
};

// How a dialog ended, from the scripted user's report of its show (nothing: never shown).
DialogRun dialogRunOf(const std::optional<forms::ShowReport>& report, DialogOutcome leftOpen);

// Plans the script, runs `command` (which shows the dialog through the command class) and says
// how the dialog ended.
DialogRun runDialog(HeadlessUi& ui, DialogScript script, const std::function<void()>& command);

// velmo's exit status for each outcome.
Exit exitStatusOf(DialogOutcome outcome);

// Ends the page command with exitStatusOf(outcome) unless the dialog was confirmed: Refused
// says nothing more (the dialog has), Cancelled says so, Failed is the handler's host error.
void requireConfirmed(const DialogRun& run);

}  // namespace velmo::cli
