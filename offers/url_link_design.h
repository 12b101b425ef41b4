#pragma once
// The fixed look of the hyperlink label and what it shows to a host's property browser. The
// look is not changeable through properties; every platform's renderer reads it from here.

#include <array>
#include <string_view>

#include "forms/design.h"

namespace velmo {

// The name under which containers refer to the control in their saved layouts.
inline constexpr std::u16string_view kURLLinkClassName = u"VelmoCls.URLLink";

inline constexpr std::u16string_view kURLLinkDefaultText = u"Lumtrace Home Page";
inline constexpr std::u16string_view kURLLinkDefaultURL = u"http://www.lumtrace.com/";

// The control surface: the desktop colour behind everything, and the font its text is
// measured in.
inline constexpr forms::OleColour kURLLinkBackColour = forms::sys::kDesktop;
forms::Font urlLinkFont();

// lblURL, the child label that carries the text: yellow underlined text on the desktop colour,
// placed and sized by the Text setter (starts empty at 0, 0).
const forms::ControlDesign& lblURLDesign();

// The cursor over lblURL (the rest of the surface shows the default arrow): a 32 × 32 pointing
// hand, kept in resources/, with its hot spot on the tip of the index finger.
inline constexpr std::u16string_view kHandCursorAsset = u"hand.cur";
inline constexpr int kHandCursorHotSpotX = 13;
inline constexpr int kHandCursorHotSpotY = 5;

// The standard dispatch id of a control's text property.
inline constexpr long kDispIdText = -517;

struct URLLinkPropertyInfo {
  std::u16string_view name;
  std::u16string_view type;  // as the type library names it
  std::u16string_view description;
  std::u16string_view category;
};

// In their order on the control's interface.
inline constexpr std::array<URLLinkPropertyInfo, 3> kURLLinkProperties{{
    {u"Text", u"BSTR", u"Text displayed in control", u"Text"},
    {u"URL", u"BSTR",
     u"URL loaded when mouse is clicked over text. May also be a data file that has an extension "
     u"registered by an application on your system.",
     u"Behavior"},
    {u"ShowToolTip", u"VARIANT_BOOL",
     u"Determines if the URL is displayed in a tooltip when the mouse is parked over the text",
     u"Behavior"},
}};

}  // namespace velmo
