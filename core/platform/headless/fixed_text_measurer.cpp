#include "core/platform/headless/fixed_text_measurer.h"

#include <algorithm>
#include <cmath>

#include "core/common/code_points.h"

namespace velmo {

TextExtent FixedTextMeasurer::measure(std::u16string_view text, const forms::Font& font) {
  const int advance = static_cast<int>(std::lround(font.points * 10));
  const int lineHeight = static_cast<int>(std::lround(font.points * 24));
  int lines = 1;
  int widest = 0;
  int current = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      ++lines;
      current = 0;
      continue;
    }
    // A surrogate pair is one character on screen.
    if (!isLowSurrogate(c) || i == 0 || !isHighSurrogate(text[i - 1])) ++current;
    widest = std::max(widest, current);
  }
  return {widest * advance, lines * lineHeight};
}

}  // namespace velmo
