// Keyboard and mouse of the list control: focus and selection by keys and clicks (Shift extends, Ctrl toggles),
// check boxes, hover colouring, the selection rectangle, drags (announced to the parent 78 ms after the last
// move with a button held), the slow second click that starts renaming, and the control's timers.
#pragma once
#include <windows.h>

#include "views/items_view.h"

// WM_KEYDOWN. Keys the control does not use (virtual keys up to 0x7A) go to the parent as kPaneKey.
void ItemsViewKeyDown(ItemListControl* control, WPARAM key, LPARAM keyData);
// WM_CHAR: characters from 123 up go to the parent as kPaneKey.
void ItemsViewChar(ItemListControl* control, WPARAM character, LPARAM keyData);

void ItemsViewMouseDown(ItemListControl* control, WPARAM keys, LPARAM position);
void ItemsViewMouseUp(ItemListControl* control, WPARAM keys, LPARAM position);
void ItemsViewDoubleClick(ItemListControl* control, WPARAM keys, LPARAM position);
void ItemsViewRightDown(ItemListControl* control, WPARAM keys, LPARAM position);
// True when the parent handled the release (the control then shows no context menu).
bool ItemsViewRightUp(ItemListControl* control, WPARAM keys, LPARAM position);
void ItemsViewMouseMove(ItemListControl* control, WPARAM keys, LPARAM position);
void ItemsViewMouseLeave(ItemListControl* control);
// WM_CONTEXTMENU: true when the control swallows it (a mouse menu without a right-button release on the control,
// or a header menu the parent handled).
bool ItemsViewContextMenu(ItemListControl* control, HWND source, LPARAM screenPoint);
// The control lost the mouse capture: a drag or selection rectangle in progress ends.
void ItemsViewCaptureLost(ItemListControl* control);

void ItemsViewTimer(ItemListControl* control, UINT_PTR timerId);
