#include "cli/run/held_confirmations.h"

#include <iostream>

#include "cli/run/page_run.h"

namespace velmo::cli {

HeldConfirmations::HeldConfirmations(PageRun* run, QuestionPolicy policy, std::istream* terminal)
    : run_(run),
      console_(run ? run->out() : std::cout, run ? run->err() : std::cerr, policy, terminal) {}

MsgAnswer HeldConfirmations::show(const MessageRequest& request) {
  // Every command rethrows a handler's failure (dialog_run.h), and its message then names the
  // page: printed here too, it would appear twice.
  if (request.reportsFailure) return MsgAnswer::Ok;
  if (!request.reportsSuccess || request.buttons != MsgButtons::Ok) return console_.show(request);
  if (!run_) return console_.show(request);
  // Over many pages the run's summary counts the pages changed instead.
  if (run_->captured()) return MsgAnswer::Ok;
  run_->afterCommit([request] {
    ConsoleMessageBoxes(std::cout, std::cerr, QuestionPolicy::No, nullptr).show(request);
  });
  return MsgAnswer::Ok;
}

}  // namespace velmo::cli
