// The add-to-favourites dialog: its layout, its handlers, "Do it!" with its checks, and Browse
// against a site folder on disk.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/common/text.h"
#include "features/command_class/clstestt.h"
#include "features/favourites/frm_add_to_favor2.h"
#include "features/favourites/frm_add_to_favor2_layout.h"
#include "file_host/files/atomic_file.h"
#include "tests/support/golden.h"
#include "tests/support/page_fixture.h"
#include "tests/support/recording_ui.h"
#include "tests/support/selection_page_host.h"

namespace velmo {
namespace {

using forms::UserAction;
using testing::golden;

const std::u16string kForm = u"frmAddToFavor2";

TEST(FavouritesLayout, WindowTabOrderAndContainers) {
  const forms::FormDesign& design = frmAddToFavor2Design();
  EXPECT_EQ(design.caption, u"Velmo - Add To Favorite");
  EXPECT_EQ(design.clientWidth, 7275);
  EXPECT_EQ(design.clientHeight, 5145);

  std::vector<const forms::ControlDesign*> focusable;
  for (const auto& control : design.controls) {
    if (control.tabIndex >= 0) focusable.push_back(&control);
  }
  std::sort(focusable.begin(), focusable.end(),
            [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
  std::vector<std::u16string> order;
  for (const auto* control : focusable) order.push_back(control->name);
  EXPECT_EQ(order, (std::vector<std::u16string>{
                       u"opType1", u"opType2", u"txtType", u"cmdBrowse", u"opURL1", u"txtHTTP",
                       u"opURL2", u"txtTitle", u"opTitle2", u"opTitle1", u"cmdDoIt", u"cmdCancel",
                       u"cmdHelp", u"opBrowsers1", u"opBrowsers2", u"txtMessage"}));

  // Each pair of option buttons has a frame of its own, which comes before it.
  std::vector<std::u16string> seen;
  for (const auto& control : design.controls) {
    if (!control.parent.empty()) {
      EXPECT_NE(std::find(seen.begin(), seen.end(), control.parent), seen.end())
          << utf16ToUtf8(control.name);
    }
    seen.push_back(control.name);
  }
  const auto parentOf = [&](std::u16string_view name) {
    return std::find_if(design.controls.begin(), design.controls.end(),
                        [&](const auto& c) { return c.name == name; })
        ->parent;
  };
  EXPECT_EQ(parentOf(u"opType2"), u"Frame1");
  EXPECT_EQ(parentOf(u"opURL2"), u"Frame2");
  EXPECT_EQ(parentOf(u"opTitle2"), u"Frame3");
  EXPECT_EQ(parentOf(u"opBrowsers2"), u"Frame4");
  EXPECT_EQ(parentOf(u"cmdDoIt"), u"");
}

// One use of the command with a scripted user, on a page held in memory.
class FavouritesDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.page = u"<p>before</p><p>after</p>";
    host_.caretAt(13);
  }
  void addToFavourites(std::vector<UserAction> actions) {
    ui_.presenter.plan(kForm, std::move(actions));
    clstestt(host_, ui_.ui).addtofavor();
  }
  frmAddToFavor2& dialog() { return *ui_.ui.findDialog<frmAddToFavor2>(); }
  const forms::Control& control(std::u16string_view name) { return dialog().control(name); }
  forms::ShowReport report() const { return *ui_.presenter.report(kForm); }

  testing::SelectionPageHost host_;
  testing::RecordingUi ui_;
};

TEST_F(FavouritesDialog, EveryShowStartsFromTheDefaults) {
  const auto expectDefaults = [&] {
    EXPECT_FALSE(control(u"opType1").value());
    EXPECT_TRUE(control(u"opType2").value());
    EXPECT_EQ(control(u"lblType").text(), u"Link Text");
    EXPECT_EQ(control(u"txtType").text(), u"");
    EXPECT_TRUE(control(u"txtType").enabled());
    EXPECT_FALSE(control(u"cmdBrowse").visible());
    EXPECT_EQ(control(u"cmdBrowse").toolTip(),
              u"Adds a picture from your hardisk to the website folder.");
    EXPECT_TRUE(control(u"opURL1").value());
    EXPECT_FALSE(control(u"opURL2").value());
    EXPECT_FALSE(control(u"txtHTTP").enabled());
    EXPECT_TRUE(control(u"opTitle1").value());
    EXPECT_FALSE(control(u"opTitle2").value());
    EXPECT_FALSE(control(u"txtTitle").enabled());
    EXPECT_TRUE(control(u"opBrowsers1").value());
    EXPECT_FALSE(control(u"opBrowsers2").value());
    EXPECT_EQ(control(u"txtMessage").text(), u"Don't forget to bookmark us!");
    EXPECT_FALSE(control(u"txtMessage").enabled());
  };
  addToFavourites({});
  expectDefaults();
  addToFavourites({UserAction::click(u"opType1"), UserAction::type(u"txtType", u"a.gif"),
                   UserAction::click(u"opURL2"), UserAction::type(u"txtHTTP", u"x.org"),
                   UserAction::click(u"opTitle2"), UserAction::type(u"txtTitle", u"X"),
                   UserAction::click(u"opBrowsers2"), UserAction::type(u"txtMessage", u"Hi"),
                   UserAction::click(u"cmdCancel")});
  EXPECT_TRUE(report().closedByForm);
  EXPECT_FALSE(dialog().isLoaded());
  addToFavourites({});
  expectDefaults();
  EXPECT_EQ(host_.page, u"<p>before</p><p>after</p>");
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(FavouritesDialog, OptionButtonsSwitchTheirFieldsAndKeepTheirTexts) {
  addToFavourites({
      UserAction::type(u"txtType", u"Bookmark"),
      UserAction::click(u"opType1"),
      UserAction::click(u"opURL2"),
      UserAction::type(u"txtHTTP", u"x.org"),
      UserAction::click(u"opURL1"),
      UserAction::click(u"opTitle2"),
      UserAction::type(u"txtTitle", u"X"),
      UserAction::click(u"opTitle1"),
      UserAction::click(u"opBrowsers2"),
  });
  EXPECT_EQ(control(u"lblType").text(), u"Image Source");
  EXPECT_TRUE(control(u"cmdBrowse").visible());
  EXPECT_EQ(control(u"txtType").text(), u"Bookmark");
  EXPECT_FALSE(control(u"txtHTTP").enabled());
  EXPECT_EQ(control(u"txtHTTP").text(), u"x.org");
  EXPECT_FALSE(control(u"txtTitle").enabled());
  EXPECT_EQ(control(u"txtTitle").text(), u"X");
  EXPECT_TRUE(control(u"txtMessage").enabled());
  // The four frames keep their choices apart.
  EXPECT_TRUE(control(u"opType1").value());
  EXPECT_TRUE(control(u"opURL1").value());
  EXPECT_TRUE(control(u"opTitle1").value());
  EXPECT_TRUE(control(u"opBrowsers2").value());

  addToFavourites({UserAction::click(u"opType1"), UserAction::type(u"txtType", u"a.gif"),
                   UserAction::click(u"opType2"), UserAction::click(u"opBrowsers2"),
                   UserAction::click(u"opBrowsers1")});
  EXPECT_EQ(control(u"lblType").text(), u"Link Text");
  EXPECT_FALSE(control(u"cmdBrowse").visible());
  EXPECT_EQ(control(u"txtType").text(), u"a.gif");
  EXPECT_FALSE(control(u"txtMessage").enabled());
}

TEST_F(FavouritesDialog, DoItPastesTheBlockForTheFieldsAndCloses) {
  const struct {
    const char* golden;
    std::vector<UserAction> actions;
  } cases[] = {
      {"favourites-text-current.txt", {UserAction::type(u"txtType", u"Bookmark us")}},
      {"favourites-image-other-message.txt",
       {UserAction::click(u"opType1"), UserAction::type(u"txtType", u"images/logo.gif"),
        UserAction::click(u"opURL2"), UserAction::type(u"txtHTTP", u"www.example.com/bakery/"),
        UserAction::click(u"opTitle2"), UserAction::type(u"txtTitle", u"Harbour Bakery"),
        UserAction::click(u"opBrowsers2")}},
      {"favourites-empty-message.txt",
       {UserAction::type(u"txtType", u"Go"), UserAction::click(u"opBrowsers2"),
        UserAction::type(u"txtMessage", u"")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.golden);
    SetUp();
    host_.calls.clear();
    auto actions = c.actions;
    actions.push_back(UserAction::click(u"cmdDoIt"));
    addToFavourites(actions);
    EXPECT_EQ(utf16ToUtf8(host_.page), "<p>before</p>" + golden(c.golden) + "<p>after</p>");
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"ActivePageWindow", "Document", "selection",
                                                     "createRange", "pasteHTML"}));
    EXPECT_TRUE(report().closedByForm);
    EXPECT_TRUE(ui_.messages.shown.empty());
  }
}

TEST_F(FavouritesDialog, AFailedCheckShowsItsMessageAndKeepsTheDialogOpen) {
  const struct {
    std::vector<UserAction> actions;
    std::u16string message;
  } cases[] = {
      {{UserAction::click(u"opURL2"), UserAction::click(u"opTitle2")},
       u"Please fill link text or image source first"},
      {{UserAction::type(u"txtType", u"x"), UserAction::click(u"opURL2"),
        UserAction::click(u"opTitle2")},
       u"Please fill URL first"},
      {{UserAction::type(u"txtType", u"x"), UserAction::click(u"opTitle2"),
        UserAction::click(u"opURL2"), UserAction::type(u"txtHTTP", u"x.org")},
       u"Please fill Title first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.message));
    ui_.messages.shown.clear();
    auto actions = c.actions;
    actions.push_back(UserAction::click(u"cmdDoIt"));
    addToFavourites(actions);
    ASSERT_EQ(ui_.messages.shown.size(), 1u);
    const MessageRequest& shown = ui_.messages.shown[0];
    EXPECT_EQ(shown.text, c.message);
    EXPECT_EQ(shown.title, u"Add to favorite");
    EXPECT_EQ(shown.buttons, MsgButtons::Ok);
    EXPECT_EQ(shown.icon, MsgIcon::None);
    EXPECT_FALSE(report().closedByForm);  // still open until the user closed it
    EXPECT_EQ(host_.page, u"<p>before</p><p>after</p>");
    EXPECT_TRUE(host_.calls.empty());
  }
}

TEST_F(FavouritesDialog, TheUserCanCorrectAFieldAfterACheckAndTryAgain) {
  addToFavourites({UserAction::type(u"txtType", u" "), UserAction::click(u"opURL2"),
                   UserAction::click(u"cmdDoIt"), UserAction::type(u"txtHTTP", u"x.org"),
                   UserAction::click(u"cmdDoIt")});
  EXPECT_EQ(ui_.messages.shown.size(), 1u);
  EXPECT_TRUE(report().closedByForm);
  EXPECT_NE(host_.page.find(u"\r\nvar url_VL=\"http://x.org\";\r\n"), std::u16string::npos);
  EXPECT_NE(host_.page.find(u"document.write('\"> </a>');"), std::u16string::npos);
}

TEST_F(FavouritesDialog, AHostFailureWhilePastingKeepsTheDialogOpen) {
  host_.failAt = "createRange";
  addToFavourites({UserAction::type(u"txtType", u"Go"), UserAction::click(u"cmdDoIt")});
  ASSERT_TRUE(report().failure.has_value());
  EXPECT_FALSE(report().closedByForm);
  EXPECT_EQ(host_.page, u"<p>before</p><p>after</p>");
  ASSERT_EQ(ui_.messages.shown.size(), 1u);
  EXPECT_EQ(ui_.messages.shown[0].text, u"The editor failed at createRange");
}

TEST_F(FavouritesDialog, HelpShowsTopicTwoWithOneHelpObject) {
  ui_.help.windows = {7, 7};
  ui_.files.readable = {u"/opt/velmo/helptest.chm"};
  addToFavourites({UserAction::click(u"cmdHelp")});
  const CHTMLHelp* first = dialog().helpObject();
  ASSERT_NE(first, nullptr);
  addToFavourites({UserAction::click(u"cmdHelp")});
  EXPECT_EQ(dialog().helpObject(), first);
  ASSERT_EQ(ui_.help.shows.size(), 2u);
  EXPECT_EQ(ui_.help.shows[1].command, HelpCommand::HelpContext);
  EXPECT_EQ(ui_.help.shows[1].data, HelpData(std::uint32_t{2}));
}

// Browse against a site folder on disk whose images folder holds logo.gif.
class FavouritesBrowse : public testing::PageFixture {
 protected:
  void SetUp() override {
    dir_.write("site/images/logo.gif", "the web's logo");
    open("<html><head><title>Harbour</title></head><body></body></html>");
  }
  // Opens the dialog, chooses Image and Browse, where the user picks `chosen` (nothing: the
  // open-file dialog is cancelled), and leaves the dialog open. Returns txtType's text.
  std::u16string browse(const std::optional<std::filesystem::path>& chosen,
                        std::vector<UserAction> before = {}) {
    if (chosen) ui_.openFile.answer(file_host::pathToText(*chosen));
    before.push_back(UserAction::click(u"opType1"));
    before.push_back(UserAction::click(u"cmdBrowse"));
    ui_.presenter.plan(kForm, std::move(before));
    clstestt(host_, ui_.ui).addtofavor();
    return ui_.ui.findDialog<frmAddToFavor2>()->control(u"txtType").text();
  }
  std::filesystem::path picture(const std::string& name, const std::string& bytes) {
    return dir_.write("pictures/" + name, bytes);
  }
  std::vector<std::string> questions() const {
    std::vector<std::string> texts;
    for (const auto& shown : ui_.messages.shown) texts.push_back(utf16ToUtf8(shown.text));
    return texts;
  }
  std::string siteFile(const std::string& name) {
    host_.commit();
    return testing::readBytes(dir_ / "site" / name);
  }

  testing::RecordingUi ui_;
};

TEST_F(FavouritesBrowse, ANewPictureIsImportedIntoTheImagesFolder) {
  EXPECT_EQ(browse(picture("hills.gif", "GIF89a hills")), u"images/hills.gif");
  EXPECT_EQ(ui_.openFile.lastFilter(), u"GIF pictures |*.gif|JPEG pictures |*.jpg");
  EXPECT_TRUE(ui_.messages.shown.empty());
  EXPECT_EQ(siteFile("images/hills.gif"), "GIF89a hills");
}

TEST_F(FavouritesBrowse, ThePictureInTheWebItselfIsUsedWithoutAQuestion) {
  EXPECT_EQ(browse(dir_ / "site/images/logo.gif"), u"images/logo.gif");
  EXPECT_TRUE(ui_.messages.shown.empty());
  EXPECT_EQ(siteFile("images/logo.gif"), "the web's logo");
}

TEST_F(FavouritesBrowse, AnotherPictureOfTheSameNameAsksAndNeverReplacesTheWebs) {
  const auto other = picture("logo.gif", "GIF89a another logo");
  const std::string question =
      "The image logo.gif already exist in the image folder, click YES to use it, click NO to "
      "Cancel";

  ui_.messages.answers = {MsgAnswer::No};
  EXPECT_EQ(browse(other, {UserAction::type(u"txtType", u"kept")}), u"kept");
  EXPECT_EQ(questions(), std::vector<std::string>{question});
  EXPECT_EQ(ui_.messages.shown[0].title, u"Add to Favorite");
  EXPECT_EQ(ui_.messages.shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ui_.messages.shown[0].icon, MsgIcon::None);

  ui_.messages.shown.clear();
  ui_.messages.answers = {MsgAnswer::Yes};
  EXPECT_EQ(browse(other), u"images/logo.gif");
  EXPECT_EQ(questions(), std::vector<std::string>{question});
  EXPECT_EQ(siteFile("images/logo.gif"), "the web's logo");
}

TEST_F(FavouritesBrowse, ANameDifferingOnlyInCaseIsANewPicture) {
  EXPECT_EQ(browse(picture("Logo.GIF", "GIF89a capital")), u"images/Logo.GIF");
  EXPECT_TRUE(ui_.messages.shown.empty());
  EXPECT_EQ(siteFile("images/Logo.GIF"), "GIF89a capital");
  EXPECT_EQ(siteFile("images/logo.gif"), "the web's logo");
}

TEST_F(FavouritesBrowse, ACancelledOpenFileDialogChangesNothing) {
  EXPECT_EQ(browse(std::nullopt, {UserAction::type(u"txtType", u"kept")}), u"kept");
  EXPECT_TRUE(ui_.messages.shown.empty());
  EXPECT_FALSE(ui_.presenter.report(kForm)->failure);
}

TEST_F(FavouritesBrowse, HostFailuresAreShownAndLeaveTheSourceAsItWas) {
  // A picture that cannot be read fails at the import.
  EXPECT_EQ(browse(dir_ / "pictures/missing.gif", {UserAction::type(u"txtType", u"kept")}),
            u"kept");
  ASSERT_EQ(ui_.messages.shown.size(), 1u);
  EXPECT_EQ(ui_.messages.shown[0].icon, MsgIcon::Critical);
  EXPECT_TRUE(ui_.presenter.report(kForm)->failure);

  // The images folder is never created.
  std::filesystem::remove_all(dir_ / "site/images");
  ui_.messages.shown.clear();
  EXPECT_EQ(browse(picture("hills.gif", "GIF89a hills"), {UserAction::type(u"txtType", u"kept")}),
            u"kept");
  ASSERT_EQ(ui_.messages.shown.size(), 1u);
  EXPECT_NE(ui_.messages.shown[0].text.find(u"images"), std::u16string::npos);
  host_.commit();
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/images"));
}

}  // namespace
}  // namespace velmo
