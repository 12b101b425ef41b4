#include "cli/held_confirmations.h"

#include <iostream>

#include "cli/after_commit.h"
#include "cli/page_capture.h"

namespace velmo::cli {

HeldConfirmations::HeldConfirmations(QuestionPolicy policy, std::istream* terminal)
    : console_(pageOut(), pageErr(), policy, terminal) {}

MsgAnswer HeldConfirmations::show(const MessageRequest& request) {
  // Every command rethrows a handler's failure (dialog_run.h), and its message then names the
  // page: printed here too, it would appear twice.
  if (request.reportsFailure) return MsgAnswer::Ok;
  if (!request.reportsSuccess || request.buttons != MsgButtons::Ok) return console_.show(request);
  // Over many pages the run's summary counts the pages changed instead.
  if (currentCapture()) return MsgAnswer::Ok;
  holdUntilCommitted([request] {
    ConsoleMessageBoxes(std::cout, std::cerr, QuestionPolicy::No, nullptr).show(request);
  });
  return MsgAnswer::Ok;
}

}  // namespace velmo::cli
