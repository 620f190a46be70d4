// The modules that edit the name by their settings alone or with the file's folder: Enum, Ins, Crop, Sbst, Dir,
// DOS, Cut and Copy, each through the dispatcher from its text form, and the shared edits at their bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/module_table.h"
#include "engine/modules/name_part_edits.h"
#include "module_steps.h"

namespace {

class TextModules : public testing::Test {
 protected:
  void SetUp() override { InitModuleDescriptors(); }
};

struct StepCase {
  const wchar_t* step;
  const wchar_t* name;
  const wchar_t* expected;
};

void ExpectRenamed(const std::vector<StepCase>& cases, const void* context = nullptr) {
  for (const StepCase& c : cases)
    EXPECT_EQ(Renamed(c.step, c.name, context), c.expected) << Narrow(c.step) << " on " << Narrow(c.name);
}

// The names one Enum step gives the files in list order after one preparation.
std::vector<std::wstring> Numbered(const wchar_t* step, const std::vector<std::wstring>& names) {
  ModuleInstance* settings = CreateModuleFromText(step);
  EXPECT_NE(settings, nullptr) << Narrow(step);
  std::vector<std::wstring> result;
  if (settings == nullptr) return result;
  for (int pass = 0; pass < 2; ++pass) {
    result.clear();
    PrepareModuleInstance(settings);
    for (const std::wstring& name : names) {
      wchar_t buffer[260];
      CopyWideBounded(name.c_str(), buffer, 260);
      EXPECT_EQ(ApplyModuleToFileName(settings, nullptr, buffer, 260), 0);
      result.push_back(buffer);
    }
  }
  FreeModuleInstance(settings);
  return result;
}

}  // namespace

