// The RegEx and FaC modules: what they do to names through the dispatcher, names and patterns the code page
// cannot hold, match offsets in double-byte and UTF-8 code pages, their text forms and their descriptions.
#include <gtest/gtest.h>

#include <string>

#include "engine/modules/find_cut_module.h"
#include "engine/modules/regex_module.h"
#include "foundation/text/bounded_text.h"
#include "module_steps.h"
#include "ui_text_scope.h"

namespace {

class SearchModules : public testing::Test {
 protected:
  void SetUp() override { InitModuleDescriptors(); }

  static std::wstring InCodePage(const wchar_t* pattern, bool caseMatters, const wchar_t* text, UINT codePage) {
    RegexHolder* holder = CompileNamePattern(pattern, caseMatters, codePage);
    wchar_t buffer[kApplyPartCapacity];
    CopyWideBounded(text, buffer, kApplyPartCapacity);
    ReplaceFirstRegexMatch(holder, buffer, kApplyPartCapacity, L"#", codePage);
    FreeNamePattern(&holder);
    return buffer;
  }
};

}  // namespace

TEST_F(SearchModules, RegExReplacesTheFirstMatchLiterally) {
  const StepRenameCase cases[] = {
      {L"<RegEx,n,\"\\d+\",\"#\">", L"a12b34.txt", L"a#b34.txt"},
      {L"<RegEx,n,\"abc\",\"x\">", L"ABC.txt", L"x.txt"},
      {L"<RegEx,n,c,\"abc\",\"x\">", L"ABC.txt", L"ABC.txt"},
      {L"<RegEx,n,c,\"abc\",\"x\">", L"abc.txt", L"x.txt"},
      {L"<RegEx,n,\"/x/\",\"y\">", L"axb", L"ayb"},
      {L"<RegEx,n,\"x\",\"x\">", L"axb", L"axb"},
      {L"<RegEx,n,\"\",\"y\">", L"axb", L"axb"},
      {L"<RegEx,n,\"^\",\"new_\">", L"file.txt", L"new_file.txt"},
      {L"<RegEx,n,\"(\\w)(\\w)\",\"$2$1\">", L"ab.txt", L"$2$1.txt"},
      {L"<RegEx,n,\"(ab\",\"x\">", L"ab.txt", L"ab.txt"},
      {L"<RegEx,n,\"txt\",\"x\">", L"txt.txt", L"x.txt"},
      {L"<RegEx,e,\"jpe?g\",\"jpg\">", L"photo.JPEG", L"photo.jpg"},
      {L"<RegEx,e,\"^\",\"x\">", L"README", L"README"},
      {L"<RegEx,e,\"\\.\",\"-\">", L"archive.tar.gz", L"archive.tar.gz"},
      {L"<RegEx,n,\"\\.\",\"-\">", L"archive.tar.gz", L"archive-tar.gz"},
      {L"<RegEx,n,\"\\.\",\"\">", L"a.b.c", L"ab.c"},
      {L"<RegEx,n,\"caf\\xE9\",\"cafe\">", L"caf\u00e9 noir.txt", L"cafe noir.txt"},
      // A name or a pattern the code page cannot hold exactly is left alone: no best-fit stand-in matches.
      {L"<RegEx,n,\"\\d\",\"#\">", L"\u01011.txt", L"\u01011.txt"},
      {L"<RegEx,n,\"a\",\"x\">", L"\u0101.txt", L"\u0101.txt"},
      {L"<RegEx,n,\"\u0101\",\"x\">", L"abc.txt", L"abc.txt"},
      {L"<RegEx,n,\"\u0101?\",\"y\">", L"abc.txt", L"abc.txt"},
  };
  ASSERT_EQ(GetACP(), 1252u) << "the cases are written for code page 1252";
  ExpectRenamed(cases);
  // The pattern is compiled by the pass's prepare; a step applied before any pass changes nothing.
  EXPECT_EQ(Renamed(L"<RegEx,n,\"a\",\"x\">", L"abc", nullptr, false), L"abc");
}

