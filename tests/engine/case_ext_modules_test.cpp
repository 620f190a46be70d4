// The Case and Ext modules: their conversions through the dispatcher, their text forms (every value and
// comment comes back through a save and a load), refused texts and their descriptions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/module_table.h"
#include "engine/modules/case_module.h"
#include "engine/modules/ext_module.h"
#include "foundation/text/bounded_text.h"
#include "module_steps.h"
#include "ui_text_scope.h"

namespace {

class CaseAndExt : public testing::Test {
 protected:
  void SetUp() override { InitModuleDescriptors(); }
};

}  // namespace

TEST_F(CaseAndExt, CaseConvertsTheNamePart) {
  EXPECT_EQ(Renamed(L"<Case,n,1>", L"MiXeD Name.TXT"), L"mixed name.TXT");
  EXPECT_EQ(Renamed(L"<Case,n,2>", L"MiXeD Name.TXT"), L"MIXED NAME.TXT");
  EXPECT_EQ(Renamed(L"<Case,n,3>", L"hELLO wORLD"), L"Hello world");
  EXPECT_EQ(Renamed(L"<Case,n,4>", L"hello_world-foo bar"), L"Hello_World-Foo Bar");
  EXPECT_EQ(Renamed(L"<Case,n,4>", L"O'NEIL"), L"O'neil");
  EXPECT_EQ(Renamed(L"<Case,n,4>", L"__two  (words)"), L"__Two  (Words)");
  EXPECT_EQ(Renamed(L"<Case,n,5>", L"aBc1"), L"AbC1");
  EXPECT_EQ(Renamed(L"<Case,n,3>", L""), L"");
}

TEST_F(CaseAndExt, CaseConvertsTheExtensionPartOnly) {
  EXPECT_EQ(Renamed(L"<Case,e,1>", L"Photo.JPG"), L"Photo.jpg");
  EXPECT_EQ(Renamed(L"<Case,e,2>", L"README"), L"README");
  EXPECT_EQ(Renamed(L"<Case,e,2>", L"notes"), L"notes");
  EXPECT_EQ(Renamed(L"<Case,e,3>", L"archive.tar.gz"), L"archive.tar.Gz");
}

TEST_F(CaseAndExt, CaseUsesTheSystemsCaseMappingBeyondAscii) {
  EXPECT_EQ(Renamed(L"<Case,n,1>", L"\u00c9COLE \u00c4RGER.txt"), L"\u00e9cole \u00e4rger.txt");
  EXPECT_EQ(Renamed(L"<Case,n,2>", L"\u00e9t\u00e9 \u00e4"), L"\u00c9T\u00c9 \u00c4");
  EXPECT_EQ(Renamed(L"<Case,n,4>", L"\u00e9lan vital"), L"\u00c9lan Vital");
  EXPECT_EQ(Renamed(L"<Case,n,5>", L"\u00c4b\u00e9"), L"\u00e4B\u00c9");
  EXPECT_EQ(Renamed(L"<Case,n,4>", L"\u0436\u0443\u043a \u0438 \u043f\u0430\u0443\u043a"),
            L"\u0416\u0443\u043a \u0418 \u041f\u0430\u0443\u043a");
}

TEST_F(CaseAndExt, ExtReplacesOrRemovesTheExtension) {
  EXPECT_EQ(Renamed(L"<Ext,\"tar.gz\">", L"report.txt"), L"report.tar.gz");
  EXPECT_EQ(Renamed(L"<Ext,->", L"report.txt"), L"report");
  EXPECT_EQ(Renamed(L"<Ext,\"\">", L"report.txt"), L"report");
  EXPECT_EQ(Renamed(L"<Ext,\"md\">", L"README"), L"README.md");
  EXPECT_EQ(Renamed(L"<Ext,\".jpg\">", L"report.txt"), L"report..jpg");
  EXPECT_EQ(Renamed(L"<ext,\"a b\";\"note\">", L".profile"), L".a b");
}

TEST_F(CaseAndExt, RefusesMalformedTexts) {
  for (const wchar_t* text :
       {L"<Case,n,7>", L"<Case,x,1>", L"<Case,n,0>", L"<Case,n>", L"<Case,n,>", L"<Case n,1>", L"<Case,n,1",
        L"<Case,n,1x>", L"<Case,n,1;\"open\"", L"<Case>", L"<Ext>", L"<Ext,jpg>", L"<Ext,-x>", L"<Ext,-",
        L"<Ext,\"jpg>", L"<Ext,\"jpg\"x>", L"<Ext,\"jpg\";\"c\""}) {
    ModuleInstance* settings = CreateModuleFromText(text);
    EXPECT_EQ(settings, nullptr) << std::string(text, text + wcslen(text));
    FreeModuleInstance(settings);
  }
}

