// The list control's columns: where each shown column lies, the widest content measured per column, and
// what the header reports (clicks, divider drags and double clicks, column drags, its context menu).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "views/items_view.h"

// A shown column: report mode shows every visible column of the layout in display order; the other modes
// (and a report list whose header could not be created) show the main column across the whole item.
struct DisplayColumn {
  int16_t id;
  int32_t tablePosition;  // the column's position in the column table: its sub-item number
  int32_t left;           // from the row's left edge
  int32_t width;
  uint16_t flags;
};

// How many columns CollectDisplayColumns gives.
int CountDisplayColumns(const ItemListControl* control);
// The shown columns in display order, at most `capacity`; returns how many were written.
int CollectDisplayColumns(const ItemListControl* control, DisplayColumn* columns, int capacity);
// The shown column at a distance from the row's left edge; false when none is there.
bool FindDisplayColumnAt(const ItemListControl* control, int x, DisplayColumn* column);
// The main column's width in report mode (the first entry of the table).
int MainColumnWidth(const ItemListControl* control);
// Table position of the n-th visible column (header item n), -1 when there is none.
int TablePositionOfVisible(const ItemListControl* control, int n);

// The widest-content array has one entry per column of the layout, and at least two (the list modes keep the
// cell width in entry 0 and its unshrunk width in entry 1). It is the control's thread's alone: only that thread
// sizes, clears, widens or reads it, so a replaced array is freed at once. Rows a worker adds are measured when
// they are painted.
bool SizeWidestText(ItemListControl* control);
void ClearWidestText(ItemListControl* control);
uint16_t WidestText(const ItemListControl* control, int tablePosition);
// Raises an entry to the width; true when it grew. Nothing on another thread than the control's.
bool WidenWidestText(ItemListControl* control, int tablePosition, int width);

// WM_NOTIFY from the header: clicks become LVN_COLUMNCLICK, a divider double click auto-sizes, width and order
// changes go into the layout; the divider notifications are passed on. The answer for the header.
LRESULT ItemsViewHeaderNotify(ItemListControl* control, NMHDR* header);
// Timer 502 after a column drag: widths and orders read back from the header, then a redraw.
void ItemsViewRereadHeader(ItemListControl* control);
// WM_CONTEXTMENU on the header: the parent hears the column under the cursor; true when it handled it.
bool ItemsViewHeaderContextMenu(ItemListControl* control, LPARAM screenPoint);
