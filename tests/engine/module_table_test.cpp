// Dispatch through the module table: finding modules by key, splitting and rejoining names around a module's
// apply, and the fixed results when a module throws or faults. A probe module fills the spare slot.
#include "engine/module_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/modules/case_module.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "support/caught_faults.h"

namespace {

constexpr uint32_t kProbeSlot = kModuleSlotCount - 1;

// How the probe behaves in its next calls.
enum class ProbeMode { kWork, kThrow, kFault, kRefuse, kValueMissing, kFaultCaughtInside };

struct ProbeState {
  ProbeMode mode = ProbeMode::kWork;
  std::wstring sawName;
  std::wstring sawExtension;
  const void* sawContext = nullptr;
  // What apply writes into the parts when it works.
  std::wstring newName = L"renamed";
  std::wstring newExtension = L"out";
  int prepared = 0;
  int freed = 0;
};

ProbeState g_probe;
volatile int* volatile g_nowhere = nullptr;

struct ProbeSettings {
  ModuleInstance header;
  int32_t marker;
};

// Fails the way the probe is told to; returns normally otherwise.
void Misbehave() {
  if (g_probe.mode == ProbeMode::kThrow || g_probe.mode == ProbeMode::kFault) ExpectCaughtFaults();
  if (g_probe.mode == ProbeMode::kThrow) throw std::runtime_error("probe failed");
  if (g_probe.mode == ProbeMode::kFault) *g_nowhere = 1;
}

ModuleInstance* CreateProbe(const wchar_t*) {
  Misbehave();
  if (g_probe.mode == ProbeMode::kRefuse) return nullptr;
  ProbeSettings* settings = static_cast<ProbeSettings*>(AllocZeroed(sizeof(ProbeSettings)));
  settings->header.flags = kApplyNeedsPath;
  settings->marker = 1;
  return &settings->header;
}

int SerializeProbe(const ModuleInstance*, wchar_t* text, int capacity) {
  AppendWideBounded(L"Probe,", text, capacity);
  Misbehave();
  return AppendWideBounded(L"1>", text, capacity);
}

void DescribeProbe(const ModuleInstance*, wchar_t* text, int capacity) {
  AppendWideBounded(L"probe", text, capacity);
  Misbehave();
  AppendWideBounded(L" step", text, capacity);
}

void ProbeTitle(wchar_t* text, int capacity) {
  Misbehave();
  CopyWideBounded(L"Probe title", text, capacity);
}

void PrepareProbe(ModuleInstance*) {
  ++g_probe.prepared;
  Misbehave();
}

int ApplyProbe(ModuleApplyRecord* record) {
  g_probe.sawName = record->name;
  g_probe.sawExtension = record->extension;
  g_probe.sawContext = record->context;
  // A failing module may have scribbled over the parts before it fails.
  CopyWideBounded(L"half-done", record->name, kApplyPartCapacity);
  Misbehave();
  if (g_probe.mode == ProbeMode::kRefuse) return 5;
  // A step set to fail for a file that lacks a value, as the pattern steps answer then.
  if (g_probe.mode == ProbeMode::kValueMissing) return -1;
  if (g_probe.mode == ProbeMode::kFaultCaughtInside) {
    // A reader or plug-in of the module faults under a guard of its own, and the module answers as if all went well.
    ExpectCaughtFaults();
    GuardedCall(0, [] { return *g_nowhere = 1; });
  }
  CopyWideBounded(g_probe.newName.c_str(), record->name, kApplyPartCapacity);
  CopyWideBounded(g_probe.newExtension.c_str(), record->extension, kApplyPartCapacity);
  return 0;
}

void FreeProbe(ModuleInstance* settings) {
  ++g_probe.freed;
  FreeModuleInstanceMemory(settings);
}

int ShowProbeDialog(ModuleDialogParam* param, ModuleInstance*, const void*, const wchar_t*) {
  Misbehave();
  if (g_probe.mode == ProbeMode::kRefuse) return 0;
  param->settings = CreateProbe(nullptr);
  return 1;
}

void EnumerateProbeFields(ModuleFieldCallback callback, void* userData) {
  if (callback(L"Width", L"Width", 0, 1, userData) == 0) callback(L"Height", L"Height", 1, 1, userData);
}

int ProbeFieldValue(const void*, int fieldIndex, void* out, int) {
  static_cast<int32_t*>(out)[1] = 77;
  return fieldIndex + 10;
}

class ModuleTable : public testing::Test {
 protected:
  void SetUp() override {
    InitModuleDescriptors();
    g_probe = ProbeState{};
    ModuleDescriptor& probe = g_moduleDescriptors[kProbeSlot];
    probe = ModuleDescriptor{};
    probe.serialize = SerializeProbe;
    probe.describe = DescribeProbe;
    probe.comment = DescribeProbe;
    probe.title = ProbeTitle;
    probe.createSettings = CreateProbe;
    probe.showDialog = ShowProbeDialog;
    probe.prepare = PrepareProbe;
    probe.apply = ApplyProbe;
    probe.freeSettings = FreeProbe;
    probe.enumerateFields = EnumerateProbeFields;
    probe.fieldValue = ProbeFieldValue;
    probe.keyName = L"Probe";
  }

