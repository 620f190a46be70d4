#include "foundation/win32/window_placement.h"

#include "foundation/win32/window_position.h"

namespace {

constexpr int kFullScaleWidth = 1600;
constexpr int kWidthPerPercent = 16;

volatile LONG g_screenWidthScale = 0;

// Rounds down, also for negative values.
LONG FloorToMultiple(LONG value, LONG step) {
  LONG quotient = value / step;
  if (value % step != 0 && value < 0) --quotient;
  return quotient * step;
}

RECT PrimaryScreenRect() {
  RECT desktop = {};
  GetWindowRect(GetDesktopWindow(), &desktop);
  desktop.right = desktop.left + GetSystemMetrics(SM_CXSCREEN);
  desktop.bottom = desktop.top + GetSystemMetrics(SM_CYSCREEN);
  return desktop;
}

void MoveToWindowTile(HWND window, RECT* area) {
  RECT rect;
  if (!window || !GetWindowRect(window, &rect)) return;
  POINT centre = {rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
  POINT origin = GetScreenTileOrigin(centre);
  OffsetRect(area, origin.x, origin.y);
}

}  // namespace

bool IsPlacementSet(const WindowPlacementRecord& record) {
  return record.x != kPlacementUnset && record.y != kPlacementUnset && record.width != kPlacementUnset &&
         record.height != kPlacementUnset;
}

POINT GetScreenTileOrigin(POINT point) {
  LONG screenWidth = GetSystemMetrics(SM_CXSCREEN);
  LONG screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (screenWidth <= 0 || screenHeight <= 0) return POINT{0, 0};
  return POINT{FloorToMultiple(point.x, screenWidth), FloorToMultiple(point.y, screenHeight)};
}

RECT GetWorkAreaRect(HWND window, bool useWorkArea) {
  RECT area = {};
  if (!useWorkArea || !SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) area = PrimaryScreenRect();
  MoveToWindowTile(window, &area);
  return area;
}

SIZE GetWorkAreaSize(bool useWorkArea) {
  RECT area = GetWorkAreaRect(nullptr, useWorkArea);
  return SIZE{labs(area.right - area.left), labs(area.bottom - area.top)};
}

void ClampRectToWorkArea(HWND window, WindowPlacementRecord* record, int margin) {
  // Only x marks a placement as unset; the other integers are checked too so that no sum below overflows.
  if (!record || !IsPlacementSet(*record)) return;
  RECT area = GetWorkAreaRect(window, true);
  if (record->width > area.right - area.left) record->width = area.right - area.left;
  if (record->height > area.bottom - area.top) record->height = area.bottom - area.top;
  if (record->x < area.left - margin) record->x = area.left - margin;
  if (record->y < area.top - margin) record->y = area.top - margin;
  if (record->x + record->width > area.right + margin) record->x = area.right + margin - record->width;
  if (record->y + record->height > area.bottom + margin) record->y = area.bottom + margin - record->height;
}

void GetWindowPlacementRecord(HWND window, WindowPlacementRecord* record) {
  if (!record) return;
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!window || !GetWindowPlacement(window, &placement)) {
    *record = WindowPlacementRecord{kPlacementUnset, kPlacementUnset, kPlacementUnset, kPlacementUnset, 0};
    return;
  }
  RECT rect = placement.rcNormalPosition;
  if (placement.showCmd == SW_SHOWNORMAL) GetWindowRect(window, &rect);
  record->x = rect.left;
  record->y = rect.top;
  record->width = rect.right - rect.left;
  record->height = rect.bottom - rect.top;
  bool kept = placement.showCmd == SW_SHOWNORMAL || placement.showCmd == SW_SHOWMAXIMIZED;
  record->showState = kept ? static_cast<uint16_t>(placement.showCmd) : 0;
}

void SetWindowPlacementRecord(HWND window, const WindowPlacementRecord& record) {
  if (!window || !IsPlacementSet(record)) return;
  if (record.showState == SW_SHOWMAXIMIZED) {
    MoveWindowIfChanged(window, record.x, record.y, record.width, record.height, nullptr);
    return;
  }
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  // The minimised and maximised positions stay as the window has them.
  if (!GetWindowPlacement(window, &placement)) return;
  placement.flags = 0;
  placement.showCmd = record.showState;
  placement.rcNormalPosition = RECT{record.x, record.y, record.x + record.width, record.y + record.height};
  SetWindowPlacement(window, &placement);
}

int ScreenWidthScalePercent(int workAreaWidth) {
  return workAreaWidth < kFullScaleWidth ? 100 : workAreaWidth / kWidthPerPercent;
}

int ScaleByScreenWidth(int n) {
  // Every thread computes the same value, so a race only repeats the query.
  LONG scale = g_screenWidthScale;
  if (scale == 0) {
    scale = ScreenWidthScalePercent(GetWorkAreaSize(true).cx);
    InterlockedExchange(&g_screenWidthScale, scale);
  }
  return n * scale / 100;
}
