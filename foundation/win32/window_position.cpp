#include "foundation/win32/window_position.h"

#include "foundation/win32/window_placement.h"

namespace {

int AlignedOffset(int mode, int freeSpace, int toEnd, int fiveSixths, int oneSixth, int toStart) {
  if (mode == toEnd) return freeSpace;
  if (mode == toStart) return 0;
  if (mode == fiveSixths) return freeSpace * 5 / 6;
  if (mode == oneSixth) return freeSpace / 6;
  return freeSpace / 2;
}

// Moves a start coordinate back so that the far edge stays inside, then forward so that the near edge does:
// a window larger than the area keeps its near edge (its title bar) visible.
int KeepInside(int start, int size, int areaStart, int areaEnd) {
  if (start + size > areaEnd) start = areaEnd - size;
  if (start < areaStart) start = areaStart;
  return start;
}

bool NormalRectangleIs(HWND window, const RECT& wanted) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  return GetWindowPlacement(window, &placement) && EqualRect(&placement.rcNormalPosition, &wanted);
}

}  // namespace

void MoveWindowIfChanged(HWND window, int x, int y, int width, int height, int* moves) {
  if (!window) return;
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  if (moves && NormalRectangleIs(window, RECT{x, y, x + width, y + height})) return;
  if (MoveWindow(window, x, y, width, height, TRUE) && moves) ++*moves;
}

void CenterWindow(HWND owner, HWND window, int horizontalMode, int verticalMode) {
  RECT reference;
  RECT rect;
  if (!window || !GetWindowRect(window, &rect)) return;
  if (!GetWindowRect(owner ? owner : GetDesktopWindow(), &reference)) return;
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  int freeWidth = reference.right - reference.left - width;
  int freeHeight = reference.bottom - reference.top - height;
  if (freeWidth < 0) freeWidth = 0;
  if (freeHeight < 0) freeHeight = 0;
  int x = reference.left + AlignedOffset(horizontalMode, freeWidth, kAlignRight, kAlignFiveSixthsAcross,
                                         kAlignOneSixthAcross, kAlignLeft);
  int y = reference.top + AlignedOffset(verticalMode, freeHeight, kAlignBottom, kAlignFiveSixthsDown,
                                        kAlignOneSixthDown, kAlignTop);
  RECT area = GetWorkAreaRect(owner, true);
  x = KeepInside(x, width, area.left, area.right);
  y = KeepInside(y, height, area.top, area.bottom);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
}
