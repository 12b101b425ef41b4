// The hyperlink label: its properties and what the container hears of them, its saved state,
// and what a press on its text opens.

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "core/platform/memory_property_bag.h"
#include "features/offers/url_link.h"
#include "features/offers/url_link_design.h"
#include "tests/support/recording_ui.h"

namespace velmo {
namespace {

using Events = std::vector<std::u16string>;

// 9.75 pt in the fixed metric: 98 twips a character, 234 a line.
constexpr int kCharWidth = 98;
constexpr int kLineHeight = 234;

class HyperlinkLabel : public ::testing::Test {
 protected:
  HyperlinkLabel() {
    link_.onPropertyChanged([this](std::u16string_view name) { notified_.emplace_back(name); });
  }

  testing::RecordingUi ui_;
  URLLink link_{URLLinkServices::of(ui_.ui.platform())};
  Events notified_;
};

// A bag whose reads fail from the given name on, as a damaged saved layout does.
class FailingBag : public MemoryPropertyBag {
 public:
  FailingBag(std::vector<forms::SavedProperty> saved, std::u16string failAt)
      : MemoryPropertyBag(saved), failAt_(std::move(failAt)) {}

 protected:
  std::optional<PropertyValue> find(std::u16string_view name) override {
    if (name == failAt_) throw HostError(hr::kFail, u"The saved state cannot be read");
    return MemoryPropertyBag::find(name);
  }

