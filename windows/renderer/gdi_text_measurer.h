#pragma once
// How much room a text needs in a font on this screen, measured by GDI in the font the renderer
// draws it with.

#include "core/platform/text_measurer.h"
#include "windows/renderer/fonts.h"

namespace velmo::win {

class GdiTextMeasurer : public TextMeasurer {
 public:
  GdiTextMeasurer();
  TextExtent measure(std::u16string_view text, const forms::Font& font) override;

 private:
  int dpi_;
  FontCache fonts_;
};

}  // namespace velmo::win
