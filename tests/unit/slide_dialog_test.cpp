// frmSlide through the command class with a scripted user: the list and its path table, the
// checks of "Do it", and the slide show it makes on a real page and site folder.

#include <gtest/gtest.h>

#include <algorithm>

#include "features/command_class/clstestt.h"
#include "features/slideshow/frm_slide.h"
#include "features/slideshow/frm_slide_layout.h"
#include "file_host/files/atomic_file.h"
#include "tests/support/golden.h"
#include "tests/support/page_fixture.h"
#include "tests/support/recording_ui.h"

namespace velmo {
namespace {

using forms::UserAction;
using testing::kOneLinePage;
using testing::readBytes;

// Names and paths as the test writes them: {name, path}.
using Entries = std::vector<std::pair<std::string, std::string>>;

class SlideDialog : public testing::PageFixture {
 protected:
  void SetUp() override { open(kOneLinePage); }

  // "Add Picture..." with the file dialog answering `path` (empty: the user cancels).
  UserAction add(const std::string& path) {
    ui_.openFile.answer(utf8ToUtf16(path));
    return UserAction::click(u"cmdBrowse");
  }
  // A picture file on disk, added through the file dialog.
  UserAction addFile(const std::string& name, const std::string& bytes = "GIF89a picture") {
    return add(dir_.write("disk/" + name, bytes).string());
  }
  static UserAction select(int index) { return UserAction::select(u"lstPic", index); }
  static UserAction click(const char16_t* button) { return UserAction::click(button); }

  // One use of the command with the user's actions.
  void slide(std::vector<UserAction> actions) {
    ui_.presenter.plan(u"frmSlide", std::move(actions));
    clstestt(host_, ui_.ui).slide();
  }
  frmSlide& dialog() { return *ui_.ui.findDialog<frmSlide>(); }
  forms::ShowReport report() const { return *ui_.presenter.report(u"frmSlide"); }
  // The list as the last show left it.
  Entries entries() {
    Entries result;
    for (const auto& picture : dialog().pictures()) {
      result.emplace_back(utf16ToUtf8(picture.name), utf16ToUtf8(picture.path));
    }
    return result;
  }
  std::vector<std::u16string> messageTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& shown : ui_.messages.shown) texts.push_back(shown.text);
    return texts;
  }

  testing::RecordingUi ui_;
};

TEST_F(SlideDialog, DoItImportsThePicturesWritesTheScriptPastesTheTableAndCloses) {
  slide({addFile("a/sunrise.jpg", "GIF89aS"), addFile("b/harbour.jpg", "GIF89aH"),
         click(u"cmdDoit")});
  EXPECT_TRUE(report().closedByForm);
  EXPECT_FALSE(report().failure.has_value());
  EXPECT_TRUE(ui_.messages.shown.empty());
  EXPECT_EQ(ui_.openFile.lastFilter(), u"GIF pictures |*.gif|JPEG pictures |*.jpg");
  EXPECT_EQ(committed(), "<html><head><title>t</title>" + testing::golden("slide-script-two.txt") +
                             "</head><body><p>x</p>" + testing::golden("slide-table.txt") +
                             "</body></html>");
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/sunrise.jpg"), "GIF89aS");
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/harbour.jpg"), "GIF89aH");
}

TEST_F(SlideDialog, FewerThanTwoPicturesIsRefusedAndTheDialogKeepsItsList) {
  const std::vector<std::vector<UserAction>> tooFew = {
      {},
      {addFile("one.gif")},
      {addFile("one.gif"), addFile("two.gif"), select(0), click(u"cmdRemove")},
  };
  for (const auto& adds : tooFew) {
    SCOPED_TRACE(adds.size());
    ui_.messages.shown.clear();
    auto actions = adds;
    actions.push_back(click(u"cmdDoit"));
    slide(actions);
    ASSERT_EQ(ui_.messages.shown.size(), 1u);
    const MessageRequest& shown = ui_.messages.shown[0];
    EXPECT_EQ(shown.text, u"You must have at least two pictures, add more");
    EXPECT_EQ(shown.title, u"Velmopro");
    EXPECT_EQ(shown.buttons, MsgButtons::Ok);
    EXPECT_EQ(shown.icon, MsgIcon::None);
    EXPECT_FALSE(report().closedByForm);
    EXPECT_EQ(text(), kOneLinePage);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "site/slide_img"));
  }
  // Still open with its list: one more picture and "Do it" goes through.
  slide({addFile("one.gif"), click(u"cmdDoit"), addFile("two.gif"), click(u"cmdDoit")});
  EXPECT_TRUE(report().closedByForm);
  EXPECT_NE(text().find("photos_VL[1] = \"slide_img/two.gif\""), std::string::npos);
}

