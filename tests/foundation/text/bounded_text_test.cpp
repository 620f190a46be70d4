// Bounded copy and append, case and trimming, comparisons and searches of texts in fixed buffers.
#include "foundation/text/bounded_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A buffer of `capacity` cells followed by guard cells that no bounded operation may touch.
template <typename Char>
class GuardedBuffer {
 public:
  static constexpr Char kGuard = static_cast<Char>(0x5A);
  static constexpr int kGuardCells = 16;

  GuardedBuffer(int capacity, const std::basic_string<Char>& initial) : capacity_(capacity),
                                                                       cells_(capacity + kGuardCells, kGuard) {
    for (size_t i = 0; i < initial.size(); ++i) cells_[i] = initial[i];
    if (initial.size() < static_cast<size_t>(capacity)) cells_[initial.size()] = 0;
  }
  Char* data() { return cells_.data(); }
  int capacity() const { return capacity_; }
  std::basic_string<Char> text() const { return std::basic_string<Char>(cells_.data()); }
  bool GuardsIntact() const {
    for (int i = capacity_; i < capacity_ + kGuardCells; ++i) {
      if (cells_[i] != kGuard) return false;
    }
    return true;
  }

 private:
  int capacity_;
  std::vector<Char> cells_;
};

using WideBuffer = GuardedBuffer<wchar_t>;
using NarrowBuffer = GuardedBuffer<char>;

}  // namespace

TEST(BoundedCopy, AppendCutsToCapacityAndReportsMinusSourceLength) {
  WideBuffer buffer(8, L"12345");
  EXPECT_EQ(AppendWideBounded(L"abc", buffer.data(), buffer.capacity()), -3);
  EXPECT_EQ(buffer.text(), L"12345ab");
  EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedCopy, AppendThatFitsExactlyIsWhole) {
  WideBuffer buffer(9, L"12345");
  EXPECT_EQ(AppendWideBounded(L"abc", buffer.data(), buffer.capacity()), 0);
  EXPECT_EQ(buffer.text(), L"12345abc");
  EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedCopy, AppendToFullTargetDiffersBetweenWidths) {
  WideBuffer wide(6, L"12345");
  EXPECT_EQ(AppendWideBounded(L"abcd", wide.data(), wide.capacity()), -4);
  EXPECT_EQ(wide.text(), L"12345");
  NarrowBuffer narrow(6, "12345");
  EXPECT_EQ(AppendNarrowBounded("abcd", narrow.data(), narrow.capacity()), 123);
  EXPECT_EQ(narrow.text(), "12345");
  EXPECT_TRUE(wide.GuardsIntact());
  EXPECT_TRUE(narrow.GuardsIntact());
}

TEST(BoundedCopy, EmptySourceNeverCountsAsCut) {
  WideBuffer wide(6, L"12345");
  EXPECT_EQ(AppendWideBounded(L"", wide.data(), wide.capacity()), 0);
  EXPECT_EQ(AppendWideBounded(nullptr, wide.data(), wide.capacity()), 0);
  NarrowBuffer narrow(6, "12345");
  EXPECT_EQ(AppendNarrowBounded("", narrow.data(), narrow.capacity()), 0);
  EXPECT_EQ(narrow.text(), "12345");
}

TEST(BoundedCopy, NarrowAppendCutsWithMinusSourceLength) {
  NarrowBuffer narrow(8, "12345");
  EXPECT_EQ(AppendNarrowBounded("abcdef", narrow.data(), narrow.capacity()), -6);
  EXPECT_EQ(narrow.text(), "12345ab");
  EXPECT_TRUE(narrow.GuardsIntact());
}

TEST(BoundedCopy, NothingHappensWithoutCapacityOrTarget) {
  WideBuffer buffer(4, L"xyz");
  EXPECT_EQ(AppendWideBounded(L"abc", buffer.data(), 0), 0);
  EXPECT_EQ(AppendWideBounded(L"abc", buffer.data(), -5), 0);
  EXPECT_EQ(CopyWideBounded(L"abc", buffer.data(), 0), 0);
  EXPECT_EQ(buffer.text(), L"xyz");
  EXPECT_EQ(AppendWideBounded(L"abc", nullptr, 10), 0);
  EXPECT_EQ(CopyNarrowBounded("abc", nullptr, 10), 0);
}

