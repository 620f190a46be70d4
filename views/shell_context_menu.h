// The Explorer context menu of listed files, with one item of the program's own. The shell's standard verbs
// for opening, renaming and deleting can be handed back to the caller instead of being run by the shell, so
// that renaming and deleting stay under the program's control; every other verb the shell runs itself.
//
// While the menu is open its owner window passes the menu messages to the shell's menu object
// (RelayShellMenuMessage), which draws and fills its own submenus ("Send to", "Open with").
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>

// The caller's choices, and the results that hand a verb back.
constexpr uint32_t kShellMenuOpen = 0x1;       // "open" is handed back
constexpr uint32_t kShellMenuRename = 0x4;     // the menu may offer renaming; "rename" is handed back
constexpr uint32_t kShellMenuDelete = 0x8;     // "delete" is handed back
constexpr uint32_t kShellMenuOwnItem = 0x1000;  // adds the program's own item; choosing it gives this value

// WM_CONTEXTMENU's position when the keyboard (Shift+F10, the menu key) asked for the menu: both coordinates -1.
inline bool IsKeyboardMenuPosition(LPARAM position) { return static_cast<uint32_t>(position) == 0xFFFFFFFFu; }

// Where the menu for WM_CONTEXTMENU's position opens: at that screen point for the mouse; for the keyboard
// at the lower left of the item it is for (`item`, client coordinates of `window`), kept inside the window's
// client area, or at the client area's top left without an item.
POINT ContextMenuPoint(HWND window, LPARAM position, const RECT* item);

// The context menu of a sequence of zero-terminated full paths, all in one folder, ended by an empty one;
// shown at the screen point `at`, at the cursor without one. The result is the handed-back verb's flag,
// kShellMenuOwnItem, or 0 when the menu was dismissed, the shell ran the chosen command, or the menu could
// not be built.
int ShowShellContextMenu(HWND owner, const wchar_t* paths, uint32_t flags, const POINT* at = nullptr);

// The same with a menu object of the caller's: fills a pop-up from it, adds the own item, shows it and runs
// or hands back the choice.
int RunShellContextMenu(HWND owner, IContextMenu* menuObject, uint32_t flags, const POINT* at = nullptr);

// `wanted` when no item of the menu or of its submenus uses that id, else the highest id in use + 1 + 777.
// `separatorPosition` (when given) receives the position of the menu's first separator, -1 when it has none.
UINT MenuFreeCommandId(HMENU menu, int* separatorPosition, UINT wanted);

// WM_INITMENUPOPUP, WM_DRAWITEM and WM_MEASUREITEM of menu items, and WM_MENUCHAR, while a shell context
// menu is open: they belong to the shell's menu, so they go to its menu object and, when it does not handle
// them, to the default window procedure; the owner's own menu code never sees them (the shell's items carry
// item data of their own). True with the answer in `result` when a shell menu took the message.
bool RelayShellMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
