// The page of the file list's columns: the list of available columns (6503), the list of chosen columns in their
// order (6504) and the toolbar that replaces placeholder 5300. A row's first cell is the column's caption (a
// field column's display name); a field column's second cell is its written reference without the brackets
// (display name, '=', source, '=', field); a field added from the field menu shows "source=field" there. A
// row's image is its alignment: 0 left, 1 centred, 2 right.
// The page belongs to the options dialog, which moves rows between the lists.
#pragma once
#include <windows.h>

struct ColumnLayout;

constexpr int kColumnToolbarPlaceholder = 5300;
constexpr int kAvailableColumnsList = 6503;
constexpr int kChosenColumnsList = 6504;

// Puts the toolbar in place of the placeholder and gives both lists their images: the three alignments, then
// the image of a row that opens a menu.
void SetupColumnPage(HWND dialog);
// Fills the lists: every column of the column table that the layout does not show is available; the chosen
// list gets the layout's shown columns in their display order.
void SetupColumnLists(HWND dialog, const ColumnLayout* columnTable, const ColumnLayout* layout);
// The layout of the chosen list (heap-owned, ended by an entry with id 0 and width 1): a row with a written
// reference becomes a field column of the field-reference list (width 80); other rows keep their column id,
// flags and width; the alignment comes from the row's image. Null when nothing was chosen or memory is short.
ColumnLayout* ReadChosenColumns(HWND dialog);