TEST(BoundedCopy, UnterminatedTargetIsTreatedAsFullAndTerminated) {
  WideBuffer buffer(4, L"wxyz");
  EXPECT_EQ(AppendWideBounded(L"a", buffer.data(), buffer.capacity()), -1);
  EXPECT_EQ(buffer.text(), L"wxy");
  EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedCopy, CopyEmptiesTargetFirst) {
  WideBuffer buffer(5, L"old");
  EXPECT_EQ(CopyWideBounded(L"new text", buffer.data(), buffer.capacity()), -8);
  EXPECT_EQ(buffer.text(), L"new ");
  EXPECT_EQ(CopyWideBounded(nullptr, buffer.data(), buffer.capacity()), 0);
  EXPECT_EQ(buffer.text(), L"");
  NarrowBuffer narrow(4, "old");
  EXPECT_EQ(CopyNarrowBounded("ab", narrow.data(), narrow.capacity()), 0);
  EXPECT_EQ(narrow.text(), "ab");
  EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedCopy, CopyOntoItselfDoesNothing) {
  WideBuffer buffer(8, L"same");
  EXPECT_EQ(CopyWideBounded(buffer.data(), buffer.data(), buffer.capacity()), 0);
  EXPECT_EQ(buffer.text(), L"same");
}

TEST(BoundedCopy, CopyFromLaterInSameBufferMovesText) {
  WideBuffer buffer(16, L"prefix-rest");
  EXPECT_EQ(CopyWideBounded(buffer.data() + 7, buffer.data(), buffer.capacity()), 0);
  EXPECT_EQ(buffer.text(), L"rest");
}

