// The rename modules' fields as field references reach them once the module field source is registered: a
// reference resolves to the module's field and fetches its value; a file row's kept values go with the row.
#include "engine/file_list_fields.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/module_table.h"
#include "foundation/win32/column_layout.h"
#include "metadata/field_references.h"
#include "metadata/field_values.h"
#include "metadata/module_field_source.h"
#include "metadata/plugin_interface.h"
#include "views/file_list_row.h"

namespace {

constexpr uint32_t kSpareSlot = kModuleSlotCount - 1;

void EnumerateDepthFields(ModuleFieldCallback callback, void* userData) {
  if (callback(L"Depth", L"Depth", 3, kFieldInteger, userData) == 0) callback(L"Tone", L"Tone", 4, 15, userData);
}

int DepthFieldValue(const void* context, int field, void* out, int) {
  if (field != 3 || context == nullptr) return 0;
  const int32_t depth = 24;
  memcpy(out, &depth, sizeof depth);
  return kFieldInteger;
}

class FileListFields : public testing::Test {
 protected:
  void SetUp() override {
    InitModuleDescriptors();
    ModuleDescriptor& spare = g_moduleDescriptors[kSpareSlot];
    spare.enumerateFields = EnumerateDepthFields;
    spare.fieldValue = DepthFieldValue;
    spare.keyName = L"Depth";
    RegisterModuleFieldSource();
  }
  void TearDown() override {
    g_moduleDescriptors[kSpareSlot] = ModuleDescriptor{};
    g_moduleFieldSource = ModuleFieldSource{};
  }
};

}  // namespace

TEST_F(FileListFields, ReferencesReachTheRegisteredModulesFields) {
  const struct {
    const wchar_t* source;
    const wchar_t* field;
    int fieldIndex;
    int type;
    int value;
  } cases[] = {
      {L"Depth", L"Depth", kSpareSlot * 256 + 3, kFieldInteger, 24},
      {L"Depth", L"Tone", kSpareSlot * 256 + 4, 0, 0},
      {L"Depth", L"depth", 0, 0, 0},
      {L"Case", L"Depth", 0, 0, 0},
  };
  for (const auto& c : cases) {
    FieldReference reference;
    EXPECT_EQ(ResolveFieldReference(c.source, c.field, &reference), c.fieldIndex);
    if (c.fieldIndex == 0) continue;
    EXPECT_EQ(reference.source, static_cast<int16_t>(kSpareSlot * 256));
    uint8_t value[kFieldValueBufferBytes] = {};
    EXPECT_EQ(GetFieldValueForFile(reference.source, L"C:\\a.png", reference.fieldIndex, 0, value, kFieldValueBytes),
              c.type);
    int32_t number = 0;
    memcpy(&number, value, sizeof number);
    EXPECT_EQ(number, c.value);
  }
}

TEST_F(FileListFields, ARowsKeptValuesGoWithIt) {
  FileListRow row = {};
  FieldValueNode* values = nullptr;
  const ColumnLayout layout[] = {{-1, 80, 0, 0}, {0, 1, 0, 0}};
  ASSERT_TRUE(CreateFieldReferenceList());
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"Depth", L"Depth"), 1);
  ASSERT_EQ(LoadMissingFieldValues(g_columnFieldList, &values, L"C:\\a.png", layout), 1);
  row.fieldValues = values;
  FreeItemFieldValuesCallback(reinterpret_cast<uint8_t*>(&row));
  EXPECT_EQ(row.fieldValues, nullptr);
  DestroyFieldReferenceList();
}
