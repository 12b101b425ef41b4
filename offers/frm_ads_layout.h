#pragma once
// The layout of the offers window, read by every platform's renderer: an introduction, and a
// scrolling area whose picture box is taller than the area, holding the four offers (a hyperlink
// label and a description each).

#include <string_view>

#include "forms/design.h"

namespace velmo {

const forms::FormDesign& frmAdsDesign();

// The host name of the offers web site that every offer's link points into.
inline constexpr std::u16string_view kOffersSite = u"www.velmojs.com";

}  // namespace velmo
