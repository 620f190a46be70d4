#include "engine/modules/regex_module.h"

#include <cwchar>

#include "engine/module_dialog_frame.h"
#include "engine/module_formatting.h"
#include "engine/module_table.h"
#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

constexpr int kPieceCapacity = 256;
// The 8-bit form of 1023 characters: at most three bytes each (UTF-8), four for a surrogate pair.
constexpr int kNarrowCapacity = 4 * kApplyPartCapacity;
constexpr char kRegExFlagLetters[] = "c";

RegExSettings* AsRegEx(ModuleInstance* settings) { return reinterpret_cast<RegExSettings*>(settings); }
const RegExSettings* AsRegEx(const ModuleInstance* settings) {
  return reinterpret_cast<const RegExSettings*>(settings);
}

bool IsValidPart(wchar_t part) { return part == L'n' || part == L'e'; }

UINT ActualCodePage(UINT codePage) { return codePage == CP_ACP ? GetACP() : codePage; }

// The text in the code page, terminated: its byte count, or -1 when a character has no exact form there (no
// best-fit stand-in, no default character) or the bytes do not fit.
int ToCodePageExactly(const wchar_t* text, UINT codePage, char* out, int capacity) {
  out[0] = 0;
  const int length = static_cast<int>(WideLength(text));
  if (length == 0) return 0;
  // UTF-8 has a form for every character; only broken surrogates fail, and it takes no default character.
  const bool utf8 = ActualCodePage(codePage) == CP_UTF8;
  BOOL usedDefault = FALSE;
  const int bytes = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text, length,
                                        out, capacity - 1, nullptr, utf8 ? nullptr : &usedDefault);
  if (bytes <= 0 || usedDefault) return -1;
  out[bytes] = 0;
  return bytes;
}

// The number of characters of `wide` that the first `bytes` bytes of its 8-bit form `narrow` stand for; -1 when
// those bytes end inside a character.
int CharactersBefore(const char* narrow, int bytes, const wchar_t* wide, UINT codePage) {
  if (bytes == 0) return 0;
  const int characters = MultiByteToWideChar(codePage, 0, narrow, bytes, nullptr, 0);
  if (characters <= 0) return -1;
  const int back = WideCharToMultiByte(codePage, 0, wide, characters, nullptr, 0, nullptr, nullptr);
  return back == bytes ? characters : -1;
}

// Prepare: the pattern is compiled again for every pass.
void CompileRegExModulePattern(ModuleInstance* instance) {
  RegExSettings* settings = AsRegEx(instance);
  FreeNamePattern(&settings->compiled);
  settings->compiled = CompileNamePattern(settings->pattern, settings->caseFlag == 'c', CP_ACP);
}

int ApplyRegExModule(ModuleApplyRecord* record) {
  const RegExSettings* settings = AsRegEx(record->settings);
  if (settings == nullptr) return -1;
  if (settings->pattern[0] == 0 || wcscmp(settings->pattern, settings->replacement) == 0) return 0;
  wchar_t* target = SearchedNamePart(record, settings->part);
  if (target != nullptr)
    ReplaceFirstRegexMatch(settings->compiled, target, kApplyPartCapacity, settings->replacement, CP_ACP);
  return 0;
}

bool ReadRegExText(const wchar_t* text, RegExSettings* settings) {
  uint8_t flags[1] = {};
  const wchar_t* position = ReadSearchStepHead(text, kRegExFlagLetters, &settings->part, flags);
  if (position == nullptr || *position != L'"') return false;
  settings->caseFlag = flags[0];
  position = ReadSettingsTextField(position, settings->pattern, kApplyPartCapacity, L'"');
  position = SkipExpected(position, L',');
  if (position == nullptr || *position != L'"') return false;
  position = ReadSettingsTextField(position, settings->replacement, kApplyPartCapacity, L'"');
  return ReadSettingsComment(position, settings->comment, kStepCommentCapacity) == 0 &&
         IsValidPart(settings->part);
}

