// The offers window: its layout and texts exactly, its links as they load, and how the command
// class shows it modelessly.

#include <gtest/gtest.h>

#include "features/command_class/clstestt.h"
#include "features/offers/frm_ads.h"
#include "features/offers/frm_ads_layout.h"
#include "tests/support/recording_ui.h"
#include "tests/support/selection_page_host.h"

namespace velmo {
namespace {

using forms::ControlKind;
using forms::TwipsRect;
namespace sys = forms::sys;

const forms::ControlDesign& designOf(std::u16string_view name) {
  for (const auto& control : frmAdsDesign().controls) {
    if (control.name == name) return control;
  }
  throw std::out_of_range("no such control");
}

TEST(OffersLayout, WindowAndContainersAreAsDesigned) {
  const forms::FormDesign& design = frmAdsDesign();
  EXPECT_EQ(design.caption, u"Offers");
  EXPECT_EQ(design.clientWidth, 7110);
  EXPECT_EQ(design.clientHeight, 6420);
  EXPECT_EQ(design.border, forms::BorderStyle::Sizable);
  EXPECT_TRUE(design.minButton && design.maxButton);
  EXPECT_EQ(design.font, (forms::Font{.name = u"MS Sans Serif", .points = 9.75}));

  const auto& intro = designOf(u"lblIntro");
  EXPECT_EQ(intro.text,
            u"I hope you're enjoying VelmoJS FrontPage add-in\u2026 \r\n"
            u"Here are some offers that might interest you!!");
  EXPECT_EQ(intro.rect, (TwipsRect{240, 240, 6135, 735}));
  EXPECT_FALSE(intro.backColour || intro.foreColour);

  const auto& scroller = designOf(u"Scroller1");
  EXPECT_EQ(scroller.kind, ControlKind::ScrollContainer);
  EXPECT_EQ(scroller.rect, (TwipsRect{240, 1200, 6615, 4935}));
  EXPECT_EQ(scroller.backColour, sys::kDesktop);
  // The saved extents are the same size in HIMETRIC, the saved colour the desktop colour.
  EXPECT_EQ(scroller.saved,
            (std::vector<forms::SavedProperty>{
                {u"backcolor", u"-2147483647"}, {u"_extentx", u"11668"}, {u"_extenty", u"8705"}}));
  const auto himetric = [](int twips) { return (twips * 2540 + 720) / 1440; };
  EXPECT_EQ(himetric(scroller.rect.width), 11668);
  EXPECT_EQ(himetric(scroller.rect.height), 8705);
  EXPECT_EQ(static_cast<std::int32_t>(sys::kDesktop), -2147483647);

  const auto& picture = designOf(u"Picture1");
  EXPECT_EQ(picture.kind, ControlKind::PictureBox);
  EXPECT_EQ(picture.parent, u"Scroller1");
  EXPECT_EQ(picture.rect, (TwipsRect{0, 120, 6255, 8415}));
  EXPECT_EQ(picture.backColour, sys::kDesktop);
  EXPECT_GT(picture.rect.top + picture.rect.height, scroller.rect.height);
}

struct OfferDesign {
  const char16_t* link;
  TwipsRect linkRect;
  const char16_t* caption;
  const char16_t* url;
  const char16_t* description;
  TwipsRect descriptionRect;
  const char16_t* text;
};

const OfferDesign kOffers[] = {
    {u"URLLink3",
     {240, 120, 1935, 375},
     u"Powweb.com",
     u"www.velmojs.com/ads/powweb.htm",
     u"lbl3",
     {240, 600, 5895, 1215},
     u"If you want a solid host with lot of features see Powweb.com\r\n"
     u"For 7.77 per month you'll get: \r\n"
     u"FrontPage 2002 extensions supported, 200 MB space, 100 pop3 email accounts, host "
     u"example.com, 12 gigs transfer, CGI-Bin, and more\u2026.\r\n"},
    {u"URLLink2",
     {240, 2040, 2055, 375},
     u"2Checkout",
     u"http://www.velmojs.com/ads/2checkout.htm",
     u"lbl2",
     {240, 2400, 5775, 855},
     u"Accept Credit Cards the easy way. Low cost, no monthly fees, no maximum or minimum, free "
     u"direct deposit of funds, free shopping cart and more\u2026"},
    {u"URLLink4",
     {240, 3480, 2055, 375},
     u"Frontpage Templates",
     u"www.velmojs.com/ads/outfront.htm",
     u"Label2",
     {240, 3840, 5775, 495},
     u"Check out these professional designed frontpage templates. Easy to use and implement."},
    {u"URLLink1",
     {240, 4680, 2175, 375},
     u"CJ.com",
     u"www.velmojs.com/ads/cj.htm",
     u"lbl1",
     {240, 5040, 5775, 1455},
     u"Join CJ and turn your traffic into revenue. CJ network has a lot of advertisers that are "
     u"seeking your help. You add ads to your site, and for each lead you generate you get paid. "
     u"At the end of the month CJ will pay you by check or direct deposit to your bank. You might "
     u"not get rich but at least cover your site expenses."},
};

TEST(OffersLayout, EveryOfferIsALinkWithItsSavedStateAndADescription) {
  for (const OfferDesign& offer : kOffers) {
    SCOPED_TRACE(utf16ToUtf8(offer.link));
    const auto& link = designOf(offer.link);
    EXPECT_EQ(link.kind, ControlKind::UserControl);
    EXPECT_EQ(link.parent, u"Picture1");
    EXPECT_EQ(link.rect, offer.linkRect);
    EXPECT_EQ(link.saved,
              (std::vector<forms::SavedProperty>{{u"text", offer.caption}, {u"url", offer.url}}));

    const auto& description = designOf(offer.description);
    EXPECT_EQ(description.kind, ControlKind::Label);
    EXPECT_EQ(description.parent, u"Picture1");
    EXPECT_EQ(description.rect, offer.descriptionRect);
    EXPECT_EQ(description.text, offer.text);
    EXPECT_EQ(description.foreColour, sys::kHighlightText);
    EXPECT_EQ(description.backColour, sys::kDesktop);
    EXPECT_TRUE(description.wordWrap);
  }
}

TEST(OffersLayout, OnlyTheLastDescriptionNeedsScrolling) {
  const int visible = designOf(u"Scroller1").rect.height - designOf(u"Picture1").rect.top;
  const auto bottom = [](const forms::ControlDesign& c) { return c.rect.top + c.rect.height; };
  EXPECT_LE(bottom(designOf(u"Label2")), visible);
  EXPECT_GT(designOf(u"lbl1").rect.top, visible);
}

class OffersWindow : public ::testing::Test {
 protected:
  frmAds& ads() {
    clstestt(host_, ui_.ui).ads();
    return *ui_.ui.findDialog<frmAds>();
  }

