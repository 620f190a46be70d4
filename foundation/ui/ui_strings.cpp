#include "foundation/ui/ui_strings.h"

#include <windows.h>

#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/win32/menus.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/window_wrappers.h"

namespace {

// Ids whose texts live under another number: Back is the key's name, the attributes tool's title the word.
const int16_t kRemappedIds[][2] = {
    {IDM_FOLDER_BACK, kTextKeyNameBase + VK_BACK}, {IDD_ATTRIBUTES, kTextAttributes}, {0, 0}};

int RemapId(int id) {
  for (int i = 0; kRemappedIds[i][0]; ++i)
    if (kRemappedIds[i][0] == id) return kRemappedIds[i][1];
  return id;
}

constexpr int kFieldIdBit = 0x8000;

FieldDisplayNameSource g_fieldDisplayNames = nullptr;

const void* FindText(const UiStringTable* table, int id) {
  const UiStringRecord* record = &table->records[1];
  while (record->id != 0 && record->id != id) ++record;
  return record->text;
}

// Converts a text of the table by the table's storage form.
void CopyTableText(const UiStringTable* table, const void* text, wchar_t* buffer, int capacity) {
  int storage = table->records[0].id;
  if (storage < 0)
    CopyWideString(static_cast<const wchar_t*>(text), buffer, capacity);
  else
    MultiByteToWideBounded(static_cast<const char*>(text), buffer, capacity,
                           storage <= 1 ? CP_ACP : static_cast<UINT>(storage - 1));
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

// Keeps the tooltip part of "menu;status;tooltip": the third part of three, the first of two, else all.
void KeepTooltipPart(wchar_t* text) {
  wchar_t* first = wcschr(text, L';');
  if (!first) return;
  wchar_t* second = wcschr(first + 1, L';');
  if (!second) {
    *first = 0;
    return;
  }
  wmemmove(text, second + 1, wcslen(second + 1) + 1);
}

// Cut at the tab, '&' marks removed, cut at the ".." marker (which also ends a "...").
void StripTitleDecorations(wchar_t* text) {
  StripMenuTextDecorations(text);
  StripMenuAccelerators(text);
}

void ApplyDialogTitle(HWND dialog, const UiStringTable* table, int id) {
  wchar_t title[kTitleCapacity];
  title[0] = L' ';
  GetUiTextFromTable(table, id, title + 1, kTitleCapacity - 1);
  StripTitleDecorations(title + 1);
  SetWindowTextSafe(dialog, title[1] == L' ' ? title + 1 : title);
}

}  // namespace

void GetStoredUiText(const UiStringTable* table, int id, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  if (!table) return;
  const void* text = FindText(table, id);
  if (text) CopyTableText(table, text, buffer, capacity);
}

void GetUiTextFromTable(const UiStringTable* table, int id, wchar_t* buffer, int capacity) {
  GetStoredUiText(table, RemapId(id), buffer, capacity);
  if (buffer && capacity > 0) ExpandTabEscapes(buffer);
}

void GetUiText(int id, wchar_t* buffer, int capacity) {
  GetUiTextFromTable(g_app ? g_app->uiStrings : nullptr, id, buffer, capacity);
}

void GetUiTooltipText(int id, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  if (id == 0) return;
  // The tooltip is the text's last part: the whole text is read before it is cut to the capacity.
  wchar_t text[kTitleCapacity];
  GetUiText(id, text, kTitleCapacity);
  KeepTooltipPart(text);
  StripTitleDecorations(text);
  CopyWideBounded(text, buffer, capacity);
}

FieldDisplayNameSource SetFieldDisplayNameSource(FieldDisplayNameSource source) {
  FieldDisplayNameSource previous = g_fieldDisplayNames;
  g_fieldDisplayNames = source;
  return previous;
}

void GetTextById(int id, wchar_t* buffer, int capacity) {
  if (!(id & kFieldIdBit)) {
    GetUiText(id, buffer, capacity);
    return;
  }
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  if (g_fieldDisplayNames) g_fieldDisplayNames(-static_cast<int16_t>(id), buffer, capacity);
}

void ApplyDialogTextsFromTable(HWND dialog, const UiStringTable* table, const int* ids) {
  if (!dialog || !ids) return;
  if (ids[0] != 0) ApplyDialogTitle(dialog, table, ids[0]);
  wchar_t text[kTitleCapacity];
  for (const int* id = ids + 1; *id != 0; ++id) {
    GetUiTextFromTable(table, *id, text, kTitleCapacity);
    SetDialogItemText(dialog, *id, text);
  }
}

void ApplyDialogTexts(HWND dialog, const int* ids) {
  ApplyDialogTextsFromTable(dialog, g_app ? g_app->uiStrings : nullptr, ids);
}