 private:
  std::u16string failAt_;
};

void expectDefaults(const URLLink& link) {
  EXPECT_EQ(link.Text(), u"Lumtrace Home Page");
  EXPECT_EQ(link.URL(), kURLLinkDefaultURL);
  EXPECT_FALSE(link.ShowToolTip());
  EXPECT_EQ(link.lblURL().toolTip(), u"");
  EXPECT_EQ(link.lblURL().rect(), (forms::TwipsRect{0, 0, 18 * kCharWidth, kLineHeight}));
}

TEST_F(HyperlinkLabel, TextFitsTheLabelAtTheTopLeftAndNotifies) {
  link_.setText(u"2Checkout");
  EXPECT_EQ(link_.Text(), u"2Checkout");
  EXPECT_EQ(link_.lblURL().text(), u"2Checkout");
  EXPECT_EQ(link_.lblURL().rect(), (forms::TwipsRect{0, 0, 9 * kCharWidth, kLineHeight}));
  link_.setText(u"Frontpage Templates");
  EXPECT_EQ(link_.lblURL().rect(), (forms::TwipsRect{0, 0, 19 * kCharWidth, kLineHeight}));
  // Setting the same text again still tells the container.
  link_.setText(u"Frontpage Templates");
  EXPECT_EQ(notified_, (Events{u"Text", u"Text", u"Text"}));
}

TEST_F(HyperlinkLabel, TheToolTipFollowsEveryURLAndShowToolTipSetter) {
  link_.setURL(u"x");
  EXPECT_EQ(link_.lblURL().toolTip(), u"");
  link_.setShowToolTip(true);
  EXPECT_EQ(link_.lblURL().toolTip(), u"x");
  link_.setURL(u"http://www.example.com/");
  EXPECT_EQ(link_.lblURL().toolTip(), u"http://www.example.com/");
  link_.setShowToolTip(false);
  EXPECT_EQ(link_.lblURL().toolTip(), u"");
  EXPECT_EQ(link_.URL(), u"http://www.example.com/");
  EXPECT_EQ(notified_, (Events{u"URL", u"ShowToolTip", u"URL", u"ShowToolTip"}));
}

TEST_F(HyperlinkLabel, ARendererHearsTheLabelChange) {
  std::vector<forms::Property> heard;
  URLLink link(URLLinkServices::of(ui_.ui.platform()),
               [&](forms::Control&, forms::Property property) { heard.push_back(property); });
  link.setText(u"ab");
  link.setShowToolTip(true);
  link.setURL(u"u");
  using forms::Property;
  EXPECT_EQ(heard, (std::vector<Property>{Property::Text, Property::Rect, Property::ToolTip}));

  // A renderer that comes later takes over, and stops hearing once it lets go.
  std::vector<forms::Property> later;
  link.onLabelChanged(
      [&](forms::Control&, forms::Property property) { later.push_back(property); });
  link.setText(u"abc");
  link.onLabelChanged({});
  link.setShowToolTip(false);
  EXPECT_EQ(later, (std::vector<Property>{Property::Text, Property::Rect}));
  EXPECT_EQ(heard.size(), 3u);
}

TEST_F(HyperlinkLabel, ANewControlTakesTheDefaults) {
  link_.setURL(u"old");
  link_.setShowToolTip(true);
  notified_.clear();
  link_.UserControl_InitProperties();
  expectDefaults(link_);
  // The address is stored directly: only the two setters notify.
  EXPECT_EQ(notified_, (Events{u"Text", u"ShowToolTip"}));
}

TEST_F(HyperlinkLabel, SavedStateLeavesDefaultsOutAndLoadsBack) {
  MemoryPropertyBag empty;
  link_.UserControl_InitProperties();
  link_.UserControl_WriteProperties(empty);
  EXPECT_TRUE(empty.entries().empty());

  link_.setText(u"2Checkout");
  link_.setURL(u"http://www.velmojs.com/ads/2checkout.htm");
  link_.setShowToolTip(true);
  MemoryPropertyBag saved;
  link_.UserControl_WriteProperties(saved);
  ASSERT_EQ(saved.entries().size(), 3u);
  EXPECT_EQ(saved.entries()[0].first, u"Text");
  EXPECT_EQ(saved.entries()[1].first, u"URL");
  EXPECT_EQ(saved.entries()[2], (MemoryPropertyBag::Entry{u"ShowToolTip", true}));

  URLLink loaded(URLLinkServices::of(ui_.ui.platform()));
  loaded.UserControl_ReadProperties(saved);
  EXPECT_EQ(loaded.Text(), u"2Checkout");
  EXPECT_EQ(loaded.URL(), u"http://www.velmojs.com/ads/2checkout.htm");
  EXPECT_TRUE(loaded.ShowToolTip());
  EXPECT_EQ(loaded.lblURL().toolTip(), u"http://www.velmojs.com/ads/2checkout.htm");
  EXPECT_EQ(loaded.lblURL().rect(), link_.lblURL().rect());
}

TEST_F(HyperlinkLabel, LoadingReadsNamesInAnyCaseAndMissingOnesAsDefaults) {
  struct Case {
    std::vector<forms::SavedProperty> saved;
    std::u16string text, url;
    bool showToolTip;
  };
  const std::u16string home(kURLLinkDefaultURL);
  const std::vector<Case> cases = {
      {{{u"text", u"A"}, {u"url", u"b"}}, u"A", u"b", false},
      {{{u"URL", u"b"}, {u"SHOWTOOLTIP", u"-1"}}, u"Lumtrace Home Page", u"b", true},
      {{{u"Text", u"A"}, {u"ShowToolTip", u"True"}}, u"A", home, true},
      {{{u"ShowToolTip", u"0"}}, u"Lumtrace Home Page", home, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.text + u" " + c.url));
    MemoryPropertyBag bag(c.saved);
    link_.UserControl_ReadProperties(bag);
    EXPECT_EQ(link_.Text(), c.text);
    EXPECT_EQ(link_.URL(), c.url);
    EXPECT_EQ(link_.ShowToolTip(), c.showToolTip);
    EXPECT_EQ(link_.lblURL().toolTip(), c.showToolTip ? c.url : u"");
  }
}

TEST_F(HyperlinkLabel, AnyFailureWhileLoadingFallsBackToAllThreeDefaults) {
  const std::vector<forms::SavedProperty> saved = {
      {u"Text", u"Kept?"}, {u"URL", u"u"}, {u"ShowToolTip", u"True"}};
  for (const char16_t* failAt : {u"Text", u"URL", u"ShowToolTip"}) {
    FailingBag bag(saved, failAt);
    link_.UserControl_ReadProperties(bag);
    expectDefaults(link_);
  }
  // A value that is no Boolean fails too, after Text and URL were read.
  MemoryPropertyBag mismatch({{u"Text", u"A"}, {u"URL", u"u"}, {u"ShowToolTip", u"maybe"}});
  link_.UserControl_ReadProperties(mismatch);
  expectDefaults(link_);
}

TEST(PropertyValues, ConvertAsAnAutomationVariantDoes) {
  EXPECT_EQ(propertyText(true), u"True");
  EXPECT_EQ(propertyText(false), u"False");
  EXPECT_EQ(propertyText(std::u16string(u"x")), u"x");
  const std::vector<std::pair<std::u16string, bool>> booleans = {
      {u"True", true}, {u"false", false}, {u" TRUE ", true}, {u"-1", true},
      {u"0", false},   {u"2", true},      {u"+0", false},
  };
  for (const auto& [text, expected] : booleans) EXPECT_EQ(propertyBoolean(text), expected);
  for (const char16_t* bad : {u"", u"yes", u"1.5", u"-", u"0x1"}) {
    try {
      propertyBoolean(std::u16string(bad));
      ADD_FAILURE() << "no type mismatch";
    } catch (const HostError& error) {
      EXPECT_EQ(error.hresult(), static_cast<std::int32_t>(0x800A000D));
      EXPECT_EQ(error.description(), u"Type mismatch");
    }
  }
}

class PressingTheLabel : public HyperlinkLabel {
 protected:
  void SetUp() override {
    link_.setURL(u"http://www.velmojs.com/");
    ui_.desktop.events.clear();
  }
  Events& desktop() { return ui_.desktop.events; }
};

TEST_F(PressingTheLabel, TheLeftButtonOpensTheAddressUnderTheWaitCursor) {
  std::vector<std::u16string> raised;
  link_.onGoToURL([&](std::u16string& url, bool& cancel) {
    raised.push_back(url);
    EXPECT_FALSE(cancel);
  });
  link_.lblURL_MouseDown(MouseButton::Left);
  EXPECT_EQ(raised, (std::vector<std::u16string>{u"http://www.velmojs.com/"}));
  EXPECT_EQ(desktop(), (Events{u"wait", u"open http://www.velmojs.com/", u"default"}));
  EXPECT_TRUE(ui_.messages.shown.empty());
}

TEST_F(PressingTheLabel, OtherButtonsOpenNothingAndLeaveTheDefaultCursor) {
  bool raised = false;
  link_.onGoToURL([&](std::u16string&, bool&) { raised = true; });
  for (MouseButton button : {MouseButton::Right, MouseButton::Middle}) {
    desktop().clear();
    link_.lblURL_MouseDown(button);
    EXPECT_EQ(desktop(), (Events{u"default"}));
  }
  EXPECT_FALSE(raised);
}

TEST_F(PressingTheLabel, AHandlerCancelsOrChangesThisOneOpening) {
  link_.onGoToURL([](std::u16string&, bool& cancel) { cancel = true; });
  link_.lblURL_MouseDown(MouseButton::Left);
  EXPECT_EQ(desktop(), Events{});  // not even the cursor

  link_.onGoToURL([](std::u16string& url, bool&) { url = u"file:///tmp/other.html"; });
  link_.lblURL_MouseDown(MouseButton::Left);
  EXPECT_EQ(desktop(), (Events{u"wait", u"open file:///tmp/other.html", u"default"}));
  EXPECT_EQ(link_.URL(), u"http://www.velmojs.com/");
  notified_.clear();
  link_.lblURL_MouseDown(MouseButton::Left);
  EXPECT_TRUE(notified_.empty());
}

TEST_F(PressingTheLabel, AFailedCallIsReportedAndTheCursorRestored) {
  ui_.desktop.failure = HostError(static_cast<std::int32_t>(0x800A0035), u"File not found");
  link_.lblURL_MouseDown(MouseButton::Left);
  ui_.desktop.failure = HostError(hr::kFail, u"Unspecified error");
  link_.lblURL_MouseDown(MouseButton::Left);
  ASSERT_EQ(ui_.messages.shown.size(), 2u);
  const MessageRequest& shown = ui_.messages.shown[0];
  EXPECT_EQ(shown.text, u"Unable to load 'http://www.velmojs.com/' : File not found (Error 53)");
  EXPECT_EQ(shown.title, u"Velmopro");
  EXPECT_EQ(shown.buttons, MsgButtons::Ok);
  EXPECT_EQ(shown.icon, MsgIcon::None);
  EXPECT_EQ(ui_.messages.shown[1].text,
            u"Unable to load 'http://www.velmojs.com/' : Unspecified error (Error -2147467259)");
  EXPECT_EQ(desktop().back(), u"default");
}

TEST_F(PressingTheLabel, WhatTheShellAnswersIsNotExamined) {
  ui_.desktop.answer = 2;  // no such file
  link_.lblURL_MouseDown(MouseButton::Left);
  EXPECT_TRUE(ui_.messages.shown.empty());
  EXPECT_EQ(desktop().back(), u"default");
}

TEST(FixedTextMeasurer, CountsCharactersOfTheWidestLineAndEveryLine) {
  FixedTextMeasurer measurer;
  const forms::Font font{.points = 9.75};
  EXPECT_EQ(measurer.measure(u"", font), (TextExtent{0, 234}));
  EXPECT_EQ(measurer.measure(u"abc", font), (TextExtent{294, 234}));
  EXPECT_EQ(measurer.measure(u"ab\r\nabcd\nx\r", font), (TextExtent{392, 4 * 234}));
  EXPECT_EQ(measurer.measure(u"\U0001F600\u2026", font), (TextExtent{196, 234}));
  EXPECT_EQ(measurer.measure(u"abc", forms::Font{.points = 8.25}), (TextExtent{249, 198}));
}

// What a renderer reaches through the user-control seam: the one child, the hand over it, the
// surface colour, and presses on the child.
TEST_F(PressingTheLabel, AsAUserControlItShowsItsLabelAndTakesPressesOnIt) {
  forms::UserControl& control = link_;
  ASSERT_EQ(control.children(), (std::vector<const forms::Control*>{&link_.lblURL()}));
  EXPECT_EQ(control.surfaceColour(), forms::sys::kDesktop);
  const forms::Pointer hand = control.pointerOver(link_.lblURL());
  EXPECT_EQ(hand.asset, u"hand.cur");
  EXPECT_EQ(hand.system, forms::SystemPointer::Hand);

  control.mouseDown(link_.lblURL(), MouseButton::Left);
  EXPECT_EQ(desktop(), (Events{u"wait", u"open http://www.velmojs.com/", u"default"}));

  // A control that is not its child is nothing of its own: the arrow, and presses do nothing.
  const forms::Control stranger(forms::ControlDesign{.name = u"lblURL"}, {});
  EXPECT_EQ(control.pointerOver(stranger).system, forms::SystemPointer::Arrow);
  EXPECT_TRUE(control.pointerOver(stranger).asset.empty());
  desktop().clear();
  control.mouseDown(stranger, MouseButton::Left);
  EXPECT_TRUE(desktop().empty());

  std::vector<forms::Property> heard;
  control.onChildChanged(
      [&](forms::Control&, forms::Property property) { heard.push_back(property); });
  link_.setShowToolTip(true);
  EXPECT_EQ(heard, (std::vector<forms::Property>{forms::Property::ToolTip}));
  control.onChildChanged({});
  link_.setShowToolTip(false);
  EXPECT_EQ(heard.size(), 1u);
}

}  // namespace
}  // namespace velmo