  void TearDown() override { g_moduleDescriptors[kProbeSlot] = ModuleDescriptor{}; }

  // A probe step made while the probe works.
  ModuleInstance* NewProbe() {
    const ProbeMode mode = g_probe.mode;
    g_probe.mode = ProbeMode::kWork;
    ModuleInstance* settings = CreateModuleFromText(L"<Probe,1>");
    g_probe.mode = mode;
    return settings;
  }

  // Applies a step to `name` in a buffer of `capacity`; the result and the name afterwards.
  static std::pair<int, std::wstring> Apply(ModuleInstance* settings, const std::wstring& name,
                                            int capacity = 260) {
    std::vector<wchar_t> buffer(static_cast<size_t>(capacity) + 1, L'#');
    CopyWideBounded(name.c_str(), buffer.data(), capacity);
    const int result = ApplyModuleToFileName(settings, L"C:\\folder\\file", buffer.data(), capacity);
    return {result, buffer.data()};
  }
};

}  // namespace

TEST_F(ModuleTable, FindsModulesByKeyIgnoringCase) {
  ModuleInstance* step = CreateModuleFromText(L"<case,n,2>");
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->moduleIndex, static_cast<uint32_t>(kModuleCase));
  EXPECT_EQ(reinterpret_cast<CaseSettings*>(step)->conversion, 2);
  FreeModuleInstance(step);

  EXPECT_EQ(CreateModuleFromText(L"<Cases,n,2>"), nullptr);
  EXPECT_EQ(CreateModuleFromText(L"case,n,2>"), nullptr);
  EXPECT_EQ(CreateModuleFromText(L"<,n,2>"), nullptr);
  EXPECT_EQ(CreateModuleFromText(L""), nullptr);
  EXPECT_EQ(CreateModuleFromText(nullptr), nullptr);

  ModuleInstance* probe = CreateModuleFromText(L"<PROBE,1>");
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->moduleIndex, kProbeSlot);
  EXPECT_EQ(GetModuleInstanceFlags(probe), kApplyNeedsPath);
  FreeModuleInstance(probe);
  EXPECT_EQ(g_probe.freed, 1);
}

TEST_F(ModuleTable, CreatesDefaultStepsOfFilledSlotsOnly) {
  ModuleInstance* step = CreateDefaultModule(kModuleCase);
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->moduleIndex, static_cast<uint32_t>(kModuleCase));
  EXPECT_EQ(reinterpret_cast<CaseSettings*>(step)->part, L'n');
  EXPECT_EQ(reinterpret_cast<CaseSettings*>(step)->conversion, 1);
  FreeModuleInstance(step);
  EXPECT_EQ(CreateDefaultModule(kModuleSlotCount), nullptr);
  g_moduleDescriptors[kProbeSlot].createSettings = nullptr;
  EXPECT_EQ(CreateDefaultModule(kProbeSlot), nullptr);
}

