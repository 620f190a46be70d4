#include "resources/qvrxres/string_tables.h"

#include "resources/qvrxres/ui_text_rows.h"

namespace {

// Storage forms of a table header: UTF-16 texts, or 8-bit texts in the active code page.
constexpr int16_t kWideTexts = -1;
constexpr int16_t kNarrowTexts = 0;

int CountRows() {
  int count = 0;
  while (kEnglishTextRows[count].id != 0) ++count;
  return count;
}

// Header, language name, one record per row, end record. The array lives as long as the library.
const UiStringTable* BuildTable(int16_t storage, const char* name, const void* languageName, bool keys) {
  int rows = CountRows();
  UiStringRecord* records = new UiStringRecord[rows + 3];
  records[0] = {storage, name};
  records[1] = {kLanguageNameId, languageName};
  for (int i = 0; i < rows; ++i) {
    const UiTextRow& row = kEnglishTextRows[i];
    records[i + 2] = {row.id, keys ? static_cast<const void*>(row.key) : static_cast<const void*>(row.text)};
  }
  records[rows + 2] = {0, nullptr};
  return reinterpret_cast<const UiStringTable*>(records);
}

}  // namespace

const UiStringTable* EnglishTable() {
  static const UiStringTable* const table = BuildTable(kWideTexts, "US", kEnglishLanguageName, false);
  return table;
}

const UiStringTable* KeyTable() {
  static const UiStringTable* const table = BuildTable(kNarrowTexts, "-", kLanguageNameKey, true);
  return table;
}
