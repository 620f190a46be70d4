// Copies of the file list's selected rows to the clipboard as text: the current names alone, or every shown
// column's cell with or without a line of the column captions. Lines end with CR LF, cells are separated by
// TAB; the text goes on the clipboard as CF_UNICODETEXT and, in the active code page, as CF_TEXT. With nothing
// to copy the clipboard is emptied, so that no older text is pasted in its place.
#pragma once
#include <windows.h>

struct ItemListControl;

// The current name of every selected file row, in list order. Nothing while a job is busy: it may be
// changing the rows.
void CopySelectedNamesToClipboard(HWND owner, const ItemListControl* list);

// The cells of every selected row in the shown columns (those with a caption), in display order, after a
// line of the captions when asked for. The rows are read as painting reads them, without a lock. A copy of
// many rows of the file list runs as a job (views/row_walk.h): its text goes on the clipboard when it ends, and
// a Stop leaves the clipboard as it was; while another job is busy such a copy is refused with a beep.
void CopySelectedRowsToClipboard(HWND owner, const ItemListControl* list, bool withCaptions);
