// Painting the list control into one off-screen buffer: custom draw, rows with blended selection and hover
// colours, check boxes, icons, cell texts the parent supplies, the focus rectangle, grid lines and the
// selection rectangle. Only the rows in view are visited.
#pragma once
#include <windows.h>

#include "views/items_view.h"

// Paints the update region (WM_PAINT) when the target is null, else the whole client area into the target DC
// (WM_PRINTCLIENT).
void ItemsViewPaint(ItemListControl* control, HDC target);
