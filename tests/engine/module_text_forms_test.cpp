// The text forms of Enum, Ins, Crop, Sbst, Date, Time, Dir, DOS, Cut and Copy: every value a step can hold
// comes back through a save and a load, values beyond their limits are cut as they are read, malformed texts
// are refused, and the descriptions are built from the UI texts.
#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "engine/module_table.h"
#include "engine/modules/crop_module.h"
#include "engine/modules/cut_copy_modules.h"
#include "engine/modules/date_time_modules.h"
#include "engine/modules/dir_module.h"
#include "engine/modules/dos_module.h"
#include "engine/modules/enum_module.h"
#include "engine/modules/ins_module.h"
#include "engine/modules/sbst_module.h"
#include "module_steps.h"
#include "ui_text_scope.h"

namespace {

class ModuleTextForms : public testing::Test {
 protected:
  void SetUp() override { InitModuleDescriptors(); }
};

const std::wstring kTexts[] = {L"", L"a b", L"q\"t\"", L"ends\\", L";>,", L"\\\"", std::wstring(1000, L'e')};
const uint32_t kPositions[] = {0, 1, 249};
const wchar_t kParts[] = {L'n', L'e'};
const wchar_t kSides[] = {L'l', L'r'};

// The value the lowest mixed-radix digit of `n` chooses, the radix being the number of values; `n` loses that
// digit. Picking field after field as n walks through the product of the radixes visits every combination.
template <typename Value, size_t N>
Value Pick(const Value (&values)[N], uint32_t* n) {
  const Value value = values[*n % N];
  *n /= N;
  return value;
}

// Every record that `fill` makes of n = 0 .. count - 1, with every comment of the table, comes back through a
// save and a load.
template <typename Settings>
void ExpectRoundTrips(uint32_t module, int32_t flags, uint32_t count, void (*fill)(uint32_t n, Settings* settings)) {
  for (uint32_t n = 0; n < count; ++n) {
    for (const wchar_t* comment : kStepComments) {
      Settings settings{};
      settings.header.moduleIndex = module;
      settings.header.flags = flags;
      fill(n, &settings);
      CopyWideBounded(comment, settings.comment, kStepCommentCapacity);
      ExpectRoundTrip(settings);
    }
  }
}

void FillSpan(uint32_t n, CutCopySettings* s) {
  static const uint32_t lengths[] = {1, 249, 250};
  s->part = Pick(kParts, &n);
  s->start = Pick(kPositions, &n);
  s->length = Pick(lengths, &n);
  s->target = 249 - s->start;
}

// The value read from a text form, through the record.
template <typename Settings, typename Value>
Value ReadValue(const wchar_t* text, Value Settings::*field) {
  ModuleInstance* settings = CreateModuleFromText(text);
  EXPECT_NE(settings, nullptr) << Narrow(text);
  if (settings == nullptr) return Value{};
  const Value value = reinterpret_cast<Settings*>(settings)->*field;
  FreeModuleInstance(settings);
  return value;
}

}  // namespace

