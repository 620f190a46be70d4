// A list's columns as text, the way the user sees them: the shown columns in their display order with their
// captions and alignment, and the cell texts of a row. Everything is asked of the list window through the
// list-view messages (LVM_GETCOLUMNW, LVM_GETCOLUMNORDERARRAY, LVM_GETITEMTEXTW), so the program's list control
// and a system list view answer alike; the copies to the clipboard and the list export read their texts here.
#pragma once
#include <windows.h>

#include "views/items_view.h"

struct ListTextColumn {
  int32_t subItem;  // the sub-item whose cell texts the column shows
  bool rightAligned;
  wchar_t caption[kCellTextCapacity];
};

// The list's shown columns in display order: a new block (free it with FreeAndNull) and their number in
// `count`; null with a count of 0 when the list has no column or no memory was left.
ListTextColumn* ReadListTextColumns(HWND list, int* count);

// The text of a row's cell (at most kCellTextCapacity - 1 characters); empty when the list gives none. The
// result is the text's length.
int ReadListCellText(HWND list, int row, const ListTextColumn& column, wchar_t* text, int capacity);
