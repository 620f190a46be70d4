#include "engine/modules/pattern_modules.h"

#include <cstring>

#include "engine/module_table.h"
#include "engine/module_text_form.h"
#include "engine/modules/step_values.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/text/numbers.h"
#include "foundation/text/packed_date.h"
#include "foundation/ui/ui_strings.h"
#include "metadata/field_types.h"

namespace {

constexpr uint32_t kMostFailFlag = 255;

const PatternSettings* AsPattern(const ModuleInstance* settings) {
  return reinterpret_cast<const PatternSettings*>(settings);
}

// The fail flag's decimal digits (an optional sign before them): the position after them.
const wchar_t* ReadFailFlag(const wchar_t* position, uint8_t* flag) {
  if (position == nullptr) return nullptr;
  const int32_t value = WideToIntDecimal(position);
  *flag = static_cast<uint8_t>(value < 0 ? 0 : (value > static_cast<int32_t>(kMostFailFlag) ? kMostFailFlag : value));
  if (*position == L'-') ++position;
  while (*position >= L'0' && *position <= L'9') ++position;
  return position;
}

// After the key: ',', the fail flag, ',', the pattern up to the first ';' or '>', then the comment part.
bool ReadPatternText(const wchar_t* text, PatternSettings* settings) {
  const wchar_t* position = ReadFailFlag(SkipExpected(SkipStepKey(text), L','), &settings->failOnEmpty);
  position = ReadSettingsTextField(SkipExpected(position, L','), settings->pattern, kApplyPartCapacity, 0);
  return position != nullptr && ReadSettingsComment(position, settings->comment, kStepCommentCapacity) == 0;
}

}  // namespace

ModuleInstance* CreatePatternSettings(const wchar_t* text) {
  PatternSettings* settings = static_cast<PatternSettings*>(AllocZeroed(sizeof(PatternSettings)));
  if (settings == nullptr) return nullptr;
  if (text != nullptr && !ReadPatternText(text, settings)) FreeAndNull(&settings);
  if (settings != nullptr) settings->header.flags = kApplyNeedsPath;
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializePatternSettings(const PatternModuleForm& form, const ModuleInstance* instance, wchar_t* text,
                             int capacity) {
  const PatternSettings* settings = AsPattern(instance);
  StepTextWriter writer(form.key, text, capacity);
  writer.Number(settings->failOnEmpty);
  writer.Plain(L",");
  writer.Plain(settings->pattern);
  return writer.Finish(settings->comment);
}

void DescribePatternSettings(const PatternModuleForm& form, const ModuleInstance* instance, wchar_t* text,
                             int capacity) {
  GetUiText(form.titleId, text, capacity);
  const PatternSettings* settings = AsPattern(instance);
  if (settings->pattern[0] == 0) return;
  AppendWideBounded(L", ", text, capacity);
  AppendWideBounded(settings->pattern, text, capacity);
}

void GetPatternModuleComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideString(AsPattern(instance)->comment, text, capacity);
}

void GetPatternModuleTitleText(const PatternModuleForm& form, wchar_t* text, int capacity) {
  GetUiText(form.titleId, text, capacity);
}

int ApplyPatternModule(ModuleApplyRecord* record, PatternExpander expand) {
  if (record->settings == nullptr) return ERROR_INVALID_PARAMETER;
  const PatternSettings* settings = AsPattern(record->settings);
  const wchar_t* path = static_cast<const wchar_t*>(record->context);
  if (settings->pattern[0] == 0 || path == nullptr) return 0;
  // The readers take any file; one that still faults on it fails only this file's step (the dispatch sees the
  // caught fault and marks the file).
  const uint32_t module = settings->header.moduleIndex;
  const GuardSubject reader = {"module", module < kModuleSlotCount ? g_moduleDescriptors[module].keyName : nullptr};
  return GuardedCall(static_cast<int>(ERROR_INTERNAL_ERROR), [&] { return expand(path, settings, record->name); },
                     reader);
}

int ReaderFailure(int result) { return result < 0 ? ERROR_BAD_FORMAT : result; }

int ExpandPatternSettings(const PatternSettings* settings, NameFieldReader read, void* context, wchar_t* name) {
  const int expanded =
      ExpandNamePattern(settings->pattern, settings->failOnEmpty != 0, read, context, name, kApplyPartCapacity);
  return PatternApplyResult(expanded);
}

int PatternApplyResult(int expanded) { return expanded < 0 ? kPatternStepFailed : 0; }

void GetFieldDisplayName(int textId, const wchar_t* name, wchar_t* text, int capacity) {
  if (textId != 0) GetUiText(textId, text, capacity);
  if (textId == 0 || text[0] == 0) CopyWideString(name, text, capacity);
}

int PutFieldText(const wchar_t* text, uint32_t type, void* out, int outSize) {
  if (outSize < 2) return 0;
  CopyWideString(text, static_cast<wchar_t*>(out), outSize / 2);
  return static_cast<int>(type);
}

namespace {

template <typename Value>
int PutFieldBytes(const Value& value, uint32_t type, void* out, int outSize) {
  if (outSize < static_cast<int>(sizeof value)) return 0;
  memcpy(out, &value, sizeof value);
  return static_cast<int>(type);
}

}  // namespace

int PutFieldInteger(int32_t value, uint32_t type, void* out, int outSize) {
  return value != 0 ? PutFieldBytes(value, type, out, outSize) : 0;
}

int PutFieldDecimal(double value, void* out, int outSize) {
  return value != 0 ? PutFieldBytes(value, kFieldTypeDecimal, out, outSize) : 0;
}

int PutFieldYesNo(bool value, void* out, int outSize) {
  return PutFieldBytes(int32_t{value ? 1 : 0}, kFieldTypeYesNo, out, outSize);
}

int PutFieldFileTime(const FILETIME& value, void* out, int outSize) {
  return IsFileTimeSet(&value) ? PutFieldBytes(value, kFieldTypeDateTime, out, outSize) : 0;
}