// A name whose search gives up keeps its name, and the step's dialog learns of it from the step (the last pass)
// and from a trial on the sample name.
TEST_F(SearchModules, RegExGivesUpOnRunawayPatterns) {
  const std::wstring runaway = std::wstring(24, L'a') + L"b.txt";
  EXPECT_EQ(Renamed(L"<RegEx,n,\"(a+)+$\",\"x\">", runaway.c_str()), runaway);
  EXPECT_EQ(Renamed(L"<RegEx,n,\"(a+)+$\",\"x\">", L"aaaa.txt"), L"x.txt");
  ModuleInstance* step = CreateModuleFromText(L"<RegEx,n,\"(a+)+$\",\"x\">");
  ASSERT_NE(step, nullptr);
  EXPECT_TRUE(RegExGivesUpOn(step, runaway.c_str()));
  EXPECT_FALSE(RegExGivesUpOn(step, L"aaaa.txt"));
  PrepareModuleInstance(step);
  wchar_t name[260];
  CopyWideBounded(L"aaaa.txt", name, 260);
  ApplyModuleToFileName(step, nullptr, name, 260);
  EXPECT_FALSE(RegExGaveUpInLastPass(step));
  CopyWideBounded(runaway.c_str(), name, 260);
  ApplyModuleToFileName(step, nullptr, name, 260);
  EXPECT_TRUE(RegExGaveUpInLastPass(step));
  FreeModuleInstance(step);
}

TEST_F(SearchModules, RegExMapsByteOffsetsToCharacters) {
  const struct {
    UINT codePage;
    const wchar_t* pattern;
    const wchar_t* text;
    const wchar_t* renamed;
  } cases[] = {
      {932, L"abc", L"\u65e5\u672cabc", L"\u65e5\u672c#"},
      {932, L"\u672c", L"\u65e5\u672cabc", L"\u65e5#abc"},
      {932, L".$", L"ab\u65e5", L"ab\u65e5"},             // '.' takes one byte of the last character
      {932, L"\\\\", L"\u30bda", L"\u30bda"},             // the second byte of U+30BD is a backslash
      {932, L"a", L"\u0101a", L"\u0101a"},                 // not in the code page
      {65001, L"t", L"\u00e9t\u00e9", L"\u00e9#\u00e9"},
      {65001, L"\u00e9$", L"\u00e9t\u00e9", L"\u00e9t#"},
      {65001, L"x", L"\U0001F600x", L"\U0001F600#"},
      {1252, L"B", L"\u00e9b", L"\u00e9#"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InCodePage(c.pattern, false, c.text, c.codePage), c.renamed)
        << c.codePage << " " << Narrow(c.pattern);
  }
}

TEST_F(SearchModules, FaCKeepsWhatLiesBeforeOrAfterTheFoundText) {
  const StepRenameCase cases[] = {
      {L"<FaC,n,\" - \">", L"Artist - Title.mp3", L"Artist.mp3"},
      {L"<FaC,n,b,\" - \">", L"Artist - Title.mp3", L"Title.mp3"},
      {L"<FaC,n,b,\"_\">", L"a_b", L"b"},
      {L"<FaC,n,\"Art\">", L"Artist.mp3", L"Artist.mp3"},
      {L"<FaC,n,b,\"st\">", L"Artist.mp3", L"Artist.mp3"},
      {L"<FaC,n,\"X\">", L"abxcd", L"ab"},
      {L"<FaC,n,c,\"X\">", L"abxcd", L"abxcd"},
      {L"<FaC,n,c,b,\"X\">", L"abXcd", L"cd"},
      {L"<FaC,n,\"\u30ab\">", L"a\u304bb", L"a"},
      {L"<FaC,n,\"\">", L"a_b", L"a_b"},
      {L"<FaC,n,\"zz\">", L"a_b", L"a_b"},
      {L"<FaC,e,\"z\">", L"archive.tar.gz", L"archive.tar.g"},
      {L"<FaC,e,b,\"g\">", L"archive.tar.gz", L"archive.tar.z"},
      {L"<FaC,e,\"a\">", L"README", L"README"},
      {L"<FaC,n,\".\">", L"a.b.c", L"a.c"},
  };
  ExpectRenamed(cases);
}

