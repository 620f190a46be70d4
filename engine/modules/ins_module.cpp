#include "engine/modules/ins_module.h"

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/name_part_edits.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

const InsSettings* AsIns(const ModuleInstance* settings) { return reinterpret_cast<const InsSettings*>(settings); }

bool ReadInsText(const wchar_t* text, InsSettings* settings) {
  StepTextReader reader(text);
  settings->part = reader.Letter();
  settings->side = reader.Letter();
  settings->position = reader.Unsigned(kMostPosition);
  reader.Quoted(settings->text, kApplyPartCapacity);
  return reader.Finish(settings->comment) && IsNamePart(settings->part) && IsSide(settings->side);
}

ModuleInstance* CreateInsSettings(const wchar_t* text) {
  InsSettings* settings = static_cast<InsSettings*>(AllocZeroed(sizeof(InsSettings)));
  if (settings == nullptr) return nullptr;
  settings->side = kFromLeft;
  settings->part = kNamePart;
  if (text != nullptr && !ReadInsText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeInsSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const InsSettings* settings = AsIns(instance);
  StepTextWriter writer(L"Ins", text, capacity);
  writer.Letter(static_cast<wchar_t>(settings->part));
  writer.Letter(static_cast<wchar_t>(settings->side));
  writer.Number(settings->position);
  writer.Quoted(settings->text);
  return writer.Finish(settings->comment);
}

void DescribeInsSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const InsSettings* settings = AsIns(instance);
  AppendPartDescription(static_cast<wchar_t>(settings->part), text, capacity);
  AppendDescriptionPiece(kTextInsertWord, text, capacity);
  AppendWideBounded(L" \"", text, capacity);
  AppendWideBounded(settings->text, text, capacity);
  AppendWideBounded(L"\"", text, capacity);
  AppendBlankAndUiText(kTextAtPosition, text, capacity);
  AppendBlankAndNumber(int64_t{settings->position} + 1, text, capacity);
  AppendSideDescription(static_cast<wchar_t>(settings->side), text, capacity);
}

void GetInsTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleInsert, text, capacity); }

int ApplyInsModule(ModuleApplyRecord* record) {
  const InsSettings* settings = AsIns(record->settings);
  wchar_t* target = NamePartOf(record, static_cast<wchar_t>(settings->part), false);
  if (target != nullptr)
    InsertTextAt(target, kApplyPartCapacity, static_cast<wchar_t>(settings->side), settings->text, settings->position);
  return 0;
}

}  // namespace

void GetInsDateTimeComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsIns(instance)->comment, text, capacity);
}

const ModuleDescriptor kInsModule = {
    .serialize = SerializeInsSettings,
    .describe = DescribeInsSettings,
    .comment = GetInsDateTimeComment,
    .title = GetInsTitle,
    .createSettings = CreateInsSettings,
    .showDialog = ShowModuleDialogOf<kInsDialog>,
    .apply = ApplyInsModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"Ins",
};
