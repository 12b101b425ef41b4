#include "cli/run/dialog_run.h"

namespace velmo::cli {

DialogRun dialogRunOf(const std::optional<forms::ShowReport>& report, DialogOutcome leftOpen) {
  if (!report) return {DialogOutcome::Cancelled};
  if (report->failure) return {DialogOutcome::Failed, report->failure};
  return {report->closedByForm ? DialogOutcome::Confirmed : leftOpen};
}

DialogRun runDialog(HeadlessUi& ui, DialogScript script, const std::function<void()>& command) {
  ui.presenter().plan(script.form, std::move(script.actions));
  command();
  return dialogRunOf(ui.presenter().report(script.form), script.leftOpen);
}

Exit exitStatusOf(DialogOutcome outcome) {
  switch (outcome) {
    case DialogOutcome::Confirmed:
      return kDone;
    case DialogOutcome::Refused:
    case DialogOutcome::Cancelled:
      return kRefused;
    case DialogOutcome::Failed:
      break;
  }
  return kFailed;
}

void requireConfirmed(const DialogRun& run) {
  switch (exitStatusOf(run.outcome)) {
    case kDone:
      return;
    case kRefused:
      // runOnPage exits with kRefused for a Refused and with kFailed for a HostError.
      if (run.outcome == DialogOutcome::Cancelled)
        throw Refused{u"velmo: the dialog was cancelled"};
      throw Refused{};
    case kFailed:
      break;
  }
  throw run.failure.value_or(HostError(hr::kFail, u"The dialog failed"));
}

}  // namespace velmo::cli
