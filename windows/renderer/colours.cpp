#include "windows/renderer/colours.h"

#include "windows/platform/win_text.h"

namespace velmo::win {

namespace sys = forms::sys;
using forms::ControlKind;

COLORREF colourRef(forms::OleColour colour) {
  if (forms::isSystemColour(colour)) return GetSysColor(static_cast<int>(colour & 0xFFu));
  return colour & 0x00FFFFFFu;
}

forms::OleColour defaultBackColour(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::ListBox:
      return sys::kWindow;
    default:
      return sys::kButtonFace;
  }
}

forms::OleColour defaultForeColour(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::ListBox:
      return sys::kWindowText;
    default:
      return sys::kButtonText;
  }
}

forms::OleColour backColourOf(const forms::ControlDesign& control) {
  return control.backColour.value_or(defaultBackColour(control.kind));
}

forms::OleColour foreColourOf(const forms::ControlDesign& control) {
  return control.foreColour.value_or(defaultForeColour(control.kind));
}

HBRUSH BrushCache::get(COLORREF colour) {
  for (const auto& [made, brush] : brushes_) {
    if (made == colour) return brush.get();
  }
  GdiBrush brush(CreateSolidBrush(colour));
  if (!brush) throw lastWin32Error(u"A brush cannot be made");
  return brushes_.emplace_back(colour, std::move(brush)).second.get();
}

}  // namespace velmo::win
