#include "foundation/ui_strings.h"

#include <windows.h>

#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/text_encoding.h"

namespace {

// Ids whose texts live under another number.
const int16_t kRemappedIds[][2] = {{197, 9008}, {2400, 2349}, {0, 0}};

int RemapId(int id) {
  for (int i = 0; kRemappedIds[i][0]; ++i)
    if (kRemappedIds[i][0] == id) return kRemappedIds[i][1];
  return id;
}

const void* FindText(const UiStringTable* table, int id) {
  const UiStringRecord* record = &table->records[1];
  while (record->id != 0 && record->id != id) ++record;
  return record->text;
}

// Turns every two-character "\t" into one TAB, in place.
void ExpandTabEscapes(wchar_t* text) {
  wchar_t* out = text;
  for (const wchar_t* in = text; *in; ++in) {
    if (in[0] == L'\\' && in[1] == L't') {
      *out++ = L'\t';
      ++in;
    } else {
      *out++ = *in;
    }
  }
  *out = 0;
}

}  // namespace

void GetUiTextFromTable(const UiStringTable* table, int id, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  if (!table) return;
  const void* text = FindText(table, RemapId(id));
  if (!text) return;
  int storage = table->records[0].id;
  if (storage < 0)
    CopyWideString(static_cast<const wchar_t*>(text), buffer, capacity);
  else
    MultiByteToWideBounded(static_cast<const char*>(text), buffer, capacity,
                           storage <= 1 ? CP_ACP : static_cast<UINT>(storage - 1));
  ExpandTabEscapes(buffer);
}

void GetUiText(int id, wchar_t* buffer, int capacity) {
  GetUiTextFromTable(g_app ? g_app->uiStrings : nullptr, id, buffer, capacity);
}
