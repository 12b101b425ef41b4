// CHTMLHelp over a recording help API and file test.

#include <gtest/gtest.h>

#include "core/help/chtmlhelp.h"
#include "core/help/dialog_help.h"
#include "core/platform/headless/desktop_services.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace velmo {
namespace {

const std::u16string kFile = u"/opt/velmo/helptest.chm";

class HelpWrapper : public ::testing::Test {
 protected:
  HelpWrapper() { files_.readable = {kFile}; }
  CHTMLHelp makeHelp() { return CHTMLHelp(api_, files_, messages_, kFile); }

  testing::RecordingHelpApi api_;
  testing::RecordingFileProbe files_;
  testing::RecordingMessageBoxes messages_;
};

TEST(HelpFilePath, IsTheFolderTheSeparatorAndTheName) {
  EXPECT_EQ(helpFileIn(u"C:\\Program Files\\Velmo", u'\\'),
            u"C:\\Program Files\\Velmo\\helptest.chm");
  EXPECT_EQ(helpFileIn(u"/usr/lib/velmo/", u'/'), u"/usr/lib/velmo//helptest.chm");
}

TEST_F(HelpWrapper, EachShowSendsItsCommandAndData) {
  const struct {
    const char* what;
    std::function<void(CHTMLHelp&)> call;
    HelpCommand command;
    HelpData data;
  } cases[] = {
      {"contents", [](CHTMLHelp& h) { h.ShowContents(7); }, HelpCommand::DisplayToc, 0u},
      {"index", [](CHTMLHelp& h) { h.ShowIndex(7); }, HelpCommand::DisplayIndex, 0u},
      {"search", [](CHTMLHelp& h) { h.ShowSearch(7); }, HelpCommand::DisplaySearch,
       HelpSearchQuery{32, false, "", 0, false, false, true, ""}},
      {"topic 4", [](CHTMLHelp& h) { h.ShowTopic(4, 7); }, HelpCommand::HelpContext, 4u},
      {"topic -1", [](CHTMLHelp& h) { h.ShowTopic(-1, 7); }, HelpCommand::HelpContext, 0xFFFFFFFFu},
      {"topic -32768", [](CHTMLHelp& h) { h.ShowTopic(-32768, 7); }, HelpCommand::HelpContext,
       0xFFFF8000u},
  };
  for (const auto& c : cases) {
    api_.shows.clear();
    auto help = makeHelp();
    c.call(help);
    ASSERT_EQ(api_.shows.size(), 1u) << c.what;
    EXPECT_EQ(api_.shows[0].parent, 7u) << c.what;
    EXPECT_EQ(api_.shows[0].helpFile, kFile) << c.what;
    EXPECT_EQ(api_.shows[0].command, c.command) << c.what;
    EXPECT_EQ(api_.shows[0].data, c.data) << c.what;
  }
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(HelpWrapper, EveryShowReplacesTheRememberedWindowEvenWithNothing) {
  auto help = makeHelp();
  api_.windows = {0x101, 0x202, 0};
  help.ShowTopic(2, 0);
  EXPECT_EQ(help.helpWindow(), 0x101u);
  help.ShowIndex(0);
  EXPECT_EQ(help.helpWindow(), 0x202u);
  help.ShowContents(0);
  EXPECT_EQ(help.helpWindow(), 0u);
}

TEST_F(HelpWrapper, AMissingFileIsReportedWithItsFullPathAndNothingElseHappens) {
  auto help = makeHelp();
  api_.windows = {0x101};
  help.ShowTopic(3, 0);
  files_.readable.clear();
  const std::function<void(CHTMLHelp&)> shows[] = {
      [](CHTMLHelp& h) { h.ShowContents(0); }, [](CHTMLHelp& h) { h.ShowIndex(0); },
      [](CHTMLHelp& h) { h.ShowSearch(0); }, [](CHTMLHelp& h) { h.ShowTopic(2, 0); }};
  for (const auto& show : shows) show(help);
  EXPECT_EQ(api_.shows.size(), 1u);
  EXPECT_EQ(help.helpWindow(), 0x101u);
  ASSERT_EQ(messages_.shown.size(), 4u);
  for (const MessageRequest& shown : messages_.shown) {
    EXPECT_EQ(shown.text, u"Help File '/opt/velmo/helptest.chm' not found.");
    EXPECT_EQ(shown.title, u"Velmopro");
    EXPECT_EQ(shown.icon, MsgIcon::Information);
    EXPECT_EQ(shown.buttons, MsgButtons::Ok);
  }
}

TEST_F(HelpWrapper, CloseHelpWindowPostsOnlyToALiveWindow) {
  {
    auto fresh = makeHelp();
    fresh.CloseHelpWindow();
    EXPECT_TRUE(api_.isWindowAsked.empty());
  }
  auto help = makeHelp();
  api_.windows = {0x101, 0x202};
  help.ShowTopic(2, 0);
  help.CloseHelpWindow();  // the user closed it already
  EXPECT_EQ(api_.isWindowAsked, std::vector<WindowHandle>{0x101});
  EXPECT_TRUE(api_.closesPosted.empty());
  EXPECT_EQ(help.helpWindow(), 0u);

  api_.liveWindows = {0x202};
  help.ShowTopic(2, 0);
  help.CloseHelpWindow();
  EXPECT_EQ(api_.closesPosted, std::vector<WindowHandle>{0x202});
  EXPECT_EQ(help.helpWindow(), 0u);
  help.CloseHelpWindow();
  EXPECT_EQ(api_.closesPosted.size(), 1u);
}

TEST_F(HelpWrapper, DestroyingTheWrapperClosesItsLiveWindow) {
  api_.windows = {0x303};
  api_.liveWindows = {0x303};
  makeHelp().ShowTopic(5, 0);
  EXPECT_EQ(api_.closesPosted, std::vector<WindowHandle>{0x303});
}

TEST_F(HelpWrapper, FileExistTrimsSpacesAndNeverAsksForAnEmptyName) {
  auto help = makeHelp();
  EXPECT_FALSE(help.FileExist(u""));
  EXPECT_FALSE(help.FileExist(u"    "));
  EXPECT_TRUE(files_.asked.empty());
  EXPECT_TRUE(help.FileExist(u"  " + kFile + u"  "));
  EXPECT_FALSE(help.FileExist(u"\t" + kFile));  // only spaces are trimmed
  EXPECT_EQ(files_.asked, (std::vector<std::u16string>{kFile, u"\t" + kFile}));
}

TEST(DialogHelpButton, CreatesOneHelpObjectOnTheFirstClickAndKeepsIt) {
  testing::RecordingUi ui;
  ui.files.readable = {u"/opt/velmo/helptest.chm"};
  ui.help.windows = {0x101, 0x202};
  ui.help.liveWindows = {0x202};
  {
    DialogHelp button(ui.ui.platform());
    EXPECT_EQ(button.object(), nullptr);
    button.showTopic(3);
    const CHTMLHelp* first = button.object();
    button.showTopic(3);
    EXPECT_EQ(button.object(), first);
    EXPECT_EQ(first->helpWindow(), 0x202u);
    ASSERT_EQ(ui.help.shows.size(), 2u);
    EXPECT_EQ(ui.help.shows[1].parent, 0u);
    EXPECT_EQ(ui.help.shows[1].data, HelpData(3u));
  }
  EXPECT_EQ(ui.help.closesPosted, std::vector<WindowHandle>{0x202});
}

TEST(StdFileProbe, ReadsFilesButNotFolders) {
  testing::TempDir dir;
  const auto file = dir.write("helptest.chm", "ITSF");
  StdFileProbe probe;
  EXPECT_TRUE(probe.canOpenForReading(file.u16string()));
  EXPECT_FALSE(probe.canOpenForReading(dir.path().u16string()));
  EXPECT_FALSE(probe.canOpenForReading((dir / "missing.chm").u16string()));
}

}  // namespace
}  // namespace velmo
