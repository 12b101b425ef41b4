// The current-date command: the block byte for byte, and frmDate shown through the command
// class with a scripted user.

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "features/command_class/clstestt.h"
#include "features/date/date_block.h"
#include "features/date/frm_date.h"
#include "tests/support/golden.h"
#include "tests/support/recording_ui.h"
#include "tests/support/selection_page_host.h"

namespace velmo {
namespace {

using forms::UserAction;
using testing::golden;

TEST(DateBlock, IsTheGoldenTextWithoutATrailingBreak) {
  const std::string block = utf16ToUtf8(dateBlock());
  EXPECT_EQ(block, golden("date-block.txt"));
  EXPECT_TRUE(block.ends_with("<!--webbot bot=\"V_Date\" endspan -->"));
}

class DateDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.page = u"<p>before</p><p>after</p>";
    host_.caretAt(13);
  }
  // One use of the command with the user's actions.
  void curDate(std::vector<UserAction> actions) {
    ui_.presenter.plan(u"frmDate", std::move(actions));
    clstestt(host_, ui_.ui).CurDate();
  }
  forms::ShowReport report() const { return *ui_.presenter.report(u"frmDate"); }

  testing::SelectionPageHost host_;
  testing::RecordingUi ui_;
};

TEST_F(DateDialog, DoItPastesTheBlockAtTheCaretAndCloses) {
  curDate({UserAction::click(u"cmdDo")});
  EXPECT_EQ(host_.page, u"<p>before</p>" + dateBlock() + u"<p>after</p>");
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"ActivePageWindow", "Document", "selection",
                                                   "createRange", "pasteHTML"}));
  EXPECT_TRUE(report().closedByForm);
  EXPECT_TRUE(ui_.messages.shown.empty());
}

TEST_F(DateDialog, DoItReplacesASelection) {
  host_.selectAll(u"<p>before</p>");
  curDate({UserAction::click(u"cmdDo")});
  EXPECT_EQ(host_.page, dateBlock() + u"<p>after</p>");
}

TEST_F(DateDialog, TwoConfirmationsLeaveTwoBlocksFromOneSharedDialog) {
  curDate({UserAction::click(u"cmdDo")});
  const frmDate* first = ui_.ui.findDialog<frmDate>();
  curDate({UserAction::click(u"cmdDo")});
  EXPECT_EQ(ui_.ui.findDialog<frmDate>(), first);
  EXPECT_EQ(host_.page, u"<p>before</p>" + dateBlock() + dateBlock() + u"<p>after</p>");
}

TEST_F(DateDialog, CancelAndTheCloseBoxLeaveThePageUntouched) {
  const std::vector<std::vector<UserAction>> endings = {
      {UserAction::click(u"cmdCancel")}, {UserAction::closeBox()}, {}};
  for (const auto& ending : endings) {
    curDate(ending);
    EXPECT_EQ(host_.page, u"<p>before</p><p>after</p>");
    EXPECT_TRUE(host_.calls.empty());
    EXPECT_FALSE(ui_.ui.findDialog<frmDate>()->isLoaded());
  }
}

TEST_F(DateDialog, AHostFailureKeepsTheDialogOpenAndTellsTheUser) {
  for (const char* step :
       {"ActivePageWindow", "Document", "selection", "createRange", "pasteHTML"}) {
    SCOPED_TRACE(step);
    host_.failAt = step;
    ui_.messages.shown.clear();
    // The dialog is still open after the failure, so the user can cancel it.
    curDate({UserAction::click(u"cmdDo"), UserAction::click(u"cmdCancel")});
    EXPECT_EQ(host_.page, u"<p>before</p><p>after</p>");
    ASSERT_EQ(ui_.messages.shown.size(), 1u);
    const MessageRequest& shown = ui_.messages.shown[0];
    EXPECT_EQ(utf16ToUtf8(shown.text), std::string("The editor failed at ") + step);
    EXPECT_EQ(shown.title, u"Velmopro");
    EXPECT_EQ(shown.icon, MsgIcon::Critical);
    ASSERT_TRUE(report().failure.has_value());
    EXPECT_EQ(report().failure->hresult(), hr::kFail);
    EXPECT_TRUE(report().closedByForm);  // by Cancel, after the failure
  }
}

TEST_F(DateDialog, NeedsAUserInterface) {
  EXPECT_THROW(clstestt(host_).CurDate(), HostError);
  EXPECT_TRUE(host_.calls.empty());
}

}  // namespace
}  // namespace velmo
