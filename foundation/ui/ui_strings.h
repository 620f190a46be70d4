// User-interface texts by number from the string table in use.
#pragma once
#include <windows.h>

#include <cstdint>

#pragma pack(push, 1)
// One record of a string table. Record 0 is the header: its id tells how the texts are stored (0 or positive:
// 8-bit texts in code page id - 1, 0 and 1 meaning the active code page; negative: UTF-16 texts) and its text is
// the table's name. Records from 1 on are {text id, text}; a record with id 0 ends the table and its text is
// what an unknown id yields (null: an empty text).
struct UiStringRecord {
  int16_t id;
  const void* text;
};
#pragma pack(pop)
static_assert(sizeof(UiStringRecord) == 10, "string table records are 10 bytes");

struct UiStringTable {
  UiStringRecord records[1];
};

// The text of `id` in `table`, converted to UTF-16 and bounded; "\t" sequences become TAB. Empty for a null
// table.
void GetUiTextFromTable(const UiStringTable* table, int id, wchar_t* buffer, int capacity);
// The same with the table in use (g_app->uiStrings).
void GetUiText(int id, wchar_t* buffer, int capacity);

// The text stored under `id` exactly as the table holds it (no remapping, no escapes), converted to UTF-16 and
// bounded; empty for a null table and for an id the table lacks.
void GetStoredUiText(const UiStringTable* table, int id, wchar_t* buffer, int capacity);

// The tooltip form of a text of the table in use: of "menu;status;tooltip" the tooltip, of "menu;status" the
// menu text, else the whole text; then cut at a tab, '&' marks removed and cut at "..". Empty for id 0.
void GetUiTooltipText(int id, wchar_t* buffer, int capacity);

// Where the display names of field references come from. The field references live above the foundation;
// their owner installs the source. `number` counts from 1.
using FieldDisplayNameSource = void (*)(int number, wchar_t* buffer, int capacity);
// Installs the source (null: none); returns the previous one.
FieldDisplayNameSource SetFieldDisplayNameSource(FieldDisplayNameSource source);

// An id with bit 15 set names a field reference: the display name of reference number (minus the id read as a
// signed 16-bit number), empty while no source is installed. Any other id: GetUiText.
void GetTextById(int id, wchar_t* buffer, int capacity);

// Puts texts into a dialog from a zero-terminated id list. The first id is the title's (0 leaves the title):
// its text with tab, '&' marks and ".." marker taken off, and one blank in front, becomes the caption. Every
// further id is both a text id and the id of the control that gets that text.
void ApplyDialogTextsFromTable(HWND dialog, const UiStringTable* table, const int* ids);
// The same with the table in use.
void ApplyDialogTexts(HWND dialog, const int* ids);
