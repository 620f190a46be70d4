#include "engine/modules/sbst_module.h"

#include <cwchar>

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/modules/name_part_edits.h"
#include "engine/modules/step_values.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

constexpr uint8_t kMatchCaseFlag = 'c';
constexpr uint8_t kEveryOccurrenceFlag = 'a';

const SbstSettings* AsSbst(const ModuleInstance* settings) {
  return reinterpret_cast<const SbstSettings*>(settings);
}

// After the part: ',', then 'c' and 'a' each when set and each with an optional ',' after it, then the two
// quoted texts.
bool ReadSbstText(const wchar_t* text, SbstSettings* settings) {
  StepTextReader reader(text);
  settings->part = reader.Letter();
  reader.Expect(L',');
  if (reader.Optional(L'c')) {
    settings->matchCase = kMatchCaseFlag;
    reader.Optional(L',');
  }
  if (reader.Optional(L'a')) {
    settings->everyOccurrence = kEveryOccurrenceFlag;
    reader.Optional(L',');
  }
  reader.QuotedText(settings->search, kApplyPartCapacity);
  reader.Quoted(settings->replacement, kApplyPartCapacity);
  return reader.Finish(settings->comment) && IsNamePart(settings->part);
}

ModuleInstance* CreateSbstSettings(const wchar_t* text) {
  SbstSettings* settings = static_cast<SbstSettings*>(AllocZeroed(sizeof(SbstSettings)));
  if (settings == nullptr) return nullptr;
  settings->part = kNamePart;
  if (text != nullptr && !ReadSbstText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeSbstSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const SbstSettings* settings = AsSbst(instance);
  StepTextWriter writer(L"Sbst", text, capacity);
  writer.Letter(static_cast<wchar_t>(settings->part));
  if (settings->matchCase != 0) writer.Letter(L'c');
  if (settings->everyOccurrence != 0) writer.Letter(L'a');
  writer.Quoted(settings->search);
  writer.Quoted(settings->replacement);
  return writer.Finish(settings->comment);
}

void AppendQuotedText(const wchar_t* value, wchar_t* text, int capacity) {
  AppendWideBounded(L" \"", text, capacity);
  AppendWideBounded(value, text, capacity);
  AppendWideBounded(L"\"", text, capacity);
}

void DescribeSbstSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const SbstSettings* settings = AsSbst(instance);
  AppendPartDescription(static_cast<wchar_t>(settings->part), text, capacity);
  AppendDescriptionPiece(kTextReplaceWord, text, capacity);
  AppendQuotedText(settings->search, text, capacity);
  AppendBlankAndUiText(kTextWithWord, text, capacity);
  AppendQuotedText(settings->replacement, text, capacity);
  AppendWideBounded(L" ", text, capacity);
  if (settings->matchCase != 0) AppendDescriptionPiece(kTextCaseSensitive, text, capacity);
  if (settings->everyOccurrence != 0) AppendDescriptionPiece(kTextEveryOccurrence, text, capacity);
}

void GetSbstComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsSbst(instance)->comment, text, capacity);
}

void GetSbstTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleReplace, text, capacity); }

wchar_t AsciiAlnumLower(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
  return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ? c : 0;
}

// Two texts that begin with different ASCII letters or digits (ignoring case) never compare equal, whatever the
// locale: such characters are never ignored nor joined with others. Spares the locale's comparison at most places.
bool CannotMatchAt(const wchar_t* text, const wchar_t* search) {
  const wchar_t first = AsciiAlnumLower(*text);
  const wchar_t wanted = AsciiAlnumLower(*search);
  return first != 0 && wanted != 0 && first != wanted;
}

bool MatchesAt(const wchar_t* text, const wchar_t* search, int searchLength, DWORD flags) {
  if (CannotMatchAt(text, search)) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, flags, text, searchLength, search, searchLength) == CSTR_EQUAL;
}

// The walk goes on after each inserted replacement, so a replacement is never searched again.
void ReplaceOccurrences(const SbstSettings* settings, wchar_t* target) {
  const DWORD flags = NORM_IGNOREKANATYPE | (settings->matchCase != 0 ? 0 : NORM_IGNORECASE);
  const size_t searchLength = WideLength(settings->search);
  const uint32_t replacementLength = static_cast<uint32_t>(WideLength(settings->replacement));
  for (uint32_t i = 0; i + searchLength <= WideLength(target);) {
    if (!MatchesAt(target + i, settings->search, static_cast<int>(searchLength), flags)) {
      ++i;
      continue;
    }
    SpliceText(target, kApplyPartCapacity, i, static_cast<uint32_t>(searchLength), settings->replacement,
               replacementLength);
    if (settings->everyOccurrence == 0) return;
    i += replacementLength;
  }
}

int ApplySbstModule(ModuleApplyRecord* record) {
  const SbstSettings* settings = AsSbst(record->settings);
  if (settings->search[0] == 0 || wcscmp(settings->search, settings->replacement) == 0) return 0;
  wchar_t* target = NamePartOf(record, static_cast<wchar_t>(settings->part), false);
  if (target != nullptr) ReplaceOccurrences(settings, target);
  return 0;
}

}  // namespace

const ModuleDescriptor kSbstModule = {
    .serialize = SerializeSbstSettings,
    .describe = DescribeSbstSettings,
    .comment = GetSbstComment,
    .title = GetSbstTitle,
    .createSettings = CreateSbstSettings,
    .showDialog = ShowModuleDialogOf<kSbstDialog>,
    .apply = ApplySbstModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"Sbst",
};
