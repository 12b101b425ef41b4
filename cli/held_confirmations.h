#pragma once
// velmo's message boxes: questions and errors go to the console at once, while a confirmation
// that the command succeeded waits until its changes are written (after_commit.h), so that
// "applied successfully" is never followed by a failure.

#include <istream>

#include "platform/headless/console_message_boxes.h"

namespace velmo::cli {

class HeldConfirmations : public MessageBoxes {
 public:
  HeldConfirmations(QuestionPolicy policy, std::istream* terminal);
  MsgAnswer show(const MessageRequest& request) override;

 private:
  ConsoleMessageBoxes console_;
};

}  // namespace velmo::cli
