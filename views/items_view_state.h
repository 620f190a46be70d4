// Row states of the list control: focus, selection and check boxes. Every change of a row's state redraws the
// row and tells the parent (LVN_ITEMCHANGED with the old and new state; check changes as state images). The
// list's own header: what the rest of the program uses of it is in views/items_view.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/items_view.h"

// Check boxes (style 0x4 only): 1 sets, 0 clears, -1 toggles. 1 when the box changed.
int ItemsViewSetItemCheck(ItemListControl* control, int index, int value);
// The row gets the focus (and the selection unless style 0x200) and is shown; the previously focused index, or
// -1 when nothing changed.
int ItemsViewSetSelectionMark(ItemListControl* control, int index);
// Deselects every row but one (-1: all).
void ItemsViewDeselectOthers(ItemListControl* control, int keep);
