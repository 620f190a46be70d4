#include "engine/modules/case_module.h"

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/text/text_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

const CaseSettings* AsCase(const ModuleInstance* settings) {
  return reinterpret_cast<const CaseSettings*>(settings);
}

bool IsValidPart(wchar_t part) { return part == L'n' || part == L'e'; }

bool IsValidConversion(int conversion) { return conversion >= kCaseLower && conversion <= kCaseInvert; }

// CharLowerW takes a pointer argument whose high word is zero as one character.
wchar_t CharToLowerWide(wchar_t c) {
  const LPWSTR lowered = CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)));
  return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(lowered));
}

// '_' joins words in identifiers but separates them in names; the apostrophe keeps a word together.
bool IsWordSeparator(wchar_t c) { return c == L'_' || WordSeparatorClass(c) != 0; }

void ToFirstLetterUpper(wchar_t* text) {
  if (text[0] == 0) return;
  StringToLowerWide(text + 1);
  text[0] = CharToUpperWide(text[0]);
}

void ToEveryWordUpper(wchar_t* text) {
  ToFirstLetterUpper(text);
  for (int i = 1; text[i] != 0; ++i) {
    if (IsWordSeparator(text[i - 1]) && !IsWordSeparator(text[i])) text[i] = CharToUpperWide(text[i]);
  }
}

void ToInvertedCase(wchar_t* text) {
  for (wchar_t* c = text; *c != 0; ++c) {
    const wchar_t lower = CharToLowerWide(*c);
    if (*c == lower) {
      *c = CharToUpperWide(*c);
    } else if (*c == CharToUpperWide(*c)) {
      *c = lower;
    }
  }
}

// Indexed by the conversion number.
void (*const kConversions[])(wchar_t* text) = {nullptr,           StringToLowerWide, StringToUpperWide,
                                               ToFirstLetterUpper, ToEveryWordUpper,  ToInvertedCase};

bool ReadCaseText(const wchar_t* text, CaseSettings* settings) {
  const wchar_t* position = SkipExpected(SkipStepKey(text), L',');
  if (position == nullptr || *position == 0) return false;
  const wchar_t part = *position;
  position = SkipExpected(position + 1, L',');
  if (position == nullptr || *position == 0) return false;
  const int conversion = *position - L'0';
  if (ReadSettingsComment(position + 1, settings->comment, kStepCommentCapacity) != 0) return false;
  if (!IsValidPart(part) || !IsValidConversion(conversion)) return false;
  settings->part = part;
  settings->conversion = static_cast<uint16_t>(conversion);
  return true;
}

ModuleInstance* CreateCaseSettings(const wchar_t* text) {
  CaseSettings* settings = static_cast<CaseSettings*>(AllocZeroed(sizeof(CaseSettings)));
  if (settings == nullptr) return nullptr;
  settings->part = L'n';
  settings->conversion = kCaseLower;
  if (text != nullptr && !ReadCaseText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeCaseSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const CaseSettings* settings = AsCase(instance);
  wchar_t values[] = L"Case,?,?";
  values[5] = static_cast<wchar_t>(settings->part);
  values[7] = static_cast<wchar_t>(L'0' + settings->conversion);
  const int cut = AppendWideBounded(values, text, capacity);
  const int commentCut = WriteSettingsComment(settings->comment, text, capacity);
  return cut != 0 ? cut : commentCut;
}

void DescribeCaseSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const CaseSettings* settings = AsCase(instance);
  if (IsValidPart(settings->part))
    AppendDescriptionPiece(settings->part == L'n' ? kTextNamePart : kTextExtensionPart, text, capacity);
  AppendDescriptionPiece(kTextModuleCase, text, capacity);
  if (IsValidConversion(settings->conversion))
    AppendDescriptionPiece(kTextCaseLower + settings->conversion - kCaseLower, text, capacity);
}

void GetCaseComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsCase(instance)->comment, text, capacity);
}

void GetCaseTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleCase, text, capacity); }

int ApplyCaseModule(ModuleApplyRecord* record) {
  const CaseSettings* settings = AsCase(record->settings);
  wchar_t* target = nullptr;
  if (settings->part == L'n') target = record->name;
  if (settings->part == L'e') target = record->extension;
  if (target != nullptr && IsValidConversion(settings->conversion)) kConversions[settings->conversion](target);
  return 0;
}

}  // namespace

const ModuleDescriptor kCaseModule = {
    .serialize = SerializeCaseSettings,
    .describe = DescribeCaseSettings,
    .comment = GetCaseComment,
    .title = GetCaseTitle,
    .createSettings = CreateCaseSettings,
    .showDialog = ShowModuleDialogOf<kCaseDialog>,
    .apply = ApplyCaseModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"Case",
};
