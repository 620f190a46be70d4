#include "engine/module_table.h"

#include <cstring>
#include <iterator>

#include "engine/modules/audio_module.h"
#include "engine/modules/case_module.h"
#include "engine/modules/crop_module.h"
#include "engine/modules/csv_module.h"
#include "engine/modules/cut_copy_modules.h"
#include "engine/modules/date_time_modules.h"
#include "engine/modules/dir_module.h"
#include "engine/modules/dos_module.h"
#include "engine/modules/email_module.h"
#include "engine/modules/enum_module.h"
#include "engine/modules/exif_module.h"
#include "engine/modules/ext_module.h"
#include "engine/modules/find_cut_module.h"
#include "engine/modules/image_module.h"
#include "engine/modules/ins_module.h"
#include "engine/modules/pgncont_module.h"
#include "engine/modules/regex_module.h"
#include "engine/modules/sbst_module.h"
#include "engine/modules/text_list_module.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/text/text_sizes.h"

ModuleDescriptor g_moduleDescriptors[kModuleSlotCount];

namespace {

constexpr int kStepKeyCapacity = 1024;

struct ModuleRegistration {
  ModuleIndex index;
  const ModuleDescriptor* descriptor;
};

// A module joins the program by its line here.
constexpr ModuleRegistration kModuleRegistrations[] = {
    {kModuleCase, &kCaseModule},
    {kModuleExt, &kExtModule},
    {kModuleEnum, &kEnumModule},
    {kModuleSbst, &kSbstModule},
    {kModuleIns, &kInsModule},
    {kModuleCrop, &kCropModule},
    {kModuleCut, &kCutModule},
    {kModuleCopy, &kCopyModule},
    {kModuleDate, &kDateModule},
    {kModuleTime, &kTimeModule},
    {kModuleDos, &kDosModule},
    {kModuleDir, &kDirModule},
    {kModuleRegEx, &kRegExModule},
    {kModuleFaC, &kFindCutModule},
    {kModuleCsv, &kCsvModule},
    {kModuleText, &kTextListModule},
    {kModuleAudio, &kAudioModule},
    {kModuleImage, &kImageModule},
    {kModuleExif, &kExifModule},
    {kModuleEMail, &kEMailModule},
    {kModulePgnCont, &kPgnContModule},
};

// Each registered module has a slot of its own below the spare last one.
constexpr bool EveryModuleHasItsOwnSlot() {
  bool taken[kModuleSlotCount] = {};
  for (const ModuleRegistration& entry : kModuleRegistrations) {
    if (entry.index >= kModuleSlotCount - 1 || taken[entry.index]) return false;
    taken[entry.index] = true;
  }
  return true;
}
static_assert(std::size(kModuleRegistrations) + 1 == kModuleSlotCount,
              "kModuleSlotCount (engine/module_contract.h) is one slot per registered module and the spare one");
static_assert(EveryModuleHasItsOwnSlot(), "every registered module index lies below the spare slot, and once");

const ModuleDescriptor* DescriptorAt(uint32_t index) {
  return index < kModuleSlotCount ? &g_moduleDescriptors[index] : nullptr;
}

// Runs a call into a module inside the guard: true when it returned, false when it threw or faulted.
template <typename Callable>
bool CallModule(const ModuleDescriptor& descriptor, Callable&& callable,
                const std::source_location site = std::source_location::current()) {
  return GuardedCall(false, [&] {
    callable();
    return true;
  }, {"module", descriptor.keyName}, site);
}

const ModuleDescriptor* DescriptorOf(const ModuleInstance* settings) {
  return settings != nullptr ? DescriptorAt(settings->moduleIndex) : nullptr;
}

void EmptyText(wchar_t* text, int capacity) {
  if (text != nullptr && capacity > 0) text[0] = 0;
}

// The key of a step's text: from after the '<' to the first character below '0'.
void CopyStepKey(const wchar_t* text, wchar_t* key, int capacity) {
  int length = 0;
  while (length < capacity - 1 && text[1 + length] >= L'0') {
    key[length] = text[1 + length];
    ++length;
  }
  key[length] = 0;
}

// Splits a name at its extension dot into the record's name part and extension part.
void SplitName(const wchar_t* name, ModuleApplyRecord* record) {
  CopyWideBounded(name, record->name, kApplyPartCapacity);
  const int dot = ExtensionDotPosition(record->name);
  if (record->name[dot] != L'.') return;
  CopyWideBounded(record->name + dot + 1, record->extension, kApplyPartCapacity);
  record->name[dot] = 0;
}

void JoinName(ModuleApplyRecord* record, wchar_t* joined, int capacity) {
  record->name[kApplyPartCapacity - 1] = 0;
  record->extension[kApplyPartCapacity - 1] = 0;
  CopyWideBounded(record->name, joined, capacity);
  if (record->extension[0] == 0) return;
  AppendWideBounded(L".", joined, capacity);
  AppendWideBounded(record->extension, joined, capacity);
}

}  // namespace