TEST_F(SlideDialog, ListOperationsKeepNamesAndPathsPairedAndClearTheSelection) {
  const struct {
    const char* what;
    std::vector<UserAction> actions;
    Entries expected;
    // Up on the first and Down on the last change nothing, the selection included.
    int selected = -1;
  } cases[] = {
      {"Up on the first entry",
       {add("/p/a.gif"), add("/p/b.gif"), select(0), click(u"cmdUp")},
       {{"a.gif", "/p/a.gif"}, {"b.gif", "/p/b.gif"}},
       0},
      {"Down on the last entry",
       {add("/p/a.gif"), add("/p/b.gif"), select(1), click(u"cmdDown")},
       {{"a.gif", "/p/a.gif"}, {"b.gif", "/p/b.gif"}},
       1},
      {"Up, then Up again without selecting",
       {add("/p/a.gif"), add("/q/b.jpg"), add("/r/c.gif"), select(2), click(u"cmdUp"),
        click(u"cmdUp")},
       {{"a.gif", "/p/a.gif"}, {"c.gif", "/r/c.gif"}, {"b.jpg", "/q/b.jpg"}}},
      {"Up twice, selecting each time",
       {add("/p/a.gif"), add("/q/b.jpg"), add("/r/c.gif"), select(2), click(u"cmdUp"), select(1),
        click(u"cmdUp")},
       {{"c.gif", "/r/c.gif"}, {"a.gif", "/p/a.gif"}, {"b.jpg", "/q/b.jpg"}}},
      {"Down from the top",
       {add("/p/a.gif"), add("/q/b.jpg"), add("/r/c.gif"), select(0), click(u"cmdDown")},
       {{"b.jpg", "/q/b.jpg"}, {"a.gif", "/p/a.gif"}, {"c.gif", "/r/c.gif"}}},
      {"Remove from the middle shifts the paths down",
       {add("/p/a.gif"), add("/q/b.jpg"), add("/r/c.gif"), select(1), click(u"cmdRemove")},
       {{"a.gif", "/p/a.gif"}, {"c.gif", "/r/c.gif"}}},
      {"Remove the only entry", {add("/p/a.gif"), select(0), click(u"cmdRemove")}, {}},
      {"Remove, then add: the new entry gets its own path, not a stale one",
       {add("/p/a.gif"), add("/q/b.jpg"), select(0), click(u"cmdRemove"), add("/r/c.gif")},
       {{"b.jpg", "/q/b.jpg"}, {"c.gif", "/r/c.gif"}}},
      {"Remove, Up and Down with nothing selected",
       {add("/p/a.gif"), add("/q/b.jpg"), click(u"cmdRemove"), click(u"cmdUp"), click(u"cmdDown")},
       {{"a.gif", "/p/a.gif"}, {"b.jpg", "/q/b.jpg"}}},
      {"The same file twice",
       {add("/p/a.gif"), add("/p/a.gif")},
       {{"a.gif", "/p/a.gif"}, {"a.gif", "/p/a.gif"}}},
      {"The same name from two folders, swapped",
       {add("/p/a.gif"), add("/q/a.gif"), select(1), click(u"cmdUp")},
       {{"a.gif", "/q/a.gif"}, {"a.gif", "/p/a.gif"}}},
      {"A cancelled file dialog adds nothing", {add("/p/a.gif"), add("")}, {{"a.gif", "/p/a.gif"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    slide(c.actions);
    EXPECT_EQ(entries(), c.expected);
    EXPECT_EQ(dialog().control(u"lstPic").listIndex(), c.selected);
    EXPECT_TRUE(ui_.messages.shown.empty());
  }
  EXPECT_EQ(text(), kOneLinePage);
}

TEST_F(SlideDialog, TheSeventySecondPictureIsRefusedAndTheListStaysAsItWas) {
  const auto fullList = [&] {
    std::vector<UserAction> actions;
    for (int i = 0; i < 71; ++i) actions.push_back(addFile("p" + std::to_string(i) + ".gif"));
    return actions;
  };
  auto actions = fullList();
  actions.push_back(add("/p/refused.gif"));
  slide(actions);
  ASSERT_EQ(ui_.messages.shown.size(), 1u);
  const MessageRequest& shown = ui_.messages.shown[0];
  EXPECT_EQ(shown.text,
            u"A slide show holds at most 71 pictures. Remove a picture before you add another.");
  EXPECT_EQ(shown.title, u"Velmopro");
  EXPECT_EQ(shown.buttons, MsgButtons::Ok);
  EXPECT_EQ(shown.icon, MsgIcon::Exclamation);
  const Entries list = entries();
  ASSERT_EQ(list.size(), 71u);
  EXPECT_EQ(list.back().first, "p70.gif");
  // The file dialog did not open for the refused picture: its answer is still waiting.
  EXPECT_EQ(ui_.openFile.showOpen(u"").value().fullPath, u"/p/refused.gif");

  // Room again after a removal; "Do it" takes all 71.
  actions = fullList();
  for (auto action : {click(u"cmdBrowse"), select(0), click(u"cmdRemove"), addFile("last.gif"),
                      click(u"cmdDoit")}) {
    actions.push_back(action);
  }
  ui_.messages.shown.clear();
  slide(actions);
  EXPECT_EQ(messageTexts(), std::vector<std::u16string>{kFullListMessage});
  EXPECT_TRUE(report().closedByForm);
  const std::string page = text();
  EXPECT_NE(page.find("photos_VL[0] = \"slide_img/p1.gif\"\r\n"), std::string::npos);
  EXPECT_NE(page.find("photos_VL[70] = \"slide_img/last.gif\"\r\nvar linkornot_VL=0"),
            std::string::npos);
}

TEST_F(SlideDialog, AFailingImportStopsTheRunKeepsTheDialogOpenAndTellsTheUser) {
  const std::string missing = (dir_ / "disk/missing.gif").string();
  slide({addFile("one.gif", "GIF89a1"), add(missing), addFile("three.gif", "GIF89a3"),
         click(u"cmdDoit")});
  ASSERT_EQ(ui_.messages.shown.size(), 1u);
  const MessageRequest& shown = ui_.messages.shown[0];
  EXPECT_NE(utf16ToUtf8(shown.text).find(missing), std::string::npos) << utf16ToUtf8(shown.text);
  EXPECT_EQ(shown.icon, MsgIcon::Critical);
  ASSERT_TRUE(report().failure.has_value());
  EXPECT_FALSE(report().closedByForm);
  EXPECT_EQ(text(), kOneLinePage) << "no script and no table before every picture is in";
  // The run stopped at the failing picture: the one before it is in, the one after is not.
  host_.commit();
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/one.gif"), "GIF89a1");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/slide_img/three.gif"));
}

TEST_F(SlideDialog, AfterAFailureTheUserCanMendTheListAndFinish) {
  slide({addFile("one.gif"), add("/no/such/two.gif"), click(u"cmdDoit"), select(1),
         click(u"cmdRemove"), addFile("two.gif"), click(u"cmdDoit")});
  EXPECT_EQ(ui_.messages.shown.size(), 1u);
  EXPECT_TRUE(report().closedByForm);
  EXPECT_NE(text().find("photos_VL[1] = \"slide_img/two.gif\""), std::string::npos);
}

TEST_F(SlideDialog, CancelAndTheCloseBoxLeaveThePageAndSiteAndTheNextShowStartsEmpty) {
  const std::vector<UserAction> endings[] = {{click(u"cmdCancel")}, {UserAction::closeBox()}};
  for (const auto& ending : endings) {
    auto actions = std::vector<UserAction>{addFile("one.gif"), addFile("two.gif")};
    actions.insert(actions.end(), ending.begin(), ending.end());
    slide(actions);
    EXPECT_EQ(text(), kOneLinePage);
    EXPECT_FALSE(dialog().isLoaded());
    slide({});
    EXPECT_TRUE(entries().empty());
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/slide_img"));
}

TEST_F(SlideDialog, HelpOpensTopicFourWithTheDialogsOwnHelpObject) {
  ui_.files.readable = {u"/opt/velmo/helptest.chm"};
  ui_.help.windows = {7, 8};
  slide({click(u"Command1"), click(u"Command1"), click(u"cmdCancel")});
  ASSERT_EQ(ui_.help.shows.size(), 2u);
  EXPECT_EQ(ui_.help.shows[1].command, HelpCommand::HelpContext);
  EXPECT_EQ(ui_.help.shows[1].data, HelpData(std::uint32_t{4}));
  ASSERT_NE(dialog().help().object(), nullptr);
  EXPECT_EQ(dialog().help().object()->helpWindow(), 8u);
}

TEST(SlideLayout, CaptionTabOrderAndToolTips) {
  const forms::FormDesign& design = frmSlideDesign();
  EXPECT_EQ(design.caption, u"Velmo - Slide Show");
  std::vector<const forms::ControlDesign*> tabbed;
  for (const auto& control : design.controls) {
    if (control.tabIndex >= 0) tabbed.push_back(&control);
  }
  std::sort(tabbed.begin(), tabbed.end(),
            [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
  std::vector<std::u16string> order;
  for (const auto* control : tabbed) order.push_back(control->name);
  EXPECT_EQ(order, (std::vector<std::u16string>{u"lstPic", u"lblName", u"cmdBrowse", u"cmdRemove",
                                                u"cmdUp", u"cmdDown", u"cmdDoit", u"cmdCancel",
                                                u"Command1"}));
  for (std::size_t i = 0; i < tabbed.size(); ++i)
    EXPECT_EQ(tabbed[i]->tabIndex, static_cast<int>(i));
  const auto toolTip = [&](std::u16string_view name) {
    return std::find_if(design.controls.begin(), design.controls.end(),
                        [&](const auto& c) { return c.name == name; })
        ->toolTip;
  };
  EXPECT_EQ(toolTip(u"cmdUp"), u"Moves picture up in order");
  EXPECT_EQ(toolTip(u"cmdDown"), u"Moves picture Down in order");
}

}  // namespace
}  // namespace velmo
