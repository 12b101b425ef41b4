// The scrollbar colour dialog: its layout, and frmstyletest shown through the command class on a
// real page with a scripted user, colour chooser and settings store.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "core/common/text.h"
#include "features/command_class/clstestt.h"
#include "features/style/frm_style_test.h"
#include "features/style/frm_style_test_layout.h"
#include "tests/support/golden.h"
#include "tests/support/page_fixture.h"
#include "tests/support/recording_ui.h"

namespace velmo {
namespace {

using forms::ControlKind;
using forms::UserAction;

TEST(StyleDialogLayout, EveryControlSitsWhereTheDesignPutsIt) {
  const forms::FormDesign& design = frmstyletestDesign();
  EXPECT_EQ(design.name, u"frmstyletest");
  EXPECT_EQ(design.caption, u"Velmo - Scrollbar color");
  EXPECT_EQ(design.clientWidth, 7380);
  EXPECT_EQ(design.clientHeight, 5760);
  EXPECT_EQ(design.border, forms::BorderStyle::FixedSingle);
  EXPECT_FALSE(design.minButton || design.maxButton);

  const struct {
    const char16_t* name;
    ControlKind kind;
    const char16_t* text;
    forms::TwipsRect rect;
  } expected[] = {
      {u"Label8",
       ControlKind::Label,
       u"Double click the appropriate empty field to choose a color or enter the hexadecimal "
       u"color value.\r\nYou don't have to fill all the fields !!",
       {120, 120, 7095, 615}},
      {u"Label10", ControlKind::Label, u"Base Color", {360, 960, 1575, 255}},
      {u"Label1", ControlKind::Label, u"Arrow Color", {360, 1440, 1575, 255}},
      {u"Label2", ControlKind::Label, u"Highlight Color", {360, 1920, 1575, 255}},
      {u"Label3", ControlKind::Label, u"3dlight Color", {360, 2400, 1575, 255}},
      {u"Label4", ControlKind::Label, u"Face Color", {360, 2880, 1575, 255}},
      {u"Label5", ControlKind::Label, u"Track Color", {360, 3360, 1575, 255}},
      {u"Label6", ControlKind::Label, u"Shadow Color", {360, 3840, 1575, 255}},
      {u"Label7", ControlKind::Label, u"Darkshadow Color", {360, 4320, 1575, 255}},
      {u"Text1", ControlKind::TextBox, u"", {2160, 960, 1215, 375}},
      {u"Text2", ControlKind::TextBox, u"", {2160, 1440, 1215, 375}},
      {u"Text3", ControlKind::TextBox, u"", {2160, 1920, 1215, 375}},
      {u"Text4", ControlKind::TextBox, u"", {2160, 2400, 1215, 375}},
      {u"Text5", ControlKind::TextBox, u"", {2160, 2880, 1215, 375}},
      {u"Text6", ControlKind::TextBox, u"", {2160, 3360, 1215, 405}},
      {u"Text7", ControlKind::TextBox, u"", {2160, 3840, 1215, 375}},
      {u"Text8", ControlKind::TextBox, u"", {2160, 4320, 1215, 375}},
      {u"cl1", ControlKind::Swatch, u"", {3480, 960, 255, 255}},
      {u"cl2", ControlKind::Swatch, u"", {3480, 1440, 255, 255}},
      {u"cl3", ControlKind::Swatch, u"", {3480, 1920, 255, 255}},
      {u"cl4", ControlKind::Swatch, u"", {3480, 2400, 255, 255}},
      {u"cl5", ControlKind::Swatch, u"", {3480, 2880, 255, 255}},
      {u"cl6", ControlKind::Swatch, u"", {3480, 3360, 255, 255}},
      {u"cl7", ControlKind::Swatch, u"", {3480, 3840, 255, 255}},
      {u"cl8", ControlKind::Swatch, u"", {3480, 4320, 255, 255}},
      {u"Label", ControlKind::Label, u"Reference Image", {5040, 960, 1935, 375}},
      {u"Image1", ControlKind::Image, u"", {4200, 1560, 2895, 3285}},
      {u"cmdDoIt", ControlKind::CommandButton, u"Do It!", {240, 5040, 975, 375}},
      {u"cmdCancel", ControlKind::CommandButton, u"Cancel", {1440, 5040, 975, 375}},
      {u"Command1", ControlKind::CommandButton, u"Help", {2640, 5040, 855, 375}},
      {u"cmdSave", ControlKind::CommandButton, u"Save", {4200, 5040, 735, 375}},
      {u"cmdLoad", ControlKind::CommandButton, u"Load", {5040, 5040, 735, 375}},
      {u"CommonDialog1", ControlKind::CommonDialog, u"", {}},
  };
  ASSERT_EQ(design.controls.size(), std::size(expected));
  for (std::size_t i = 0; i < design.controls.size(); ++i) {
    const forms::ControlDesign& control = design.controls[i];
    SCOPED_TRACE(utf16ToUtf8(expected[i].name));
    EXPECT_EQ(control.name, expected[i].name);
    EXPECT_EQ(control.kind, expected[i].kind);
    EXPECT_EQ(control.text, expected[i].text);
    EXPECT_EQ(control.rect, expected[i].rect);
    EXPECT_TRUE(control.parent.empty());
    // Only the instruction text and the swatches' later colours differ from the kind's default.
    EXPECT_EQ(control.backColour.has_value(), control.name == u"Label8");
  }
}

TEST(StyleDialogLayout, FontsColoursTooltipsPictureAndTabOrder) {
  const forms::FormDesign& design = frmstyletestDesign();
  const auto find = [&](std::u16string_view name) -> const forms::ControlDesign& {
    for (const auto& control : design.controls) {
      if (control.name == name) return control;
    }
    throw std::out_of_range("no control");
  };
  const auto& instructions = find(u"Label8");
  EXPECT_EQ(instructions.font,
            (forms::Font{.name = u"MS Sans Serif", .points = 8.25, .bold = true}));
  EXPECT_EQ(instructions.backColour, forms::sys::kInfoBackground);
  EXPECT_TRUE(instructions.wordWrap);
  EXPECT_EQ(find(u"Label").font, (forms::Font{.name = u"MS Sans Serif", .points = 12}));
  EXPECT_EQ(design.font, forms::Font{});
  EXPECT_EQ(find(u"cmdSave").toolTip, u"Saves scrollbar colors to be used later");
  EXPECT_EQ(find(u"cmdLoad").toolTip, u"Loads  Scrollbar colors previously saved");
  EXPECT_EQ(find(u"Image1").picture, u"scrollbar_reference.bmp");
  EXPECT_FALSE(find(u"CommonDialog1").visible);

  // The keyboard walks the fields from top to bottom, then the buttons from left to right.
  std::vector<std::pair<int, std::u16string>> focusable;
  for (const auto& control : design.controls) {
    if (control.kind == ControlKind::TextBox || control.kind == ControlKind::CommandButton) {
      focusable.emplace_back(control.tabIndex, control.name);
    }
  }
  std::sort(focusable.begin(), focusable.end());
  std::vector<std::u16string> order;
  for (const auto& [index, name] : focusable) order.push_back(name);
  EXPECT_EQ(order, (std::vector<std::u16string>{
                       u"Text1", u"Text2", u"Text3", u"Text4", u"Text5", u"Text6", u"Text7",
                       u"Text8", u"cmdDoIt", u"cmdCancel", u"Command1", u"cmdSave", u"cmdLoad"}));
}

TEST(StyleDialogLayout, TheReferencePictureIsA24BitBitmapOfTheDesignedSize) {
  const std::string bmp = testing::readBytes(std::filesystem::path(VELMO_SOURCE_DIR) / "resources" /
                                             "scrollbar_reference.bmp");
  ASSERT_GE(bmp.size(), 54u);
  const auto le = [&](std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
      value = value << 8 | static_cast<unsigned char>(bmp[at + i]);
    return value;
  };
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(le(18, 4), 193u);  // width
  EXPECT_EQ(le(22, 4), 219u);  // height
  EXPECT_EQ(le(28, 2), 24u);   // bits per pixel
}

// The chooser as a user works it, remembering the colour each opening started from.
class RecordingColourChooser : public ScriptedColourChooser {
 public:
  std::vector<std::uint32_t> starts;
  std::optional<std::uint32_t> showColor(std::uint32_t start) override {
    starts.push_back(start);
    return ScriptedColourChooser::showColor(start);
  }
};

constexpr char kTwoRules[] =
    "<html><head><style>body { scrollbar-base-color: #ffcc00; scrollbar-arrow-color: red; "
    "scrollbar-face-color: #12; color: navy }</style></head><body></body></html>";

class StyleDialog : public testing::PageFixture {
 protected:
  // One use of the command with the user's actions.
  void style(std::vector<UserAction> actions) {
    ui_.presenter.plan(u"frmstyletest", std::move(actions));
    clstestt(host_, env_).style();
  }
  frmstyletest& dialog() { return *env_.findDialog<frmstyletest>(); }
  std::u16string field(int n) { return dialog().control(u"Text" + digit(n)).text(); }
  std::optional<forms::OleColour> swatch(int n) {
    return dialog().control(u"cl" + digit(n)).backColour();
  }
  std::u16string saved(const std::u16string& key) {
    return ui_.settings.get(u"velmoed", u"color", key, u"(nothing)");
  }
  static std::u16string digit(int n) { return std::u16string(1, static_cast<char16_t>(u'0' + n)); }

