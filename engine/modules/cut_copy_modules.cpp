#include "engine/modules/cut_copy_modules.h"

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/name_part_edits.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

// What tells the twins apart.
struct SpanForm {
  const wchar_t* key;
  int titleId;
  int wordId;
  uint8_t copy;
};

constexpr SpanForm kCutForm = {L"Cut", kTextModuleMove, kTextMoveWord, 0};
constexpr SpanForm kCopyForm = {L"Copy", kTextModuleCopy, kTextCopyWord, 1};

const CutCopySettings* AsCutCopy(const ModuleInstance* settings) {
  return reinterpret_cast<const CutCopySettings*>(settings);
}

bool ReadCutCopyText(const wchar_t* text, CutCopySettings* settings) {
  StepTextReader reader(text);
  settings->part = reader.Letter();
  settings->start = reader.Unsigned(kMostPosition);
  settings->length = reader.Unsigned(kMostSpanLength);
  settings->target = reader.Unsigned(kMostPosition);
  return reader.Finish(settings->comment) && IsNamePart(settings->part) && settings->length != 0;
}

// Each key's records carry its copy flag, also those with the defaults, so that a step does what its key says
// before and after a save and a load.
template <const SpanForm& form>
ModuleInstance* CreateCutCopySettings(const wchar_t* text) {
  CutCopySettings* settings = static_cast<CutCopySettings*>(AllocZeroed(sizeof(CutCopySettings)));
  if (settings == nullptr) return nullptr;
  settings->part = kNamePart;
  settings->length = 1;
  settings->target = 1;
  if (text != nullptr && !ReadCutCopyText(text, settings)) FreeAndNull(&settings);
  if (settings != nullptr) settings->copy = form.copy;
  return reinterpret_cast<ModuleInstance*>(settings);
}

template <const SpanForm& form>
int SerializeCutCopySettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const CutCopySettings* settings = AsCutCopy(instance);
  StepTextWriter writer(form.key, text, capacity);
  writer.Letter(settings->part);
  writer.Number(settings->start);
  writer.Number(settings->length);
  writer.Number(settings->target);
  return writer.Finish(settings->comment);
}

template <const SpanForm& form>
void DescribeCutCopySettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const CutCopySettings* settings = AsCutCopy(instance);
  AppendPartDescription(settings->part, text, capacity);
  AppendDescriptionPiece(form.wordId, text, capacity);
  AppendBlankAndNumber(settings->length, text, capacity);
  AppendBlankAndUiText(kTextCharactersFrom, text, capacity);
  AppendBlankAndNumber(int64_t{settings->start} + 1, text, capacity);
  AppendBlankAndUiText(kTextToPosition, text, capacity);
  AppendBlankAndNumber(int64_t{settings->target} + 1, text, capacity);
}

void GetCutCopyComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsCutCopy(instance)->comment, text, capacity);
}

template <const SpanForm& form>
void GetCutCopyTitle(wchar_t* text, int capacity) {
  GetUiText(form.titleId, text, capacity);
}

int ApplyCutCopyModule(ModuleApplyRecord* record) {
  if (record->settings == nullptr) return -1;
  const CutCopySettings* settings = AsCutCopy(record->settings);
  wchar_t* target = NamePartOf(record, settings->part, false);
  if (target != nullptr && target[0] != 0)
    MoveOrCopySpan(target, kApplyPartCapacity, settings->start, settings->length, settings->target, settings->copy != 0);
  return 0;
}

template <const SpanForm& form, const ModuleDialog& dialog>
constexpr ModuleDescriptor CutCopyDescriptor() {
  return {
      .serialize = SerializeCutCopySettings<form>,
      .describe = DescribeCutCopySettings<form>,
      .comment = GetCutCopyComment,
      .title = GetCutCopyTitle<form>,
      .createSettings = CreateCutCopySettings<form>,
      .showDialog = ShowModuleDialogOf<dialog>,
      .apply = ApplyCutCopyModule,
      .freeSettings = FreeModuleInstanceMemory,
      .keyName = form.key,
  };
}

}  // namespace

const ModuleDescriptor kCutModule = CutCopyDescriptor<kCutForm, kCutDialog>();
const ModuleDescriptor kCopyModule = CutCopyDescriptor<kCopyForm, kCopyDialog>();
