// The dialog that gives one command of the shortcut page a key (template 5403): a drop-down list of keys, the
// Alt, Ctrl and Shift boxes, and a line that names the command already holding that key, or says the key is
// reserved. OK with a reserved key ends the dialog as Cancel does.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/text/text_sizes.h"

// What the dialog edits: one per opening, on the caller's stack.
struct ShortcutEditRecord {
  uint16_t keyCode;  // 0 for none
  uint16_t commandId;
  wchar_t label[kCellTextCapacity];
  HWND list;  // the page's list, searched for conflicts
};

// Opens the dialog modally over the owner: 1 when OK took a key that is not reserved (the record holds it),
// 0 otherwise.
int ShowShortcutKeyDialog(HWND owner, ShortcutEditRecord* record);

INT_PTR CALLBACK ShortcutKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The keys the combo offers, each with its virtual key as item data: F1-F12, A-Z, 0-9, the numpad digits, then
// Enter, Tab, Space, the editing and arrow keys, the numpad operators, the punctuation keys, Backspace and the
// lock keys. Keys without a name are left out.
void FillShortcutKeyCombo(HWND combo);
// The key chosen in the dialog into the record (unchanged without a choice), and a key code into the dialog.
void ReadShortcutControls(HWND dialog, ShortcutEditRecord* record);
void SetShortcutControls(HWND dialog, uint16_t keyCode);

// Looks for the record's key among the list's rows (with a dialog, the key chosen there is read first): -1 for
// a reserved key, the 1-based row of the first row of another command that holds it, else 0. With a dialog, its
// message line names that command (or says the key is reserved; empty otherwise).
int CheckShortcutConflict(HWND dialog, ShortcutEditRecord* record);
// 0 when the key chosen in the dialog is reserved (or the dialog holds no record), else 1.
int ValidateShortcutDialog(HWND dialog);
