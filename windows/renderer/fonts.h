#pragma once
// Fonts of the layouts as GDI fonts. A face the system lacks (MS Sans Serif is missing on many
// machines) falls back to the nearest sans-serif face that is installed.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/forms/design.h"
#include "windows/renderer/gdi.h"

namespace velmo::win {

// `wanted` when it is installed, else the first installed of the fallbacks, else the face of
// the system's default user-interface font.
std::wstring installedFace(std::u16string_view wanted);

// The font at `dpi`: the size in points becomes a character height in pixels.
LOGFONTW logFont(const forms::Font& font, int dpi);

// Each font is made once and lives as long as the cache.
class FontCache {
 public:
  explicit FontCache(int dpi) : dpi_(dpi) {}
  HFONT get(const forms::Font& font);

 private:
  int dpi_;
  std::vector<std::pair<forms::Font, GdiFont>> fonts_;
};

}  // namespace velmo::win
