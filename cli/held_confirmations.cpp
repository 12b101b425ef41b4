#include "cli/held_confirmations.h"

#include <iostream>

#include "cli/page_run.h"

namespace velmo::cli {

HeldConfirmations::HeldConfirmations(PageRun* run, QuestionPolicy policy, std::istream* terminal)
    : run_(run),
      console_(run ? run->out() : std::cout, run ? run->err() : std::cerr, policy, terminal) {}

MsgAnswer HeldConfirmations::show(const MessageRequest& request) {
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
