// Sorting the list control's rows by its sort key and showing that key in the header.
//
// The sort table pairs column ids with sort keys; a column with two pairs (the split column) sorts by the first
// key when clicked left of its middle and by the second right of it. Keys above 600 belong to field columns:
// key 600 + n sorts field column -n.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/item_list_control.h"

constexpr int kFieldSortKeyBase = 600;

// The first column id that occurs in two pairs of the sort table; 0 when none does.
uint16_t FindSplitColumn(const uint16_t* sortTable);
// Marks the current sort key's column in the header; the split column always shows the arrow bitmap (left of
// its caption for the first of its keys, right of it for the second).
void ItemsViewUpdateSortArrow(ItemListControl* control);
// A click on header item `column` at client x `clickX`: that column's key becomes the sort key (the same key
// again toggles the direction), then the rows are sorted. Columns without a pair do nothing.
void ItemsViewSetSortColumn(ItemListControl* control, int column, int clickX, void* context);
// Sorts the rows by the current key and direction; the focused row keeps the focus and stays in view.
void ItemsViewSort(ItemListControl* control, void* context);