void InitModuleDescriptors() {
  for (const ModuleRegistration& entry : kModuleRegistrations) g_moduleDescriptors[entry.index] = *entry.descriptor;
}

ModuleInstance* CreateDefaultModule(uint32_t index) {
  const ModuleDescriptor* descriptor = DescriptorAt(index);
  if (descriptor == nullptr || descriptor->createSettings == nullptr) return nullptr;
  ModuleInstance* settings = nullptr;
  if (!CallModule(*descriptor, [&] { settings = descriptor->createSettings(nullptr); })) return nullptr;
  if (settings != nullptr) settings->moduleIndex = index;
  return settings;
}

ModuleInstance* CreateModuleFromText(const wchar_t* text) {
  if (text == nullptr || text[0] != L'<') return nullptr;
  // The modules read the whole text within their own bounds, so a long step is not cut before its end.
  wchar_t key[kStepKeyCapacity];
  CopyStepKey(text, key, kStepKeyCapacity);
  for (uint32_t index = 0; index < kModuleSlotCount; ++index) {
    const ModuleDescriptor& descriptor = g_moduleDescriptors[index];
    if (descriptor.createSettings == nullptr || !EqualsIgnoreCaseWide(descriptor.keyName, key)) continue;
    ModuleInstance* settings = nullptr;
    if (!CallModule(descriptor, [&] { settings = descriptor.createSettings(text); })) return nullptr;
    if (settings != nullptr) {
      settings->moduleIndex = index;
      return settings;
    }
  }
  return nullptr;
}

ModuleInstance* EditModuleInstance(HWND owner, ModuleInstance* settings, const void* sampleContext,
                                   const wchar_t* sampleName) {
  const ModuleDescriptor* descriptor = DescriptorOf(settings);
  if (descriptor == nullptr || descriptor->showDialog == nullptr) return nullptr;
  ModuleDialogParam param{g_app != nullptr ? g_app->instance : nullptr, owner, settings, sampleContext,
                          sampleName};
  int confirmed = 0;
  const bool returned = CallModule(
      *descriptor, [&] { confirmed = descriptor->showDialog(&param, settings, sampleContext, sampleName); });
  if (!returned) return nullptr;
  return confirmed != 0 ? param.settings : nullptr;
}

void FreeModuleInstance(ModuleInstance* settings) {
  const ModuleDescriptor* descriptor = DescriptorOf(settings);
  if (descriptor == nullptr) return;
  // Every record is at least one heap block, so a module without its own free operation still gets it freed.
  void (*release)(ModuleInstance*) =
      descriptor->freeSettings != nullptr ? descriptor->freeSettings : FreeModuleInstanceMemory;
  CallModule(*descriptor, [&] { release(settings); });
}

int SerializeModuleInstance(const ModuleInstance* settings, wchar_t* text, int capacity) {
  if (text == nullptr || capacity <= 0) return ERROR_INVALID_PARAMETER;
  text[0] = 0;
  const ModuleDescriptor* descriptor = DescriptorOf(settings);
  if (descriptor == nullptr || descriptor->serialize == nullptr) return ERROR_NOT_SUPPORTED;
  if (AppendWideBounded(L"<", text, capacity) != 0) return ERROR_INSUFFICIENT_BUFFER;
  int cut = 0;
  if (!CallModule(*descriptor, [&] { cut = descriptor->serialize(settings, text, capacity); }))
    return ERROR_FUNCTION_FAILED;
  return cut != 0 ? ERROR_INSUFFICIENT_BUFFER : 0;
}

