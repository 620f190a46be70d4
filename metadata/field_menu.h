// The field menu from which the user picks a field for a column: one submenu per source (each module with
// fields, then each checked plug-in of the dialog's plug-in list), one item per field, and for a field with
// units a submenu with the field without unit and one item per unit.
//
// Each item's id is the 1-based position of its payload: 'R' (numeric types, shown right-aligned) or 'L', the
// display name, '=', the source name, '=', the field name, and for a unit '.' and the unit.
#pragma once
#include <windows.h>

#include "foundation/core/record_buffer.h"

struct FieldMenu {
  HMENU menu;
  RecordBuffer payloads;  // wide texts, one per item id
  int count;
};

// Builds the menu for `dialog` (its plug-in list 5501, or its parent's); each new source also adds a row with
// the source's name (image 3, item data its submenu) to `listWindow` when one is given. False when no menu
// could be made.
bool BuildFieldMenu(HWND dialog, HWND listWindow, FieldMenu* out);
// Appends an item whose id is the position of its new payload; false when the payload could not be kept.
bool AddFieldMenuPayloadItem(FieldMenu* menu, HMENU parent, const wchar_t* payload, const wchar_t* label);
// Appends a submenu under `label`: the payload without unit (labelled `withoutUnit`), then one item per unit of
// the '|'-separated list, whose payload adds '.' and the unit.
void AddFieldUnitSubmenu(FieldMenu* menu, HMENU parent, const wchar_t* payload, const wchar_t* units,
                         const wchar_t* label, const wchar_t* withoutUnit);
// The payload of item `id`; false for an id that has none.
bool GetFieldMenuPayload(const FieldMenu* menu, int id, wchar_t* out, int capacity);
// Destroys the menu and frees the payloads.
void FreeFieldMenu(FieldMenu* menu);
