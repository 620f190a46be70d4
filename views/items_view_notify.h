// What the list control tells its parent: list-view notifications (WM_NOTIFY with the list view's codes and
// records, idFrom = the control id) and pane notifications (kPaneNotifyMessage with a code in wParam; the
// message, its codes and records are in views/items_view.h, for the parents).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "views/items_view.h"

// What the parent answered for a cell.
struct CellDisplay {
  int image;       // 1-based position in the image list, 0 for none
  UINT stateBits;  // overlay index and cut bit
};

// WM_NOTIFY to the parent with the control's window, id and the code; the parent's answer.
LRESULT SendListNotify(const ItemListControl* control, NMHDR* header, int code);
// kPaneNotifyMessage to the parent: sent with a record, or posted with the control id.
LRESULT SendPaneNotify(const ItemListControl* control, WPARAM code, const void* record);
void PostPaneNotify(const ItemListControl* control, WPARAM code);

// Asks the parent for a cell's text (LVN_GETDISPINFOW, row record as item data). `mask` is LVIF_TEXT,
// optionally with LVIF_IMAGE. The text ends up in `text` (empty when the parent gives none); returns its length.
int RequestCellDisplay(const ItemListControl* control, int index, int subItem, UINT mask, wchar_t* text, int capacity,
                       CellDisplay* display);

// LVN_ITEMCHANGED with the old and new state.
void NotifyItemChanged(const ItemListControl* control, int index, UINT oldState, UINT newState);
// A click, double click, activation or drag code with the row, column and point; the parent's answer.
LRESULT NotifyItemAction(const ItemListControl* control, int code, int index, int column, POINT point, UINT keyFlags);
