// Pieces the option pages of the plug-ins and the field columns share: a toolbar that takes the place of a
// placeholder control, its tooltips, and the cells and states of their report lists.
#pragma once
#include <windows.h>

struct ToolbarIconRow;

// Replaces the placeholder control `placeholderId` by a toolbar of the rows, with the placeholder's place and
// id; null when the dialog has no such control.
HWND ReplacePlaceholderWithToolbar(HWND dialog, int placeholderId, const ToolbarIconRow* rows);
// Answers a toolbar's tooltip request (TTN_GETDISPINFOW) with the tooltip text of the button's command.
INT_PTR AnswerToolbarTooltip(NMHDR* header);

HINSTANCE ProgramInstance();

int ListRowCount(HWND list);
int ListFocusedRow(HWND list);
// Adds report columns with the UI texts as captions.
void AddListColumns(HWND list, const int* captionIds, const int* widths, int count);
