// A list's columns as text, the way the user sees them: the shown columns in their display order with their
// captions and alignment, and the cell texts of a row. The columns are asked of the list window through the
// list-view messages (LVM_GETCOLUMNW, LVM_GETCOLUMNORDERARRAY), so the program's list control and a system list
// view answer alike; the copies to the clipboard and the list export read their texts here.
//
// The file list's cells are made straight from its rows by the formatter its painting uses (the view hook
// fileCellText), on any thread, so that a walk over many rows can run on a job's worker; any other list is asked
// for each cell (LVM_GETITEMTEXTW), on its own thread.
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

// Where a list's cell texts come from.
struct ListCellReader {
  HWND list;
  ItemListControl* rows;  // the file list, whose cells are made from its rows; null: the list is asked
};

ListCellReader CellReaderOf(HWND list);
// The rows the reader walks.
uint32_t ReaderRowCount(const ListCellReader& reader);
// As ReadListCellText, from the reader's source; the same text either way. -1, with an empty text, when the
// formatter failed: a copy or an export with such a cell must not pass for whole.
int ReadCellText(const ListCellReader& reader, int row, const ListTextColumn& column, wchar_t* text, int capacity);
