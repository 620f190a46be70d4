#include "preview_fixture.h"

#include "engine/chain_list.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "views/path_pool.h"

ProbeRecord g_probeRecord;

namespace {

ModuleInstance* CreateProbe(const wchar_t* text) {
  if (text != nullptr) return nullptr;
  ProbeSettings* settings = static_cast<ProbeSettings*>(AllocZeroed(sizeof(ProbeSettings)));
  CopyWideBounded(L"probe", settings->description, 64);
  return &settings->header;
}

void DescribeProbe(const ModuleInstance* settings, wchar_t* text, int capacity) {
  CopyWideBounded(reinterpret_cast<const ProbeSettings*>(settings)->description, text, capacity);
}

void CommentProbe(const ModuleInstance*, wchar_t* text, int capacity) {
  CopyWideBounded(L"first line\r\nsecond line", text, capacity);
}

void PrepareProbe(ModuleInstance* settings) { ++reinterpret_cast<ProbeSettings*>(settings)->prepared; }

int ApplyProbe(ModuleApplyRecord* record) {
  ProbeRecord& probe = g_probeRecord;
  probe.applyThread = GetCurrentThreadId();
  probe.lastContext = record->context;
  if ((record->settings->flags & kApplyNeedsPath) != 0)
    probe.lastPath = record->context != nullptr ? static_cast<const wchar_t*>(record->context) : L"(null)";
  std::wstring whole = record->name;
  if (record->extension[0] != 0) whole += std::wstring(L".") + record->extension;
  if (whole == probe.stopAt) RequestJobStop();
  if (probe.failures.count(whole) != 0) return 1;
  const auto renamed = probe.renames.find(whole);
  if (renamed != probe.renames.end()) {
    CopyWideBounded(renamed->second.c_str(), record->name, kApplyPartCapacity);
    record->extension[0] = 0;
  }
  AppendWideBounded(reinterpret_cast<ProbeSettings*>(record->settings)->suffix, record->name, kApplyPartCapacity);
  return 0;
}

int ShowProbeDialog(ModuleDialogParam* param, ModuleInstance* settings, const void* context, const wchar_t* sample) {
  ProbeRecord& probe = g_probeRecord;
  ++probe.dialogShown;
  probe.dialogSample = sample != nullptr ? sample : L"(null)";
  probe.dialogContext = context;
  if (!probe.dialogConfirms) return 0;
  ProbeSettings* edited = reinterpret_cast<ProbeSettings*>(settings);
  if (probe.dialogReplacesRecord) {
    edited = reinterpret_cast<ProbeSettings*>(CreateProbe(nullptr));
    edited->header = *settings;
    param->settings = &edited->header;
  }
  CopyWideBounded(L"edited", edited->description, 64);
  CopyWideBounded(L"-e", edited->suffix, 1100);
  return 1;
}

void FreeProbe(ModuleInstance* settings) {
  ++g_probeRecord.freed;
  FreeModuleInstanceMemory(settings);
}

ItemListControl* NewList() {
  ItemListControl* list = static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)));
  ItemStoreInit(&list->rows);
  ItemStoreInit(&list->pathPool);
  list->focusedIndex = -1;
  return list;
}

void DestroyList(ItemListControl* list, bool ownsSteps) {
  for (uint32_t i = 0; ownsSteps && i < ItemStoreCount(&list->rows); ++i)
    FreeStepInstanceCallback(ItemStoreGet(&list->rows, i));
  ItemStoreDestroy(&list->rows);
  ItemStoreDestroy(&list->pathPool);
  FreeAndNull(&list);
}

}  // namespace

PreviewFixture::PreviewFixture() {
  g_probeRecord = ProbeRecord{};
  InitModuleDescriptors();
  ModuleDescriptor& probe = g_moduleDescriptors[kProbeModule];
  probe = ModuleDescriptor{};
  probe.describe = DescribeProbe;
  probe.comment = CommentProbe;
  probe.createSettings = CreateProbe;
  probe.showDialog = ShowProbeDialog;
  probe.prepare = PrepareProbe;
  probe.apply = ApplyProbe;
  probe.freeSettings = FreeProbe;
  probe.keyName = L"Probe";
  files_ = NewList();
  chain_ = NewList();
  chain_->creation.deleteItem = FreeStepInstanceCallback;
  g_app->fileList = files_;
  g_app->chainList = chain_;
}

PreviewFixture::~PreviewFixture() {
  g_app->fileList = nullptr;
  g_app->chainList = nullptr;
  DestroyList(chain_, true);
  DestroyList(files_, false);
  g_moduleDescriptors[kProbeModule] = ModuleDescriptor{};
}

uint32_t PreviewFixture::AddFolder(const wchar_t* name, uint32_t parent) {
  const uint32_t index = AddPooledPath(files_, name, parent);
  EXPECT_NE(index, 0u);
  return index;
}

void PreviewFixture::AddFile(uint32_t folder, const wchar_t* name, uint16_t attributes) {
  FileListRow row{};
  CopyWideBounded(name, row.currentName, kFileNameCapacity);
  const size_t length = WideLength(row.currentName);
  const wchar_t* dot = wcsrchr(row.currentName, L'.');
  row.length = FileListRowSize(length);
  row.extensionAt = static_cast<uint16_t>(dot != nullptr ? dot - row.currentName + 1 : length);
  row.folderIndex = static_cast<int32_t>(folder);
  row.info.attributes = attributes;
  row.info.size = 1000 + ItemStoreCount(&files_->rows);
  ASSERT_EQ(ItemStoreAppend(&files_->rows, &row, row.length), 0);
}

ModuleInstance* PreviewFixture::AddStep(const wchar_t* text, bool checked) {
  ModuleInstance* settings = CreateModuleFromText(text);
  EXPECT_NE(settings, nullptr);
  EXPECT_GE(InsertStepIntoList(settings, -1, checked), 0);
  return settings;
}

ProbeSettings* PreviewFixture::AddProbe(int32_t flags, const wchar_t* suffix, bool checked) {
  ProbeSettings* settings = reinterpret_cast<ProbeSettings*>(CreateDefaultModule(kProbeModule));
  settings->header.flags = flags;
  CopyWideBounded(suffix, settings->suffix, 1100);
  EXPECT_GE(InsertStepIntoList(&settings->header, -1, checked), 0);
  return settings;
}

FileListRow* PreviewFixture::Row(uint32_t i) const {
  return reinterpret_cast<FileListRow*>(ItemStoreGet(&files_->rows, i));
}
