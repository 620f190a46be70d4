// Field values: the text and sort forms of each field type, the values a file row keeps for its field columns
// (also for many rows read together), and values that fill the whole buffer a source was given.
#include "metadata/field_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "foundation/text/locale_separators.h"
#include "foundation/win32/column_layout.h"
#include "metadata/field_references.h"
#include "metadata/plugin_interface.h"
#include "tests/metadata/module_field_fake.h"
#include "tests/metadata/plugin_scope.h"

namespace {

const UiStringRecord kValueTexts[] = {{-1, L"US"}, {95, L"Yes"}, {96, L"No"}, {0, nullptr}};

FieldValueData Number(int64_t number) {
  FieldValueData value = {};
  value.number = number;
  return value;
}

FieldValueData Floating(double floating) {
  FieldValueData value = {};
  value.floating = floating;
  return value;
}

FieldValueData Text(const void* text) {
  FieldValueData value = {};
  value.text = const_cast<void*>(text);
  return value;
}

std::wstring Formatted(int type, const FieldValueData& value) {
  wchar_t text[64];
  FormatPluginFieldValue(type, value, text, 64);
  return text;
}

}  // namespace

TEST(FieldValues, EachTypeHasItsTextAndSortForm) {
  ProgramStateScope state;
  state.UseTexts(kValueTexts);
  const std::wstring oneAndAHalf = std::wstring(L"1") + GetDecimalSeparator() + L"50";
  const struct {
    int type;
    FieldValueData value;
    std::wstring text;
    int kind;
    int64_t number;
  } cases[] = {
      {kFieldInteger, Number(42), L"42", kFieldNumber32, 42},
      {kFieldInteger, Number(-1), L"", kFieldNoValue, 0},
      {kFieldInteger64, Number(999), L"999", kFieldNumber64, 999},
      {kFieldInteger64, Number(-1), L"", kFieldNoValue, 0},
      {kFieldFloating, Floating(1.5), oneAndAHalf, kFieldNumber64, 150},
      {kFieldDate, Number(3 | 2 << 5 | 2023 << 9), L"03.02.2023", kFieldNumber32, 3 | 2 << 5 | 2023 << 9},
      {kFieldDate, Number(0xFFFFFFFF), L"", kFieldNumber32, 0xFFFFFFFF},
      {kFieldTime, Number(13 << 12 | 5 << 6 | 9), L"13:05:09", kFieldNumber32, 13 << 12 | 5 << 6 | 9},
      {kFieldBoolean, Number(0), L"No", kFieldNumber32, 0},
      {kFieldBoolean, Number(1), L"Yes", kFieldNumber32, 1},
      {kFieldFileTime, Number(133000000000000000), L"", kFieldNumber64, 133000000000000000},
      {kFieldNone, Number(5), L"", kFieldNoValue, 0},
  };
  for (const auto& c : cases) {
    if (c.type != kFieldFileTime) {
      EXPECT_EQ(Formatted(c.type, c.value), c.text) << "type " << c.type;
    }
    int64_t number = 0;
    EXPECT_EQ(GetPluginFieldNumber(c.type, c.value, &number, sizeof number), c.kind) << "type " << c.type;
    const int64_t kept = c.kind == kFieldNumber32 ? static_cast<uint32_t>(number) : number;
    if (c.kind != kFieldNoValue) {
      EXPECT_EQ(kept, c.number) << "type " << c.type;
    }
  }
  const struct {
    int type;
    const void* text;
    const wchar_t* shown;
  } texts[] = {
      {kFieldMultipleChoice, "green", L"green"}, {kFieldText, "abc", L"abc"},   {kFieldWideText, L"wide", L"wide"},
      {kFieldModuleText, L"mod", L"mod"},         {kFieldFullText, "hidden", L""}, {kFieldText, nullptr, L""},
  };
  for (const auto& c : texts) {
    EXPECT_EQ(Formatted(c.type, Text(c.text)), c.shown) << "type " << c.type;
    wchar_t sortText[16] = L"-";
    const int kind = GetPluginFieldNumber(c.type, Text(c.text), sortText, sizeof sortText);
    EXPECT_EQ(kind, c.shown[0] != 0 ? kFieldTextValue : kFieldNoValue) << "type " << c.type;
    if (kind == kFieldTextValue) {
      EXPECT_STREQ(sortText, c.shown);
    }
  }
}

