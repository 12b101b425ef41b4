// Message boxes on a console: where each line goes and how questions are answered.

#include <gtest/gtest.h>

#include <sstream>

#include "core/platform/headless/console_message_boxes.h"

namespace velmo {
namespace {

struct Console {
  std::ostringstream out;
  std::ostringstream err;
};

TEST(ConsoleMessageBoxes, NoticesGoToTheErrorStreamAndConfirmationsToTheOutput) {
  Console console;
  ConsoleMessageBoxes boxes(console.out, console.err, QuestionPolicy::Ask, nullptr);
  EXPECT_EQ(msgBox(boxes, u"You must have at least two pictures, add more"), MsgAnswer::Ok);
  msgBoxSuccess(boxes, u"ScrollBar Color has been applied successfully");
  msgBox(boxes, u"line one\r\nline two", MsgButtons::Ok, MsgIcon::None, u"Add to favorite");
  EXPECT_EQ(console.err.str(),
            "Velmopro: You must have at least two pictures, add more\n"
            "Add to favorite: line one\nline two\n");
  EXPECT_EQ(console.out.str(), "Velmopro: ScrollBar Color has been applied successfully\n");
}

TEST(ConsoleMessageBoxes, QuestionsFollowThePolicyOrTheTerminal) {
  const struct {
    QuestionPolicy policy;
    const char* typed;  // nullptr: no terminal
    MsgButtons buttons;
    MsgAnswer expected;
    const char* printed;
  } cases[] = {
      {QuestionPolicy::Yes, nullptr, MsgButtons::YesNo, MsgAnswer::Yes, "T: Use it? -> Yes\n"},
      {QuestionPolicy::No, nullptr, MsgButtons::YesNo, MsgAnswer::No, "T: Use it? -> No\n"},
      {QuestionPolicy::Yes, nullptr, MsgButtons::OkCancel, MsgAnswer::Ok, "T: Use it? -> Yes\n"},
      {QuestionPolicy::Ask, nullptr, MsgButtons::YesNo, MsgAnswer::No, "T: Use it? -> No\n"},
      {QuestionPolicy::Ask, "y\n", MsgButtons::YesNo, MsgAnswer::Yes, "T: Use it? [y/N] "},
      {QuestionPolicy::Ask, "YES\n", MsgButtons::YesNo, MsgAnswer::Yes, "T: Use it? [y/N] "},
      {QuestionPolicy::Ask, "n\n", MsgButtons::YesNo, MsgAnswer::No, "T: Use it? [y/N] "},
      {QuestionPolicy::Ask, "", MsgButtons::OkCancel, MsgAnswer::Cancel, "T: Use it? [y/N] "},
  };
  for (const auto& c : cases) {
    Console console;
    std::istringstream typed(c.typed ? c.typed : "");
    ConsoleMessageBoxes boxes(console.out, console.err, c.policy, c.typed ? &typed : nullptr);
    EXPECT_EQ(msgBox(boxes, u"Use it?", c.buttons, MsgIcon::Question, u"T"), c.expected)
        << c.printed;
    EXPECT_EQ(console.err.str(), c.printed);
    EXPECT_EQ(console.out.str(), "");
  }
}

}  // namespace
}  // namespace velmo