TEST_F(SearchModules, ReadAndWriteTheirTextForms) {
  const StepTextCase cases[] = {
      {L"<RegEx,n,\"a\",\"b\">", L"<RegEx,n,\"a\",\"b\">"},
      {L"<regex,e,c,\"\\d\",\"#\";\"two\\nlines\">", L"<RegEx,e,c,\"\\d\",\"#\";\"two\\nlines\">"},
      {L"<RegEx,n,c\"a\",\"b\">", L"<RegEx,n,c,\"a\",\"b\">"},
      {L"<RegEx,n,\"a;b>c\",\"\">", L"<RegEx,n,\"a;b>c\",\"\">"},
      {L"<RegEx,n,\"q\\\"t\",\"ends\\\\\">", L"<RegEx,n,\"q\\\"t\",\"ends\\\\\">"},
      {L"<FaC,n,\" - \">", L"<FaC,n,\" - \">"},
      {L"<FaC,e,c,b,\"x\";\"note\">", L"<FaC,e,c,b,\"x\";\"note\">"},
      {L"<FaC,n,b,\"x\">", L"<FaC,n,b,\"x\">"},
      {L"<RegEx,x,\"a\",\"b\">", nullptr},  {L"<RegEx,n,\"a\">", nullptr},
      {L"<RegEx,n,a,\"b\">", nullptr},      {L"<RegEx,n,\"a\",\"b\"", nullptr},
      {L"<RegEx,n,\"a\";\"b\">", nullptr},  {L"<RegEx>", nullptr},
      {L"<RegEx,n>", nullptr},              {L"<FaC,q,\"a\">", nullptr},
      {L"<FaC,n,b,c,\"a\">", nullptr},      {L"<FaC,n,\"a\",>", nullptr},
      {L"<FaC,n,x,\"a\">", nullptr},        {L"<FaC,n,\"a>", nullptr},
  };
  ExpectTextForms(cases);
}

TEST_F(SearchModules, DescriptionsAndTitlesComeFromUiTexts) {
  static const UiStringRecord kTexts[] = {
      {-1, L"US"},          {2301, L"Name"},           {13211, L"Extension"},     {13248, L"Replace"},
      {13250, L"with"},     {13252, L"case-sensitive"}, {14002, L"Regular expression"}, {14010, L"Find and cut"},
      {14011, L"Find"},     {14012, L"and remove"},    {14014, L"everything after it"},
      {14015, L"everything before it"},                {0, nullptr}};
  const UiTextScope texts(kTexts);
  const StepDescriptionCase cases[] = {
      {L"<RegEx,n,\"\\d+\",\"#\">", L"Name, Replace (RegEx) \"\\d+\" with \"#\" "},
      {L"<RegEx,e,c,\"a\",\"\">", L"Extension, Replace (RegEx) \"a\" with \"\" , case-sensitive"},
      {L"<FaC,n,\" - \">", L"Name, Find \" - \" and remove everything after it"},
      {L"<FaC,e,c,b,\"_\">", L"Extension, Find \"_\" and remove, case-sensitive everything before it"},
  };
  ExpectDescriptions(cases);
  wchar_t title[64];
  g_moduleDescriptors[kModuleRegEx].title(title, 64);
  EXPECT_STREQ(title, L"Regular expression");
  g_moduleDescriptors[kModuleFaC].title(title, 64);
  EXPECT_STREQ(title, L"Find and cut");
}
