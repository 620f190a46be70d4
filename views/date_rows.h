// Date rows of dialogs: the two time conditions of the filter dialog and of the attributes tool. A row has a
// check box, a unit list (an absolute date and time, a time of day, or a count of seconds, minutes, hours,
// days, weeks, months or years), a count field, a date and a time picker in local time, and a "..." button
// that edits both pickers in the date-and-time dialog. Only the controls the row's unit needs are shown: an
// absolute date both pickers and the button, a time of day the time picker, a count the count field with the
// unit list to its right. A row holds one FilterHalf's date condition (views/file_filter.h).
#pragma once
#include <windows.h>

#include "views/file_filter.h"

// A count field of a date row or a size row: at most 100 digits.
constexpr int kCountCapacity = 101;

// The control ids of one row.
struct DateRowControls {
  int check;
  int unit;
  int count;
  int date;
  int time;
  int edit;  // the "..." button
};

// Fills the row's unit list and limits its count field.
void FillDateRowUnits(HWND dialog, const DateRowControls& row);

// Shows the half's date condition: its unit (an unknown one counts as none, and the list then shows the date
// unit), its count, or its date and time in local time; a time of day before 1981 is shown on today's date.
// The check box tells whether the condition is set.
void ShowDateRow(HWND dialog, const DateRowControls& row, const FilterHalf& half);

// Reads the row into the half: an unchecked row, a zero count or a date the pickers do not hold clear the
// condition; an absolute date is the pickers' local date and time in UTC, a time of day the time picker's on
// 2 January 1980.
void ReadDateRow(HWND dialog, const DateRowControls& row, FilterHalf* half);

// Places and enables the row's controls for its unit and check box. Returns whether the row shows pickers
// (its unit is a date or a time of day).
bool LayOutDateRow(HWND dialog, const DateRowControls& row);

// The unit the row's list shows; 0 when none is selected.
uint8_t SelectedDateUnit(HWND dialog, const DateRowControls& row);

// The up-down control between two rows copies the pickers of one row into the other: its upper arrow the first
// row's into the second, its lower arrow the other way. Set up once when the dialog opens; the WM_NOTIFY answer
// is TRUE when the notification was the arrows' (their position then stays where it is).
void SetUpDateRowArrows(HWND dialog, int upDown);
INT_PTR OnDateRowArrows(HWND dialog, const NMHDR* header, int upDown, const DateRowControls& first,
                        const DateRowControls& second);

// Puts a local time into both pickers of the row.
void SetDateRowPickers(HWND dialog, const DateRowControls& row, const SYSTEMTIME& local);
// The date of one row's date picker and the time of its time picker into the other row's.
void CopyDateRowPickers(HWND dialog, const DateRowControls& from, const DateRowControls& to);
