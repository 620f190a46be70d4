// The top-level windows of other programs, their executables and icons, and the menu that lists them for
// switching to one.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/text/text_sizes.h"
#include "foundation/win32/menus.h"

// How many windows the window-list menu offers, and its first command id.
constexpr int kWindowListLimit = 100;
constexpr UINT kFirstWindowListCommand = 32001;
// Flags of an owner-drawn window-list item: the owner (WindowListItemIcon) gives its icon.
constexpr uint32_t kWindowListItemFlags = 0x10000 | kMenuItemIconFromOwner;

// One listed top-level window.
struct TopLevelWindow {
  HWND window;
  DWORD processId;
  int32_t hasClassIcon;
  wchar_t title[kTitleCapacity];
};

// Lists visible top-level windows without a parent and with a title, in z-order, except `skipWindow`, the
// windows of `skipProcessId` (0: none) and the one titled "Program Manager". A process gets one entry unless
// its windows have class icons and differ in title; an entry without class icon gives way to a later window
// of its process that has one. Stops when the array is full. The count goes into `count`; the result is the
// process id of the "Program Manager" window (0 when there is none).
DWORD EnumerateTopLevelWindows(HWND skipWindow, DWORD skipProcessId, TopLevelWindow* windows, int capacity,
                               int* count);

// The full path of a process's executable through the Toolhelp functions, resolved with SearchPathW. The
// result is its length; 0 when the process or the functions are missing.
int GetProcessExecutablePath(DWORD processId, wchar_t* target, int capacity);

// The listed window's class icon (the small one up to size 23), else its executable's icon, as a new icon the
// caller destroys; null when there is none.
HICON GetWindowIconCallback(const TopLevelWindow* window, int size);

// A pop-up menu with one item per window, command ids from kFirstWindowListCommand on. With `records` (one
// per window) each item carries its record for owner drawing: id, kWindowListItemFlags, the title cut to 60
// characters and the window as owner; without, it is a plain text item with the title.
HMENU BuildWindowListMenu(const TopLevelWindow* windows, int count, MenuItemData* records);

// The icon of an owner-drawn window-list item: its window's icon (GetWindowIconCallback), as a new icon the
// caller destroys; null for any other item.
HICON WindowListItemIcon(const MenuItemData* item, int size);

// Restores a minimised or hidden window, activates it and brings it to the top.
void ActivateListedWindow(HWND window);

// Offers the other programs' windows in a pop-up menu at the cursor and switches to the one chosen; the
// items are owner-drawn unless the options ask for the system's menus.
void ShowWindowListMenu(HWND owner);
