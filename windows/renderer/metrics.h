#pragma once
// Twips, the unit of every layout, and screen pixels: 1440 twips to the inch, so 15 twips to a
// pixel at 96 dots per inch.

#include "core/forms/design.h"

namespace velmo::win {

inline constexpr int kTwipsPerInch = 1440;

// The screen's resolution (the system's dots per inch).
int systemDpi();

// Rounded to the nearest pixel or twip.
int twipsToPixels(int twips, int dpi);
int pixelsToTwips(int pixels, int dpi);

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

// Each of the four values converted on its own, as the layout gives them.
PixelRect toPixels(const forms::TwipsRect& rect, int dpi);

}  // namespace velmo::win
