#include "windows/renderer/metrics.h"

#include <windows.h>

#include "windows/renderer/gdi.h"

namespace velmo::win {

int systemDpi() {
  ScreenDc screen;
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : 96;
}

int twipsToPixels(int twips, int dpi) {
  return MulDiv(twips, dpi, kTwipsPerInch);
}

int pixelsToTwips(int pixels, int dpi) {
  return MulDiv(pixels, kTwipsPerInch, dpi);
}

PixelRect toPixels(const forms::TwipsRect& rect, int dpi) {
  return {twipsToPixels(rect.left, dpi), twipsToPixels(rect.top, dpi),
          twipsToPixels(rect.width, dpi), twipsToPixels(rect.height, dpi)};
}

}  // namespace velmo::win
