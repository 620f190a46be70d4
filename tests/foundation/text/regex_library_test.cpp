// The regular-expression library the RegEx step stands on: UTF-8 patterns, captures and substitution.
#include <gtest/gtest.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string>

namespace {

struct CompiledPattern {
  explicit CompiledPattern(const char* pattern, uint32_t options = PCRE2_UTF) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, options, &error, &offset,
                         nullptr);
  }
  ~CompiledPattern() { pcre2_code_free(code); }
  pcre2_code* code;
};

std::string Substitute(const char* pattern, const std::string& subject, const char* replacement) {
  CompiledPattern compiled(pattern);
  if (!compiled.code) return "<error>";
  PCRE2_UCHAR out[256];
  PCRE2_SIZE length = sizeof out;
  int count = pcre2_substitute(compiled.code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                               PCRE2_SUBSTITUTE_GLOBAL, nullptr, nullptr,
                               reinterpret_cast<PCRE2_SPTR>(replacement), PCRE2_ZERO_TERMINATED, out, &length);
  if (count < 0) return "<error>";
  return std::string(reinterpret_cast<char*>(out), length);
}

}  // namespace

TEST(RegexLibrary, CapturesGroupsOfAMatch) {
  CompiledPattern compiled("(\\d+)-(\\w+)");
  ASSERT_NE(compiled.code, nullptr);
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(compiled.code, nullptr);
  const std::string subject = "item 42-widgets.txt";
  int groups = pcre2_match(compiled.code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0, match,
                           nullptr);
  ASSERT_EQ(groups, 3);
  PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(match);
  EXPECT_EQ(subject.substr(offsets[2], offsets[3] - offsets[2]), "42");
  EXPECT_EQ(subject.substr(offsets[4], offsets[5] - offsets[4]), "widgets");
  pcre2_match_data_free(match);
}

TEST(RegexLibrary, SubstitutesGloballyAndInUtf8) {
  EXPECT_EQ(Substitute("(\\w+)_(\\d+)", "photo_12 and scan_7", "$2-$1"), "12-photo and 7-scan");
  EXPECT_EQ(Substitute("\\p{Lu}", "\xC3\x89t\xC3\xA9 \xC3\x84ra", "_"), "_t\xC3\xA9 _ra");
}

TEST(RegexLibrary, RefusesABrokenPattern) {
  CompiledPattern compiled("(unclosed");
  EXPECT_EQ(compiled.code, nullptr);
}
