// The holder of a compiled regular expression: enclosing slashes, case, patterns that do not compile, byte
// offsets of the first match and the number of captured pairs.
#include "foundation/text/regex_holder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(RegexHolder, FindsTheFirstMatchInBytes) {
  const struct {
    const char* pattern;
    bool caseMatters;
    const char* text;
    int result;
    int32_t start;
    int32_t length;
  } cases[] = {
      {"/a.c/", false, "xabcx", 1, 1, 3},  {"a.c", false, "xabcx", 1, 1, 3},
      {"ABC", false, "xabc", 1, 1, 3},     {"ABC", true, "xabc", 0, 0, 0},
      {"(ab", false, "ab", 0, 0, 0},       {"", false, "abc", 1, 0, 0},
      {"(a)(b)", false, "ab", 3, 0, 2},    {"/", false, "a/b", 1, 1, 1},
      {"/abc", false, "x/abc", 1, 1, 4},   {"//", false, "abc", 1, 0, 0},
      {"\\d+", false, "a12b34", 1, 1, 2},  {"\xE9", false, "caf\xE9", 1, 3, 1},
      {"b$", true, "ab\nx", 0, 0, 0},      {"/(x|y)+/", false, "..yxz", 2, 2, 2},
  };
  for (const auto& c : cases) {
    char pattern[64];
    strcpy(pattern, c.pattern);
    RegexHolder holder;
    BuildRegex(&holder, pattern, c.caseMatters);
    int32_t start = -1;
    int32_t length = -1;
    const int result = FindRegexMatch(&holder, c.text, strlen(c.text), &start, &length);
    EXPECT_EQ(result, c.result) << c.pattern << " on " << c.text;
    if (result != 0) {
      EXPECT_EQ(start, c.start) << c.pattern;
      EXPECT_EQ(length, c.length) << c.pattern;
    }
    FreeRegex(&holder);
  }
}

TEST(RegexHolder, AFreedOrBrokenHolderFindsNothing) {
  char pattern[] = "/a/";
  RegexHolder holder;
  BuildRegex(&holder, pattern, false);
  EXPECT_STREQ(pattern, "a") << "the slashes go from the caller's pattern";
  ASSERT_NE(holder.code, nullptr);
  EXPECT_EQ(FindRegexMatch(&holder, "xa", 2, nullptr, nullptr), 1);
  // Only the given length is searched.
  EXPECT_EQ(FindRegexMatch(&holder, "xa", 1, nullptr, nullptr), 0);
  FreeRegex(&holder);
  EXPECT_EQ(holder.code, nullptr);
  EXPECT_EQ(holder.matchData, nullptr);
  EXPECT_EQ(FindRegexMatch(&holder, "xa", 2, nullptr, nullptr), 0);
  FreeRegex(&holder);

  char broken[] = "[a";
  BuildRegex(&holder, broken, false);
  EXPECT_EQ(holder.code, nullptr);
  EXPECT_EQ(holder.matchData, nullptr);
  EXPECT_EQ(FindRegexMatch(&holder, "[a", 2, nullptr, nullptr), 0);
}

// A search is bounded: exponential backtracking gives up within the bounds and reports no match, while ordinary
// patterns still scan names of the longest 8-bit length to the end.
TEST(RegexHolder, RunawaySearchesGiveUpAndOrdinaryOnesDoNot) {
  const std::string runaway = std::string(24, 'a') + "b";
  const std::string alternating = [] {
    std::string text;
    while (text.size() < 4000) text += "ab";
    return text + "c";
  }();
  const struct {
    const char* pattern;
    std::string text;
    int result;
    uint32_t gaveUp;
  } cases[] = {
      {"(a+)+$", runaway, 0, 1},
      {"^(\\w+\\s?)*$", std::string(30, 'w') + "!", 0, 1},
      {"(a+)+$", std::string(24, 'a'), 2, 0},
      {"(a|b)*c", alternating, 2, 0},
      {"\\d+", std::string(4000, 'x'), 0, 0},
      {"(.*)*z", std::string(4000, 'y') + "z", 2, 0},
  };
  for (const auto& c : cases) {
    char pattern[64];
    strcpy(pattern, c.pattern);
    RegexHolder holder;
    BuildRegex(&holder, pattern, true);
    EXPECT_EQ(FindRegexMatch(&holder, c.text.data(), c.text.size(), nullptr, nullptr), c.result) << c.pattern;
    EXPECT_EQ(holder.gaveUp, c.gaveUp) << c.pattern << " on " << c.text.size() << " bytes";
    FreeRegex(&holder);
  }
}