TEST(BoundedCopy, CapacityOfOneGivesEmptyText) {
  WideBuffer buffer(1, L"");
  EXPECT_EQ(CopyWideBounded(L"abc", buffer.data(), buffer.capacity()), -3);
  EXPECT_EQ(buffer.text(), L"");
  EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(TextCase, CharactersAndTextsFollowTheSystemTables) {
  EXPECT_EQ(CharToUpperWide(L'\x00E9'), L'\x00C9');
  EXPECT_EQ(CharToUpperNarrow('q'), 'Q');
  EXPECT_EQ(CharToLowerNarrow('Q'), 'q');
  wchar_t text[] = L"Stra\x00DF" L"e \x00E4x";
  StringToUpperWide(text);
  EXPECT_STREQ(text, L"STRA\x00DF" L"E \x00C4X");
  StringToLowerWide(text);
  EXPECT_STREQ(text, L"stra\x00DF" L"e \x00E4x");
  char narrow[] = "mixed Case";
  StringToUpperNarrow(narrow);
  EXPECT_STREQ(narrow, "MIXED CASE");
  StringToUpperWide(nullptr);
}

TEST(TextTrim, TrailingTrimReportsLastKeptIndex) {
  wchar_t text[] = L"  ab  ";
  EXPECT_EQ(TrimTrailingSpacesWide(text), 3);
  EXPECT_STREQ(text, L"  ab");
  TrimLeadingSpaces(text);
  EXPECT_STREQ(text, L"ab");
  wchar_t blanks[] = L"   ";
  EXPECT_EQ(TrimTrailingSpacesWide(blanks), -1);
  EXPECT_STREQ(blanks, L"");
  char narrow[] = "x\t ";
  EXPECT_EQ(TrimTrailingSpacesNarrow(narrow), 1);
  EXPECT_STREQ(narrow, "x\t");
}

TEST(TextTrim, LineBreaksAndCharacterReplacement) {
  wchar_t text[] = L"first\nsecond\rthird";
  CutAtLineBreak(text);
  EXPECT_STREQ(text, L"first");
  wchar_t path[] = L"a/b/c";
  ReplaceCharWide(path, L'/', L'\\');
  EXPECT_STREQ(path, L"a\\b\\c");
  EXPECT_TRUE(ContainsAngleBracket(L"name<"));
  EXPECT_FALSE(ContainsAngleBracket(L"name"));
  EXPECT_FALSE(ContainsAngleBracket(nullptr));
}

TEST(TextTrim, MenuTextLosesShortcutMarksAndEllipsis) {
  wchar_t text[] = L"&Save as...\tCtrl+S";
  StripMenuTextDecorations(text);
  EXPECT_STREQ(text, L"Save as");
  wchar_t plain[] = L"Sort && filter";
  StripMenuTextDecorations(plain);
  EXPECT_STREQ(plain, L"Sort  filter");
}

TEST(TextCompare, IgnoresCaseAndKanaTypeOnly) {
  EXPECT_TRUE(EqualsIgnoreCaseWide(L"file.TXT", L"FILE.txt"));
  EXPECT_TRUE(EqualsIgnoreCaseWide(L"\x3042", L"\x30A2"));  // hiragana and katakana a
  EXPECT_FALSE(EqualsIgnoreCaseWide(L"ecole", L"\x00E9" L"cole"));
  EXPECT_FALSE(EqualsIgnoreCaseWide(L"a", nullptr));
  EXPECT_TRUE(EqualsIgnoreCaseNarrow("Readme", "README"));
  EXPECT_FALSE(EqualsIgnoreCaseNarrow("Readme", "READ"));
}

TEST(TextCompare, CountLimitsBothTextsWithoutReadingPastThem) {
  EXPECT_TRUE(EqualsIgnoreCaseWide(L"abcdef", L"ABCxyz", 3));
  EXPECT_FALSE(EqualsIgnoreCaseWide(L"abcdef", L"ABCxyz", 4));
  // A count beyond a short text compares the whole text, not the memory after it.
  EXPECT_TRUE(EqualsIgnoreCaseWide(L"ab", L"AB", 100));
  EXPECT_FALSE(EqualsIgnoreCaseWide(L"ab", L"ABc", 100));
}

TEST(TextCompare, HashAgreesWithTheComparison) {
  const wchar_t* const pairs[][2] = {
      {L"file.TXT", L"FILE.txt"},     {L"Strasse.txt", L"Stra\x00DF" L"e.txt"}, {L"\x304B.txt", L"\x30AB.txt"},
      {L"co\x00ADop", L"coop"},       {L"e\x0301", L"\x00E9"},                 {L"ecole", L"\x00E9" L"cole"},
      {L"a (2).txt", L"a (3).txt"},   {L"a-b", L"ab"},                          {L"", L"x"}};
  for (const auto& pair : pairs) {
    EXPECT_EQ(HashIgnoreCaseWide(pair[0]) == HashIgnoreCaseWide(pair[1]), EqualsIgnoreCaseWide(pair[0], pair[1]))
        << static_cast<int>(&pair - pairs);
  }
  // A text longer than the usual key room still hashes by its key.
  const std::wstring longText(3000, L'q');
  std::wstring upper(3000, L'Q');
  EXPECT_EQ(HashIgnoreCaseWide(longText.c_str()), HashIgnoreCaseWide(upper.c_str()));
  upper.back() = L'R';
  EXPECT_NE(HashIgnoreCaseWide(longText.c_str()), HashIgnoreCaseWide(upper.c_str()));
}

TEST(TextSearch, NarrowSearchHonoursLengthAndCase) {
  EXPECT_EQ(FindTextNarrow("Title: Hello", -1, "hello", true), 7);
  EXPECT_EQ(FindTextNarrow("Title: Hello", -1, "hello", false), -1);
  EXPECT_EQ(FindTextNarrow("Title: Hello", 10, "Hello", false), -1);
  EXPECT_EQ(FindTextNarrow("abcabc", 6, "ca", false), 2);
  EXPECT_EQ(FindTextNarrow("abc", -1, "", true), -1);
}

TEST(TextSearch, OptionsSelectExactCaseAndWholeWords) {
  EXPECT_EQ(FindTextWithOptions(L"The Cat scattered", L"cat", 0), 4);
  EXPECT_EQ(FindTextWithOptions(L"The Cat scattered", L"cat", kFindExactCase), 9);
  EXPECT_EQ(FindTextWithOptions(L"scattered cat", L"CAT", kFindWholeWords), 10);
  EXPECT_EQ(FindTextWithOptions(L"scattered Cat", L"cat", kFindWholeWords | kFindExactCase), -1);
  EXPECT_EQ(FindTextWithOptions(L"cat_food cat-food", L"cat", kFindWholeWords), 9);
  EXPECT_EQ(FindTextWithOptions(L"x", L"longer", 0), -1);
}