  testing::SelectionPageHost host_;
  testing::RecordingUi ui_;
};

TEST_F(OffersWindow, ShowsModelesslyWithItsLinksLoadedFromTheLayout) {
  ui_.presenter.plan(u"frmAds", {});
  frmAds& window = ads();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(ui_.presenter.report(u"frmAds").has_value());
  EXPECT_TRUE(host_.calls.empty());  // the window touches no page
  for (const OfferDesign& offer : kOffers) {
    const URLLink& link = window.hyperlink(offer.link);
    EXPECT_EQ(link.Text(), offer.caption);
    EXPECT_EQ(link.URL(), offer.url);
    EXPECT_FALSE(link.ShowToolTip());
    EXPECT_EQ(link.lblURL().toolTip(), u"");
    EXPECT_EQ(link.lblURL().rect().left, 0);
  }
  EXPECT_THROW(window.hyperlink(u"lbl1"), std::out_of_range);
}

TEST_F(OffersWindow, ASecondCallWhileOpenShowsTheSameWindow) {
  frmAds& first = ads();
  first.hyperlink(u"URLLink2").setText(u"changed");
  frmAds& second = ads();
  EXPECT_EQ(&second, &first);
  EXPECT_TRUE(second.isVisible());
  EXPECT_EQ(second.hyperlink(u"URLLink2").Text(), u"changed");  // not loaded again

  second.closeBox();
  EXPECT_FALSE(second.isLoaded());
  frmAds& third = ads();
  EXPECT_EQ(&third, &first);
  EXPECT_EQ(third.hyperlink(u"URLLink2").Text(), u"2Checkout");  // loaded afresh
}

TEST_F(OffersWindow, EachLinkHandsItsStoredAddressToTheShell) {
  frmAds& window = ads();
  for (const OfferDesign& offer : kOffers) {
    ui_.desktop.events.clear();
    window.hyperlink(offer.link).lblURL_MouseDown(MouseButton::Left);
    EXPECT_EQ(ui_.desktop.events, (std::vector<std::u16string>{
                                      u"wait", u"open " + std::u16string(offer.url), u"default"}));
  }
}

TEST_F(OffersWindow, NeedsAUserInterface) {
  EXPECT_THROW(clstestt(host_).ads(), HostError);
}

}  // namespace
}  // namespace velmo
