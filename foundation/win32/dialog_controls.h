// Messages to the controls of dialogs: buttons, combo boxes, list boxes, edits, list views and scroll bars.
//
// Functions taking a dialog and an id work on the dialog item found by its id; those taking a control work
// on that handle. A missing dialog, item or control gives 0 (or the result the function names) and sends
// nothing.
#pragma once
#include <windows.h>

#include <cstdint>

void CheckDlgButtonOn(HWND dialog, int id);
void CheckDlgButtonOff(HWND dialog, int id);
void CheckDlgButtonIndeterminate(HWND dialog, int id);
// BM_GETCHECK: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
int IsDlgButtonCheckedById(HWND dialog, int id);
// Sets `bits` in the flag word when the box is checked and clears them otherwise (also when it is missing).
void SetFlagIfDlgButtonChecked(HWND dialog, int id, uint32_t* flags, uint32_t bits);

int ComboAddString(HWND combo, const wchar_t* text);
int ComboGetCount(HWND combo);
LRESULT ComboGetItemData(HWND combo, int index);
int ComboSetCurSel(HWND combo, int index);
int ComboGetCurSel(HWND combo);
LRESULT ComboGetItemDataById(HWND dialog, int id, int index);
int ComboSetCurSelById(HWND dialog, int id, int index);
int ComboGetCurSelById(HWND dialog, int id);
// The item data of the selected entry.
LRESULT ComboGetSelectedDataById(HWND dialog, int id);
// Adds an entry and sets its item data; the new index (by id: -1 when the item is missing).
int ComboAddStringWithData(HWND combo, const wchar_t* text, LPARAM data);
int ComboAddStringWithDataById(HWND dialog, int id, const wchar_t* text, LPARAM data);

int ListBoxAddStringWithData(HWND list, const wchar_t* text, LPARAM data);
LRESULT ListBoxGetItemData(HWND list, int index);
int ListBoxGetCount(HWND list);
int ListBoxSetCurSel(HWND list, int index);
int ListBoxGetCurSel(HWND list);
// The text of an entry, cut to the capacity (a longer one is read into a temporary buffer first); its
// length as stored in the buffer. Empty and 0 for a missing list or entry.
int ListBoxGetItemText(HWND list, int index, wchar_t* buffer, int capacity);

void EditLimitText(HWND edit, int limit);
void LimitDlgItemText(HWND dialog, int id, int limit);

// Deletes the focused entry of a list view; swaps it with the entry above (a beep at the top) or below
// (a beep at the bottom), keeping it focused and selected.
void ListViewDeleteFocusedById(HWND dialog, int id);
void ListViewMoveFocusedUpById(HWND dialog, int id);
void ListViewMoveFocusedDownById(HWND dialog, int id);

// Fills a combo box with one entry "SxS" per size of a zero-terminated list (without one: 16, 24, 32, 48,
// 64), item data = the size, and selects the entry of the current size (sizes below 16 count as 16).
void FillIconSizeCombo(HWND combo, const int* sizes, int currentSize);

// The item's rectangle in the dialog's client coordinates; empty for a missing item.
RECT DialogItemRect(HWND dialog, int id);
