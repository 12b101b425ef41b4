#pragma once
// A text metric without a font engine: every character is as wide as every other, so a width
// depends only on the number of characters and the font's size.

#include "core/platform/text_measurer.h"

namespace velmo {

class FixedTextMeasurer : public TextMeasurer {
 public:
  // Per character: the size in points times 10 twips wide (a 9.75 pt font: 98 twips, about 6.5
  // pixels); per line: the size in points times 24 twips high (234 twips). Bold, italic and
  // underline change nothing.
  TextExtent measure(std::u16string_view text, const forms::Font& font) override;
};

}  // namespace velmo
