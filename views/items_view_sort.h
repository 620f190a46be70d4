// Sorting the list control's rows by its sort key and showing that key in the header.
//
// The sort table pairs column ids with sort keys; a column with two pairs (the split column) sorts by the first
// key when clicked left of its middle and by the second right of it. Keys above 600 belong to field columns:
// key 600 + n sorts field column -n. The list's own header: what the rest of the program uses of it is in
// views/items_view.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/items_view.h"

// The first column id that occurs in two pairs of the sort table; 0 when none does.
uint16_t FindSplitColumn(const uint16_t* sortTable);
