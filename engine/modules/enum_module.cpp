#include "engine/modules/enum_module.h"

#include <cwchar>

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/name_part_edits.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/text/numbers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

// The widest counter, its sign and digits of a 64-bit value.
constexpr int kCounterTextCapacity = kMostCounterWidth + 24;

EnumSettings* AsEnum(ModuleInstance* settings) { return reinterpret_cast<EnumSettings*>(settings); }
const EnumSettings* AsEnum(const ModuleInstance* settings) { return reinterpret_cast<const EnumSettings*>(settings); }

bool HasWidth(const EnumSettings* settings) { return settings->width != 0 && settings->fill != 0; }

// The optional width group after the step: ',', the width, 'x' and the fill character. A width of 0 needs no
// more and sets none.
void ReadWidth(StepTextReader* reader, EnumSettings* settings) {
  const uint32_t width = reader->Unsigned(kMostCounterWidth);
  if (width == 0 && reader->Peek() != L'x') return;
  reader->Expect(L'x');
  const wchar_t fill = reader->Character();
  if (width == 0) return;
  settings->width = width;
  settings->fill = fill;
}

bool ReadEnumText(const wchar_t* text, EnumSettings* settings) {
  StepTextReader reader(text);
  settings->part = reader.Letter();
  settings->position = reader.Unsigned(UINT32_MAX);
  settings->start = reader.Bits32();
  settings->step = reader.Signed();
  if (reader.Peek() == L',') ReadWidth(&reader, settings);
  return reader.Finish(settings->comment) && IsNamePart(settings->part) && settings->step != 0;
}

ModuleInstance* CreateEnumSettings(const wchar_t* text) {
  EnumSettings* settings = static_cast<EnumSettings*>(AllocZeroed(sizeof(EnumSettings)));
  if (settings == nullptr) return nullptr;
  settings->part = kNamePart;
  settings->step = 1;
  if (text != nullptr && !ReadEnumText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

// The start is written as the unsigned decimal of its 32 bits, as stored chains hold it.
int SerializeEnumSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const EnumSettings* settings = AsEnum(instance);
  StepTextWriter writer(L"Enum", text, capacity);
  writer.Letter(static_cast<wchar_t>(settings->part));
  writer.Number(settings->position);
  writer.Number(static_cast<uint32_t>(settings->start));
  writer.Number(settings->step);
  if (HasWidth(settings)) {
    writer.Number(settings->width);
    const wchar_t fill[] = {L'x', static_cast<wchar_t>(settings->fill), 0};
    writer.Plain(fill);
  }
  return writer.Finish(settings->comment);
}

void AppendDescribedValue(int textId, int64_t value, wchar_t* text, int capacity) {
  AppendDescriptionPiece(textId, text, capacity);
  AppendBlankAndNumber(value, text, capacity);
}

void DescribeEnumSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const EnumSettings* settings = AsEnum(instance);
  AppendPartDescription(static_cast<wchar_t>(settings->part), text, capacity);
  AppendDescriptionPiece(kTextModuleNumbering, text, capacity);
  AppendDescribedValue(kTextPositionWord, int64_t{settings->position} + 1, text, capacity);
  AppendDescribedValue(kTextStartWord, settings->start, text, capacity);
  AppendDescribedValue(kTextStepWord, settings->step, text, capacity);
  if (!HasWidth(settings)) return;
  AppendDescribedValue(kTextWidthWord, settings->width, text, capacity);
  AppendBlankAndUiText(kTextFillCharacter, text, capacity);
  const wchar_t fill[] = {L' ', L'\'', static_cast<wchar_t>(settings->fill), L'\'', 0};
  AppendWideBounded(fill, text, capacity);
}

void GetEnumComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsEnum(instance)->comment, text, capacity);
}

void GetEnumTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleNumbering, text, capacity); }

void PrepareEnumModule(ModuleInstance* instance) { AsEnum(instance)->counter = AsEnum(instance)->start; }

int ApplyEnumModule(ModuleApplyRecord* record) {
  EnumSettings* settings = AsEnum(record->settings);
  wchar_t* target = NamePartOf(record, static_cast<wchar_t>(settings->part), true);
  if (target != nullptr) InsertCounter(target, kApplyPartCapacity, settings);
  return 0;
}

}  // namespace

void InsertCounter(wchar_t* text, int capacity, EnumSettings* settings) {
  wchar_t digits[kCounterTextCapacity];
  const bool negative = settings->counter < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(settings->counter) : settings->counter;
  digits[0] = L'-';
  const int length = UInt64ToWideDecimal(&magnitude, digits + negative, kCounterTextCapacity - 1) + negative;
  wchar_t counter[kCounterTextCapacity];
  int filled = 0;
  if (HasWidth(settings)) {
    const int width = settings->width < kMostCounterWidth ? static_cast<int>(settings->width) : kMostCounterWidth;
    for (; filled < width - length; ++filled) counter[filled] = static_cast<wchar_t>(settings->fill);
  }
  wmemcpy(counter + filled, digits, static_cast<size_t>(length) + 1);
  InsertTextAt(text, capacity, kFromLeft, counter, settings->position);
  settings->counter += settings->step;
}

const ModuleDescriptor kEnumModule = {
    .serialize = SerializeEnumSettings,
    .describe = DescribeEnumSettings,
    .comment = GetEnumComment,
    .title = GetEnumTitle,
    .createSettings = CreateEnumSettings,
    .showDialog = ShowModuleDialogOf<kEnumDialog>,
    .prepare = PrepareEnumModule,
    .apply = ApplyEnumModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"Enum",
};