TEST_F(ModuleTable, FailingCreationGivesNoStep) {
  for (ProbeMode mode : {ProbeMode::kThrow, ProbeMode::kFault, ProbeMode::kRefuse}) {
    g_probe.mode = mode;
    EXPECT_EQ(CreateModuleFromText(L"<Probe,1>"), nullptr);
    EXPECT_EQ(CreateDefaultModule(kProbeSlot), nullptr);
  }
}

TEST_F(ModuleTable, ModuleSeesNamePartAndExtensionPart) {
  ModuleInstance* probe = NewProbe();
  const struct {
    const wchar_t* name;
    const wchar_t* namePart;
    const wchar_t* extension;
  } cases[] = {{L"archive.tar.gz", L"archive.tar", L"gz"},
               {L".profile", L"", L"profile"},
               {L"README", L"README", L""},
               {L"trailing.", L"trailing", L""}};
  for (const auto& c : cases) {
    Apply(probe, c.name);
    EXPECT_EQ(g_probe.sawName, c.namePart) << c.name;
    EXPECT_EQ(g_probe.sawExtension, c.extension) << c.name;
  }
  EXPECT_STREQ(static_cast<const wchar_t*>(g_probe.sawContext), L"C:\\folder\\file");
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, RejoinsNameWithADotOnlyForAnExtension) {
  ModuleInstance* probe = NewProbe();
  EXPECT_EQ(Apply(probe, L"archive.tar.gz"), std::make_pair(0, std::wstring(L"renamed.out")));
  g_probe.newName = L"archive.tar";
  g_probe.newExtension = L"";
  EXPECT_EQ(Apply(probe, L"archive.tar.gz"), std::make_pair(0, std::wstring(L"archive.tar")));
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, FailingApplyLeavesTheNameAsTheStepBeforeMadeIt) {
  ModuleInstance* probe = NewProbe();
  // A module that throws or faults failed the step: not "no change".
  g_probe.mode = ProbeMode::kThrow;
  EXPECT_EQ(Apply(probe, L"photo.jpg"), std::make_pair(int{kStepFailed}, std::wstring(L"photo.jpg")));
  g_probe.mode = ProbeMode::kFault;
  EXPECT_EQ(Apply(probe, L"photo.jpg"), std::make_pair(int{kStepFailed}, std::wstring(L"photo.jpg")));
  g_probe.mode = ProbeMode::kRefuse;
  EXPECT_EQ(Apply(probe, L"photo.jpg"), std::make_pair(int{kStepLeftAlone}, std::wstring(L"photo.jpg")));
  // A step that fails for the file (a value it lacks) is no fault: the name stays and the next steps go on.
  g_probe.mode = ProbeMode::kValueMissing;
  EXPECT_EQ(Apply(probe, L"photo.jpg"), std::make_pair(int{kStepLeftAlone}, std::wstring(L"photo.jpg")));
  g_probe.mode = ProbeMode::kFaultCaughtInside;
  EXPECT_EQ(Apply(probe, L"photo.jpg"), std::make_pair(int{kStepFailed}, std::wstring(L"photo.jpg")));
  // The thread goes on working after the fault.
  g_probe.mode = ProbeMode::kWork;
  EXPECT_EQ(Apply(probe, L"photo.jpg"), std::make_pair(0, std::wstring(L"renamed.out")));
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, NameThatNoLongerFitsIsLeftUnchanged) {
  ModuleInstance* probe = NewProbe();
  g_probe.newName = std::wstring(300, L'n');
  const auto [result, name] = Apply(probe, L"photo.jpg");
  EXPECT_EQ(result, kStepNameTooLong);
  EXPECT_EQ(name, L"photo.jpg");
  g_probe.newName = std::wstring(255, L'n');
  EXPECT_EQ(Apply(probe, L"photo.jpg").second, std::wstring(255, L'n') + L".out");
  EXPECT_EQ(Apply(probe, L"photo.jpg", 259).first, kStepNameTooLong);
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, StepsWithoutApplyOrModuleLeaveTheNameAlone) {
  ModuleInstance* probe = NewProbe();
  g_moduleDescriptors[kProbeSlot].apply = nullptr;
  EXPECT_EQ(Apply(probe, L"photo.jpg"), std::make_pair(0, std::wstring(L"photo.jpg")));
  EXPECT_EQ(Apply(nullptr, L"photo.jpg"), std::make_pair(0, std::wstring(L"photo.jpg")));
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, SerializeWritesTheBracketAndReportsCutsAndFailures) {
  ModuleInstance* probe = NewProbe();
  wchar_t text[64] = L"old";
  EXPECT_EQ(SerializeModuleInstance(probe, text, 64), 0);
  EXPECT_STREQ(text, L"<Probe,1>");
  EXPECT_EQ(SerializeModuleInstance(probe, text, 6), 122);
  EXPECT_STREQ(text, L"<Prob");
  g_probe.mode = ProbeMode::kThrow;
  EXPECT_EQ(SerializeModuleInstance(probe, text, 64), 1627);
  EXPECT_STREQ(text, L"<Probe,");
  g_probe.mode = ProbeMode::kFault;
  EXPECT_EQ(SerializeModuleInstance(probe, text, 64), 1627);
  EXPECT_STREQ(text, L"<Probe,");
  g_moduleDescriptors[kProbeSlot].serialize = nullptr;
  EXPECT_EQ(SerializeModuleInstance(probe, text, 64), 50);
  EXPECT_STREQ(text, L"");
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, DescribeAndCommentKeepWhatWasWrittenBeforeAFailure) {
  ModuleInstance* probe = NewProbe();
  wchar_t text[64] = L"old";
  DescribeModuleInstance(probe, text, 64);
  EXPECT_STREQ(text, L"probe step");
  g_probe.mode = ProbeMode::kFault;
  DescribeModuleInstance(probe, text, 64);
  EXPECT_STREQ(text, L"probe");
  g_probe.mode = ProbeMode::kThrow;
  GetModuleInstanceComment(probe, text, 64);
  EXPECT_STREQ(text, L"probe");
  g_moduleDescriptors[kProbeSlot].comment = nullptr;
  GetModuleInstanceComment(probe, text, 64);
  EXPECT_STREQ(text, L"");
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, PrepareReachesTheModuleAndSurvivesItsFailure) {
  ModuleInstance* probe = NewProbe();
  PrepareModuleInstance(probe);
  g_probe.mode = ProbeMode::kFault;
  PrepareModuleInstance(probe);
  PrepareModuleInstance(nullptr);
  EXPECT_EQ(g_probe.prepared, 2);
  g_probe.mode = ProbeMode::kWork;
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, EditKeepsTheDialogsRecordOnlyWhenConfirmed) {
  ModuleInstance* probe = NewProbe();
  ModuleInstance* edited = EditModuleInstance(nullptr, probe, nullptr, L"sample.txt");
  ASSERT_NE(edited, nullptr);
  EXPECT_NE(edited, probe);
  FreeModuleInstance(edited);
  for (ProbeMode mode : {ProbeMode::kRefuse, ProbeMode::kThrow, ProbeMode::kFault}) {
    g_probe.mode = mode;
    EXPECT_EQ(EditModuleInstance(nullptr, probe, nullptr, L"sample.txt"), nullptr);
  }
  g_probe.mode = ProbeMode::kWork;
  g_moduleDescriptors[kProbeSlot].showDialog = nullptr;
  EXPECT_EQ(EditModuleInstance(nullptr, probe, nullptr, L"sample.txt"), nullptr);
  FreeModuleInstance(probe);
}

