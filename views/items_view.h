// The list control as the rest of the program uses it: the control record (views/item_list_control.h), creating
// a control, reading, changing and redrawing its rows, their focus and selection, in-place renaming, sorting,
// and what the control tells its parent. Its other headers (views/items_view_*.h) are the views' own.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "views/item_list_control.h"

// Creating a control (the control's window procedure answers the list-view messages a list view would).

// Creates a control: builds the creation record, creates the window (the view word plus WS_CHILD, WS_VISIBLE,
// WS_CLIPCHILDREN, WS_BORDER, WS_VSCROLL, WS_HSCROLL, WS_TABSTOP), posts WM_SIZE (0, 0) to the parent and
// returns the control, or null when the window could not be created.
ItemListControl* CreateItemsViewWindow(HWND parent, uint32_t viewWord, uint32_t styleFlags, uint16_t controlId,
                                       ColumnLayout* columns, const uint16_t* sortTable, SortKeyFunction sortKey,
                                       ItemDeletionCallback deleteItem, SelectionVetoCallback vetoSelection);
// The style flags the lists take from the program's option word.
uint32_t GetListControlStyle(uint32_t options);
// True on the thread that owns the control's window.
bool IsControlThread(const ItemListControl* control);
// The control's timer of a slow second click, which opens the editor (a parent opening a menu stops it).
constexpr UINT_PTR kRenameTimer = 501;
// Signed client coordinates of a mouse message's lParam (or a GetMessagePos value).
inline POINT PointFromParam(LPARAM value) {
  return POINT{static_cast<int16_t>(LOWORD(value)), static_cast<int16_t>(HIWORD(value))};
}

// What the control tells its parent besides the list-view notifications (WM_NOTIFY with the list view's codes
// and records, idFrom = the control id).

// The panes' private message to their parent; wParam is one of the codes below.
constexpr UINT kPaneNotifyMessage = WM_USER + 16;

constexpr WPARAM kPaneGotFocus = WM_SETFOCUS;       // posted; lParam = control id
constexpr WPARAM kPaneHeaderMenu = WM_CONTEXTMENU;  // PaneHeaderMenuRecord; non-zero: handled
constexpr WPARAM kPaneKey = WM_KEYDOWN;             // PaneKeyRecord
constexpr WPARAM kPaneTimer = WM_TIMER;             // PaneTimerRecord
constexpr WPARAM kPaneScrolled = WM_VSCROLL;        // SCROLLINFO (28 bytes, SIF_POS); zero: no further announcements
constexpr WPARAM kPaneMouseMove = WM_MOUSEMOVE;     // PaneMouseRecord with keys 0
constexpr WPARAM kPaneLeftDown = WM_LBUTTONDOWN;    // posted; lParam = control id
constexpr WPARAM kPaneRightDown = WM_RBUTTONDOWN;   // PaneMouseRecord; non-zero: the control does nothing more
constexpr WPARAM kPaneRightUp = WM_RBUTTONUP;       // PaneMouseRecord; non-zero: the control does nothing more

// Keys the control does not handle (virtual keys up to 0x7A) and characters from 123 up.
struct PaneKeyRecord {
  uint16_t controlId;
  uint16_t keyCode;
  LPARAM keyData;  // the key message's lParam
};

struct PaneTimerRecord {
  HWND window;
  UINT_PTR timerId;
};

struct PaneMouseRecord {
  HWND window;
  WPARAM keys;
  LPARAM position;  // client coordinates as in the mouse message
};

struct PaneHeaderMenuRecord {
  HWND window;     // the list control
  int32_t column;  // header item under the cursor, -1 when none
};

// Rows: reading, changing and redrawing them. Each change first cancels an open in-place editor. Inserting,
// appending and updating run on the GUI thread; deleting may be called from a worker and then runs on the GUI
// thread (views/item_list_control.h says which thread owns what).

// Inserts a row record (its first u16 is its length) at the index, or appends it for -1; the text is measured
// in the list's font to widen the list cell. The row's index, or -1 when the store refused it.
int ItemsViewInsertRecord(ItemListControl* control, const void* record, int index, const wchar_t* text);
// The text a record shows in the main column.
using RecordTextFunction = const wchar_t* (*)(const uint8_t* record);
// Appends the records that lie back to back in `records` (`bytes` in all, each beginning with its u16 length)
// under one hold of the store's lock, widens the list cell to each one's main text (measured in one DC) and
// lays the list out once: many rows cost little more than their records. 0 when all were stored, else the
// store's failure (ItemStoreAppendRecords), and then none is.
int ItemsViewAppendRecords(ItemListControl* control, const uint8_t* records, uint32_t bytes,
                           RecordTextFunction mainText);
