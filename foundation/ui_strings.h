// User-interface texts by number from the string table in use.
#pragma once
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