TEST(FieldValues, KeptCopiesEndWithinTheBufferTheSourceWasGiven) {
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_TRUE(CreateFieldReferenceList());
  const int entry = AddPluginFieldEntry(g_columnFieldList, L"", L"Test", L"Long");
  ASSERT_GT(entry, 0);
  const FieldReference* reference = FieldReferenceAt(g_columnFieldList, entry);
  uint8_t buffer[kFieldValueBufferBytes];
  memset(buffer, 0xFF, sizeof buffer);
  buffer[kFieldValueBufferBytes - 1] = buffer[kFieldValueBufferBytes - 2] = 0;
  const std::wstring path = scope.File(L"long.txt");
  ASSERT_EQ(GetFieldValueForFile(reference->source, path.c_str(), reference->fieldIndex, 0, buffer, kFieldValueBytes),
            kFieldWideText);
  FieldValueData copy = CopyPluginFieldValue(kFieldWideText, buffer, kFieldValueBytes, false);
  ASSERT_NE(copy.text, nullptr);
  EXPECT_EQ(wcslen(static_cast<wchar_t*>(copy.text)), static_cast<size_t>(kFieldValueBytes / 2));
  FreeFieldValueData(kFieldWideText, &copy);
  EXPECT_EQ(copy.text, nullptr);
  DestroyFieldReferenceList();
}

TEST(FieldValues, ARowKeepsTheValuesOfItsFieldColumns) {
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ModuleFieldFake fake;
  ASSERT_TRUE(CreateFieldReferenceList());
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"Test", L"Size"), 1);
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"Test", L"WName"), 2);
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"EXIF", L"Width"), 3);
  const ColumnLayout layout[] = {{-1, 80, 1, 0}, {50, 150, 0, 0}, {-2, 80, 2, 0}, {-3, 80, 3, 0}, {0, 1, 0, 0}};
  const int width = kFakeModule << 8;
  const int never = kFakeModule << 8 | 1;
  const struct {
    const wchar_t* name;
    int read;
    const wchar_t* texts[3];
    int sizeKind;
  } cases[] = {
      {L"abc.txt", 3, {L"5", L"abc.txt", L"640"}, kFieldNumber64},
      {L"abc.bin", 3, {L"", L"", L"640"}, kFieldNoValue},
  };
  for (const auto& c : cases) {
    const std::wstring path = scope.File(c.name, "12345");
    FieldValueNode* head = nullptr;
    EXPECT_EQ(LoadMissingFieldValues(g_columnFieldList, &head, path.c_str(), layout), c.read);
    EXPECT_EQ(LoadMissingFieldValues(g_columnFieldList, &head, path.c_str(), layout), 0) << "kept values are not read again";
    for (int column = 0; column < 3; ++column) {
      wchar_t text[64];
      FormatFieldValueFromList(-(column + 1), head, text, 64);
      EXPECT_STREQ(text, c.texts[column]) << NarrowText(c.name) << " column " << column;
    }
    int64_t number = 0;
    EXPECT_EQ(GetFieldValue(g_columnFieldList, -1, &head, path.c_str(), &number, sizeof number), c.sizeKind);
    if (c.sizeKind != kFieldNoValue) {
      EXPECT_EQ(number, 5);
    }
    EXPECT_EQ(GetFieldValue(g_columnFieldList, width, &head, path.c_str(), &number, sizeof number), kFieldNumber32);
    EXPECT_EQ(static_cast<int32_t>(number), 640);
    EXPECT_NE(FindFieldValueNode(head, width), nullptr) << "a module field's value is kept under its id";
    EXPECT_EQ(GetFieldValue(g_columnFieldList, never, &head, path.c_str(), &number, sizeof number), kFieldNoValue);
    FreeFieldValueList(&head);
    EXPECT_EQ(head, nullptr);
  }
  DestroyFieldReferenceList();
}

TEST(FieldValues, RowsReadTogetherKeepWhatEachReadsAlone) {
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ASSERT_TRUE(CreateFieldReferenceList());
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"Test", L"Size"), 1);
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"Test", L"WName"), 2);
  // The size column twice: its value is read once.
  const ColumnLayout layout[] = {{-1, 80, 1, 0}, {-2, 80, 2, 0}, {-1, 80, 1, 0}, {0, 1, 0, 0}};
  const struct {
    const wchar_t* name;
    const char* bytes;
    const wchar_t* texts[2];
  } files[] = {{L"abc.txt", "12345", {L"5", L"abc.txt"}},
               {L"de.bin", "12", {L"", L""}},
               {L"fgh.txt", "123", {L"3", L"fgh.txt"}}};
  std::wstring paths[3];
  FieldValueNode* heads[3] = {};
  FieldValueRow rows[3];
  for (int r = 0; r < 3; ++r) {
    paths[r] = scope.File(files[r].name, files[r].bytes);
    rows[r] = {paths[r].c_str(), &heads[r], 0};
  }
  LoadMissingFieldValuesForRows(g_columnFieldList, rows, 3, layout);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(rows[r].read, 2) << "a value for each column, also none from a plug-in that does not serve the file";
    for (int column = 0; column < 2; ++column) {
      wchar_t text[64];
      FormatFieldValueFromList(-(column + 1), heads[r], text, 64);
      EXPECT_STREQ(text, files[r].texts[column]) << NarrowText(files[r].name) << " column " << column;
    }
    FreeFieldValueList(&heads[r]);
  }
  DestroyFieldReferenceList();
}
