#include "views/calendar_box.h"

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/text/packed_date.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr uint64_t kFileTimeUnitsPerDay = 86400 * kFileTimeUnitsPerSecond;
constexpr int kDayNameLength = 3;
constexpr int kDayCellTextCapacity = 16;

WNDPROC g_listBoxProcedure = nullptr;

DateTimeDialogParam* ParamOf(HWND window) {
  return reinterpret_cast<DateTimeDialogParam*>(GetWindowUserData(window));
}

// Noon keeps the day whatever the clock does with the whole days added to it.
SYSTEMTIME FirstOfMonth(const SYSTEMTIME& time) {
  SYSTEMTIME first = {};
  first.wYear = time.wYear;
  first.wMonth = time.wMonth;
  first.wDay = 1;
  first.wHour = 12;
  return first;
}

SYSTEMTIME AddDays(const SYSTEMTIME& time, int64_t days) {
  FILETIME value;
  SYSTEMTIME moved = time;
  if (!SystemTimeToFileTime(&time, &value)) return moved;
  const uint64_t start = FileTimeToUInt64(value);
  const uint64_t span = static_cast<uint64_t>(days < 0 ? -days : days) * kFileTimeUnitsPerDay;
  const FILETIME target = UInt64ToFileTime(days < 0 ? start - span : start + span);
  FileTimeToSystemTime(&target, &moved);
  return moved;
}

struct CellRect {
  int width;
  int height;
};

RECT CellRectangle(CellRect cell, int row, int column) {
  return RECT{column * cell.width, row * cell.height, (column + 1) * cell.width, (row + 1) * cell.height};
}

void DrawCell(HDC dc, const RECT& rect, const wchar_t* text, COLORREF fill, COLORREF colour) {
  FillRectSolid(dc, rect, fill);
  SetTextColor(dc, colour);
  RECT place = rect;
  DrawTextSafe(dc, text, -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// "# " and the locale's short day names, Monday (1 January 2024) to Sunday, cut to three characters.
void DrawHeader(HDC dc, CellRect cell) {
  const COLORREF fill = GetThemeColorByIndex(kSlotButtonFace);
  const COLORREF colour = GetThemeColorByIndex(kSlotButtonText);
  DrawCell(dc, CellRectangle(cell, 0, 0), L"# ", fill, colour);
  SYSTEMTIME day = {};
  day.wYear = 2024;
  day.wMonth = 1;
  for (int column = 1; column < kCalendarColumns; ++column) {
    day.wDay = static_cast<WORD>(column);
    wchar_t name[kDayCellTextCapacity] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &day, L"ddd", name, kDayCellTextCapacity);
    name[kDayNameLength] = 0;
    DrawCell(dc, CellRectangle(cell, 0, column), name, fill, colour);
  }
}

// The week number with blanks before it up to three characters; nothing for a week the calendar cannot name.
void FormatWeek(int week, wchar_t* text) {
  text[0] = 0;
  if (week <= 0) return;
  const wchar_t* padding = week < 10 ? L"  " : L" ";
  swprintf(text, kDayCellTextCapacity, L"%ls%d", padding, week);
}

void DrawDayRow(HDC dc, CellRect cell, const DateTimeDialogParam& param, int row) {
  const COLORREF body = GetThemeColorByIndex(kSlotWindow);
  wchar_t text[kDayCellTextCapacity];
  for (int column = 1; column < kCalendarColumns; ++column) {
    bool inMonth = false;
    const SYSTEMTIME date = CalendarCellDate(param, row, column, &inMonth);
    const bool selected = inMonth && date.wDay == param.time->wDay;
    swprintf(text, kDayCellTextCapacity, L"%u", date.wDay);
    const COLORREF fill = selected ? GetThemeColorByIndex(kSlotHighlight) : body;
    const int textSlot = selected ? kSlotHighlightText : inMonth ? kSlotWindowText : kSlotGrayText;
    DrawCell(dc, CellRectangle(cell, row, column), text, fill, GetThemeColorByIndex(textSlot));
    if (column == kCalendarColumns - 1) FormatWeek(GetIsoWeekNumber(date.wDay, date.wMonth, date.wYear), text);
  }
  DrawCell(dc, CellRectangle(cell, row, 0), text, body, GetThemeColorByIndex(kSlotWindowText));
}

void PaintCalendar(HWND window, HDC target, const DateTimeDialogParam& param) {
  RECT client;
  GetClientRect(window, &client);
  DoubleBuffer buffer;
  if (!BeginDoubleBuffer(&buffer, target, client)) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  DoubleBufferSelectFont(&buffer, font != nullptr ? font : GetCachedUiFont());
  FillRectSolid(buffer.memoryDc, client, GetThemeColorByIndex(kSlotWindow));
  const CellRect cell = {client.right / kCalendarColumns, client.bottom / kCalendarRows};
  DrawHeader(buffer.memoryDc, cell);
  for (int row = 1; row < kCalendarRows; ++row) DrawDayRow(buffer.memoryDc, cell, param, row);
  EndDoubleBuffer(&buffer);
}

void InvalidateDay(HWND window, const DateTimeDialogParam& param, int day) {
  RECT client;
  GetClientRect(window, &client);
  const CellRect cell = {client.right / kCalendarColumns, client.bottom / kCalendarRows};
  const int index = param.firstWeekday - 1 + day - 1;
  const RECT rect = CellRectangle(cell, index / 7 + 1, index % 7 + 1);
  InvalidateRect(window, &rect, FALSE);
}

void SelectDayAt(HWND window, DateTimeDialogParam* param, POINT point) {
  RECT client;
  GetClientRect(window, &client);
  const int day = CalendarDayAtPoint(*param, client.right, client.bottom, point);
  if (day == 0 || day == param->time->wDay) return;
  InvalidateDay(window, *param, param->time->wDay);
  param->time->wDay = static_cast<WORD>(day);
  InvalidateDay(window, *param, day);
}

}  // namespace

