// Menus built from the resource library's menu definitions. A definition is copied into a command tree of
// MenuItemRecords, adding the dynamic contents (the rename modules, the fields) and leaving out the items the
// current state hides; the tree's texts come from the UI string table, and the Win32 menus are built from it.
// The main menu, the pop-up menus and the module menu all come this way.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/text/text_sizes.h"
#include "foundation/win32/menus.h"
#include "foundation/ui/resource_library.h"

struct KeyHookState;
struct MenuIconHelper;
struct UiStringTable;

// Item type bit of a record whose text is carried in the record rather than looked up by its id.
constexpr uint32_t kRecordOwnText = 0x10000;


// Answers a definition with the array of records that stands for it (owned by the caller), or null when the
// definition is to be copied as it is.
using MenuContentProvider = MenuItemRecord* (*)(const MenuDefinitionEntry* definition);

// The resource library's module-list and field-list placeholders get the rename modules and their fields.
MenuItemRecord* DynamicMenuProvider(const MenuDefinitionEntry* definition);

// A copy of the definition as a tree of records (the last one with id 0), or null without memory. The
// appearance menu (IDM_DISPLAY_MENU) stays only where dark mode is available, and the display-mode command that
// names the current mode is left out.
MenuItemRecord* CopyFilteredCommandTree(const MenuDefinitionEntry* definition, MenuContentProvider provider);
// Frees the children recursively, then the array.
void FreeCommandTree(MenuItemRecord* tree);

// One record per module with a title: id IDM_ADD_MODULE_FIRST + index, its title and "...". Null when there is
// none.
MenuItemRecord* BuildModuleMenuItems();
// For each module with fields a record IDM_SORT_FIELD_FIRST + 256 x index with its title and the field records as
// children (IDM_SORT_FIELD_FIRST + 256 x index + field). Null when no module has a field.
MenuItemRecord* BuildFieldMenuItems();

// Appends the records' items to the menu, each with its text (from the table unless the record carries it),
// the record as item data, and a pop-up menu for its children. In a pop-up's context the texts are cut at a
// tab (no shortcut shown); elsewhere, with a key state, a command item shows the name of its shortcut after a
// tab. 0, or 1 when an item's text is empty (the menu then holds the items before it).
int BuildMenuFromTable(const UiStringTable* table, HMENU menu, MenuItemRecord* records, bool popupContext,
                       const KeyHookState* keys = nullptr);

// Gives the window a new menu bar built from the records (with the shortcuts of the key state), owner-drawn
// with the holder's icons when a holder is given. When the build fails the window keeps no menu and "Loading
// error." is shown.
void SetMenuFromTable(HWND window, const UiStringTable* table, MenuItemRecord* records, MenuIconHelper* icons,
                      const KeyHookState* keys);

// The main window's menu bar built anew from the main-menu definition with the UI string table in use and the
// shortcuts of the key table, owner-drawn unless the option word asks for the system's menus; the tree it
// replaces is freed.
void RebuildMainMenu(HWND window);
// A menu's owner-drawn flag: a given flag as it is; 0 becomes 1 when the program draws its menus (option bit
// 0x200 clear), else 0.
int ResolveFlagDefault(int flag);
// Frees the main menu's tree (at the end of a run).
void FreeMainMenuTree();

// Shows the records as a pop-up at the cursor; with `window` only while the cursor lies on that window. The
// enable list holds pairs {command id, MF_ state} ended by a 0 id. The chosen command, 0 for none.
int ShowPopupMenuAtCursor(HWND owner, HWND window, MenuItemRecord* records, const uint16_t* enableList, UINT flags);
// The same for a definition, copied with the dynamic contents for the time the menu is shown.
int ShowPopupMenuFromTable(HWND owner, HWND window, const MenuDefinitionEntry* definition,
                           const uint16_t* enableList, UINT flags);

// The menu of a list's column header at the cursor: IDM_FIT_COLUMN fits the clicked column (only for a column of
// 0 or more) and IDM_FIT_ALL_COLUMNS every column to its contents; the definition's entries, when given, follow a separator, and a choice
// of one of them is posted to the owner as a command. 1 when the menu was shown.
int ShowColumnHeaderMenu(HWND owner, HWND list, const MenuDefinitionEntry* definition, const uint16_t* enableList,
                         int column);

// The selection menu of a check-box list (only with two items or more) at the cursor: select all (IDM_SELECT_ALL)
// ticks every item's check box, select none (IDM_SELECT_NONE) clears them, invert (IDM_INVERT_SELECTION) inverts
// them.
void ShowListSelectionMenu(HWND owner, HWND list);
