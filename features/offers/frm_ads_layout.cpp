#include "features/offers/frm_ads_layout.h"

#include <string>

namespace velmo {
namespace {

namespace ctl = ads_controls;
using forms::ControlDesign;
using forms::ControlKind;
namespace sys = forms::sys;

// The tab index of the first offer's link; each offer takes two, its link and its description.
constexpr int kFirstOfferTab = 3;

// A link's saved state holds only its text and its address (ShowToolTip stays False), under the
// lower-case names this layout was saved with.
ControlDesign link(const Offer& offer, int tabIndex) {
  return {.kind = ControlKind::UserControl,
          .name = offer.link,
          .parent = ctl::Picture1,
          .rect = offer.linkRect,
          .tabIndex = tabIndex,
          .saved = {{u"text", offer.caption}, {u"url", offer.address}}};
}

// Offer descriptions: highlight-text colour on the desktop colour, wrapped within the width.
ControlDesign description(const Offer& offer, int tabIndex) {
  return {.kind = ControlKind::Label,
          .name = offer.description,
          .parent = ctl::Picture1,
          .text = offer.text,
          .rect = offer.descriptionRect,
          .tabIndex = tabIndex,
          .foreColour = sys::kHighlightText,
          .backColour = sys::kDesktop,
          .wordWrap = true};
}

std::u16string offerAddress(std::u16string_view path) {
  return std::u16string(kOffersSite) + std::u16string(path);
}

forms::FormDesign makeDesign() {
  forms::FormDesign design{
      .name = u"frmAds",
      .caption = u"Offers",
      .clientWidth = 7110,
      .clientHeight = 6420,
      .border = forms::BorderStyle::Sizable,
      .minButton = true,
      .maxButton = true,
      .font = {.name = u"MS Sans Serif", .points = 9.75},
      .controls = {
          {.kind = ControlKind::Label,
           .name = ctl::lblIntro,
           .text = u"I hope you're enjoying VelmoJS FrontPage add-in\u2026 \r\n"
                   u"Here are some offers that might interest you!!",
           .rect = {240, 240, 6135, 735},
           .tabIndex = 0},
          // The extents are the size in HIMETRIC (1/100 mm), as the scrolling container saves it.
          {.kind = ControlKind::ScrollContainer,
           .name = ctl::Scroller1,
           .rect = {240, 1200, 6615, 4935},
           .tabIndex = 1,
           .backColour = sys::kDesktop,
           .saved = {{u"backcolor", u"-2147483647"},
                     {u"_extentx", u"11668"},
                     {u"_extenty", u"8705"}}},
          {.kind = ControlKind::PictureBox,
           .name = ctl::Picture1,
           .parent = ctl::Scroller1,
           .rect = {0, 120, 6255, 8415},
           .tabIndex = 2,
           .backColour = sys::kDesktop},
      }};
  int tab = kFirstOfferTab;
  for (const Offer& offer : frmAdsOffers()) {
    design.controls.push_back(link(offer, tab++));
    design.controls.push_back(description(offer, tab++));
  }
  return design;
}

}  // namespace

const std::vector<Offer>& frmAdsOffers() {
  static const std::vector<Offer> offers{
      {u"URLLink3",
       {240, 120, 1935, 375},
       u"Powweb.com",
       offerAddress(u"/ads/powweb.htm"),
       u"lbl3",
       {240, 600, 5895, 1215},
       u"If you want a solid host with lot of features see Powweb.com\r\n"
       u"For 7.77 per month you'll get: \r\n"
       u"FrontPage 2002 extensions supported, 200 MB space, 100 pop3 email "
       u"accounts, host example.com, 12 gigs transfer, CGI-Bin, and more\u2026.\r\n"},
      {u"URLLink2",
       {240, 2040, 2055, 375},
       u"2Checkout",
       u"http://" + offerAddress(u"/ads/2checkout.htm"),
       u"lbl2",
       {240, 2400, 5775, 855},
       u"Accept Credit Cards the easy way. Low cost, no monthly fees, no maximum "
       u"or minimum, free direct deposit of funds, free shopping cart and "
       u"more\u2026"},
      {u"URLLink4",
       {240, 3480, 2055, 375},
       u"Frontpage Templates",
       offerAddress(u"/ads/outfront.htm"),
       u"Label2",
       {240, 3840, 5775, 495},
       u"Check out these professional designed frontpage templates. Easy to use "
       u"and implement."},
      {u"URLLink1",
       {240, 4680, 2175, 375},
       u"CJ.com",
       offerAddress(u"/ads/cj.htm"),
       u"lbl1",
       {240, 5040, 5775, 1455},
       u"Join CJ and turn your traffic into revenue. CJ network has a lot of "
       u"advertisers that are seeking your help. You add ads to your site, and "
       u"for each lead you generate you get paid. At the end of the month CJ will "
       u"pay you by check or direct deposit to your bank. You might not get rich "
       u"but at least cover your site expenses."},
  };
  return offers;
}

const forms::FormDesign& frmAdsDesign() {
  static const forms::FormDesign design = makeDesign();
  return design;
}

}  // namespace velmo
