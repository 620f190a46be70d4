// The program's owner-drawn menus: the menu bar as text items, and pop-ups with an icon column, the label and
// the accelerator text, drawn in the theme's colours (the menu fill, the highlight blended into it, the menu
// text and shadow colours) with the icons of the menu-icon holder. Every item carries a MenuItemData record as
// its item data; WM_INITMENUPOPUP makes a pop-up owner-drawn and measures its items into the records, which
// WM_MEASUREITEM (MeasureOwnerDrawnMenuItem) and WM_DRAWITEM (DrawOwnerDrawnMenuItem) then read.
#pragma once
#include <windows.h>

#include "foundation/win32/menu_icons.h"
#include "foundation/win32/menus.h"

// The icon of an item flagged kMenuItemIconFromOwner at a size, as a new icon the caller destroys; null: none.
using MenuIconCallback = HICON (*)(const MenuItemData* item, int size);

// Keeps the brush as the holder's menu background (null: the dialog background brush, taken when used) and
// gives it to the menu. 0, ERROR_CALL_NOT_IMPLEMENTED without SetMenuInfo, or the system's error normalised
// (50 where it gives none).
DWORD SetMenuBackground(MenuIconHelper* helper, HMENU menu, HBRUSH brush);

// Makes a pop-up's items that carry item data owner-drawn and measures them in the menu font: separators get
// half the text height + 2 as their height; the other items one height (the larger of the icon size and the
// text height + 2, plus 4), the widest label and the widest accelerator text (modulo 256).
void MakePopupMenuOwnerDrawn(MenuIconHelper* helper, HMENU popup);
// Makes a menu bar's items that carry item data owner-drawn text items (height 0, their own text width) and
// draws the window's menu bar again.
void MakeMenuOwnerDrawn(MenuIconHelper* helper, HWND window, HMENU menu);

// The WM_DRAWITEM answer for menu items: 0 without item data; else the item drawn, as a pop-up item with an
// icon column when its measure has a height, as a text item otherwise, and 1.
int DrawOwnerDrawnMenuItem(const MenuIconHelper* helper, const DRAWITEMSTRUCT* item, MenuIconCallback iconCallback);

// The menu messages of a window whose pop-ups are the program's menus: WM_INITMENUPOPUP makes the pop-up (not
// the window menu) owner-drawn unless the option word asks for the system's menus; WM_MEASUREITEM and
// WM_DRAWITEM of menu items measure and draw them; WM_MENUCHAR finds the item whose '&' precedes the key. True,
// with the answer in `result`, when the message was taken; false for other messages, for the items of controls
// and for a key no item has, which the default handling then gets.
bool AnswerOwnerDrawnMenuMessage(MenuIconHelper* helper, UINT message, WPARAM wParam, LPARAM lParam,
                                 MenuIconCallback iconCallback, LRESULT* result);
