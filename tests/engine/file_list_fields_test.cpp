// The rename modules' fields as field references reach them once the module field source is registered: a
// reference resolves to the module's field and fetches its value; a file row's kept values go with the row, and
// not before a reader that may hold them is done.
#include "engine/file_list_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "engine/module_table.h"
#include "foundation/win32/column_layout.h"
#include "metadata/field_references.h"
#include "metadata/field_values.h"
#include "metadata/module_field_source.h"
#include "metadata/plugin_interface.h"
#include "tests/engine/preview_fixture.h"
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

namespace {

// The probe module's fields: "Depth" (3) answers at once, "Later" (4) holds its caller inside the read until the
// test lets it go.
struct ReadGate {
  HANDLE inside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~ReadGate() {
    CloseHandle(inside);
    CloseHandle(release);
  }
};
ReadGate* g_gate = nullptr;
volatile LONG g_nodesFreed = 0;

constexpr DWORD kGateWaitMs = 20000;

void EnumerateProbeFields(ModuleFieldCallback callback, void* userData) {
  if (callback(L"Depth", L"Depth", 3, kFieldInteger, userData) == 0) callback(L"Later", L"Later", 4, kFieldInteger, userData);
}

int ProbeFieldValue(const void* context, int field, void* out, int) {
  if (context == nullptr || (field != 3 && field != 4)) return 0;
  if (field == 4) {
    SetEvent(g_gate->inside);
    WaitForSingleObject(g_gate->release, kGateWaitMs);
  }
  const int32_t value = field == 3 ? 24 : 7;
  memcpy(out, &value, sizeof value);
  return kFieldInteger;
}

class FieldReaders : public PreviewFixture {
 protected:
  FieldReaders() {
    g_moduleDescriptors[kProbeModule].enumerateFields = EnumerateProbeFields;
    g_moduleDescriptors[kProbeModule].fieldValue = ProbeFieldValue;
    RegisterModuleFieldSource();
    g_gate = &gate_;
    g_nodesFreed = 0;
    previousHook_ = SetFieldValueFreeHook([](const FieldValueNode*) { InterlockedIncrement(&g_nodesFreed); });
  }
  ~FieldReaders() override {
    SetFieldValueFreeHook(previousHook_);
    g_gate = nullptr;
    g_moduleFieldSource = ModuleFieldSource{};
  }

  ReadGate gate_;
  FieldValueFreeHook previousHook_ = nullptr;
};

constexpr int kDepthId = kProbeModule << 8 | 3;
constexpr int kLaterId = kProbeModule << 8 | 4;

}  // namespace

// A sort or a listing's batch reads the row's values while the row's values go: the nodes it may hold stay until
// it is done, then go with what it added, and the row is not given them back.
TEST_F(FieldReaders, ValuesFreedUnderAReaderGoWhenItLeavesAndStayOffTheRow) {
  ColumnLayout layout[] = {{-1, 80, 0, 0}, {0, 1, 0, 0}};
  ASSERT_TRUE(CreateFieldReferenceList());
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"", L"Probe", L"Later"), 1);
  files_->creation.columns = layout;
  const struct {
    bool sort;
    bool keptBefore;
    LONG freedAfter;
  } cases[] = {{true, true, 2}, {true, false, 1}, {false, true, 2}, {false, false, 1}};
  const uint32_t folder = AddFolder(L"C:\\d");
  for (const auto& c : cases) {
    AddFile(folder, L"a.png");
    FileListRow* row = Row(0);
    int64_t number = 0;
    if (c.keptBefore) {
      ASSERT_EQ(FileListFieldSortValue(kDepthId, row, &number, sizeof number), kFieldNumber32);
    }
    const FieldValueNode* kept = row->fieldValues;
    ResetEvent(gate_.inside);
    ResetEvent(gate_.release);
    g_nodesFreed = 0;
    int kind = -1;
    std::thread reader([&] {
      if (c.sort) kind = FileListFieldSortValue(kLaterId, row, &number, sizeof number);
      if (!c.sort) LoadFileListFieldValues(nullptr);
    });
    ASSERT_EQ(WaitForSingleObject(gate_.inside, kGateWaitMs), WAIT_OBJECT_0);
    FreeItemFieldValuesCallback(reinterpret_cast<uint8_t*>(row));
    EXPECT_EQ(row->fieldValues, nullptr);
    EXPECT_EQ(g_nodesFreed, 0) << "the reader may still hold the values";
    if (kept != nullptr) {
      EXPECT_EQ(kept->id, kDepthId);
      EXPECT_EQ(kept->value.number, 24);
    }
    SetEvent(gate_.release);
    reader.join();
    if (c.sort) {
      EXPECT_EQ(kind, kFieldNumber32);
      EXPECT_EQ(static_cast<int32_t>(number), 7);
    }
    EXPECT_EQ(row->fieldValues, nullptr) << "the values read meanwhile are not given to the row";
    EXPECT_EQ(g_nodesFreed, c.freedAfter) << "everything goes once the reader is done";
    ASSERT_EQ(FileListFieldSortValue(kDepthId, row, &number, sizeof number), kFieldNumber32);
    EXPECT_NE(row->fieldValues, nullptr) << "with nothing freed meanwhile, the row takes what was read";
    FreeItemFieldValuesCallback(reinterpret_cast<uint8_t*>(row));
    EXPECT_EQ(g_nodesFreed, c.freedAfter + 1) << "with no reader left, values go at once";
    ASSERT_EQ(ItemStoreRemove(&files_->rows, 0), 0);
  }
  files_->creation.columns = nullptr;
  DestroyFieldReferenceList();
}
