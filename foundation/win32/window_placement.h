// Window placement records, the work area and sizes that follow the screen width.
//
// Further monitors are treated as screens of the primary's size placed side by side: a window belongs to
// the screen-sized tile that holds its centre.
#pragma once
#include <windows.h>

#include <cstdint>

#pragma pack(push, 1)
// A window's position, size and show state as the profile store keeps it.
struct WindowPlacementRecord {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
  uint16_t showState;  // 1 normal, 3 maximised, 0 anything else
};
#pragma pack(pop)
static_assert(sizeof(WindowPlacementRecord) == 18, "a window placement record is 18 bytes");

// Marks one of the four integers as not set (the same value as CW_USEDEFAULT).
constexpr int32_t kPlacementUnset = INT32_MIN;

// True when none of the four integers is unset.
bool IsPlacementSet(const WindowPlacementRecord& record);

// The origin of the screen-sized tile that holds a point: each coordinate rounded down to a whole multiple of
// the primary screen's width or height.
POINT GetScreenTileOrigin(POINT point);

// The work area (or, when `useWorkArea` is false or the work area cannot be read, the desktop with the
// primary screen's size); with a window, moved to the tile that holds the window's centre.
RECT GetWorkAreaRect(HWND window, bool useWorkArea);
// The absolute width and height of that area without a window.
SIZE GetWorkAreaSize(bool useWorkArea);

// Keeps a placement on the work area of its window's screen: width and height no larger than the area's,
// and no edge more than `margin` pixels outside it. Nothing happens while x is unset.
void ClampRectToWorkArea(HWND window, WindowPlacementRecord* record, int margin);

// Reads a window's placement: the current rectangle in the normal state, else the normal-position one.
// When the system cannot tell, the four integers are unset and the show state 0.
void GetWindowPlacementRecord(HWND window, WindowPlacementRecord* record);

// Applies a placement whose integers are all set. A maximised record only moves the window to the rectangle
// (maximising is the caller's); any other is applied with its show state and the rectangle as normal position.
void SetWindowPlacementRecord(HWND window, const WindowPlacementRecord& record);

// n scaled for wide screens: 100 % below a work-area width of 1600 pixels, else width / 16 %; the scale is
// taken once per process.
int ScaleByScreenWidth(int n);
// The scale in percent for a work-area width.
int ScreenWidthScalePercent(int workAreaWidth);