ModuleInstance* CreateRegExSettings(const wchar_t* text) {
  RegExSettings* settings = static_cast<RegExSettings*>(AllocZeroed(sizeof(RegExSettings)));
  if (settings == nullptr) return nullptr;
  settings->part = L'n';
  if (text != nullptr && !ReadRegExText(text, settings)) FreeAndNull(&settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializeRegExSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const RegExSettings* settings = AsRegEx(instance);
  int cut = WriteSearchStepHead(L"RegEx", settings->part, &settings->caseFlag, 1, text, capacity);
  const int values[] = {AppendSettingsTextField(settings->pattern, text, capacity),
                        AppendWideBounded(L",", text, capacity),
                        AppendSettingsTextField(settings->replacement, text, capacity),
                        WriteSettingsComment(settings->comment, text, capacity)};
  for (int value : values) {
    if (cut == 0) cut = value;
  }
  return cut;
}

void DescribeRegExSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const RegExSettings* settings = AsRegEx(instance);
  AppendSearchPartPieces(settings->part, kTextReplaceWord, text, capacity);
  AppendWideBounded(L" (RegEx)", text, capacity);
  AppendQuotedPiece(settings->pattern, text, capacity);
  AppendUiTextPiece(kTextWithWord, text, capacity);
  AppendQuotedPiece(settings->replacement, text, capacity);
  if (settings->caseFlag == 'c') AppendCaseSensitivePiece(text, capacity);
}

void GetRegExComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsRegEx(instance)->comment, text, capacity);
}

void GetRegExTitle(wchar_t* text, int capacity) { GetUiText(kTextModuleRegEx, text, capacity); }

void FreeRegExSettings(ModuleInstance* instance) {
  FreeNamePattern(&AsRegEx(instance)->compiled);
  FreeModuleInstanceMemory(instance);
}

}  // namespace

RegexHolder* CompileNamePattern(const wchar_t* pattern, bool caseMatters, UINT codePage) {
  RegexHolder* holder = static_cast<RegexHolder*>(AllocZeroed(sizeof(RegexHolder)));
  if (holder == nullptr) return nullptr;
  char narrow[kNarrowCapacity];
  if (ToCodePageExactly(pattern, codePage, narrow, kNarrowCapacity) >= 0) BuildRegex(holder, narrow, caseMatters);
  return holder;
}

void FreeNamePattern(RegexHolder** holder) {
  FreeRegex(*holder);
  FreeAndNull(holder);
}

bool RegExGivesUpOn(const ModuleInstance* instance, const wchar_t* fileName) {
  if (instance == nullptr || fileName == nullptr) return false;
  // A copy with its own compiled pattern: the step's own pattern belongs to its pass.
  RegExSettings* trial = static_cast<RegExSettings*>(AllocZeroed(sizeof(RegExSettings)));
  if (trial == nullptr) return false;
  *trial = *AsRegEx(instance);
  trial->compiled = nullptr;
  CompileRegExModulePattern(&trial->header);
  wchar_t name[kApplyPartCapacity];
  CopyWideBounded(fileName, name, kApplyPartCapacity);
  ApplyModuleToFileName(&trial->header, nullptr, name, kApplyPartCapacity);
  const bool gaveUp = trial->compiled != nullptr && trial->compiled->gaveUp != 0;
  FreeRegExSettings(&trial->header);
  return gaveUp;
}

bool RegExGaveUpInLastPass(const ModuleInstance* instance) {
  const RegExSettings* settings = AsRegEx(instance);
  return settings != nullptr && settings->compiled != nullptr && settings->compiled->gaveUp != 0;
}