TEST_F(ModuleTable, EnumeratesModulesInIndexOrderUntilTheCallbackStops) {
  struct Listing {
    std::vector<std::wstring> keys;
    std::vector<int> indexes;
    std::wstring probeTitle;
    int stopAt = -1;
  } listing;
  auto collect = [](const wchar_t* key, const wchar_t* title, int index, void* data) {
    Listing* seen = static_cast<Listing*>(data);
    seen->keys.push_back(key);
    seen->indexes.push_back(index);
    if (index == static_cast<int>(kProbeSlot)) seen->probeTitle = title;
    return index == seen->stopAt ? 9 : 0;
  };
  // Every filled slot, the registered modules and the probe, in index order.
  Listing filled;
  for (uint32_t index = 0; index < kModuleSlotCount; ++index) {
    if (g_moduleDescriptors[index].keyName == nullptr) continue;
    filled.keys.push_back(g_moduleDescriptors[index].keyName);
    filled.indexes.push_back(static_cast<int>(index));
  }
  ASSERT_EQ(filled.keys.back(), L"Probe");
  EXPECT_EQ(EnumerateModules(collect, &listing), static_cast<int>(filled.keys.size()));
  EXPECT_EQ(listing.keys, filled.keys);
  EXPECT_EQ(listing.indexes, filled.indexes);
  EXPECT_EQ(listing.probeTitle, L"Probe title");

  listing = Listing{};
  listing.stopAt = 1;
  EXPECT_EQ(EnumerateModules(collect, &listing), 9);
  EXPECT_EQ(listing.keys.size(), 2u);

  listing = Listing{};
  g_probe.mode = ProbeMode::kThrow;
  EXPECT_EQ(EnumerateModules(collect, &listing), static_cast<int>(filled.keys.size()) - 1);
}

