#pragma once
// The layout of the offers window, read by every platform's renderer: an introduction, and a
// scrolling area whose picture box is taller than the area, holding the four offers (a hyperlink
// label and a description each).

#include <string>
#include <string_view>
#include <vector>

#include "core/forms/design.h"

namespace velmo {

// The names of the window's controls around the offers: its layout and its users spell them so.
namespace ads_controls {
inline constexpr char16_t lblIntro[] = u"lblIntro";
inline constexpr char16_t Scroller1[] = u"Scroller1";
inline constexpr char16_t Picture1[] = u"Picture1";
}  // namespace ads_controls

// One offer: a hyperlink label and the description below it, in the scrolling picture box.
struct Offer {
  const char16_t* link;  // the hyperlink label's name
  forms::TwipsRect linkRect;
  const char16_t* caption;      // the label's saved text
  std::u16string address;       // the label's saved address
  const char16_t* description;  // the description label's name
  forms::TwipsRect descriptionRect;
  const char16_t* text;  // the description
};

// The offers top to bottom, as the window shows them; the layout is made from this table.
const std::vector<Offer>& frmAdsOffers();

const forms::FormDesign& frmAdsDesign();

// The host name of the offers web site that every offer's link points into.
inline constexpr std::u16string_view kOffersSite = u"www.velmojs.com";

}  // namespace velmo
