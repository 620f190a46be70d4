#include "engine/modules/dos_module.h"

#include <cstddef>

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/ext_module.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/name_masks.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

// Ext and DOS share one comment operation.
static_assert(offsetof(DosSettings, comment) == offsetof(ExtSettings, comment), "comment where Ext holds it");

namespace {


const DosSettings* AsDos(const ModuleInstance* settings) { return reinterpret_cast<const DosSettings*>(settings); }

bool ReadDosText(const wchar_t* text, DosSettings* settings) {
  StepTextReader reader(text);
  reader.Quoted(settings->mask, kApplyPartCapacity);
  return reader.Finish(settings->comment);
}

ModuleInstance* CreateDosSettings(const wchar_t* text) {
  DosSettings* settings = static_cast<DosSettings*>(AllocZeroed(sizeof(DosSettings)));
  if (settings == nullptr) return nullptr;
  if (text != nullptr && !ReadDosText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeDosSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  StepTextWriter writer(L"DOS", text, capacity);
  writer.Quoted(AsDos(instance)->mask);
  return writer.Finish(AsDos(instance)->comment);
}

void DescribeDosSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  GetUiText(kTextModuleDosMask, text, capacity);
  const wchar_t* mask = AsDos(instance)->mask;
  if (mask[0] == 0) return;
  if (text[0] != 0) AppendWideBounded(L", ", text, capacity);
  AppendWideBounded(mask, text, capacity);
}

void GetDosTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleDosMask, text, capacity); }

int ApplyDosModule(ModuleApplyRecord* record) {
  if (record->settings == nullptr) return -1;
  const wchar_t* mask = AsDos(record->settings)->mask;
  if (mask[0] == 0) return 0;
  wchar_t candidate[kJoinedNameCapacity];
  CopyWideBounded(record->name, candidate, kJoinedNameCapacity);
  if (record->extension[0] != 0) {
    AppendWideBounded(L".", candidate, kJoinedNameCapacity);
    AppendWideBounded(record->extension, candidate, kJoinedNameCapacity);
  }
  wchar_t masked[kApplyPartCapacity];
  const int result = ApplyWildcardNameMask(candidate, mask, masked, kApplyPartCapacity);
  if (result != 0) return result;
  if (masked[0] == 0) return 0;
  CopyWideBounded(masked, record->name, kApplyPartCapacity);
  record->extension[0] = 0;
  return 0;
}

}  // namespace

const ModuleDescriptor kDosModule = {
    .serialize = SerializeDosSettings,
    .describe = DescribeDosSettings,
    .comment = GetExtDosComment,
    .title = GetDosTitle,
    .createSettings = CreateDosSettings,
    .showDialog = ShowModuleDialogOf<kDosDialog>,
    .apply = ApplyDosModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"DOS",
};
