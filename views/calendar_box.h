// The month calendar of the date-and-time dialog: a list box the program paints itself as a grid of 8 columns
// and 7 rows. Row 0 holds "# " and the locale's short day names from Monday to Sunday; rows 1 to 6 the days
// from the Monday on or before the month's first day, the neighbouring months' days in grey, and in column 0
// the ISO week of each row's Sunday. A click on a day of the month selects it. The dialog and the calendar
// share one record, which the calendar reads and whose day it sets.
#pragma once
#include <windows.h>

#include <cstdint>

struct DateTimeDialogParam {
  SYSTEMTIME* time;       // the local date and time being edited
  uint16_t daysInMonth;   // days of the time's month
  uint16_t firstWeekday;  // ISO weekday (1 Monday to 7 Sunday) of the month's first day
  int32_t pasteable;      // the clipboard holds a time the dialog can take
};

constexpr int kCalendarColumns = 8;
constexpr int kCalendarRows = 7;

// The month's first weekday and number of days for the record's year and month, after either changed.
void UpdateCalendarMonth(DateTimeDialogParam* param);

// The date a day cell (row 1-6, column 1-7) shows; `inMonth` tells whether it lies in the record's month.
SYSTEMTIME CalendarCellDate(const DateTimeDialogParam& param, int row, int column, bool* inMonth);

// The day of the record's month in the cell under a client point of a calendar of that client size; 0 for the
// header, the week column and the neighbouring months' days.
int CalendarDayAtPoint(const DateTimeDialogParam& param, int width, int height, POINT point);

// Makes the list box the record's calendar: it paints the grid and takes clicks from now on.
void AttachCalendar(HWND listBox, DateTimeDialogParam* param);
// The calendar's window procedure (subclass of the list box).
LRESULT CALLBACK CalendarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
