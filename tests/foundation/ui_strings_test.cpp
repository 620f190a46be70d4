// Text lookup by number: both storage forms, id remapping, the end record's default and "\t" escapes.
#include <gtest/gtest.h>

#include <string>

#include "foundation/ui_strings.h"

namespace {

template <size_t N>
const UiStringTable* AsTable(const UiStringRecord (&records)[N]) {
  return reinterpret_cast<const UiStringTable*>(records);
}

std::wstring Lookup(const UiStringTable* table, int id, int capacity = 64) {
  wchar_t buffer[64];
  buffer[0] = L'?';
  GetUiTextFromTable(table, id, buffer, capacity);
  return buffer;
}

const UiStringRecord kWideTable[] = {
    {-1, L"XX"}, {1, L"Test language"}, {20, L"&Open..\tCtrl+O"}, {9008, L"remapped"},
    {2349, L"also remapped"}, {31, L"a\\tb\\\\tc"}, {0, L"unknown"}};
const UiStringRecord kNarrowTable[] = {{0, "US"}, {20, "Caf\xE9"}, {0, nullptr}};
const UiStringRecord kCyrillicTable[] = {{1252, "RU"}, {20, "\xC0\xE1"}, {0, nullptr}};

}  // namespace

TEST(UiStrings, FindsTextsOfBothStorageForms) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 20), L"&Open..\tCtrl+O");
  EXPECT_EQ(Lookup(AsTable(kNarrowTable), 20), L"Caf\u00e9");  // active code page 1252
  EXPECT_EQ(Lookup(AsTable(kCyrillicTable), 20), L"\u0410\u0431");  // header 1252 means code page 1251
}

TEST(UiStrings, UnknownIdsGiveTheEndRecordsText) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 4711), L"unknown");
  EXPECT_EQ(Lookup(AsTable(kNarrowTable), 4711), L"");
  EXPECT_EQ(Lookup(nullptr, 20), L"");
}

TEST(UiStrings, RemapsIdsBeforeLookup) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 197), L"remapped");
  EXPECT_EQ(Lookup(AsTable(kWideTable), 2400), L"also remapped");
}

TEST(UiStrings, TurnsTabEscapesIntoTabsAndStaysWithinCapacity) {
  EXPECT_EQ(Lookup(AsTable(kWideTable), 31), L"a\tb\\\tc");
  EXPECT_EQ(Lookup(AsTable(kWideTable), 20, 6), L"&Open");
}
