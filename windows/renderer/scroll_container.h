#pragma once
// The scrolling container: scroll bars whose range covers the container's children, and
// scrolling that moves the children. Its state is the scroll bars' own position.

#include <windows.h>

namespace velmo::win {

// Sets the scroll bars for the children as they lie now; call after a child moved or resized.
void fitScrollRange(HWND scroller);

// Handles WM_HSCROLL, WM_VSCROLL and WM_MOUSEWHEEL; false for every other message.
bool handleScrollMessage(HWND scroller, UINT message, WPARAM wParam, LPARAM lParam);

// How far the children are scrolled, in pixels: a child's layout position minus this is where
// it lies in the container.
POINT scrollOffset(HWND scroller);

}  // namespace velmo::win