TEST_F(ModuleTextForms, EveryStepComesBackThroughSaveAndLoad) {
  ExpectRoundTrips<EnumSettings>(kModuleEnum, 0, 2 * 5 * 5 * 6, [](uint32_t n, EnumSettings* s) {
    static const int32_t starts[] = {INT32_MIN, -5, 0, 1, INT32_MAX};
    static const int32_t steps[] = {INT32_MIN, -32767, -1, 1, 32767};
    static const uint32_t widths[] = {0, 1, 100, 3, 3, 3};
    static const wchar_t fills[] = {0, L'0', L'>', L';', L',', L'"'};
    s->part = Pick(kParts, &n);
    s->start = Pick(starts, &n);
    s->step = Pick(steps, &n);
    s->position = s->step == 1 ? 249 : 0;
    s->width = widths[n];
    s->fill = fills[n];
  });
  ExpectRoundTrips<InsSettings>(kModuleIns, 0, 2 * 2 * 3 * 7, [](uint32_t n, InsSettings* s) {
    s->part = Pick(kParts, &n);
    s->side = Pick(kSides, &n);
    s->position = Pick(kPositions, &n);
    CopyWideBounded(kTexts[n].c_str(), s->text, kApplyPartCapacity);
  });
  ExpectRoundTrips<CropSettings>(kModuleCrop, 0, 2 * 2 * 3 * 4, [](uint32_t n, CropSettings* s) {
    static const uint32_t counts[] = {1, 2, 249, 250};
    s->part = Pick(kParts, &n);
    s->side = Pick(kSides, &n);
    s->position = Pick(kPositions, &n);
    s->count = counts[n];
  });
  ExpectRoundTrips<SbstSettings>(kModuleSbst, 0, 2 * 2 * 2 * 7, [](uint32_t n, SbstSettings* s) {
    static const uint8_t cases[] = {0, 'c'};
    static const uint8_t all[] = {0, 'a'};
    s->part = Pick(kParts, &n);
    s->matchCase = Pick(cases, &n);
    s->everyOccurrence = Pick(all, &n);
    CopyWideBounded(kTexts[n].c_str(), s->search, kApplyPartCapacity);
    CopyWideBounded(kTexts[(n + 3) % 7].c_str(), s->replacement, kApplyPartCapacity);
  });
  for (uint32_t module : {kModuleDate, kModuleTime}) {
    ExpectRoundTrips<DateTimeSettings>(module, kApplyNeedsFileInfo, 2 * 3 * 3 * 7, [](uint32_t n, DateTimeSettings* s) {
      static const wchar_t sources[] = {L'c', L'a', L'm'};
      s->part = Pick(kParts, &n);
      s->source = Pick(sources, &n);
      s->position = Pick(kPositions, &n);
      CopyWideBounded(kTexts[n].c_str(), s->pattern, kApplyPartCapacity);
    });
  }
  ExpectRoundTrips<DirSettings>(kModuleDir, kApplyNeedsPath, 2 * 2 * 3, [](uint32_t n, DirSettings* s) {
    s->part = Pick(kParts, &n);
    s->side = Pick(kSides, &n);
    s->position = kPositions[n];
  });
  ExpectRoundTrips<DosSettings>(kModuleDos, 0, 7, [](uint32_t n, DosSettings* s) {
    CopyWideBounded(kTexts[n].c_str(), s->mask, kApplyPartCapacity);
  });
  ExpectRoundTrips<CutCopySettings>(kModuleCut, 0, 2 * 3 * 3, FillSpan);
  ExpectRoundTrips<CutCopySettings>(kModuleCopy, 0, 2 * 3 * 3, [](uint32_t n, CutCopySettings* s) {
    FillSpan(n, s);
    s->copy = 1;
  });
}