void UpdateCalendarMonth(DateTimeDialogParam* param) {
  const SYSTEMTIME& time = *param->time;
  param->daysInMonth = DaysInMonth(time.wMonth, time.wYear);
  param->firstWeekday = static_cast<uint16_t>(GetIsoWeekday(1, time.wMonth, time.wYear));
}

SYSTEMTIME CalendarCellDate(const DateTimeDialogParam& param, int row, int column, bool* inMonth) {
  const int offset = (row - 1) * 7 + (column - 1) - (param.firstWeekday - 1);
  *inMonth = offset >= 0 && offset < param.daysInMonth;
  return AddDays(FirstOfMonth(*param.time), offset);
}

int CalendarDayAtPoint(const DateTimeDialogParam& param, int width, int height, POINT point) {
  const int cellWidth = width / kCalendarColumns;
  const int cellHeight = height / kCalendarRows;
  if (cellWidth <= 0 || cellHeight <= 0 || point.x < 0 || point.y < 0) return 0;
  const int column = point.x / cellWidth;
  const int row = point.y / cellHeight;
  if (row < 1 || row >= kCalendarRows || column < 1 || column >= kCalendarColumns) return 0;
  bool inMonth = false;
  const SYSTEMTIME date = CalendarCellDate(param, row, column, &inMonth);
  return inMonth ? date.wDay : 0;
}

void AttachCalendar(HWND listBox, DateTimeDialogParam* param) {
  SetWindowUserData(listBox, reinterpret_cast<LONG_PTR>(param));
  SubclassWindow(listBox, CalendarWndProc, &g_listBoxProcedure);
  InvalidateRect(listBox, nullptr, FALSE);
}

LRESULT CALLBACK CalendarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DateTimeDialogParam* param = ParamOf(window);
  if (param == nullptr || param->time == nullptr)
    return CallPreviousWindowProc(g_listBoxProcedure, window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintCalendar(window, dc, *param);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintCalendar(window, reinterpret_cast<HDC>(wParam), *param);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      SelectDayAt(window, param, POINT{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))});
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      return 0;
    default:
      return CallPreviousWindowProc(g_listBoxProcedure, window, message, wParam, lParam);
  }
}
