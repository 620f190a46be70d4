// The address bar's menus of subfolders: the drop part of a segment pops up the subfolders of that segment's
// folder, sorted by name; a choice names the folder to open. The menu's record lives until a thread of its own
// frees it, once no menu item uses it any more.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/record_buffer.h"
#include "foundation/win32/menus.h"

struct SubfolderMenu;

// The longest subfolder name a menu item keeps, its terminator not counted.
constexpr int kSubfolderItemNameLength = 59;
// The flags of a subfolder item's record: the kind of the item (0x10000), and its icon comes from the menu's
// owner (the closed folder).
constexpr uint32_t kSubfolderItemFlags = 0x10000 | kMenuItemIconFromOwner;

struct SubfolderMenu {
  int32_t provider;
  RecordBuffer texts;           // "=" and the folder, then the subfolder names in menu order
  uint32_t itemCount;
  volatile LONG pending;        // the release waits while it is not 0
  volatile LONG stop;           // raised: building stops
  MenuItemData* items;          // itemCount + 1 records (command id from 1, the flags above, the name cut to
                                // kSubfolderItemNameLength characters, the menu as owner), or null for plain items
};

// The menu that is open now, for the code that draws its items; null when none is.
extern SubfolderMenu* volatile g_openSubfolderMenu;

// Pops up at a screen point the subfolders of `path` (in `owner`'s name); the items carry records unless the
// menus are drawn by the system. 0 with the chosen subfolder's path in `path`; -1 when the folder has no
// subfolders or none was chosen.
int ShowSubfolderPopupMenu(int32_t provider, HWND owner, POINT at, wchar_t* path, int capacity);

// Fills the menu with the subfolders of `path` (no links, no dot entries), sorted by name, each with its
// command id (1, 2, ...) and, `withRecords`, its item record. The number of subfolders.
uint32_t BuildSubfolderMenu(SubfolderMenu* record, const wchar_t* path, HMENU menu, bool withRecords);

// The path of a chosen command: the folder of the last "=" entry before it with the command's name appended.
// 0, else an error (no such command, or a cut path).
int SubfolderChoicePath(const SubfolderMenu* record, int commandId, wchar_t* path, int capacity);

// A new, empty menu record of the provider; null for want of memory. FreeSubfolderMenu frees it.
SubfolderMenu* NewSubfolderMenu(int32_t provider);
void FreeSubfolderMenu(SubfolderMenu* record);

// The release thread: waits in 100 ms steps while the record's pending counter is not 0, then frees it.
DWORD WINAPI ReleaseSubfolderMenuThread(void* record);

// The menu messages of the subfolder menus' owner: WM_INITMENUPOPUP makes a pop-up owner-drawn (unless the menus
// are drawn by the system or it is the window menu), WM_MEASUREITEM and WM_DRAWITEM of menu items measure and
// draw them with the closed-folder icon, WM_MENUCHAR finds the item of a typed '&' key. False for other messages
// and for a key no item has.
bool HandleSubfolderMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
