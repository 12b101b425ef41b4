#include "cli/held_confirmations.h"

#include <iostream>

#include "cli/after_commit.h"

namespace velmo::cli {

HeldConfirmations::HeldConfirmations(QuestionPolicy policy, std::istream* terminal)
    : console_(std::cout, std::cerr, policy, terminal) {}

MsgAnswer HeldConfirmations::show(const MessageRequest& request) {
  if (!request.reportsSuccess || request.buttons != MsgButtons::Ok) return console_.show(request);
  holdUntilCommitted([request] {
    ConsoleMessageBoxes(std::cout, std::cerr, QuestionPolicy::No, nullptr).show(request);
  });
  return MsgAnswer::Ok;
}

}  // namespace velmo::cli
