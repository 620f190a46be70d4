// Row states of the list control: focus, selection and check boxes. Every change of a row's state redraws the
// row and tells the parent (LVN_ITEMCHANGED with the old and new state; check changes as state images).
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/item_list_control.h"

// Sets the bits of the mask (bit 0 focus, bit 1 selection) to the value's; a negative value toggles the
// selection. A negative index applies the selection part to every row (never the focus), committing an open
// editor first. The focus moves from the previously focused row; the selection-veto callback can keep a row
// unselected; a single-selection list keeps one selected row. 0 for a row that does not exist.
int ItemsViewSetItemState(ItemListControl* control, int index, int value, uint32_t mask);
// Selects (value 1 or 2) or deselects (0) a row, or every row for a negative index.
void ItemsViewSelectItems(ItemListControl* control, int index, int value);
// Moves the focus to a row and shows it. With extend (multi-selection lists) the rows between the old focus
// and the new one are selected; without it every other row is deselected first, unless moving the focus does
// not select (style 0x200).
void ItemsViewFocusItem(ItemListControl* control, int index, bool extend);
// Check boxes (style 0x4 only): 1 sets, 0 clears, -1 toggles. 1 when the box changed.
int ItemsViewSetItemCheck(ItemListControl* control, int index, int value);
// The row gets the focus (and the selection unless style 0x200) and is shown; the previously focused index, or
// -1 when nothing changed.
int ItemsViewSetSelectionMark(ItemListControl* control, int index);
// Moves the focused row one place up (negative) or down in the rows; its new index, -1 without a focused row.
int ItemsViewMoveFocus(ItemListControl* control, int direction);
// Deselects every row but one (-1: all).
void ItemsViewDeselectOthers(ItemListControl* control, int keep);
