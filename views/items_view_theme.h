// The list control's look as the theme gives it: the window class background, the dark flag with dark mode for
// the window and its header, and the header's visual style: "ItemsView" in dark mode, whose captions the
// control colours itself (the style leaves them light), "Explorer" otherwise.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "views/item_list_control.h"

// Takes the theme's state as it is now, at creation and whenever the theme changes; turning light undoes the
// dark treatment.
void ItemsViewFollowTheme(ItemListControl* control);
// Gives a new header the visual style of the control's theme state.
void ItemsViewThemeHeader(const ItemListControl* control);
// The answer to the header's NM_CUSTOMDRAW: each item is drawn by the list from its kept background
// (views/header_item_paint.h); an item left to the header takes, in dark mode, the theme's text colour.
LRESULT ItemsViewHeaderCustomDraw(ItemListControl* control, NMCUSTOMDRAW* draw);
