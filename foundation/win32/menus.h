// Menus: items, checks, pop-ups at the cursor, accelerator keys of owner-drawn menus, and commands of shell
// context menus. A null menu is ignored.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>

#pragma pack(push, 1)
// The item data of an owner-drawn menu item; the items of the program's command trees (MenuItemRecord) are
// the same record.
struct MenuItemData {
  uint16_t commandId;      // 0 ends an array of records
  uint32_t flags;          // MFT_ bits of the item plus the program's own bits (below)
  uint32_t measure;        // bits 0-7 item height, 8-15 accelerator text width, 16-31 label width
  MenuItemData* children;  // command trees: the owned array of the item's pop-up
  wchar_t text[60];        // the label, optionally a tab and the accelerator text
  void* owner;             // what the item belongs to, for menus that need it (a subfolder menu: the menu)
};
#pragma pack(pop)
static_assert(sizeof(MenuItemData) == 146, "a menu item record is 146 bytes");
using MenuItemRecord = MenuItemData;

// Flag of an item whose icon the menu's owner gives (through the icon callback of the drawing).
constexpr uint32_t kMenuItemIconFromOwner = 0x20000;

// Checks or unchecks an item by command id.
void SetMenuItemChecked(HMENU menu, UINT commandId, bool checked);
// The same with the round mark of a choice among several items.
void SetMenuItemRadioChecked(HMENU menu, UINT commandId, bool checked);

// Appends an item at the end: id, text (null: a separator), type bits, state, item data and an optional
// submenu. False when the menu is missing or the system refuses.
bool AppendMenuItem(HMENU menu, UINT commandId, const wchar_t* text, UINT type, UINT state, ULONG_PTR data,
                    HMENU submenu);

// GetMenuItemInfoW by position with `mask`; a text asked for (MIIM_STRING or MIIM_TYPE) goes into `text`,
// which is cleared first. False when the menu is missing or the system refuses.
bool MenuGetItemInfoByPosition(HMENU menu, UINT position, UINT mask, MENUITEMINFOW* info, wchar_t* text,
                               int capacity);

// Shows a pop-up menu at the cursor. With `returnCommand` the chosen command id is the result, else 0; with
// `destroy` the menu is destroyed afterwards.
int TrackPopupMenuAtCursor(HMENU menu, HWND owner, UINT flags, bool returnCommand, bool destroy);

// The WM_MENUCHAR answer of an owner-drawn menu whose items carry MenuItemRecords: MNC_EXECUTE and the
// position of the first item whose text has '&' before the key (compared in upper case); 0 when none has,
// and for system menus.
LRESULT FindMenuAccelerator(wchar_t key, UINT menuFlags, HMENU menu);

// Cuts a menu text at its first ".." and removes every '&'.
void StripMenuAccelerators(wchar_t* text);

// Runs a command of a shell context menu (the offset of the command id from the menu's first id) for the
// owner window; 0 on success, 5 when the call fails or there is no menu.
int InvokeContextMenuCommand(IContextMenu* menu, HWND owner, UINT commandOffset);