TEST_F(ModuleTextForms, ValuesBeyondTheirLimitsAreCutAsTheyAreRead) {
  EXPECT_EQ(ReadValue(L"<Enum,n,0,-5,1>", &EnumSettings::start), -5);
  EXPECT_EQ(ReadValue(L"<Enum,n,0,4294967291,1>", &EnumSettings::start), -5);
  EXPECT_EQ(ReadValue(L"<Enum,n,0,99999999999,1>", &EnumSettings::start), INT32_MAX);
  EXPECT_EQ(ReadValue(L"<Enum,n,0,0,-99999999999>", &EnumSettings::step), INT32_MIN);
  EXPECT_EQ(ReadValue(L"<Enum,n,0,1,1,300x0>", &EnumSettings::width), 100u);
  EXPECT_EQ(ReadValue(L"<Enum,n,0,1,1,003x0>", &EnumSettings::width), 3u);
  EXPECT_EQ(ReadValue(L"<Enum,n,0,1,1,0>", &EnumSettings::width), 0u);
  EXPECT_EQ(ReadValue(L"<Enum,n,0,1,1,0x0>", &EnumSettings::fill), 0);
  EXPECT_EQ(ReadValue(L"<Enum,n,300,1,1>", &EnumSettings::position), 300u);
  EXPECT_EQ(ReadValue(L"<Ins,n,l,250,\"x\">", &InsSettings::position), 249u);
  EXPECT_EQ(ReadValue(L"<Crop,n,l,300,300>", &CropSettings::position), 249u);
  EXPECT_EQ(ReadValue(L"<Crop,n,l,0,300>", &CropSettings::count), 250u);
  EXPECT_EQ(ReadValue(L"<Crop,n,l,0,250>", &CropSettings::count), 250u);
  EXPECT_EQ(ReadValue(L"<Date,n,m,300,\"d\">", &DateTimeSettings::position), 249u);
  EXPECT_EQ(ReadValue(L"<Time,n,x,0,\"H\">", &DateTimeSettings::source), L'm');
  EXPECT_EQ(ReadValue(L"<Dir,n,l,999>", &DirSettings::position), 249u);
  EXPECT_EQ(ReadValue(L"<Cut,n,300,300,300>", &CutCopySettings::length), 250u);
  EXPECT_EQ(ReadValue(L"<Cut,n,300,300,300>", &CutCopySettings::target), 249u);
  EXPECT_EQ(ReadValue(L"<Copy,n,0,1,0;\"c\">", &CutCopySettings::copy), 1);
  EXPECT_EQ(ReadValue(L"<Sbst,n,ca\"a\",\"b\">", &SbstSettings::everyOccurrence), 'a');
}

TEST_F(ModuleTextForms, DefaultStepsDoWhatTheirKeysSayAndComeBackThroughSaveAndLoad) {
  for (uint32_t module : {kModuleEnum, kModuleIns, kModuleCrop, kModuleSbst, kModuleDate, kModuleTime, kModuleDir,
                          kModuleDos, kModuleCut, kModuleCopy}) {
    ModuleInstance* settings = CreateDefaultModule(module);
    ASSERT_NE(settings, nullptr) << module;
    const std::wstring text = Serialized(settings);
    ModuleInstance* loaded = CreateModuleFromText(text.c_str());
    ASSERT_NE(loaded, nullptr) << Narrow(text);
    EXPECT_EQ(Serialized(loaded), text);
    EXPECT_EQ(loaded->moduleIndex, module);
    EXPECT_EQ(loaded->flags, settings->flags);
    FreeModuleInstance(loaded);
    FreeModuleInstance(settings);
  }
  ModuleInstance* copy = CreateDefaultModule(kModuleCopy);
  wchar_t name[260] = L"ab";
  EXPECT_EQ(ApplyModuleToFileName(copy, nullptr, name, 260), 0);
  EXPECT_STREQ(name, L"aab") << "a Copy step copies also before it was ever saved";
  FreeModuleInstance(copy);
}

TEST_F(ModuleTextForms, RefusesMalformedTexts) {
  for (const wchar_t* text :
       {L"<Enum,n,0,1,0>", L"<Enum,x,0,1,1>", L"<Enum,n,0,1>", L"<Enum,n,-1,1,1>", L"<Enum,n,0,1,1,3>",
        L"<Enum,n,0,1,1,3y0>", L"<Enum,n,0,1,1,3x", L"<Enum,n,0,1,1x>", L"<Ins,x,l,0,\"a\">", L"<Ins,n,x,0,\"a\">",
        L"<Ins,n,l,0,a>", L"<Ins,n,l,0>", L"<Ins,n,l,,\"a\">", L"<Crop,n,l,0,0>", L"<Crop,x,l,0,1>",
        L"<Crop,n,c,0,1>", L"<Crop,n,l,0>", L"<Crop,n,l,0,1", L"<Sbst,n,\"a\">", L"<Sbst,n,a,\"a\">",
        L"<Sbst,x,\"a\",\"b\">", L"<Sbst,n,\"a\" \"b\">", L"<Sbst,n,a>", L"<Date,n,m,-1,\"x\">",
        L"<Date,x,m,0,\"x\">", L"<Date,n,m,0,x>", L"<Time,n,m,0>", L"<Date,n,m,0,\"x\"", L"<Dir,n,x,0>",
        L"<Dir,x,l,0>", L"<Dir,n,l>", L"<DOS,*.bak>", L"<DOS>", L"<DOS,\"*.bak\"x>", L"<Cut,n,0,0,1>",
        L"<Cut,x,0,1,1>", L"<Copy,n,0,1>", L"<Cut,n,0,1,1x>", L"<Cut,n, 0,1,1>", L"<DOS,\"*.bak\"junk;\"x\">",
        L"<Dir,n,l,0 ;\"x\">", L"<Sbst,n,\"a\",\"b\" ;\"x\">"}) {
    ModuleInstance* settings = CreateModuleFromText(text);
    EXPECT_EQ(settings, nullptr) << Narrow(text);
    FreeModuleInstance(settings);
  }
}

