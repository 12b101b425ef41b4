#pragma once
// Which Win32 window stands for each kind of control, and the names of the renderer's own
// window classes.

#include <windows.h>

#include <string_view>

#include "core/forms/design.h"

namespace velmo::win {

// The top-level window of a form.
inline constexpr wchar_t kFormClass[] = L"VelmoForm";
// Frames and picture boxes: they paint their own background (and a frame its border).
inline constexpr wchar_t kContainerClass[] = L"VelmoContainer";
// The scrolling container: scroll bars over one larger child.
inline constexpr wchar_t kScrollerClass[] = L"VelmoScroller";
// The surface of a user control; its children are windows of their own on it.
inline constexpr wchar_t kUserControlClass[] = L"VelmoUserControl";

struct ControlWindow {
  const wchar_t* className = nullptr;  // nullptr: the control has no window (common dialogs)
  DWORD style = 0;                     // without WS_CHILD, WS_VISIBLE, WS_DISABLED
  DWORD exStyle = 0;
  bool showsText = false;  // the control's text is the window's text
};

ControlWindow controlWindow(forms::ControlKind kind);

// True for the kinds that hold other controls.
bool isContainer(forms::ControlKind kind);

// Control ids: the control's position in its form's design, from kFirstControlId on (clear of
// IDOK and IDCANCEL, which the dialog keys send).
inline constexpr int kFirstControlId = 100;
// The id of the named control in windows made from `design`; -1 when there is none.
int controlId(const forms::FormDesign& design, std::u16string_view name);

// The window styles of a form's top-level window for its border and boxes.
DWORD formStyle(const forms::FormDesign& design);
DWORD formExStyle(const forms::FormDesign& design);

}  // namespace velmo::win
