// The PgnCont module with the test plug-in configured: names built from plug-in values and the file title, each
// reference meeting its own value, the fail flag, failures inside the plug-in, the text form, and the dialog's
// field menu.
#include "engine/modules/pgncont_module.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/module_table.h"
#include "metadata/field_menu.h"
#include "module_steps.h"
#include "support/caught_faults.h"
#include "tests/metadata/plugin_scope.h"

namespace {

using SetFault = int(WINAPI*)(int);

class PgnContModule : public testing::Test {
 protected:
  void SetUp() override { InitModuleDescriptors(); }

  PluginScope scope_{{PluginValue("Test", kPublishedPlugin)}};
};

struct NameCase {
  const wchar_t* step;
  const wchar_t* file;
  int bytes;
  const wchar_t* expected;  // null: the step fails and leaves the name
};

void ExpectNames(const PluginScope& scope, const std::vector<NameCase>& cases) {
  for (const NameCase& c : cases) {
    const std::wstring path = scope.File(c.file, std::string(static_cast<size_t>(c.bytes), 'x'));
    if (c.expected == nullptr) {
      ExpectStepFails(c.step, c.file, path.c_str());
    } else {
      EXPECT_EQ(Renamed(c.step, c.file, path.c_str()), c.expected) << Narrow(c.step) << " on " << Narrow(c.file);
    }
  }
}

}  // namespace

TEST_F(PgnContModule, BuildsNamesFromPluginValuesAndTheFileTitle) {
  ExpectNames(scope_, {
                          {L"<PgnCont,0,\"OFN\"_\"Test=Size\">", L"report1.txt", 5, L"report1_5.txt"},
                          {L"<PgnCont,0,\"ofn\" \"Test=Digits\">", L"a12b3.txt", 1, L"a12b3 3.txt"},
                          {L"<PgnCont,0,\"Test=Size.KB\" KB>", L"big.txt", 3000, L"2 KB.txt"},
                          {L"<PgnCont,0,\"Test=Date\">", L"d.txt", 1, L"29.02.2024.txt"},
                          {L"<PgnCont,0,\"Test=Time\">", L"t.txt", 1, L"13_05_09.txt"},
                          {L"<PgnCont,0,\"Test=Choice\"\"Test=Name\">", L"c.txt", 1, L"greenc.txt.txt"},
                          // The plug-in serves .txt files only: the reference vanishes and the literal text
                          // remains, as when no field has a value.
                          {L"<PgnCont,0,x\"Test=Size\">", L"plain.bin", 1, L"x.bin"},
                          {L"<PgnCont,0,\"Test=Size\">", L"alone.bin", 1, L"alone.bin"},
                          {L"<PgnCont,0,\"abc\"X>", L"n.txt", 1, L"X.txt"},
                          {L"<PgnCont,0,a\"b>", L"q.txt", 1, L"ab.txt"},
                          {L"<PgnCont,0,>", L"same.txt", 1, L"same.txt"},
                      });
}

TEST_F(PgnContModule, EachReferenceMeetsItsOwnValue) {
  ExpectNames(scope_, {
                          {L"<PgnCont,1,\"Nope=Size\"-\"Test=Digits\">", L"x7.txt", 1, L"-1.txt"},
                          {L"<PgnCont,1,\"Test=Nothing\"[\"Test=Size\"]>", L"y.txt", 4, L"[4].txt"},
                          {L"<PgnCont,0,\"Test=Size\"-\"Absent=X\"-\"Test=Digits\">", L"z22.txt", 3, L"3--2.txt"},
                          {L"<PgnCont,1,\"OFN\"_\"Test=Size\">", L"other.bin", 1, nullptr},
                      });
}

// The plug-in's "file error" (-2) for a file is that reference's error, like any other: no value. With the fail
// flag the step fails for the file; without it the reference is left out and the rest of the pattern goes on,
// and the step fails only when no later reference gave a value after it (the last plug-in call's error is the
// step's result). Nothing of it is a fault.
TEST_F(PgnContModule, APluginFileErrorIsAReferenceWithoutValue) {
  ExpectNames(scope_, {
                          {L"<PgnCont,0,\"Test=Size\"-\"Test=Digits\">", L"unreadable7.txt", 3, L"-1.txt"},
                          {L"<PgnCont,0,\"OFN\" \"Test=Size\" \"Test=Digits\">", L"unreadable12.txt", 3,
                           L"unreadable12  2.txt"},
                          {L"<PgnCont,1,\"Test=Size\"-\"Test=Digits\">", L"unreadable7.txt", 3, nullptr},
                          {L"<PgnCont,1,\"Test=Digits\"-\"Test=Size\">", L"unreadable7.txt", 3, nullptr},
                          {L"<PgnCont,0,\"Test=Digits\"-\"Test=Size\">", L"unreadable7.txt", 3, nullptr},
                          {L"<PgnCont,0,\"Test=Size\"-\"Test=Digits\">", L"readable7.txt", 3, L"3-1.txt"},
                      });
  const std::wstring path = scope_.File(L"unreadable.txt", "xyz");
  ModuleInstance* step = CreateModuleFromText(L"<PgnCont,1,\"Test=Size\">");
  ASSERT_NE(step, nullptr);
  wchar_t name[260] = L"unreadable.txt";
  EXPECT_EQ(ApplyModuleToFileName(step, path.c_str(), name, 260), kStepLeftAlone) << "failed for the file, not faulted";
  EXPECT_STREQ(name, L"unreadable.txt");
  FreeModuleInstance(step);
}

