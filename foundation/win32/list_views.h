// Thin wrappers of the system list view (and of the program's own list control, which answers the same
// messages): columns from column tables, item texts, images, data and check states, focus and selection,
// swapping and moving items, auto-sizing columns and sorting by a column's texts.
//
// Every function does nothing for a null list and then gives 0, -1 or false.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/text/text_sizes.h"

struct ColumnLayout;

// The narrowest column the wrappers make, before scaling for wide screens.
constexpr int kListViewMinColumnWidth = 50;

// Columns.

// One column at `index` (also its sub-item), at least 50 pixels wide, left-aligned unless `extraFormat` says
// otherwise; its index.
int ListViewInsertColumn(HWND list, const wchar_t* text, int index, int width, int extraFormat);
// The header's item count, else the columns counted one by one.
int ListViewColumnCount(HWND list);
// The larger of the caption width and the content width, at least 50 pixels scaled for wide screens.
void ListViewAutoSizeColumn(HWND list, int column);
// The same for columns 0 .. count - 1 with redrawing off meanwhile (turned on again by a posted message).
void AutoSizeListColumns(HWND list, int count);
// Sorts the items by the texts of column `column` (ignoring case, numbers not by value). `current` holds the
// sorted column plus one and `descending` the direction: another column becomes current, ascending with
// `toggle`; the same column changes direction with `toggle`. Nothing when `columnIds` (ended by 0) has no
// entry at that position. Items must carry distinct item data.
void ListViewSortByColumn(HWND list, int column, int* current, int* descending, const int16_t* columnIds,
                          bool toggle);

// The font when given; the text and background colours of the pair {text, background} when they differ.
void ListViewSetFontAndColors(HWND list, HFONT font, const COLORREF* colorPair);
// Turns the label-editing style off and on again, which ends an edit that is under way.
void ResetListViewLabelEditing(HWND list);

// Items.

// Inserts an item at `index` (-1: at the end) with its image and item data; with a data size the item data is
// a heap copy of `data` that the list's owner frees (LVN_DELETEITEM). Its index, or -1.
int ListViewInsertItem(HWND list, const wchar_t* text, int index, int image, const void* data, int dataSize);
// The same, where -1 inserts after the focused item (at the end without one); the new item is then selected
// alone.
int ListViewInsertItemAndSelect(HWND list, const wchar_t* text, int index, int image, const void* data,
                                int dataSize);
// The state bits of `mask` set to `state` (item -1: every item).
void ListViewSetState(HWND list, int item, UINT state, UINT mask);
void ListViewDeleteItem(HWND list, int item);
bool ListViewGetCheck(HWND list, int item);
void ListViewSetCheck(HWND list, int item, bool on);
int ListViewItemImage(HWND list, int item);
// Sets the image and redraws the list.
void ListViewSetItemImage(HWND list, int item, int image);
LPARAM ListViewItemParam(HWND list, int item);
void ListViewSetItemParam(HWND list, int item, LPARAM data);
void ListViewGetItemText(HWND list, int item, int subItem, wchar_t* buffer, int capacity);
void ListViewSetItemText(HWND list, int item, int subItem, const wchar_t* text);

// The focused item; else a selected one, where a selected item 0 gives way to a later selected item; else -1.
int ListViewFocusedItem(HWND list);
// Clears focus and selection of the focused item, then focuses, selects and shows the item and sets the
// selection mark on it.
void ListViewSelectOnly(HWND list, int item);
// Exchanges image, item data, every column's text and the check states of two items, then selects b only.
void ListViewSwapItems(HWND list, int a, int b);
// Swaps the focused item with its neighbour; a beep when there is none.
void ListViewMoveFocusedUp(HWND list);
void ListViewMoveFocusedDown(HWND list);
