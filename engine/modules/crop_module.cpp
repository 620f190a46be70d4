#include "engine/modules/crop_module.h"

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/name_part_edits.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

const CropSettings* AsCrop(const ModuleInstance* settings) {
  return reinterpret_cast<const CropSettings*>(settings);
}

bool ReadCropText(const wchar_t* text, CropSettings* settings) {
  StepTextReader reader(text);
  settings->part = reader.Letter();
  settings->side = reader.Letter();
  settings->position = reader.Unsigned(kMostPosition);
  settings->count = reader.Unsigned(kMostSpanLength);
  return reader.Finish(settings->comment) && IsNamePart(settings->part) && IsSide(settings->side) &&
         settings->count != 0;
}

ModuleInstance* CreateCropSettings(const wchar_t* text) {
  CropSettings* settings = static_cast<CropSettings*>(AllocZeroed(sizeof(CropSettings)));
  if (settings == nullptr) return nullptr;
  settings->part = kNamePart;
  settings->side = kFromLeft;
  settings->count = 1;
  if (text != nullptr && !ReadCropText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeCropSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const CropSettings* settings = AsCrop(instance);
  StepTextWriter writer(L"Crop", text, capacity);
  writer.Letter(static_cast<wchar_t>(settings->part));
  writer.Letter(static_cast<wchar_t>(settings->side));
  writer.Number(settings->position);
  writer.Number(settings->count);
  return writer.Finish(settings->comment);
}

void DescribeCropSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const CropSettings* settings = AsCrop(instance);
  AppendPartDescription(static_cast<wchar_t>(settings->part), text, capacity);
  AppendDescriptionPiece(kTextRemoveWord, text, capacity);
  AppendBlankAndNumber(settings->count, text, capacity);
  AppendBlankAndUiText(kTextCharactersFrom, text, capacity);
  AppendBlankAndNumber(int64_t{settings->position} + 1, text, capacity);
  AppendSideDescription(static_cast<wchar_t>(settings->side), text, capacity);
}

void GetCropComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsCrop(instance)->comment, text, capacity);
}

void GetCropTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleCrop, text, capacity); }

int ApplyCropModule(ModuleApplyRecord* record) {
  const CropSettings* settings = AsCrop(record->settings);
  wchar_t* target = NamePartOf(record, static_cast<wchar_t>(settings->part), false);
  if (target != nullptr && target[0] != 0)
    CropText(target, kApplyPartCapacity, static_cast<wchar_t>(settings->side), settings->position, settings->count);
  return 0;
}

}  // namespace

const ModuleDescriptor kCropModule = {
    .serialize = SerializeCropSettings,
    .describe = DescribeCropSettings,
    .comment = GetCropComment,
    .title = GetCropTitle,
    .createSettings = CreateCropSettings,
    .showDialog = ShowModuleDialogOf<kCropDialog>,
    .apply = ApplyCropModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"Crop",
};
