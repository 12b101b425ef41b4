#pragma once
// The layouts' colours on screen: system colours resolved, the colour each kind of control
// starts with, and one brush per colour.

#include <windows.h>

#include <utility>
#include <vector>

#include "core/forms/design.h"
#include "windows/renderer/gdi.h"

namespace velmo::win {

// 0x00BBGGRR as it is; a system colour index (top bit set) as the system's colour now.
COLORREF colourRef(forms::OleColour colour);

// What a control shows without a colour of its own: button face behind labels, buttons, frames,
// user controls and the form; window colour behind text and lists.
forms::OleColour defaultBackColour(forms::ControlKind kind);
forms::OleColour defaultForeColour(forms::ControlKind kind);

forms::OleColour backColourOf(const forms::ControlDesign& control);
forms::OleColour foreColourOf(const forms::ControlDesign& control);

class BrushCache {
 public:
  HBRUSH get(COLORREF colour);

 private:
  std::vector<std::pair<COLORREF, GdiBrush>> brushes_;
};

}  // namespace velmo::win
