// Controls the module dialogs share: the name-part choice, comment edits with their placeholder text, menu
// items from 8-bit texts, and the dialog controls that show a step's positions, numbers, choices and comment.
// Null controls are left alone.
#pragma once
#include <windows.h>

#include <cstdint>

// Adds the two parts of a name to a combo box: the name (item data 'n') and the extension (item data 'e').
void FillNamePartCombo(HWND combo);

// Limits the edit to the 255 characters a step keeps of a comment and shows `text`, or, when it is empty, the
// placeholder text selected as a whole so that typing replaces it.
void InitEditWithPlaceholder(HWND edit, const wchar_t* text);

// The edit's text; the placeholder text (in any case) reads as empty.
void GetEditTextNoPlaceholder(HWND edit, wchar_t* out, int capacity);

// Controls of a dialog by id that the module dialogs share, read and written by the rules of the settings.
// Missing controls show nothing and read as the lowest value or the first choice.

// A position is shown from 1 to 250 and stored from 0 to 249; a stored position above 249 shows 250.
void ShowPositionEdit(HWND dialog, int id, uint32_t position);
// The stored position of an edit that shows it from 1 (ReadBoundedEdit from 1 to 250, minus 1).
uint32_t ReadPositionEdit(HWND dialog, int id);
// The number in an edit, held within lowest..highest: an empty edit reads as `lowest` and is left so (the
// user may be about to type), any other text out of range is rewritten with the value it reads as, the caret
// after it.
uint32_t ReadBoundedEdit(HWND dialog, int id, uint32_t lowest, uint32_t highest);
// Signed numbers: shown as decimals with '-', read with saturation at the limits of 32 bits.
void ShowNumberEdit(HWND dialog, int id, int64_t value);
int32_t ReadSignedEdit(HWND dialog, int id);

// The item of a list whose item data is `data`; the first item when none has it.
void SelectComboItemByData(HWND dialog, int id, LPARAM data);
// The selected item's data; `fallback` when nothing is selected.
LPARAM ReadComboItemData(HWND dialog, int id, LPARAM fallback);
// Adds one item per text id (ended by 0) with the item data of the same place in `data`.
void FillComboWithTexts(HWND dialog, int id, const int* textIds, const LPARAM* data);

// The name-part list of the module dialogs: 'n' or 'e'; a part that is neither selects the name.
void ShowNamePart(HWND dialog, wchar_t part);
wchar_t ReadNamePart(HWND dialog);

// The radio buttons "from the left" and "from the right": 'l' or 'r'; reading gives 'r' only when its button
// is checked.
void ShowSide(HWND dialog, wchar_t side);
wchar_t ReadSide(HWND dialog);

// A check box that holds a flag.
void ShowFlagBox(HWND dialog, int id, bool set);
bool ReadFlagBox(HWND dialog, int id);

// The step's comment in the dialog's comment edit (kStepCommentCapacity characters, placeholder rule).
void ShowStepComment(HWND dialog, const wchar_t* comment);
void ReadStepComment(HWND dialog, wchar_t* comment);

// A pop-up menu of the texts (null-terminated) beside the button; the chosen text replaces the edit's text.
void ShowPresetMenu(HWND dialog, int button, int edit, const wchar_t* const* presets);
// Shows the menu beside the dialog's button until the user chooses: the chosen item's id, 0 for none.
int TrackMenuBesideButton(HWND dialog, int button, HMENU menu);

// Inserts a field reference between double quotes at the caret of a name-pattern edit (in place of a selection),
// when the caret stands at position 1018 or before (room for a short reference in a pattern of 1023 characters)
// and the whole quoted reference fits within the edit's limit; the caret stands after it.
void InsertPatternReference(HWND edit, const wchar_t* reference);
