// The behaviour examples through the core: the command class on the page host over files, a
// scripted user confirming each dialog, the page committed to disk.

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "features/command_class/clstestt.h"
#include "tests/support/behaviour_examples.h"
#include "tests/support/page_fixture.h"
#include "tests/support/recording_ui.h"

namespace velmo {
namespace {

using forms::UserAction;
using testing::ExampleCommand;

class BehaviourExamples : public testing::PageFixture {};

TEST_F(BehaviourExamples, TheCoreLeavesTheGoldenBytes) {
  for (const auto& example : testing::behaviourExamples()) {
    SCOPED_TRACE(example.name);
    open(example.page);
    if (example.caretAfter) {
      ASSERT_TRUE(host_.select(utf8ToUtf16(example.caretAfter), file_host::SelectMode::CaretAfter));
    }
    testing::RecordingUi ui;
    if (example.dialog) {
      ui.presenter.plan(utf8ToUtf16(example.dialog->form),
                        {UserAction::click(utf8ToUtf16(example.dialog->doIt))});
    }
    clstestt command(host_, ui.ui);
    switch (example.command) {
      case ExampleCommand::ScriptHead:
        command.scriptHead2(utf8ToUtf16(example.text));
        break;
      case ExampleCommand::CurrentDate:
        command.CurDate();
        break;
    }
    EXPECT_EQ(committed(), example.expected());
  }
}

}  // namespace
}  // namespace velmo
