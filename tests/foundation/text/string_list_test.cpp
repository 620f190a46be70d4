// Delimited texts split into string lists, items read back, and items appended to list texts.
#include "foundation/text/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/text/text_operations.h"

namespace {

std::vector<std::wstring> Items(const StringList& list) {
  std::vector<std::wstring> items;
  wchar_t item[256];
  for (int i = 0; i < StringListGetCount(&list); ++i) {
    EXPECT_EQ(StringListGetItem(&list, i, item, 256), 0);
    items.push_back(item);
  }
  return items;
}

using Wide = std::vector<std::wstring>;

}  // namespace

TEST(StringListSplitting, QuotedItemsKeepTheirSeparators) {
  StringList list;
  ASSERT_EQ(StringListSplit(&list, "a;\"b;c\";;d", 1, 0), 0);
  EXPECT_EQ(Items(list), (Wide{L"a", L"b;c", L"", L"d"}));
}

TEST(StringListSplitting, TrailingSeparatorAndLineBreak) {
  StringList list;
  StringListSplit(&list, "x;", 1, 0);
  EXPECT_EQ(Items(list), (Wide{L"x"}));
  StringListSplit(&list, "a\r\nb", 1, 0);
  EXPECT_EQ(Items(list), (Wide{L"a"}));
  StringListSplit(&list, ";", 1, 0);
  EXPECT_EQ(Items(list), (Wide{L""}));
  StringListSplit(&list, "", 1, 0);
  EXPECT_EQ(StringListGetCount(&list), 0);
  StringListSplit(&list, nullptr, 2, 0);
  EXPECT_EQ(StringListGetCount(&list), 0);
}

TEST(StringListSplitting, QuoteWithoutCloserRunsToTheEnd) {
  StringList list;
  StringListSplit(&list, L"'it's here';\"open;end", 2, 0);
  EXPECT_EQ(Items(list), (Wide{L"it's here", L"\"open;end"}));
  StringListSplit(&list, L"say \"a\";\"b\"c\";d", 2, 0);
  EXPECT_EQ(Items(list), (Wide{L"say \"a\"", L"b\"c", L"d"}));
}

TEST(StringListSplitting, OtherSeparatorAndWideText) {
  StringList list;
  StringListSplit(&list, L"one,two,\x20AC", 2, L',');
  EXPECT_EQ(Items(list), (Wide{L"one", L"two", L"\x20AC"}));
}

TEST(StringListSplitting, LongTextMovesToTheHeapAndManyItemsFit) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "item" + std::to_string(i) + ";";
  StringList list;
  ASSERT_EQ(StringListSplit(&list, text.c_str(), 1, 0), 0);
  ASSERT_EQ(StringListGetCount(&list), 3000);
  wchar_t item[32];
  StringListGetItem(&list, 2999, item, 32);
  EXPECT_STREQ(item, L"item2999");
  StringListSplit(&list, "again", 1, 0);
  EXPECT_EQ(Items(list), (Wide{L"again"}));
}

TEST(StringListItems, OutOfRangeAndCutItems) {
  StringList list;
  StringListSplit(&list, L"abcdef;g", 2, 0);
  wchar_t item[4] = L"xyz";
  EXPECT_EQ(StringListGetItem(&list, 2, item, 4), -1);
  EXPECT_STREQ(item, L"");
  EXPECT_EQ(StringListGetItem(&list, -1, item, 4), -1);
  EXPECT_EQ(StringListGetItem(&list, 0, item, 4), 0);
  EXPECT_STREQ(item, L"abc");
}

TEST(StringListItems, DestroyEmptiesTheList) {
  StringList list;
  StringListSplit(&list, "a;b", 1, 0);
  StringListDestroy(&list);
  EXPECT_EQ(StringListGetCount(&list), 0);
  StringListDestroy(&list);
}

TEST(DelimitedAppend, SeparatorsQuotesAndTheLoneFirstSeparator) {
  char text[64] = "";
  AppendDelimitedItemNarrow("a", text, 64);
  AppendDelimitedItemNarrow("b;c", text, 64);
  AppendDelimitedItemNarrow("say \"x\"", text, 64);
  EXPECT_STREQ(text, "a;\"b;c\";\"say \"x\"\"");
  char narrow[16] = "";
  AppendDelimitedItemNarrow("", narrow, 16);
  EXPECT_STREQ(narrow, ";");
  AppendDelimitedItemNarrow("x", narrow, 16);
  EXPECT_STREQ(narrow, ";x");
}

TEST(DelimitedAppend, ItemsThatDoNotFitLeaveTheTextAlone) {
  char text[8] = "abc";
  EXPECT_EQ(AppendDelimitedItemNarrow("defg", text, 8), -5);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(AppendDelimitedItemNarrow("def", text, 8), 0);
  EXPECT_STREQ(text, "abc;def");
}

TEST(DelimitedAppend, QuotedListItemsConvertToAnsiOrMarkedUtf8) {
  char text[64] = "";
  EXPECT_EQ(AppendListItemQuoted(L"caf\x00E9", text, 64), 0);
  EXPECT_EQ(AppendListItemQuoted(L"\x0436;1", text, 64), 0);
  EXPECT_STREQ(text, "caf\xE9;\"\xEF\xBB\xBF\xD0\xB6;1\"");
}

TEST(SmallTextOperations, WordClasses) {
  EXPECT_EQ(WordSeparatorClass(L'\''), 0);
  EXPECT_EQ(WordSeparatorClass(L'_'), 0);
  EXPECT_EQ(WordSeparatorClass(L'-'), 1);
  EXPECT_EQ(WordSeparatorClass(L' '), 1);
  EXPECT_EQ(WordSeparatorClass(L'\x00AB'), 1);
  EXPECT_EQ(WordSeparatorClass(L'\x20AC'), 101);
  EXPECT_EQ(WordSeparatorClass(L'a'), 0);
  EXPECT_EQ(WordSeparatorClass(L'7'), 0);
  EXPECT_EQ(WordSeparatorClass(L'\x00E9'), 0);
  EXPECT_EQ(WordSeparatorClass(L'\x3000'), 2);  // ideographic space
  EXPECT_EQ(WordSeparatorClass(L'\x0436'), 0);
}
