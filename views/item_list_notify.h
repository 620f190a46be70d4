// What the list control tells its parent: list-view notifications (WM_NOTIFY with the list view's codes and
// records, idFrom = the control id) and pane notifications (kPaneNotifyMessage with a code in wParam).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "views/item_list_control.h"

// The panes' private message to their parent; wParam is one of the codes below.
constexpr UINT kPaneNotifyMessage = WM_USER + 16;

constexpr WPARAM kPaneGotFocus = 7;      // posted; lParam = control id
constexpr WPARAM kPaneHeaderMenu = 123;  // PaneHeaderMenuRecord; non-zero: handled
constexpr WPARAM kPaneKey = 256;         // PaneKeyRecord
constexpr WPARAM kPaneTimer = 275;       // PaneTimerRecord
constexpr WPARAM kPaneScrolled = 277;    // SCROLLINFO (28 bytes, SIF_POS); zero: no further announcements
constexpr WPARAM kPaneMouseMove = 512;   // PaneMouseRecord with keys 0
constexpr WPARAM kPaneLeftDown = 513;    // posted; lParam = control id
constexpr WPARAM kPaneRightDown = 516;   // PaneMouseRecord; non-zero: the control does nothing more
constexpr WPARAM kPaneRightUp = 517;     // PaneMouseRecord; non-zero: the control does nothing more

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

// Capacities of the texts the parent fills: a cell, and a label for renaming.
constexpr int kCellTextCapacity = 1024;
constexpr int kLabelTextCapacity = 260;

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
