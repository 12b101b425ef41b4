#include "windows/renderer/gdi_text_measurer.h"

#include <algorithm>

#include "windows/platform/win_text.h"
#include "windows/renderer/metrics.h"

namespace velmo::win {

GdiTextMeasurer::GdiTextMeasurer() : dpi_(systemDpi()), fonts_(dpi_) {}

TextExtent GdiTextMeasurer::measure(std::u16string_view text, const forms::Font& font) {
  ScreenDc screen;
  if (!screen.get()) throw lastWin32Error(u"The screen cannot be measured on");
  Selected selected(screen.get(), fonts_.get(font));
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.get(), &metrics);

  int widest = 0;
  int lines = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of(u"\r\n", start);
    const std::u16string_view line = text.substr(start, end - start);
    SIZE size{};
    if (!line.empty()) {
      GetTextExtentPoint32W(screen.get(), reinterpret_cast<const wchar_t*>(line.data()),
                            static_cast<int>(line.size()), &size);
    }
    widest = std::max(widest, static_cast<int>(size.cx));
    ++lines;
    if (end == std::u16string_view::npos) break;
    // CR LF is one line break.
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
  return {pixelsToTwips(widest, dpi_), pixelsToTwips(lines * metrics.tmHeight, dpi_)};
}

}  // namespace velmo::win
