// Names of keys and commands as the menus, the shortcut page and the exported shortcut page show them: a key
// code as "Ctrl+Shift+F5" from the UI texts of the modifiers and keys, and a command as "File - Save" from the
// texts of its menu group and its menu item.
#pragma once
#include <windows.h>

#include <cstdint>

struct CommandNameEntry;
struct KeyHookState;

// The longest key name and command label the program builds.
constexpr int kKeyNameCapacity = 512;

// The modifiers (Alt, Ctrl, Shift, each followed by '+'), then the key's own name. The numpad's Decimal and
// Separator keys have no name: the whole text is then empty.
void FormatKeyName(uint16_t keyCode, wchar_t* buffer, int capacity);

// A menu text cut at its tab, then a tab and the name of the command's shortcut (of the highest key code that
// runs it) when it has one. The window list (IDM_WINDOW_LIST) keeps its text.
void AppendShortcutToMenuText(const KeyHookState* state, int commandId, wchar_t* text, int capacity);

// "group - command" from the UI texts of the entry's group and command (each up to its status part, without
// menu decorations); an entry without a name takes the group of the named entry of its command. A command
// without a text shows '#' and its name from the first digit on.
void GetCommandLabel(const KeyHookState* state, const CommandNameEntry* entry, wchar_t* buffer, int capacity);
