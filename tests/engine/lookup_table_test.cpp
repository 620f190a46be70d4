// The lookup table of CSV lists against the name comparison itself: a name finds a line exactly when
// CompareStringW (user's locale, ignoring case and kana type) calls the two equal, and the keys made from the
// weights of plain characters are those the texts' sort keys give, also in locales with contractions.
#include "engine/modules/lookup_table.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

bool NameComparisonEqual(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE | NORM_IGNOREKANATYPE, a.c_str(), -1, b.c_str(), -1) ==
         CSTR_EQUAL;
}

// A table whose lines give "line <n>" for old name n, with some lines of other names around them.
LookupTable* TableOf(const std::vector<std::wstring>& oldNames) {
  LookupTable* table = BeginLookupTable(1 << 20);
  EXPECT_NE(table, nullptr);
  for (size_t i = 0; i < oldNames.size(); ++i) {
    EXPECT_TRUE(AddLookupLine(table, (L"other " + std::to_wstring(i)).c_str(), L"other"));
    EXPECT_TRUE(AddLookupLine(table, oldNames[i].c_str(), (L"line " + std::to_wstring(i)).c_str()));
  }
  EXPECT_TRUE(FinishLookupTable(table));
  return table;
}

std::wstring Found(const LookupTable* table, const std::wstring& name) {
  wchar_t newName[1024];
  return FindLookupName(table, name.c_str(), newName, 1024) ? newName : L"(none)";
}

}  // namespace

TEST(LookupTable, FindsALineExactlyWhenTheNameComparisonCallsTheNamesEqual) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
  } pairs[] = {
      {L"report.txt", L"REPORT.TXT"},      {L"report.txt", L"report.txt "},   {L"a-b.txt", L"ab.txt"},
      {L"it's.txt", L"its.txt"},          {L"a_b", L"a b"},                  {L"stra\u00dfe", L"STRASSE"},
      {L"\u00e6on", L"aeon"},             {L"i.txt", L"I.TXT"},              {L"\u0131.txt", L"I.txt"},
      {L"\u0130.txt", L"i.txt"},          {L"\u3042\u304b", L"\u30a2\u30ab"}, {L"\u30a2", L"\uff71"},
      {L"\uff21.txt", L"a.txt"},          {L"e\u0301cole", L"\u00c9COLE"},    {L"\u00e9cole", L"ecole"},
      {L"a\u0001b", L"ab"},               {L"a\u00adb", L"ab"},              {L"a\u200bb", L"ab"},
      {L"file10", L"file9"},              {L"\U0001F600.png", L"\U0001F600.PNG"}, {L"\xD800x", L"\xD800X"},
      {L"", L""},                         {L"\u4e00", L"\u4e01"},            {L"\u00bd", L"1/2"},
      {L"\u0436\u0443\u043a", L"\u0416\u0423\u041a"}, {L"x\ty", L"X\tY"},      {L"1.txt", L"01.txt"},
  };
  int equal = 0;
  for (const auto& pair : pairs) {
    for (const auto& [name, other] : {std::pair{pair.a, pair.b}, std::pair{pair.b, pair.a}}) {
      LookupTable* table = TableOf({name});
      const bool same = NameComparisonEqual(name, other);
      EXPECT_EQ(Found(table, other), same ? L"line 0" : L"(none)") << "line " << name << ", name " << other;
      equal += same ? 1 : 0;
      ReleaseLookupTable(&table);
    }
  }
  // The pairs hold equal and unequal names alike, so that both answers are tried.
  EXPECT_GT(equal, 10);
  EXPECT_LT(equal, 50);
}

TEST(LookupTable, KeepsTheFirstLineOfANameAndSearchesManyLines) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 50000; ++i) names.push_back(L"file" + std::to_wstring(i % 40000) + L".txt");
  names.push_back(L"caf\u00e9.TXT");
  names.push_back(L"CAFE\u0301.txt");
  LookupTable* table = TableOf(names);
  EXPECT_EQ(Found(table, L"FILE39999.TXT"), L"line 39999");
  EXPECT_EQ(Found(table, L"file3.txt"), L"line 3") << "the first of two equal lines";
  EXPECT_EQ(Found(table, L"file40000.txt"), L"(none)");
  EXPECT_EQ(Found(table, L"caf\u00e9.txt"), L"line 50000");
  ReleaseLookupTable(&table);
}

TEST(LookupTable, KeysOfPlainTextsAreThoseOfTheirSortKeysInLocalesWithContractions) {
  const LCID locales[] = {0x0409, 0x041F, 0x0406, 0x040E, 0x0405, 0x040A, 0x041B, 0x0411, 0x0414};
  std::vector<std::wstring> texts = {L"aa",  L"Aa",  L"AA", L"cs",   L"dzs", L"ccs", L"ch", L"CH", L"ll",
                                     L"rr",  L"ij",  L"ae", L"\x01", L"a-b", L"a'b", L"ss", L"ny", L"gy",
                                     L"zs",  L"dz",  L"th", L"x-",   L"",    L"a.txt"};
  uint32_t seed = 12345;
  for (int i = 0; i < 2000; ++i) {
    std::wstring text;
    for (uint32_t length = 1 + i % 9; length > 0; --length) {
      seed = seed * 1103515245 + 12345;
      text += static_cast<wchar_t>(1 + (seed >> 16) % 127);
    }
    texts.push_back(text);
  }
  for (LCID locale : locales) {
    LookupKeyWeights weights;
    ASSERT_TRUE(MakeLookupKeyWeights(locale, &weights)) << std::hex << locale;
    for (const std::wstring& text : texts) {
      const uint32_t length = static_cast<uint32_t>(text.size());
      EXPECT_EQ(LookupKeyOf(weights, text.c_str(), length), LookupKeyOfSortKey(locale, text.c_str(), length))
          << std::hex << locale << " " << text;
    }
  }
}