TEST_F(ModuleTable, EnumeratesFieldsOfModulesThatHaveThem) {
  std::vector<std::wstring> fields;
  auto collect = [](const wchar_t* name, const wchar_t*, int, int, void* data) {
    static_cast<std::vector<std::wstring>*>(data)->push_back(name);
    return 0;
  };
  EXPECT_EQ(EnumerateModuleFields(kProbeSlot, collect, &fields), 1);
  EXPECT_EQ(fields, (std::vector<std::wstring>{L"Width", L"Height"}));
  EXPECT_EQ(EnumerateModuleFields(kModuleCase, collect, &fields), 0);
  EXPECT_EQ(EnumerateModuleFields(kModuleSlotCount, collect, &fields), 0);
  EXPECT_EQ(fields.size(), 2u);
}

TEST_F(ModuleTable, CopiesKeyNamesByIndex) {
  wchar_t text[32] = L"key=";
  EXPECT_EQ(CopyModuleKeyName(kModuleExt, text, 32), 1);
  EXPECT_STREQ(text, L"key=Ext");
  EXPECT_EQ(CopyModuleKeyName(kModuleSlotCount, text, 32), 0);
  EXPECT_STREQ(text, L"key=Ext");
}

TEST_F(ModuleTable, FieldValueNeedsRoomForEightBytes) {
  int32_t out[4] = {-1, -1, -1, -1};
  EXPECT_EQ(GetModuleFieldValue(kProbeSlot, L"C:\\a.jpg", 2, out, 4), 0);
  EXPECT_EQ(out[0], -1);
  EXPECT_EQ(GetModuleFieldValue(kProbeSlot, L"C:\\a.jpg", 2, out, 16), 12);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 77);
  EXPECT_EQ(out[2], -1);
  EXPECT_EQ(GetModuleFieldValue(kModuleCase, L"C:\\a.jpg", 2, out, 16), 0);
  EXPECT_EQ(GetModuleFieldValue(kModuleSlotCount, L"C:\\a.jpg", 2, out, 16), 0);
}
