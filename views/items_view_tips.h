// Info tips (style 0x400): a tooltip child shows a cell's text when it does not fit its cell; for the main
// column the parent may supply a tip of its own (a multi-line one when it answers non-zero).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "views/items_view.h"

// Destroys the tooltip when the style no longer asks for info tips.
void ItemsViewUpdateTooltip(ItemListControl* control);
// The tooltip asks for its text: the tip of the cell under the cursor, or an empty text.
void ItemsViewTipText(ItemListControl* control, NMTTDISPINFOW* request);
// The tip at a client point (the cursor's for the tooltip's own requests) into the control's tip buffer.
const wchar_t* ItemsViewTipAt(ItemListControl* control, POINT point);
// Hover began or ended: the tooltip follows it. The first hover of a list that asks for info tips makes its
// tooltip (registered with the control as its tool): most lists of a start-up never show a tip.
void ItemsViewActivateTooltip(ItemListControl* control, bool active);
// The row under the cursor changed: the shown tip is withdrawn and asked for again.
void ItemsViewRefreshTooltip(ItemListControl* control);
