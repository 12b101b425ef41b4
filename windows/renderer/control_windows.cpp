#include "windows/renderer/control_windows.h"

namespace velmo::win {

using forms::ControlKind;

ControlWindow controlWindow(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::Swatch:
      // SS_NOTIFY: labels report clicks and receive the mouse (for their tooltips).
      return {L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0, true};
    case ControlKind::TextBox:
      return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, true};
    case ControlKind::CommandButton:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, true};
    case ControlKind::OptionButton:
      // Not BS_AUTORADIOBUTTON: the form decides which button of a group is on.
      return {L"BUTTON", BS_RADIOBUTTON | WS_TABSTOP, 0, true};
    case ControlKind::Frame:
    case ControlKind::PictureBox:
      return {kContainerClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, false};
    case ControlKind::ScrollContainer:
      return {kScrollerClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, false};
    case ControlKind::ListBox:
      return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE, false};
    case ControlKind::Image:
      return {L"STATIC", SS_BITMAP | SS_NOTIFY, 0, false};
    case ControlKind::UserControl:
      return {kUserControlClass, WS_CLIPCHILDREN, 0, false};
    case ControlKind::CommonDialog:
      return {};
  }
  return {};
}

bool isContainer(ControlKind kind) {
  return kind == ControlKind::Frame || kind == ControlKind::PictureBox ||
         kind == ControlKind::ScrollContainer;
}

int controlId(const forms::FormDesign& design, std::u16string_view name) {
  for (std::size_t i = 0; i < design.controls.size(); ++i) {
    if (design.controls[i].name == name) return kFirstControlId + static_cast<int>(i);
  }
  return -1;
}

DWORD formStyle(const forms::FormDesign& design) {
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (design.border == forms::BorderStyle::Sizable) style |= WS_THICKFRAME;
  if (design.minButton) style |= WS_MINIMIZEBOX;
  if (design.maxButton) style |= WS_MAXIMIZEBOX;
  return style;
}

DWORD formExStyle(const forms::FormDesign& design) {
  // Keyboard navigation reaches the controls inside frames and picture boxes.
  DWORD style = WS_EX_CONTROLPARENT;
  if (design.border == forms::BorderStyle::FixedDialog) style |= WS_EX_DLGMODALFRAME;
  return style;
}

}  // namespace velmo::win
