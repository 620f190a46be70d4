// Controls the module dialogs share: the name-part choice, comment edits with their placeholder text, and menu
// items from 8-bit texts. Null controls are left alone.
#pragma once
#include <windows.h>

// Adds the two parts of a name to a combo box: the name (item data 'n') and the extension (item data 'e').
void FillNamePartCombo(HWND combo);

// Limits the edit to the 255 characters a step keeps of a comment and shows `text`, or, when it is empty, the
// placeholder text selected as a whole so that typing replaces it.
void InitEditWithPlaceholder(HWND edit, const wchar_t* text);

// The edit's text; the placeholder text (in any case) reads as empty.
void GetEditTextNoPlaceholder(HWND edit, wchar_t* out, int capacity);

// Appends each text of the null-terminated array to the menu, converted with the active code page; item i gets
// the id firstId + i + 1. The result is the number of items added.
int AddAnsiStringItems(HMENU menu, int firstId, const char* const* texts);
