// The filter dialog: edits a FilterRecord. The record changes only when the dialog closes with OK.
//
// Each date row has a check box, a unit list (an absolute date and time, a time of day, or a count of
// seconds, minutes, hours, days, weeks, months or years back from now), a count field and a date and a time
// picker in local time; only the controls the row's unit needs are shown. The arrows between the rows copy
// the pickers of one row into the other. The attribute boxes have three states: checked requires the
// attribute, unchecked forbids it, the third state leaves it free.
#pragma once
#include <windows.h>

#include "views/file_filter.h"

// The help topic of the dialog.
constexpr int kFilterHelpTopic = 3;

// Shows the dialog on the record, owned by `parent`. 1 after OK (the record then holds the edited filter),
// 0 after Cancel, when the dialog could not be shown or for a null record.
int ShowFilterDialog(HWND parent, FilterRecord* record);

// The dialog procedure; WM_INITDIALOG's lParam is the FilterRecord.
INT_PTR CALLBACK FilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
