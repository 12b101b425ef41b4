#pragma once
// Message boxes on a console: "TITLE: TEXT" on the error stream (a success confirmation on the
// output stream). Questions are answered by a fixed policy, or asked on the terminal.

#include <istream>
#include <ostream>

#include "core/forms/message_box.h"

namespace velmo {

enum class QuestionPolicy {
  Ask,  // ask on the terminal; without one, answer No
  Yes,
  No,
};

class ConsoleMessageBoxes : public MessageBoxes {
 public:
  // `terminal` is where the user types an answer; nullptr when no terminal is attached.
  ConsoleMessageBoxes(std::ostream& out, std::ostream& err, QuestionPolicy policy,
                      std::istream* terminal)
      : out_(out), err_(err), policy_(policy), terminal_(terminal) {}

  MsgAnswer show(const MessageRequest& request) override;

 private:
  std::ostream& out_;
  std::ostream& err_;
  QuestionPolicy policy_;
  std::istream* terminal_;
};

}  // namespace velmo
