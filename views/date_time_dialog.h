// The date-and-time dialog: a month list, a year field and a calendar for the date, three fields for the
// time, and buttons for today, for copying the date and time to the clipboard as 14 digits
// ("yyyymmddhhmmss") and for pasting such digits back. The paste button is enabled only while the clipboard
// holds a time it can take (looked at every 1122 ms). The "..." buttons of the date rows open it on their
// pickers.
#pragma once
#include <windows.h>

// The help topic of the dialog.
constexpr int kDateTimeHelpTopic = 4;

// Shows the dialog on a local time (a day of 0 starts from today); 1 after OK with `local` holding the chosen
// date and time (milliseconds 0), 0 after Cancel or when the dialog could not be shown, `local` unchanged.
int ShowDateTimeDialog(HWND owner, SYSTEMTIME* local);

// Opens the dialog on the date of a date picker and the time of a time picker of a dialog and, after OK, puts
// the result into both. 1 after OK, else 0.
int EditDateTimePickerPair(HWND dialog, int datePicker, int timePicker);

// The time 14 digits name, read as year, month, day, hour, minute and second; false for any other text, for
// a year outside 1980-9999 and for a date or time that does not exist.
bool ParseCompactDateTime(const wchar_t* text, SYSTEMTIME* time);

// The dialog procedure; WM_INITDIALOG's lParam is a DateTimeDialogParam (views/calendar_box.h).
INT_PTR CALLBACK DateFormatDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