TEST_F(CaseAndExt, ReadsTheStepsOfTheTextForm) {
  ModuleInstance* settings = CreateModuleFromText(L"<Case,e,2;\"two\\nlines\">");
  ASSERT_NE(settings, nullptr);
  const CaseSettings* caseSettings = reinterpret_cast<const CaseSettings*>(settings);
  EXPECT_EQ(caseSettings->part, L'e');
  EXPECT_EQ(caseSettings->conversion, kCaseUpper);
  EXPECT_STREQ(caseSettings->comment, L"two\r\nlines");
  FreeModuleInstance(settings);

  settings = CreateModuleFromText(L"<Ext,-;\"x;y>z\">");
  ASSERT_NE(settings, nullptr);
  const ExtSettings* extSettings = reinterpret_cast<const ExtSettings*>(settings);
  EXPECT_STREQ(extSettings->extension, L"");
  EXPECT_STREQ(extSettings->comment, L"x;y>z");
  wchar_t comment[kStepCommentCapacity];
  GetModuleInstanceComment(settings, comment, kStepCommentCapacity);
  EXPECT_STREQ(comment, L"x;y>z");
  FreeModuleInstance(settings);
}

TEST_F(CaseAndExt, WritesTheTextForm) {
  CaseSettings caseSettings{};
  caseSettings.header.moduleIndex = kModuleCase;
  caseSettings.part = L'e';
  caseSettings.conversion = kCaseUpper;
  EXPECT_EQ(Serialized(&caseSettings.header), L"<Case,e,2>");
  CopyWideBounded(L"a\r\nb", caseSettings.comment, kStepCommentCapacity);
  EXPECT_EQ(Serialized(&caseSettings.header), L"<Case,e,2;\"a\\nb\">");

  ExtSettings extSettings{};
  extSettings.header.moduleIndex = kModuleExt;
  EXPECT_EQ(Serialized(&extSettings.header), L"<Ext,->");
  CopyWideBounded(L"jpg", extSettings.extension, kApplyPartCapacity);
  EXPECT_EQ(Serialized(&extSettings.header), L"<Ext,\"jpg\">");
}

TEST_F(CaseAndExt, EveryCaseStepComesBackThroughSaveAndLoad) {
  for (wchar_t part : {L'n', L'e'}) {
    for (uint16_t conversion = kCaseLower; conversion <= kCaseInvert; ++conversion) {
      for (const wchar_t* comment : kStepComments) {
        CaseSettings settings{};
        settings.header.moduleIndex = kModuleCase;
        settings.part = part;
        settings.conversion = conversion;
        CopyWideBounded(comment, settings.comment, kStepCommentCapacity);
        ExpectRoundTrip(settings);
      }
    }
  }
}

TEST_F(CaseAndExt, EveryExtStepComesBackThroughSaveAndLoad) {
  const std::wstring extensions[] = {L"",       L"jpg",     L"tar.gz",   L".hidden",     L"with blank",
                                     L"a;b>c",  L"q\"t\"",  L"ends\\",   L"-",           L"\\\"",
                                     L"x\",y",  L"\"",      L"x\">;y",   std::wstring(1000, L'e')};
  for (const std::wstring& extension : extensions) {
    for (const wchar_t* comment : kStepComments) {
      ExtSettings settings{};
      settings.header.moduleIndex = kModuleExt;
      CopyWideBounded(extension.c_str(), settings.extension, kApplyPartCapacity);
      CopyWideBounded(comment, settings.comment, kStepCommentCapacity);
      ExpectRoundTrip(settings);
    }
  }
}

TEST_F(CaseAndExt, LongCommentsComeBackThroughSaveAndLoad) {
  CaseSettings settings{};
  settings.header.moduleIndex = kModuleCase;
  settings.part = L'n';
  settings.conversion = kCaseFirstLetter;
  for (wchar_t filler : {L'c', L'"', L'>', L';'}) {
    const std::wstring comment(kStepCommentCapacity - 1, filler);
    CopyWideBounded(comment.c_str(), settings.comment, kStepCommentCapacity);
    ExpectRoundTrip(settings);
  }
}

TEST_F(CaseAndExt, DescriptionsAndTitlesComeFromUiTexts) {
  static const UiStringRecord kTexts[] = {{-1, L"US"},           {2301, L"Name"},     {13200, L"Case"},
                                          {13206, L"Abc"},       {13208, L"aBC"},     {13211, L"Extension"},
                                          {13212, L"New extension"}, {0, nullptr}};
  const UiTextScope texts(kTexts);
  ModuleInstance* settings = CreateModuleFromText(L"<Case,n,3>");
  wchar_t text[256];
  DescribeModuleInstance(settings, text, 256);
  EXPECT_STREQ(text, L"Name, Case, Abc");
  FreeModuleInstance(settings);
  settings = CreateModuleFromText(L"<Case,e,1>");
  DescribeModuleInstance(settings, text, 256);
  EXPECT_STREQ(text, L"Extension, Case");
  FreeModuleInstance(settings);
  settings = CreateModuleFromText(L"<Ext,\"jpg\">");
  DescribeModuleInstance(settings, text, 256);
  EXPECT_STREQ(text, L"New extension \"jpg\"");
  FreeModuleInstance(settings);

  std::wstring titles;
  EnumerateModules(
      [](const wchar_t*, const wchar_t* title, int, void* data) {
        *static_cast<std::wstring*>(data) += std::wstring(title) + L"|";
        return 0;
      },
      &titles);
  // Case and Ext come first; the other modules' titles are not in this table.
  EXPECT_EQ(titles.rfind(L"Case|Extension|", 0), 0u) << std::string(titles.begin(), titles.end());
}
