// The list control's window: class "l", creation, the list-view messages it answers, style changes and its
// delayed destruction.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/item_list_control.h"

constexpr wchar_t kItemListClassName[] = L"l";

// Timers of a control.
constexpr UINT_PTR kRenameTimer = 501;
constexpr UINT kRenameDelay = 300;
constexpr UINT_PTR kHeaderRereadTimer = 502;
constexpr UINT kHeaderRereadDelay = 10;
constexpr UINT_PTR kDragStartTimer = 503;
constexpr UINT kDragStartDelay = 78;

// Messages the control posts to itself: work other threads or the editor hand to the GUI thread.
constexpr UINT kEndEditMessage = WM_USER + 0x201;  // wParam: non-zero commits; lParam: the editor meant

// After WM_DESTROY the control lives this long, so that a worker still walking its rows finds them valid.
constexpr int kDelayedDestroySteps = 100;
constexpr DWORD kDelayedDestroyStepMs = 99;

// Signed client coordinates of a mouse message's lParam (or a GetMessagePos value).
inline POINT PointFromParam(LPARAM value) {
  return POINT{static_cast<int16_t>(LOWORD(value)), static_cast<int16_t>(HIWORD(value))};
}

// Creates a control: builds the creation record, creates the window (the view word plus WS_CHILD, WS_VISIBLE,
// WS_CLIPCHILDREN, WS_BORDER, WS_VSCROLL, WS_HSCROLL, WS_TABSTOP), posts WM_SIZE (0, 0) to the parent and
// returns the control, or null when the window could not be created.
ItemListControl* CreateItemsViewWindow(HWND parent, uint32_t viewWord, uint32_t styleFlags, uint16_t controlId,
                                       ColumnLayout* columns, const uint16_t* sortTable, SortKeyFunction sortKey,
                                       ItemDeletionCallback deleteItem, SelectionVetoCallback vetoSelection);

// The control of a window of class "l"; null for any other window and after WM_DESTROY.
ItemListControl* ItemListFromWindow(HWND window);

// Style flags: a non-negative value ORs its bits in, a negative one is an AND mask. Info tips (0x400) create or
// destroy the tooltip; a change recomputes the line colour and redraws.
void ItemsViewSetStyle(ItemListControl* control, int32_t flags);
// Replaces the style flags by these.
void ItemsViewApplyStyle(ItemListControl* control, uint32_t flags);

// The style flags the lists take from the program's option word.
uint32_t GetListControlStyle(uint32_t options);

// True on the thread that owns the control's window.
bool IsControlThread(const ItemListControl* control);

// Releases what the control holds: owned column layout, image list unless shared, the deletion callback on every
// row (the records are kept), both stores and the widest-content array. The control itself is not freed.
void DestroyItemsView(ItemListControl* control);
