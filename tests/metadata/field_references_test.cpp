// Field references: resolving source and field texts against a module's fields and the test plug-in, the
// list of the field columns, and the written form of a field column.
#include "metadata/field_references.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "foundation/core/jobs.h"
#include "foundation/core/record_buffer.h"
#include "foundation/program_state_scope.h"
#include "foundation/ui/ui_strings.h"
#include "metadata/module_field_source.h"
#include "tests/metadata/module_field_fake.h"
#include "tests/metadata/plugin_scope.h"

TEST(FieldReferences, ResolveFieldsAndUnitsOfAPlugin) {
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  const struct {
    const wchar_t* source;
    const wchar_t* field;
    bool found;
    const wchar_t* fieldName;
    int unitIndex;
    const wchar_t* unitName;
  } cases[] = {
      {L"Test", L"Size.KB", true, L"Size", 1, L"KB"},
      {L"Test", L"size.mb", true, L"size", 2, L"mb"},
      {L"Test", L"Size", true, L"Size", 0, L""},
      {L"Test", L"Bulk.B", true, L"Bulk", 1, L"B"},
      {L"Test", L"Bulk.MB", true, L"Bulk", 0, L"MB"},
      {L"Test", L"Size.GB", true, L"Size", 0, L"GB"},
      {L"Test", L"Nothing", false, L"", 0, L""},
      {L"Absent", L"Size", false, L"", 0, L""},
      {L"", L"Size", false, L"", 0, L""},
  };
  for (const auto& c : cases) {
    FieldReference reference;
    EXPECT_EQ(ResolveFieldReference(c.source, c.field, &reference) > 0, c.found) << NarrowText(c.field);
    EXPECT_STREQ(reference.fieldName, c.fieldName);
    EXPECT_EQ(reference.unitIndex, c.unitIndex) << NarrowText(c.field);
    EXPECT_STREQ(reference.unitName, c.unitName);
    if (c.found) {
      EXPECT_EQ(reference.type, 2);
    }
  }
}

TEST(FieldReferences, AModuleFieldWinsOverAPluginFieldOfTheSameSource) {
  PluginScope scope({PluginValue("EXIF", kPublishedPlugin)});
  ModuleFieldFake fake;
  const struct {
    const wchar_t* field;
    int source;
    int fieldIndex;
    int type;
  } cases[] = {
      {L"Size", kFakeModule * 256, kFakeModule * 256 + 1, 1},
      {L"Name", 0, 1, 8},
  };
  for (const auto& c : cases) {
    FieldReference reference;
    ASSERT_GT(ResolveFieldReference(L"EXIF", c.field, &reference), 0) << NarrowText(c.field);
    EXPECT_EQ(reference.source, c.source);
    EXPECT_EQ(reference.fieldIndex, c.fieldIndex);
    EXPECT_EQ(reference.type, c.type);
  }
}

TEST(FieldReferences, TheColumnListKeepsOneEntryPerReferenceAndWritesIt) {
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  ModuleFieldFake fake;
  ASSERT_TRUE(CreateFieldReferenceList());
  const int size = AddPluginFieldEntry(g_columnFieldList, L"", L"Test", L"Size.KB");
  EXPECT_EQ(size, 1);
  EXPECT_EQ(AddPluginFieldEntry(g_columnFieldList, nullptr, L"Test", L"Size.KB"), size);
  EXPECT_EQ(AddPluginFieldEntry(g_columnFieldList, L"Length", L"Test", L"Size"), 2);
  EXPECT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"EXIF", L"Size"), 3);
  EXPECT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"Test", L"Nothing"), 0);
  EXPECT_EQ(RecordBufferCount(g_columnFieldList), 3u);

  const struct {
    int column;
    const wchar_t* displayName;
    const wchar_t* written;
  } cases[] = {
      {-1, L"Size", L"[=Test=Size.KB]"},
      {-2, L"Length", L"[Length=Test=Size]"},
      {-3, L"Size", L"[=EXIF=Size]"},
      {-4, L"", L""},
  };
  for (const auto& c : cases) {
    wchar_t text[256];
    GetPluginFieldName(g_columnFieldList, c.column, text, 256);
    EXPECT_STREQ(text, c.displayName);
    FormatCustomColumnSpec(g_columnFieldList, c.column, text, 256);
    EXPECT_STREQ(text, c.written);
    GetTextById(static_cast<uint16_t>(c.column), text, 256);
    EXPECT_STREQ(text, c.displayName) << "the UI text of a field column's id";
  }
  DestroyFieldReferenceList();
  EXPECT_EQ(g_columnFieldList, nullptr);
}

TEST(FieldReferences, TheColumnListKeepsItsBlockWhileAJobMayReadIt) {
  ProgramStateScope state;
  ModuleFieldFake fake;
  RecordBuffer list;
  RecordBufferInit(&list, false);
  ASSERT_EQ(AddPluginFieldEntry(&list, L"0", L"EXIF", L"Width"), 1);
  ASSERT_TRUE(BeginExclusiveJob()) << "a listing, which reads the list for its field values";
  const uint8_t* block = RecordBufferData(&list);
  auto name = [](int i) { return std::to_wstring(i); };
  int refused = -1;
  for (int i = 1; i < 1000 && refused < 0; ++i) {
    if (AddPluginFieldEntry(&list, name(i).c_str(), L"EXIF", L"Width") == 0) refused = i;
  }
  EXPECT_EQ(RecordBufferData(&list), block) << "the block the job reads did not move";
  EXPECT_EQ(refused, static_cast<int>(RecordBufferCount(&list))) << "entries are stored in the room left, then refused";
  EndExclusiveJob();
  EXPECT_EQ(AddPluginFieldEntry(&list, name(refused).c_str(), L"EXIF", L"Width"), refused + 1)
      << "stored once the job has ended";
  RecordBufferDestroy(&list);
}
