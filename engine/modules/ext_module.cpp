#include "engine/modules/ext_module.h"

#include "engine/module_dialog_frame.h"
#include "engine/module_text_form.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

const ExtSettings* AsExt(const ModuleInstance* settings) { return reinterpret_cast<const ExtSettings*>(settings); }

// After the key: ',' and either '-' (no extension) or the quoted extension, then the comment part.
bool ReadExtText(const wchar_t* text, ExtSettings* settings) {
  const wchar_t* position = SkipExpected(SkipStepKey(text), L',');
  if (position == nullptr) return false;
  if (position[0] == L'-' && (position[1] == L'>' || position[1] == L';')) {
    ++position;
  } else if (position[0] == L'"') {
    position = ReadSettingsTextField(position, settings->extension, kApplyPartCapacity, L'"');
    if (position == nullptr) return false;
  } else {
    return false;
  }
  return ReadSettingsComment(position, settings->comment, kStepCommentCapacity) == 0;
}

ModuleInstance* CreateExtSettings(const wchar_t* text) {
  ExtSettings* settings = static_cast<ExtSettings*>(AllocZeroed(sizeof(ExtSettings)));
  if (settings == nullptr) return nullptr;
  if (text != nullptr && !ReadExtText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeExtSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const ExtSettings* settings = AsExt(instance);
  int cut = AppendWideBounded(L"Ext,", text, capacity);
  const int valueCut = settings->extension[0] == 0 ? AppendWideBounded(L"-", text, capacity)
                                                   : AppendSettingsTextField(settings->extension, text, capacity);
  if (cut == 0) cut = valueCut;
  const int commentCut = WriteSettingsComment(settings->comment, text, capacity);
  return cut != 0 ? cut : commentCut;
}

void DescribeExtSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  GetUiText(kTextNewExtension, text, capacity);
  AppendWideBounded(L" \"", text, capacity);
  AppendWideBounded(AsExt(instance)->extension, text, capacity);
  AppendWideBounded(L"\"", text, capacity);
}

void GetExtTitle(wchar_t* text, int capacity) { GetUiText(kTextExtensionPart, text, capacity); }

int ApplyExtModule(ModuleApplyRecord* record) {
  CopyWideBounded(AsExt(record->settings)->extension, record->extension, kApplyPartCapacity);
  return 0;
}

}  // namespace

void GetExtDosComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsExt(instance)->comment, text, capacity);
}

const ModuleDescriptor kExtModule = {
    .serialize = SerializeExtSettings,
    .describe = DescribeExtSettings,
    .comment = GetExtDosComment,
    .title = GetExtTitle,
    .createSettings = CreateExtSettings,
    .showDialog = ShowModuleDialogOf<kExtDialog>,
    .apply = ApplyExtModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"Ext",
};