TEST_F(TextModules, EnumNumbersTheFilesInListOrderAndRestartsEveryPass) {
  using Names = std::vector<std::wstring>;
  const struct {
    const wchar_t* step;
    Names names;
    Names expected;
  } cases[] = {
      {L"<Enum,n,0,1,1,3x0>", {L"a", L"b", L"c"}, {L"001a", L"002b", L"003c"}},
      {L"<Enum,n,0,2,-1,3x0>", {L"a", L"b", L"c", L"d"}, {L"002a", L"001b", L"000c", L"0-1d"}},
      {L"<Enum,n,9,1,1>", {L"ab.txt", L"cd.txt"}, {L"ab1.txt", L"cd2.txt"}},
      {L"<Enum,n,1,10,5,4x_>", {L"ab", L"cd"}, {L"a__10b", L"c__15d"}},
      {L"<Enum,e,0,1,1>", {L"file", L"x.txt"}, {L"file.1", L"x.2txt"}},
      {L"<Enum,n,1,4294967291,3>", {L"ab", L"cd", L"ef"}, {L"a-5b", L"c-2d", L"e1f"}},
      {L"<Enum,n,0,-5,1>", {L"a"}, {L"-5a"}},
      {L"<Enum,n,0,2147483647,1>", {L"a", L"b"}, {L"2147483647a", L"2147483648b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Numbered(c.step, c.names), c.expected) << Narrow(c.step);
}

TEST_F(TextModules, InsAndDirInsertFromEitherSide) {
  ExpectRenamed({
      {L"<Ins,n,r,0,\"X\">", L"abcdef.txt", L"abcdefX.txt"},
      {L"<Ins,n,r,2,\"X\">", L"abcdef", L"abcdXef"},
      {L"<Ins,n,l,2,\"X\">", L"abcdef", L"abXcdef"},
      {L"<Ins,n,l,300,\"X\">", L"abcdef", L"abcdefX"},
      {L"<Ins,n,r,9,\"X\">", L"abcdef", L"Xabcdef"},
      {L"<Ins,e,l,0,\"X\">", L"abc", L"abc"},
      {L"<Ins,e,r,1,\"X\">", L"a.txt", L"a.txXt"},
      {L"<Ins,n,l,0,\"\">", L"abc", L"abc"},
  });
  ExpectRenamed(
      {
          {L"<Dir,n,r,0>", L"img.jpg", L"img2024.jpg"},
          {L"<Dir,n,l,0>", L"img.jpg", L"2024img.jpg"},
          {L"<Dir,n,r,9>", L"img.jpg", L"2024img.jpg"},
          {L"<Dir,n,l,1>", L"img.jpg", L"i2024mg.jpg"},
          {L"<Dir,e,l,0>", L"img", L"img"},
          {L"<Dir,e,r,0>", L"img.jpg", L"img.jpg2024"},
      },
      L"C:\\Photos\\2024\\img.jpg");
  ExpectRenamed({{L"<Dir,n,r,0>", L"img.jpg", L"img.jpg"}}, L"C:\\img.jpg");
  ExpectStepFails(L"<Dir,n,l,0>", L"img.jpg");  // no path, no folder name
}

// The folder name comes from the file's whole path, however long a listing made it.
TEST_F(TextModules, DirNamesTheFileFolderAtAnyPathLength) {
  const std::wstring tail = L"\\LEAF\\f.txt";
  for (size_t length : {1023u, 1024u, 1300u}) {
    std::wstring path = L"C:";
    while (path.size() + tail.size() < length) path += path.size() % 100 == 2 ? L"\\" : L"d";
    path += tail;
    ASSERT_EQ(path.size(), length);
    EXPECT_EQ(Renamed(L"<Dir,n,r,0>", L"f.txt", path.c_str()), L"fLEAF.txt") << length;
  }
}

TEST_F(TextModules, CropRemovesARunCountedFromEitherSide) {
  ExpectRenamed({
      {L"<Crop,n,l,2,3>", L"abcdefgh.txt", L"abfgh.txt"},
      {L"<Crop,n,l,2,3>", L"abcd", L"ab"},
      {L"<Crop,n,l,0,4>", L"abcdefgh", L"efgh"},
      {L"<Crop,n,l,9,1>", L"abc", L"abc"},
      {L"<Crop,n,r,0,2>", L"abcdef", L"abcd"},
      {L"<Crop,n,r,1,2>", L"abcdef", L"abcf"},
      {L"<Crop,n,r,10,2>", L"abc", L"abc"},
      {L"<Crop,n,r,1,9>", L"abc", L"c"},
      {L"<Crop,e,l,0,2>", L"abc", L"abc"},
      {L"<Crop,e,l,1,1>", L"a.txt", L"a.tt"},
      {L"<Crop,n,l,0,250>", L"7.txt", L".txt"},
  });
}

TEST_F(TextModules, SbstReplacesOnceOrEverywhereAndNeverSearchesAReplacementAgain) {
  ExpectRenamed({
      {L"<Sbst,n,a,\"a\",\"bbb\">", L"aXaXa", L"bbbXbbbXbbb"},
      {L"<Sbst,n,\"a\",\"bbb\">", L"aXaXa", L"bbbXaXa"},
      {L"<Sbst,n,a,\"aa\",\"a\">", L"aaaa", L"aa"},
      {L"<Sbst,n,\"abc\",\"x\">", L"zABCz", L"zxz"},
      {L"<Sbst,n,c,\"abc\",\"x\">", L"zABCz", L"zABCz"},
      {L"<Sbst,n,c,a,\"A\",\"-\">", L"AaAa", L"-a-a"},
      {L"<Sbst,n,a,\"A\",\"a\">", L"AaAa", L"aaaa"},
      {L"<Sbst,n,a,\"a\",\"\">", L"banana.txt", L"bnn.txt"},
      {L"<Sbst,n,a,\"x\",\"x\">", L"xXx", L"xXx"},
      {L"<Sbst,e,\"txt\",\"md\">", L"txt.txt", L"txt.md"},
      {L"<Sbst,e,\"\",\"md\">", L"a.txt", L"a.txt"},
      {L"<Sbst,n,a,\"ab\",\"x\">", L"aab", L"ax"},
      {L"<Sbst,n,a,\"\u00e9\",\"e\">", L"\u00c9lan \u00e9t\u00e9", L"elan ete"},
      {L"<Sbst,n,a,\"1\",\"one\">", L"a1b1", L"aonebone"},
  });
}

TEST_F(TextModules, DosMasksTheWholeName) {
  ExpectRenamed({
      {L"<DOS,\"*.bak\">", L"report.txt", L"report.bak"},
      {L"<DOS,\"x?*\">", L"report.txt", L"xeport.txt"},
      {L"<DOS,\"*\">", L"archive.tar.gz", L"archive.tar.gz"},
      {L"<DOS,\"\">", L"report.txt", L"report.txt"},
  });
  ExpectStepFails(L"<DOS,\"a\\b\">", L"report.txt");  // a mask with a folder part
}

TEST_F(TextModules, CutMovesAndCopyCopiesASpanWithoutEverLosingIt) {
  ExpectRenamed({
      {L"<Cut,n,0,3,2>", L"abcdef", L"deabcf"},
      {L"<Copy,n,0,3,2>", L"abcdef", L"ababccdef"},
      {L"<Cut,n,0,3,3>", L"abcdef", L"defabc"},
      {L"<Cut,n,0,3,4>", L"abcdef", L"abcdef"},
      {L"<Copy,n,0,3,6>", L"abcdef", L"abcdefabc"},
      {L"<Copy,n,0,3,7>", L"abcdef", L"abcdef"},
      {L"<Cut,n,9,1,0>", L"abc", L"abc"},
      {L"<Cut,n,3,1,0>", L"abc", L"abc"},
      {L"<Cut,n,1,9,0>", L"abc.txt", L"bca.txt"},
      {L"<Cut,e,0,1,2>", L"a.xyz", L"a.yzx"},
      {L"<Copy,e,0,1,0>", L"abc", L"abc"},
  });
}

TEST_F(TextModules, SharedEditsStayWithinTheirBuffers) {
  wchar_t text[8] = L"abcdef";
  InsertTextAt(text, 8, L'l', L"XYZ", 2);
  EXPECT_STREQ(text, L"abXYZcd");
  CopyWideBounded(L"abc", text, 8);
  InsertTextAt(text, 8, L'l', L"X", 2000);
  EXPECT_STREQ(text, L"abcX");
  InsertTextAt(text, 8, L'x', L"Y", 0);
  EXPECT_STREQ(text, L"abcX");
  CopyWideBounded(L"abcdefg", text, 8);
  MoveOrCopySpan(text, 8, 0, 3, 7, true);
  EXPECT_STREQ(text, L"abcdefg");
  MoveOrCopySpan(text, 8, 5, 2, 0, true);
  EXPECT_STREQ(text, L"fgabcde");
  CropText(text, 8, L'r', 7, 3);
  EXPECT_STREQ(text, L"fgabcde");
  CropText(text, 8, L'r', 8, 3);
  EXPECT_STREQ(text, L"fgabcde");
}
