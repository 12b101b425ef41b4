#pragma once
// velmo's message boxes: questions and errors go to the console at once, while a confirmation
// that the command succeeded waits until its changes are written (page_run.h), so that
// "applied successfully" is never followed by a failure.

#include <istream>

#include "cli/run/page_run.h"
#include "core/platform/headless/console_message_boxes.h"

namespace velmo::cli {

class HeldConfirmations : public MessageBoxes {
 public:
  // Without a page's run (help, offers) a confirmation is shown at once.
  HeldConfirmations(PageRun* run, QuestionPolicy policy, std::istream* terminal);
  MsgAnswer show(const MessageRequest& request) override;

 private:
  PageRun* run_;
  ConsoleMessageBoxes console_;
};

}  // namespace velmo::cli
