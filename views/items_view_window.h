// The list control's window: class "l", creation, the list-view messages it answers, style changes and its
// destruction. The list's own header: creating a control is in views/items_view.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/items_view.h"

constexpr wchar_t kItemListClassName[] = L"l";

// Timers of a control (the slow-click timer kRenameTimer is in views/items_view.h).
constexpr UINT kRenameDelay = 300;
constexpr UINT_PTR kHeaderRereadTimer = 502;
constexpr UINT kHeaderRereadDelay = 10;
constexpr UINT_PTR kDragStartTimer = 503;
constexpr UINT kDragStartDelay = 78;
constexpr UINT_PTR kLayoutRestTimer = 504;
constexpr UINT kLayoutRestDelay = 250;

// Messages the control posts to itself: work other threads or the editor hand to the GUI thread.
constexpr UINT kEndEditMessage = WM_USER + 0x201;  // wParam: non-zero commits; lParam: the editor meant
constexpr UINT kLayoutNoticeMessage = WM_USER + 0x202;  // a worker changed the rows

// The control of a window of class "l"; null for any other window and after WM_DESTROY.
ItemListControl* ItemListFromWindow(HWND window);

// Replaces the style flags by these.
void ItemsViewApplyStyle(ItemListControl* control, uint32_t flags);

// Releases what the control holds: owned column layout, image list unless shared, the deletion callback on every
// row (the records are kept), both stores and the widest-content array. The control itself is not freed.
// A destroyed window's control leaves the application's list slot at once; job threads, which read the lists
// without a lock, may still hold it, so it is released and freed once no job thread runs (foundation/core/jobs.h).
void DestroyItemsView(ItemListControl* control);
