#pragma once
// How much room a text needs on screen. A windowed platform asks its font engine; headless runs
// use a fixed metric, so that layouts fitted to their text come out the same on every machine.

#include <string_view>

#include "core/forms/design.h"

namespace velmo {

// Twips.
struct TextExtent {
  int width = 0;
  int height = 0;
  bool operator==(const TextExtent&) const = default;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // The width of the widest line and the height of all lines together. Lines end at CR LF, CR
  // or LF; empty text still takes the height of one line.
  virtual TextExtent measure(std::u16string_view text, const forms::Font& font) = 0;
};

}  // namespace velmo