bool ReplaceFirstRegexMatch(RegexHolder* holder, wchar_t* text, int capacity, const wchar_t* replacement,
                            UINT codePage) {
  if (holder == nullptr || holder->code == nullptr) return false;
  char narrow[kNarrowCapacity];
  const int length = ToCodePageExactly(text, codePage, narrow, kNarrowCapacity);
  int32_t start = 0;
  int32_t extent = 0;
  if (length < 0 || FindRegexMatch(holder, narrow, static_cast<size_t>(length), &start, &extent) == 0) return false;
  const int first = CharactersBefore(narrow, start, text, codePage);
  const int end = CharactersBefore(narrow, start + extent, text, codePage);
  if (first < 0 || end < first) return false;
  wchar_t* joined = AllocZeroedWide(static_cast<uint32_t>(capacity));
  if (joined == nullptr) return false;
  CopyWideBounded(text, joined, first + 1 < capacity ? first + 1 : capacity);
  AppendWideBounded(replacement, joined, capacity);
  AppendWideBounded(text + end, joined, capacity);
  CopyWideBounded(joined, text, capacity);
  FreeAndNull(&joined);
  return true;
}

wchar_t* SearchedNamePart(ModuleApplyRecord* record, wchar_t part) {
  if (part == L'n') return record->name;
  if (part == L'e' && record->extension[0] != 0) return record->extension;
  return nullptr;
}

const wchar_t* ReadSearchStepHead(const wchar_t* text, const char* flagLetters, wchar_t* part, uint8_t* flags) {
  const wchar_t* position = SkipExpected(SkipStepKey(text), L',');
  if (position == nullptr || *position == 0) return nullptr;
  *part = *position;
  position = SkipExpected(position + 1, L',');
  for (int i = 0; flagLetters[i] != 0 && position != nullptr; ++i) {
    flags[i] = 0;
    if (*position != static_cast<wchar_t>(flagLetters[i])) continue;
    flags[i] = static_cast<uint8_t>(flagLetters[i]);
    ++position;
    if (*position == L',') ++position;
  }
  return position;
}

int WriteSearchStepHead(const wchar_t* key, wchar_t part, const uint8_t* flags, int flagCount, wchar_t* text,
                        int capacity) {
  wchar_t head[32] = L",?,";
  head[1] = part;
  int used = 3;
  for (int i = 0; i < flagCount; ++i) {
    if (flags[i] == 0) continue;
    head[used++] = static_cast<wchar_t>(flags[i]);
    head[used++] = L',';
  }
  head[used] = 0;
  const int cut = AppendWideBounded(key, text, capacity);
  const int headCut = AppendWideBounded(head, text, capacity);
  return cut != 0 ? cut : headCut;
}

void AppendSearchPartPieces(wchar_t part, int firstTextId, wchar_t* text, int capacity) {
  if (IsValidPart(part)) AppendDescriptionPiece(part == L'n' ? kTextNamePart : kTextExtensionPart, text, capacity);
  AppendDescriptionPiece(firstTextId, text, capacity);
}

void AppendQuotedPiece(const wchar_t* value, wchar_t* text, int capacity) {
  AppendWideBounded(L" \"", text, capacity);
  AppendWideBounded(value, text, capacity);
  AppendWideBounded(L"\" ", text, capacity);
}

void AppendUiTextPiece(int textId, wchar_t* text, int capacity) {
  wchar_t piece[kPieceCapacity];
  GetUiText(textId, piece, kPieceCapacity);
  AppendWideBounded(piece, text, capacity);
}

void AppendCaseSensitivePiece(wchar_t* text, int capacity) {
  AppendWideBounded(L", ", text, capacity);
  AppendUiTextPiece(kTextCaseSensitive, text, capacity);
}

const ModuleDescriptor kRegExModule = {
    .serialize = SerializeRegExSettings,
    .describe = DescribeRegExSettings,
    .comment = GetRegExComment,
    .title = GetRegExTitle,
    .createSettings = CreateRegExSettings,
    .showDialog = ShowModuleDialogOf<kRegExDialog>,
    .prepare = CompileRegExModulePattern,
    .apply = ApplyRegExModule,
    .freeSettings = FreeRegExSettings,
    .keyName = L"RegEx",
};
