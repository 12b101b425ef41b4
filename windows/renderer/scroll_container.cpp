#include "windows/renderer/scroll_container.h"

#include <algorithm>

namespace velmo::win {
namespace {

// One mouse-wheel notch scrolls this many pixels (three lines of an 8-point text).
constexpr int kWheelStep = 40;
constexpr int kLineStep = 16;

// Right and bottom edges of the children in unscrolled container coordinates.
SIZE contentExtent(HWND scroller) {
  const POINT offset = scrollOffset(scroller);
  SIZE extent{0, 0};
  for (HWND child = GetWindow(scroller, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, scroller, reinterpret_cast<POINT*>(&rect), 2);
    extent.cx = std::max(extent.cx, rect.right + offset.x);
    extent.cy = std::max(extent.cy, rect.bottom + offset.y);
  }
  return extent;
}

void setRange(HWND scroller, int bar, int extent, int page) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = std::max(extent - 1, 0);
  info.nPage = static_cast<UINT>(std::max(page, 0));
  SetScrollInfo(scroller, bar, &info, TRUE);
}

// Scrolls to `position` (clamped to the range) and moves the children with it.
void scrollTo(HWND scroller, int bar, int position) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(scroller, bar, &info);
  const int last = std::max(info.nMax - static_cast<int>(info.nPage) + 1, info.nMin);
  position = std::clamp(position, info.nMin, last);
  const int before = info.nPos;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(scroller, bar, &info, TRUE);
  const int moved = before - GetScrollPos(scroller, bar);
  if (moved == 0) return;
  ScrollWindowEx(scroller, bar == SB_HORZ ? moved : 0, bar == SB_VERT ? moved : 0, nullptr, nullptr,
                 nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  UpdateWindow(scroller);
}

int targetOf(HWND scroller, int bar, WORD request) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(scroller, bar, &info);
  const int page = std::max(static_cast<int>(info.nPage), 1);
  switch (request) {
    case SB_LINEUP:
      return info.nPos - kLineStep;
    case SB_LINEDOWN:
      return info.nPos + kLineStep;
    case SB_PAGEUP:
      return info.nPos - page;
    case SB_PAGEDOWN:
      return info.nPos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return info.nTrackPos;
    case SB_TOP:
      return info.nMin;
    case SB_BOTTOM:
      return info.nMax;
    default:
      return info.nPos;
  }
}

}  // namespace

POINT scrollOffset(HWND scroller) {
  return {GetScrollPos(scroller, SB_HORZ), GetScrollPos(scroller, SB_VERT)};
}

void fitScrollRange(HWND scroller) {
  const SIZE extent = contentExtent(scroller);
  // Showing one bar narrows the room for the other, so settle twice.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(scroller, &client);
    setRange(scroller, SB_HORZ, extent.cx, client.right);
    setRange(scroller, SB_VERT, extent.cy, client.bottom);
  }
  // A shorter range may leave the position past its end.
  scrollTo(scroller, SB_HORZ, GetScrollPos(scroller, SB_HORZ));
  scrollTo(scroller, SB_VERT, GetScrollPos(scroller, SB_VERT));
}

bool handleScrollMessage(HWND scroller, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_VSCROLL:
      scrollTo(scroller, SB_VERT, targetOf(scroller, SB_VERT, LOWORD(wParam)));
      return true;
    case WM_HSCROLL:
      scrollTo(scroller, SB_HORZ, targetOf(scroller, SB_HORZ, LOWORD(wParam)));
      return true;
    case WM_MOUSEWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      scrollTo(scroller, SB_VERT, GetScrollPos(scroller, SB_VERT) - notches * kWheelStep);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace velmo::win