TEST_F(ModuleTextForms, DescriptionsAreBuiltFromUiTexts) {
  static const UiStringRecord kUiTexts[] = {
      {-1, L"US"},       {2301, L"Name"},      {2309, L"Modified"},  {2310, L"Created"},   {13211, L"Extension"},
      {13215, L"Insert"}, {13216, L"at"},      {13220, L"left"},     {13221, L"right"},    {13223, L"Remove"},
      {13224, L"from"},  {13231, L"Numbering"}, {13232, L"start"},   {13235, L"step"},     {13238, L"width"},
      {13241, L"fill"},  {13244, L"position"}, {13248, L"Replace"},  {13250, L"with"},     {13252, L"case"},
      {13253, L"all"},   {13276, L"Date"},     {13283, L"Time"},     {13291, L"Folder at"}, {13292, L"DOS"},
      {13297, L"Move"},  {13298, L"Copy"},     {13299, L"to"},       {0, nullptr}};
  const UiTextScope texts(kUiTexts);
  const struct {
    const wchar_t* step;
    const wchar_t* description;
  } cases[] = {
      {L"<Enum,n,0,4294967291,-2,3x0>", L"Name, Numbering, position 1, start -5, step -2, width 3 fill '0'"},
      {L"<Enum,e,4,1,1>", L"Extension, Numbering, position 5, start 1, step 1"},
      {L"<Ins,n,r,2,\"ab\">", L"Name, Insert \"ab\" at 3 right"},
      {L"<Crop,e,l,0,4>", L"Extension, Remove 4 from 1 left"},
      {L"<Sbst,n,c,a,\"a\",\"b\">", L"Name, Replace \"a\" with \"b\" , case, all"},
      {L"<Sbst,n,\"a\",\"\">", L"Name, Replace \"a\" with \"\" "},
      {L"<Date,n,c,4,\"yyyy\">", L"Name, Date - Created \"yyyy\", position 5"},
      {L"<Time,e,m,0,\"HH\">", L"Extension, Time - Modified \"HH\", position 1"},
      {L"<Date,n,a,0,\"d\">", L"Name, Date, position 1"},
      {L"<Dir,n,l,0>", L"Name, Folder at 1 left"},
      {L"<DOS,\"*.bak\">", L"DOS, *.bak"},
      {L"<DOS,\"\">", L"DOS"},
      {L"<Cut,n,0,3,2>", L"Name, Move 3 from 1 to 3"},
      {L"<Copy,e,1,2,0>", L"Extension, Copy 2 from 2 to 1"},
  };
  for (const auto& c : cases) {
    ModuleInstance* settings = CreateModuleFromText(c.step);
    ASSERT_NE(settings, nullptr) << Narrow(c.step);
    wchar_t text[512];
    DescribeModuleInstance(settings, text, 512);
    EXPECT_STREQ(text, c.description) << Narrow(c.step);
    FreeModuleInstance(settings);
  }
}
