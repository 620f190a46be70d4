// Name masks lists: which names a ';'-separated list of DOS-style masks admits.
#include "foundation/text/pattern_list.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/text/text_sizes.h"

TEST(PatternList, StarMasksAndExtensions) {
  EXPECT_EQ(MatchesPatternList(L"anything.dat", L"*"), 1);
  EXPECT_EQ(MatchesPatternList(L"no extension", L"*.*"), 1);
  EXPECT_EQ(MatchesPatternList(L"a.txt", L"*.txt"), 1);
  EXPECT_EQ(MatchesPatternList(L"A.TXT", L"*.txt"), 1);
  EXPECT_EQ(MatchesPatternList(L"a.txt.bak", L"*.txt"), 0);
  EXPECT_EQ(MatchesPatternList(L"a", L"*.txt"), 0);
  EXPECT_EQ(MatchesPatternList(L"report.doc", L"rep*.doc"), 1);
  EXPECT_EQ(MatchesPatternList(L"draft.doc", L"rep*.doc"), 0);
}

TEST(PatternList, QuestionMarkTakesOneCharacterOrEndsTheName) {
  EXPECT_EQ(MatchesPatternList(L"file1.txt", L"file?.txt"), 1);
  EXPECT_EQ(MatchesPatternList(L"file.txt", L"file?.txt"), 1);
  EXPECT_EQ(MatchesPatternList(L"file12.txt", L"file?.txt"), 0);
}

TEST(PatternList, MasksAreTriedInOrderUntilAnEmptyItem) {
  EXPECT_EQ(MatchesPatternList(L"a.txt", L"*.doc;*.txt"), 1);
  EXPECT_EQ(MatchesPatternList(L"a.txt", L"*.txt;;*.doc"), 1);
  EXPECT_EQ(MatchesPatternList(L"a.doc", L"*.txt;;*.doc"), 0);
  EXPECT_EQ(MatchesPatternList(L"a.doc", L";*.doc"), 0);
  EXPECT_EQ(MatchesPatternList(L"a.doc", L"*.doc;"), 1);
  EXPECT_EQ(MatchesPatternList(L"a.doc", L""), 0);
}

TEST(PatternList, OnlyTheFileNameOfAPathIsTested) {
  EXPECT_EQ(MatchesPatternList(L"C:\\texts.txt\\a.doc", L"*.doc"), 1);
  EXPECT_EQ(MatchesPatternList(L"C:\\texts.txt\\a.doc", L"*.txt"), 0);
  EXPECT_EQ(MatchesPatternList(L"C:\\d\\a.txt", L"d\\*.txt"), 0);
  EXPECT_EQ(MatchesPatternList(L"a.txt", L"sub/*.txt;x"), 0);
}

TEST(PatternList, MasksBeyondTheListCapacityAreNeverTried) {
  std::wstring list;
  while (list.size() < static_cast<size_t>(kPatternCapacity)) list += L"*.zz;";
  EXPECT_EQ(MatchesPatternList(L"a.txt", (list + L"*.txt").c_str()), 0);
  EXPECT_EQ(MatchesPatternList(L"a.txt", (L"*.txt;" + list).c_str()), 1);
}

TEST(PatternList, NullArgumentsMatchNothing) {
  EXPECT_EQ(MatchesPatternList(nullptr, L"*"), 0);
  EXPECT_EQ(MatchesPatternList(L"a.txt", nullptr), 0);
}
