#pragma once
// The fixed look of the hyperlink label. The look is not changeable through properties; the
// control hands it to every platform's renderer.

#include <string_view>

#include "core/forms/design.h"

namespace velmo {

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
// hand, kept in resources/ with its hot spot on the tip of the index finger.
inline constexpr std::u16string_view kHandCursorAsset = u"hand.cur";

}  // namespace velmo