TEST_F(PgnContModule, AFailingPluginFailsTheStepForThatFileOnly) {
  TestLibrary library(kPublishedPlugin);
  const SetFault setFault = library.Export<SetFault>("TestPluginSetFault");
  ASSERT_NE(setFault, nullptr);
  ExpectCaughtFaults();
  for (int fault : {1, 2, 3}) {
    setFault(fault);
    ExpectNames(scope_, {{L"<PgnCont,0,\"OFN\"-\"Test=Size\">", L"f.txt", 2, nullptr}});
    setFault(0);
    ExpectNames(scope_, {{L"<PgnCont,0,\"OFN\"-\"Test=Size\">", L"f.txt", 2, L"f-2.txt"}});
  }
}

TEST_F(PgnContModule, KeepsItsTextFormAndResolvesOneSlotPerPluginReference) {
  const struct {
    const wchar_t* text;
    uint8_t failFlag;
    const wchar_t* pattern;
    uint32_t slots;
    const wchar_t* description;
  } cases[] = {
      {L"<PgnCont,1,\"OFN\"_\"Test=Size\";\"a comment\">", 1, L"\"OFN\"_\"Test=Size\"", 1,
       L"Content plug-ins, \"OFN\"_\"Test=Size\""},
      {L"<PgnCont,0,\"Nope=A\"\"Test=Size.KB\"\"plain\">", 0, L"\"Nope=A\"\"Test=Size.KB\"\"plain\"", 2,
       L"Content plug-ins, \"Nope=A\"\"Test=Size.KB\"\"plain\""},
      {L"<PgnCont,0,>", 0, L"", 0, L"Content plug-ins"},
  };
  const UiStringRecord texts[] = {{-1, L"US"}, {5500, L"Content plug-ins"}, {0, nullptr}};
  scope_.state_.UseTexts(texts);
  for (const auto& c : cases) {
    ModuleInstance* settings = CreateModuleFromText(c.text);
    ASSERT_NE(settings, nullptr) << Narrow(c.text);
    const PgnContSettings* pgnCont = reinterpret_cast<const PgnContSettings*>(settings);
    EXPECT_EQ(settings->moduleIndex, kModulePgnCont);
    EXPECT_EQ(settings->flags, kApplyNeedsPath);
    EXPECT_EQ(pgnCont->failFlag, c.failFlag);
    EXPECT_STREQ(pgnCont->pattern, c.pattern);
    EXPECT_EQ(pgnCont->referenceCount, c.slots);
    EXPECT_EQ(Serialized(settings), c.text);
    wchar_t description[1024];
    DescribeModuleInstance(settings, description, 1024);
    EXPECT_STREQ(description, c.description);
    FreeModuleInstance(settings);
  }
  EXPECT_EQ(CreateModuleFromText(L"<PgnCont,x,\"OFN\">"), nullptr);
}

TEST_F(PgnContModule, AnEditedPatternTakesEffectOnceParsedAgain) {
  const std::wstring path = scope_.File(L"e12.txt", "abc");
  ModuleInstance* settings = CreateModuleFromText(L"<PgnCont,0,\"Test=Size\">");
  ASSERT_NE(settings, nullptr);
  PgnContSettings* pgnCont = reinterpret_cast<PgnContSettings*>(settings);
  wcscpy(pgnCont->pattern, L"\"Test=Digits\"");
  ParsePluginFieldTemplate(pgnCont);
  wchar_t name[260] = L"e12.txt";
  EXPECT_EQ(ApplyModuleToFileName(settings, path.c_str(), name, 260), 0);
  EXPECT_STREQ(name, L"2.txt");
  FreeModuleInstance(settings);
}

TEST_F(PgnContModule, TheFieldMenuListsTheFieldsOfConfiguredPlugins) {
  scope_.Configure({PluginValue("Test", kPublishedPlugin), "Myudio;;;", PluginValue("Own", kOwnPlugin)});
  FieldMenu menu;
  ASSERT_TRUE(BuildPluginFieldMenu(&menu));
  std::vector<std::wstring> payloads;
  wchar_t payload[256];
  for (int id = 1; GetFieldMenuPayload(&menu, id, payload, 256); ++id) payloads.push_back(payload);
  const std::vector<std::wstring> expected = {
      L"RTest=Size",   L"RTest=Size.Bytes", L"RTest=Size.KB",  L"RTest=Size.MB",  L"LTest=Name",
      L"RTest=Ratio",  L"RTest=Date",       L"RTest=Time",     L"LTest=Flag",     L"LTest=Choice",
      L"LTest=WName",  L"RTest=Digits",     L"LTest=Long",     L"RTest=Bulk",     L"RTest=Bulk.MB",
      L"RTest=Bulk.B", L"LOwn=Title",       L"ROwn=Length",
  };
  EXPECT_EQ(payloads, expected);
  const int items = GetMenuItemCount(menu.menu);
  ASSERT_EQ(items, 4) << "Test, Own, a separator and OFN; the entry standing for the Audio module is passed over";
  EXPECT_EQ(GetMenuItemID(menu.menu, items - 1), 32752u);
  FreeFieldMenu(&menu);

  scope_.Configure({"Myudio;;;"});
  EXPECT_FALSE(BuildPluginFieldMenu(&menu)) << "no plug-in field, no menu";
}
