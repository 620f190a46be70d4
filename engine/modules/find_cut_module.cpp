#include "engine/modules/find_cut_module.h"

#include <windows.h>

#include "engine/module_dialog_frame.h"
#include "engine/modules/regex_module.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

// The flag letters of the text form in their order: case, then side.
constexpr char kFindCutFlagLetters[] = "cb";

FindCutSettings* AsFindCut(ModuleInstance* settings) { return reinterpret_cast<FindCutSettings*>(settings); }
const FindCutSettings* AsFindCut(const ModuleInstance* settings) {
  return reinterpret_cast<const FindCutSettings*>(settings);
}

// The first position where the search text stands in the text, compared as the user's locale compares
// (kana type ignored, case too unless it matters); -1 when it does not.
int FindFirst(const wchar_t* text, const wchar_t* search, bool caseMatters) {
  const int length = static_cast<int>(WideLength(text));
  const int searchLength = static_cast<int>(WideLength(search));
  const DWORD flags = NORM_IGNOREKANATYPE | (caseMatters ? 0 : NORM_IGNORECASE);
  for (int p = 0; p + searchLength <= length; ++p) {
    if (CompareStringW(LOCALE_USER_DEFAULT, flags, text + p, searchLength, search, searchLength) == CSTR_EQUAL)
      return p;
  }
  return -1;
}

// Keeps what precedes the found text, or with 'b' what follows the whole of it; an empty rest changes nothing.
void CutAtFoundText(const FindCutSettings* settings, wchar_t* text) {
  const int found = FindFirst(text, settings->search, settings->caseFlag == 'c');
  if (found < 0) return;
  if (settings->side == 'b') {
    const wchar_t* rest = text + found + WideLength(settings->search);
    if (*rest != 0) CopyWideBounded(rest, text, kApplyPartCapacity);
  } else if (found > 0) {
    text[found] = 0;
  }
}

int ApplyFaCModule(ModuleApplyRecord* record) {
  const FindCutSettings* settings = AsFindCut(record->settings);
  if (settings == nullptr) return -1;
  wchar_t* target = SearchedNamePart(record, settings->part);
  if (settings->search[0] != 0 && target != nullptr) CutAtFoundText(settings, target);
  return 0;
}

bool ReadFindCutText(const wchar_t* text, FindCutSettings* settings) {
  uint8_t flags[2] = {};
  const wchar_t* position = ReadSearchStepHead(text, kFindCutFlagLetters, &settings->part, flags);
  if (position == nullptr || *position != L'"') return false;
  settings->caseFlag = flags[0];
  settings->side = flags[1];
  position = ReadSettingsTextField(position, settings->search, kApplyPartCapacity, L'"');
  return ReadSettingsComment(position, settings->comment, kStepCommentCapacity) == 0 &&
         (settings->part == L'n' || settings->part == L'e');
}

ModuleInstance* CreateFaCSettings(const wchar_t* text) {
  FindCutSettings* settings = static_cast<FindCutSettings*>(AllocZeroed(sizeof(FindCutSettings)));
  if (settings == nullptr) return nullptr;
  settings->part = L'n';
  if (text != nullptr && !ReadFindCutText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeFaCSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const FindCutSettings* settings = AsFindCut(instance);
  const uint8_t flags[] = {settings->caseFlag, settings->side};
  int cut = WriteSearchStepHead(L"FaC", settings->part, flags, 2, text, capacity);
  const int valueCut = AppendSettingsTextField(settings->search, text, capacity);
  const int commentCut = WriteSettingsComment(settings->comment, text, capacity);
  if (cut == 0) cut = valueCut;
  return cut != 0 ? cut : commentCut;
}

void DescribeFaCSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const FindCutSettings* settings = AsFindCut(instance);
  AppendSearchPartPieces(settings->part, kTextFindWord, text, capacity);
  AppendQuotedPiece(settings->search, text, capacity);
  AppendUiTextPiece(kTextAndRemove, text, capacity);
  if (settings->caseFlag == 'c') AppendCaseSensitivePiece(text, capacity);
  AppendWideBounded(L" ", text, capacity);
  AppendUiTextPiece(settings->side == 'b' ? kTextEverythingBefore : kTextEverythingAfter, text, capacity);
}

void GetFaCComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsFindCut(instance)->comment, text, capacity);
}

void GetFaCTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleFindCut, text, capacity); }

}  // namespace

const ModuleDescriptor kFindCutModule = {
    .serialize = SerializeFaCSettings,
    .describe = DescribeFaCSettings,
    .comment = GetFaCComment,
    .title = GetFaCTitle,
    .createSettings = CreateFaCSettings,
    .showDialog = ShowModuleDialogOf<kFindCutDialog>,
    .apply = ApplyFaCModule,
    .freeSettings = FreeModuleInstanceMemory,
    .keyName = L"FaC",
};
