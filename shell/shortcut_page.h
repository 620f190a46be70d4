// The keyboard-shortcut page: list 5401 with one row per command and key (a command without a key has one row
// with an empty key column), and the toolbar that replaces placeholder 5402: give the focused row a key, add
// another key to its command, remove its key. A row's item data is the command id in the high 16 bits and
// its key code (0 for none) in the low ones. OK stores the keys that differ from the defaults in section
// "Keys" and fills the shortcut table again. The page belongs to the options dialog.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "foundation/ui/resource_ids.h"

struct CommandNameEntry;
struct KeyHookState;

// Builds the page in `dialog`: the toolbar, the list's columns and image list, the rows from the key table.
void SetupShortcutListPage(HWND dialog);
// One row per key code (ascending) of each named command; a command without a key gets one row without.
void FillShortcutList(const KeyHookState* state, HWND list);
// Appends a row for the command and key code (0: none); nothing for a command without a label.
void AddShortcutListRow(const KeyHookState* state, HWND list, const CommandNameEntry* entry, uint16_t keyCode);

// The page's toolbar commands: edit the key, add another key (IDC_ENTRY_DUPLICATE), remove the key; other ids
// do nothing.
void ShortcutPageCommand(HWND dialog, int command);
// Notifications of list 5401 (a column click sorts, a new focused row updates the toolbar, a double click
// edits); TRUE when the page handled it.
INT_PTR ShortcutPageNotify(HWND dialog, NMHDR* header);

// Opens dialog 5403 for the focused row (else the first selected one); on OK a row of another command that
// holds the new key loses it, and the row takes the key.
void EditShortcutOfFocusedRow(HWND dialog);
// Inserts below the focused row a copy without a key, for a further key of the same command.
void DuplicateShortcutItem(HWND dialog);
// Deletes the focused row when its command has another row; else only its key.
void RemoveShortcutKey(HWND dialog);
// Sorts the list by the texts of a column; the same column again reverses the order.
void SortShortcutList(HWND dialog, int column);
// True when a second row holds the command.
bool IsCommandListedTwice(HWND list, int commandId);
// Enables edit, another key and remove when the item (-1: the focused one) exists, up and down when it is not
// the first or the last.
void UpdateListToolbarButtons(HWND dialog, int listId, int toolbarId, int item);

// Writes section "Keys" anew from the list: each key whose command differs from its default, and "-" for each
// default key no row holds; then fills the shortcut table again.
void SaveShortcutKeys(HWND dialog);

