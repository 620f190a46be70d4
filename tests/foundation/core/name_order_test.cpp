// The natural order of names: digit runs by value, the padding older systems need, and an order that is
// consistent both ways.
#include "foundation/core/name_order.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(NaturalOrder, DigitRunsCompareByValue) {
  EXPECT_LT(CompareNamesNatural(L"file9", L"file10", true), 0);
  EXPECT_GT(CompareNamesNatural(L"file9", L"file10", false), 0);
  EXPECT_EQ(CompareNamesNatural(L"File.TXT", L"file.txt", true), 0);
  EXPECT_GT(CompareNamesNatural(L"file10", L"file9", true), 0);
  EXPECT_EQ(CompareNamesNatural(nullptr, L"x", true), 0);
}

TEST(NaturalOrder, OlderSystemsPadTheFirstDigitRun) {
  const int windowsVista = 14;
  EXPECT_LT(CompareNamesNaturalForVersion(L"file9.txt", L"file10.txt", true, windowsVista), 0);
  EXPECT_GT(CompareNamesNaturalForVersion(L"file10.txt", L"file9.txt", true, windowsVista), 0);
  EXPECT_GT(CompareNamesNaturalForVersion(L"file9.txt", L"file10.txt", false, windowsVista), 0);
  // Only the run before the first dot counts.
  EXPECT_GT(CompareNamesNaturalForVersion(L"x.9", L"x.10", true, windowsVista), 0);
}

TEST(NaturalOrder, OrderIsConsistentBothWays) {
  const wchar_t* names[] = {L"b", L"A10", L"a9", L"a9.txt", L"_x", L"\x00E9t\x00E9", L"z1"};
  for (const wchar_t* a : names) {
    for (const wchar_t* b : names) {
      EXPECT_EQ(CompareNamesNatural(a, b, true), -CompareNamesNatural(b, a, true));
    }
  }
}

TEST(NaturalOrder, SortKeysCompareAsTheirNames) {
  const wchar_t* names[] = {L"b", L"A10", L"a9", L"a9.txt", L"_x", L"\x00E9t\x00E9", L"ete", L"z1", L"Z01", L"a b", L"a-b",
                            L"IMG_12 holiday", L"img_2 Holiday"};
  for (bool numbers : {true, false}) {
    for (const wchar_t* a : names) {
      for (const wchar_t* b : names) {
        uint8_t keyA[256];
        uint8_t keyB[256];
        const int lengthA = MakeNameSortKey(a, numbers, keyA, sizeof keyA);
        const int lengthB = MakeNameSortKey(b, numbers, keyB, sizeof keyB);
        ASSERT_GT(lengthA, 0);
        ASSERT_GT(lengthB, 0);
        EXPECT_EQ(CompareNameSortKeys(keyA, lengthA, keyB, lengthB), CompareNamesNatural(a, b, numbers))
            << (numbers ? "numbers by value" : "digits as characters");
      }
    }
  }
  uint8_t small[2];
  EXPECT_EQ(MakeNameSortKey(L"a longer name", false, small, sizeof small), 0) << "a key that does not fit is none";
}