// Replaces row i with the record. 0 replaced, 2 unchanged, 1 failed.
int ItemsViewUpdateItem(ItemListControl* control, int index, const void* record);
// Removes one row (the deletion callback runs on it first) or, for -1, every row. With `keep` the callback
// runs on every row and the records stay (for a store about to be destroyed). A row's own data is freed only
// together with the row: when the store's lock cannot be had, nothing is removed and nothing freed.
// 0 on success, 1 when the rows could not be changed.
int ItemsViewDeleteItem(ItemListControl* control, int index, bool keep);
// Removes every row the test picks (the deletion callback runs on each first) in one pass over the store, on the
// control's thread: many rows cost little more than their bytes. The focus stays with its row, or goes to none.
// 0 on success, 1 when the rows could not be changed.
int ItemsViewDeleteRowsWhere(ItemListControl* control, ItemStoreRowTest remove, void* context);
// Row i, or null.
uint8_t* GetItemRecord(const ItemListControl* control, int index);
// The row when it is selected, else null.
uint8_t* GetSelectedRecord(const ItemListControl* control, int index);
// Invalidates the row; a negative index invalidates everything below the header.
void ItemsViewRedrawItem(const ItemListControl* control, int index);
// Invalidates the shown rows from `first` to `last`; it looks at the window once for the rows out of view below.
void ItemsViewRedrawRange(const ItemListControl* control, int first, int last);
// The client area less the header.
RECT RowsArea(const ItemListControl* control);
// Row under a client point, -1 when none.
int ItemsViewItemFromPoint(const ItemListControl* control, POINT point);
// Folders, files and bytes of the selected file rows into the application's selection statistics (on the GUI
// thread, which alone writes them: another thread's count is handed there), and of all rows into the listing
// statistics.
void CountSelectedItems(const ItemListControl* control);
void CountListedItems(const ItemListControl* control);

// Focus and selection. Every change of a row's state redraws the row and tells the parent (LVN_ITEMCHANGED).

// Sets the bits of the mask (bit 0 focus, bit 1 selection) to the value's; a negative value toggles the
// selection. A negative index applies the selection part to every row (never the focus), committing an open
// editor first. The focus moves from the previously focused row; the selection-veto callback can keep a row
// unselected; a single-selection list keeps one selected row. 0 for a row that does not exist.
int ItemsViewSetItemState(ItemListControl* control, int index, int value, uint32_t mask);
// Selects (value 1 or 2) or deselects (0) a row, or every row for a negative index.
void ItemsViewSelectItems(ItemListControl* control, int index, int value);
// Moves the focus to a row and shows it. With extend (multi-selection lists) the rows between the old focus
// and the new one are selected; without it every other row is deselected first, unless moving the focus does
// not select (style 0x200).
void ItemsViewFocusItem(ItemListControl* control, int index, bool extend);
// Moves the focused row one place up (negative) or down in the rows; its new index, -1 without a focused row.
int ItemsViewMoveFocus(ItemListControl* control, int direction);

// Renaming in place: an edit field over a row's label. The parent hears LVN_BEGINLABELEDITW when it opens (a
// non-zero answer cancels) and LVN_ENDLABELEDITW with the new text when a changed, non-empty text is committed.
// The parent answers LVN_ENDLABELEDITW with 1 when it took the text, 0 when not, or kEndEditKeepOpen when it
// refuses a text the user typed and confirmed (Enter): the editor then stays open on it, so that the user can
// mend it. A text committed by anything else (a click elsewhere, the focus leaving, a sort) closes the editor
// whatever the answer, since the rows may move under it.
constexpr LRESULT kEndEditKeepOpen = 2;

// Opens the editor on a row; a negative index ends an open editor instead (-1 commits, lower values cancel).
// Nothing opens while the mouse is away from the press of a click, without the rename-by-click view bit, for a
// row without a label part or an empty label. The editor, or null.
HWND ItemsViewBeginEdit(ItemListControl* control, int index);
// Commits or cancels an open editor; from another thread the request is posted to the control's window.
void ItemsViewEndEdit(ItemListControl* control, bool commit);

// Sorting and columns.

// Sort keys from 600 on belong to field columns: key 600 + n sorts by field column -n.
constexpr int kFieldSortKeyBase = 600;

// Marks the current sort key's column in the header; the split column always shows the arrow bitmap (left of
// its caption for the first of its keys, right of it for the second).
void ItemsViewUpdateSortArrow(ItemListControl* control);
// Sorts the rows by the current key and direction; the focused row keeps the focus and stays in view. On a
// worker the rows are sorted there, and the focus, the scrolling and LVN_ITEMCHANGED follow on the GUI thread;
// the header's arrow is posted to it (the worker does not wait for it).
void ItemsViewSort(ItemListControl* control, void* context);
// A click on header item `column` at client x `clickX`: that column's key becomes the sort key (the same key
// again toggles the direction), then the rows are sorted. Columns without a pair do nothing.
void ItemsViewSetSortColumn(ItemListControl* control, int column, int clickX, void* context);
// The same choice of key and direction without the sort, for a caller that sorts itself; false when the column
// has no key.
bool ItemsViewChooseSortColumn(ItemListControl* control, int column, int clickX);
// The larger of the caption width and 50 pixels (scaled for wide screens), or the widest content when larger.
void ItemsViewAutoSizeColumn(ItemListControl* control, int column);
// The same fit to a widest text measured elsewhere in the list's font (views/text_width_meter.h), as a fit that
// measured on a worker sets it.
void ItemsViewFitColumnToText(ItemListControl* control, int column, int measured);
