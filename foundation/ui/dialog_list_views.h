// List views of dialogs: their columns captioned by UI texts (from a column table or from a list of text ids),
// and their set-up with the program's theme, full-row selection and info tips, and a subclass that keeps the
// selected item drawn while the list is sized, paints the background below the header and colours the
// header's captions in dark mode.
#pragma once
#include <windows.h>

#include <cstdint>

struct ColumnLayout;

// One column per visible entry of the table: its alignment, its width (negative widths resolved against the
// list's client width and written back), the UI text of its id as caption, sub-item = table position; then
// the display orders, when any differs from the insertion position. How many were inserted.
int ListViewInsertColumns(HWND list, ColumnLayout* table);
// One column per UI text id of the zero-terminated list, each 100 pixels wide except the last, which takes the
// rest of the client width less a vertical scroll bar (at least 100); without ids one column across the
// width. How many were inserted.
int ListViewInsertTextColumns(HWND list, const int* textIds);
// Inverts every item's check box, with the wait cursor meanwhile.
void ListViewInvertChecks(HWND list);

// What the subclass of a dialog's list view keeps; the list owns it from its set-up until it is destroyed.
struct DialogListViewRecord {
  HWND list;
  int32_t dark;
  COLORREF darkText;
  int32_t reportWithHeader;
  int32_t selectionMark;
  int32_t columnCount;
  WNDPROC previous;
};
static_assert(sizeof(DialogListViewRecord) == 40, "a dialog list view record is 40 bytes");

// Timer of the redraw of the selected item after a size change.
constexpr UINT_PTR kSelectionRedrawTimer = 772;
constexpr UINT kSelectionRedrawDelay = 95;

// Prepares a list view of a dialog: the record becomes its user data (it must come from AllocZeroed; the list
// frees it when it goes); dark mode for the list and its header; the "Explorer" look; full-row selection, info
// tips and the extra extended styles; in report mode the columns from the table, else from the text ids; then
// the subclass. False for a null list or record (a given record is then freed).
bool SetupDialogListView(DialogListViewRecord* record, HWND list, const int* textIds, ColumnLayout* table,
                         DWORD extraStyles);
// The same for the dialog's control with that id, with a record of its own. Its list, or null.
HWND SetupDialogListViewById(HWND dialog, int controlId, const int* textIds, ColumnLayout* table, DWORD extraStyles);
// The subclass procedure.
LRESULT CALLBACK DialogListViewProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
