// The help line of the menu item under the mouse, shown as the status bar's hint while a menu is open.
#pragma once
#include <windows.h>

struct StatusBar;

// WM_MENUSELECT: the hint of the item (a command by its id; a pop-up by the id at its position in `menu`) is
// the part of its UI text between the first and the second ';', else a command's menu text without its
// decorations; a full stop is added when missing. An item without text removes the hint.
void MenuHelpToStatusBar(StatusBar* bar, HMENU menu, WPARAM selection);

// The hint text of a UI text: see above; `popup` items without a ';' part have none.
void MenuHelpText(const wchar_t* uiText, bool popup, wchar_t* hint, int capacity);