  testing::RecordingUi ui_;
  RecordingColourChooser chooser_;
  Platform platform_{ui_.messages,
                     ui_.openFile,
                     chooser_,
                     ui_.settings,
                     ui_.help,
                     ui_.files,
                     ui_.desktop,
                     ui_.desktop,
                     ui_.measurer,
                     ui_.presenter,
                     u"/opt/velmo/helptest.chm"};
  UiEnvironment env_{platform_};
};

TEST_F(StyleDialog, LoadFillsFieldsFromTheFirstBodyRuleAndSwatchesOnlyFromColours) {
  open(kTwoRules);
  style({});
  EXPECT_EQ(field(1), u"ffcc00");
  EXPECT_EQ(swatch(1), 0x00CCFFu);
  // Not six hexadecimal digits: the text stays as read and the swatch keeps its default.
  EXPECT_EQ(field(2), u"red");
  EXPECT_EQ(swatch(2), std::nullopt);
  EXPECT_EQ(field(5), u"#12");
  EXPECT_EQ(swatch(5), std::nullopt);
  for (int n : {3, 4, 6, 7, 8}) {
    EXPECT_EQ(field(n), u"");
    EXPECT_EQ(swatch(n), std::nullopt);
  }
  EXPECT_TRUE(ui_.messages.shown.empty());
  EXPECT_EQ(text(), kTwoRules);
}

TEST_F(StyleDialog, WithoutAStyleInTheHeadEveryFieldStartsEmpty) {
  open(
      "<html><head></head><body><style>body { scrollbar-base-color: #ffcc00 }</style></body>"
      "</html>");
  style({});
  for (int n = 1; n <= 8; ++n) {
    EXPECT_EQ(field(n), u"");
    EXPECT_EQ(swatch(n), std::nullopt);
  }
}

TEST_F(StyleDialog, DoItAppliesTheFieldsConfirmsAndCloses) {
  open("<html><head><title>t</title></head><body></body></html>");
  style({UserAction::type(u"Text1", u"FF0000"), UserAction::type(u"Text5", u"00FF00"),
         UserAction::click(u"cmdDoIt")});
  EXPECT_EQ(committed(), "<html><head><title>t</title>" +
                             testing::golden("scrollbar-style-example.txt") +
                             "</head><body></body></html>");
  ASSERT_EQ(ui_.messages.shown.size(), 1u);
  const MessageRequest& shown = ui_.messages.shown[0];
  EXPECT_EQ(shown.text, u"ScrollBar Color has been applied successfully");
  EXPECT_EQ(shown.title, u"Velmopro");
  EXPECT_EQ(shown.buttons, MsgButtons::Ok);
  EXPECT_EQ(shown.icon, MsgIcon::None);
  EXPECT_FALSE(dialog().isLoaded());
  EXPECT_TRUE(ui_.presenter.report(u"frmstyletest")->closedByForm);
}

TEST_F(StyleDialog, CancelAndTheCloseBoxChangeNothing) {
  for (const auto& ending : std::vector<std::vector<UserAction>>{{UserAction::click(u"cmdCancel")},
                                                                 {UserAction::closeBox()}}) {
    open(kTwoRules);
    style({UserAction::type(u"Text3", u"FFFFFF"), ending[0]});
    EXPECT_EQ(committed(), kTwoRules);
    EXPECT_EQ(saved(u"hc"), u"(nothing)");
    EXPECT_FALSE(dialog().isLoaded());
    EXPECT_EQ(ui_.presenter.report(u"frmstyletest")->closedByForm,
              ending[0].kind == UserAction::Kind::Click);
  }
}

TEST_F(StyleDialog, TheChooserFillsFieldAndSwatchAndACancelLeavesBoth) {
  open(kTwoRules);
  chooser_.answer(0x123456);
  chooser_.answer(std::nullopt);
  chooser_.answer(std::nullopt);
  style({UserAction::doubleClick(u"Text3"),
         // Cancelled after a colour was chosen elsewhere: the typed text stays.
         UserAction::type(u"Text4", u"C0C0C0"), UserAction::doubleClick(u"Text4"),
         // Cancelled on a field read from the page: text and swatch stay.
         UserAction::doubleClick(u"Text1")});
  EXPECT_EQ(field(3), u"563412");
  EXPECT_EQ(swatch(3), 0x123456u);
  EXPECT_EQ(field(4), u"C0C0C0");
  EXPECT_EQ(swatch(4), std::nullopt);
  EXPECT_EQ(field(1), u"ffcc00");
  EXPECT_EQ(swatch(1), 0x00CCFFu);
  // The chooser starts from black in every opening of the dialog, then from its last colour.
  EXPECT_EQ(chooser_.starts, (std::vector<std::uint32_t>{0, 0x123456, 0x123456}));
  chooser_.answer(std::nullopt);
  style({UserAction::doubleClick(u"Text8")});
  EXPECT_EQ(chooser_.starts.back(), 0u);
  EXPECT_EQ(field(8), u"");
}

TEST_F(StyleDialog, TypingLeavesTheSwatchAlone) {
  open(kTwoRules);
  style({UserAction::type(u"Text1", u"0000FF"), UserAction::type(u"Text2", u"00FF00")});
  EXPECT_EQ(field(1), u"0000FF");
  EXPECT_EQ(swatch(1), 0x00CCFFu);
  EXPECT_EQ(swatch(2), std::nullopt);
}

TEST_F(StyleDialog, SaveWritesAllEightTextsAndLoadBringsThemBack) {
  open(kTwoRules);
  style({UserAction::type(u"Text8", u"000000"), UserAction::click(u"cmdSave")});
  const struct {
    const char16_t* key;
    const char16_t* value;
  } keys[] = {{u"bc", u"ffcc00"}, {u"ac", u"red"}, {u"hc", u""}, {u"3c", u""},
              {u"fc", u"#12"},    {u"tc", u""},    {u"sc", u""}, {u"dc", u"000000"}};
  for (const auto& key : keys) EXPECT_EQ(saved(key.key), key.value) << utf16ToUtf8(key.key);
  EXPECT_TRUE(ui_.messages.shown.empty());

  // A new show on a page without colours; Load fills every field and the swatches of colours.
  open("<html><head></head><body></body></html>");
  chooser_.answer(0x00FF00);
  style({UserAction::doubleClick(u"Text3"), UserAction::click(u"cmdLoad")});
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(field(n), keys[n - 1].value) << n;
  EXPECT_EQ(swatch(1), 0x00CCFFu);
  EXPECT_EQ(swatch(2), std::nullopt);
  // Emptied by Load, its swatch still shows the chosen colour.
  EXPECT_EQ(swatch(3), 0x00FF00u);
  EXPECT_EQ(swatch(8), 0u);
  EXPECT_TRUE(ui_.messages.shown.empty());
}

TEST_F(StyleDialog, LoadWithNothingSavedEmptiesTheFieldsAndKeepsTheSwatches) {
  open(kTwoRules);
  style({UserAction::click(u"cmdLoad")});
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(field(n), u"") << n;
  EXPECT_EQ(swatch(1), 0x00CCFFu);
  EXPECT_EQ(saved(u"bc"), u"(nothing)");
}

TEST_F(StyleDialog, EveryShowStartsFromTheDesignDefaults) {
  open(kTwoRules);
  style({UserAction::type(u"Text6", u"ABCDEF")});
  const frmstyletest* first = &dialog();
  open("<html><head></head><body></body></html>");
  style({});
  EXPECT_EQ(&dialog(), first);
  EXPECT_EQ(field(6), u"");
  EXPECT_EQ(swatch(1), std::nullopt);
}

TEST_F(StyleDialog, HelpOpensTopicThreeAndKeepsTheDialogOpen) {
  open(kTwoRules);
  ui_.files.readable = {u"/opt/velmo/helptest.chm"};
  ui_.help.windows = {77};
  style({UserAction::click(u"Command1")});
  ASSERT_EQ(ui_.help.shows.size(), 1u);
  EXPECT_EQ(ui_.help.shows[0].command, HelpCommand::HelpContext);
  EXPECT_EQ(ui_.help.shows[0].data, HelpData(3u));
  EXPECT_FALSE(ui_.presenter.report(u"frmstyletest")->closedByForm);
}

TEST_F(StyleDialog, WithoutAPageTheFailuresAreShownAndTheDialogStaysOpen) {
  // No page open: reading on load and Do It both meet the host's error.
  style({UserAction::type(u"Text1", u"FF0000"), UserAction::click(u"cmdDoIt"),
         UserAction::click(u"cmdCancel")});
  ASSERT_EQ(ui_.messages.shown.size(), 2u);
  for (const MessageRequest& shown : ui_.messages.shown) {
    EXPECT_EQ(shown.text, u"No page is open in the editor");
    EXPECT_EQ(shown.icon, MsgIcon::Critical);
  }
  const auto report = ui_.presenter.report(u"frmstyletest");
  ASSERT_TRUE(report->failure);
  EXPECT_TRUE(report->closedByForm);  // by Cancel, after the failures
}

}  // namespace
}  // namespace velmo