void DescribeModuleInstance(const ModuleInstance* settings, wchar_t* text, int capacity) {
  EmptyText(text, capacity);
  const ModuleDescriptor* descriptor = DescriptorOf(settings);
  if (text == nullptr || descriptor == nullptr || descriptor->describe == nullptr) return;
  CallModule(*descriptor, [&] { descriptor->describe(settings, text, capacity); });
}

void GetModuleInstanceComment(const ModuleInstance* settings, wchar_t* text, int capacity) {
  EmptyText(text, capacity);
  const ModuleDescriptor* descriptor = DescriptorOf(settings);
  if (text == nullptr || descriptor == nullptr || descriptor->comment == nullptr) return;
  CallModule(*descriptor, [&] { descriptor->comment(settings, text, capacity); });
}

void PrepareModuleInstance(ModuleInstance* settings) {
  const ModuleDescriptor* descriptor = DescriptorOf(settings);
  if (descriptor == nullptr || descriptor->prepare == nullptr) return;
  CallModule(*descriptor, [&] { descriptor->prepare(settings); });
}

int ApplyModuleToFileName(ModuleInstance* settings, const void* context, wchar_t* name, int capacity) {
  if (name == nullptr || capacity <= 0) return ERROR_INVALID_PARAMETER;
  const ModuleDescriptor* descriptor = DescriptorOf(settings);
  if (descriptor == nullptr || descriptor->apply == nullptr) return 0;
  ModuleApplyRecord record{};
  record.settings = settings;
  record.context = context;
  SplitName(name, &record);
  // A fault that a guard inside the module took (a reader's, a plug-in's) fails the step as much as its own.
  const uint32_t faultsBefore = CaughtFaultCountOnThisThread();
  int result = 0;
  const bool returned = CallModule(*descriptor, [&] { result = descriptor->apply(&record); });
  if (!returned || CaughtFaultCountOnThisThread() != faultsBefore) return kStepFailed;
  if (result != 0) return kStepLeftAlone;
  wchar_t joined[kJoinedNameCapacity];
  JoinName(&record, joined, kJoinedNameCapacity);
  // A name that no longer fits is left as the previous step made it rather than cut, which would lose its end.
  if (WideLength(joined) >= static_cast<size_t>(capacity)) return kStepNameTooLong;
  CopyWideBounded(joined, name, capacity);
  return kStepApplied;
}

int32_t GetModuleInstanceFlags(const ModuleInstance* settings) {
  return settings != nullptr ? settings->flags : 0;
}

int EnumerateModules(ModuleListCallback callback, void* userData) {
  int listed = 0;
  for (uint32_t index = 0; index < kModuleSlotCount; ++index) {
    const ModuleDescriptor& descriptor = g_moduleDescriptors[index];
    if (descriptor.keyName == nullptr) continue;
    wchar_t title[kTitleCapacity] = {};
    int answer = 0;
    const bool returned = CallModule(descriptor, [&] {
      if (descriptor.title != nullptr) descriptor.title(title, kTitleCapacity);
      if (callback != nullptr) answer = callback(descriptor.keyName, title, static_cast<int>(index), userData);
    });
    if (!returned) return listed;
    if (answer != 0) return answer;
    ++listed;
  }
  return listed;
}

int EnumerateModuleFields(uint32_t index, ModuleFieldCallback callback, void* userData) {
  const ModuleDescriptor* descriptor = DescriptorAt(index);
  if (descriptor == nullptr || descriptor->enumerateFields == nullptr) return 0;
  descriptor->enumerateFields(callback, userData);
  return 1;
}

int CopyModuleKeyName(uint32_t index, wchar_t* text, int capacity) {
  const ModuleDescriptor* descriptor = DescriptorAt(index);
  if (descriptor == nullptr) return 0;
  AppendWideBounded(descriptor->keyName, text, capacity);
  return 1;
}

int GetModuleFieldValue(uint32_t index, const void* context, int fieldIndex, void* out, int outSize) {
  const ModuleDescriptor* descriptor = DescriptorAt(index);
  if (descriptor == nullptr || descriptor->fieldValue == nullptr || out == nullptr || outSize < 8) return 0;
  memset(out, 0, 8);
  return descriptor->fieldValue(context, fieldIndex, out, outSize);
}

void FreeModuleInstanceMemory(ModuleInstance* settings) { FreeAndNull(&settings); }
