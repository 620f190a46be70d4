#include "engine/name_marks.h"

#include <cstdio>
#include <cwchar>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/paths.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

namespace {

bool IsMarkedName(const wchar_t* name, const wchar_t* errorText);

constexpr int kErrorWordLength = 125;
constexpr int kReasonCapacity = 260;
// The character after UI text 13191 is left out when the text before it is longer than this.
constexpr size_t kLongestTextBeforeCharacter = 124;

// The character a name may not hold, as it is shown: itself, or U+XXXX when it would not be visible.
void DescribeCharacter(wchar_t c, wchar_t* text, int capacity) {
  if (c > L' ') {
    text[0] = c;
    text[1] = 0;
    return;
  }
  swprintf(text, static_cast<size_t>(capacity), L"U+%04X", static_cast<unsigned>(c));
}

// The first character that makes the name unusable, or 0.
wchar_t OffendingCharacter(const wchar_t* name) {
  const int invalid = FindInvalidFileNameChar(name, false);
  if (invalid > 0) return name[invalid - 1];
  const size_t length = WideLength(name);
  if (length > 0 && (name[length - 1] == L'.' || name[length - 1] == L' ')) return name[length - 1];
  return 0;
}

void MarkInvalidCharacter(const wchar_t* errorText, wchar_t c, wchar_t* name) {
  WriteNameMark(errorText, kTextInvalidCharacter, nullptr, name, kFileNameCapacity);
  if (WideLength(name) + 1 > kLongestTextBeforeCharacter) return;
  wchar_t shown[8];
  DescribeCharacter(c, shown, 8);
  AppendWideBounded(L" ", name, kFileNameCapacity);
  AppendWideBounded(shown, name, kFileNameCapacity);
}

// Marks one row's new name when it cannot be used; true when it is marked (now or before).
bool MarkRowName(FileListRow* row, const wchar_t* errorText) {
  wchar_t* name = row->newName;
  if (IsMarkedName(name, errorText)) return true;
  if (wcscmp(name, row->currentName) == 0) return false;
  wchar_t offending = 0;
  const int reason = FileNameProblem(name, &offending);
  if (reason == kTextInvalidCharacter) {
    MarkInvalidCharacter(errorText, offending, name);
  } else if (reason != 0) {
    WriteNameMark(errorText, reason, nullptr, name, kFileNameCapacity);
  }
  return reason != 0;
}

}  // namespace

int FileNameProblem(const wchar_t* name, wchar_t* character) {
  *character = OffendingCharacter(name);
  if (*character != 0) return kTextInvalidCharacter;
  if (name[0] == 0) return kTextEmptyName;
  if (WideLength(name) > kMaxFileNameLength) return kTextNameTooLong;
  return IsReservedDeviceName(name) ? kTextDeviceName : 0;
}

void DescribeFileNameProblem(int reason, wchar_t character, wchar_t* text, int capacity) {
  GetUiText(reason, text, capacity);
  if (reason != kTextInvalidCharacter) return;
  wchar_t shown[8];
  DescribeCharacter(character, shown, 8);
  AppendWideBounded(L" ", text, capacity);
  AppendWideBounded(shown, text, capacity);
}

void BuildPreviewErrorText(wchar_t* text, int capacity) {
  wchar_t word[kErrorWordLength + 1];
  GetUiText(kTextErrorWord, word, kErrorWordLength + 1);
  CopyWideBounded(L"<", text, capacity);
  AppendWideBounded(word, text, capacity);
  AppendWideBounded(L">", text, capacity);
}

void WriteNameMark(const wchar_t* errorText, int reasonTextId, const wchar_t* detail, wchar_t* name, int capacity) {
  CopyWideBounded(errorText, name, capacity);
  wchar_t reason[kReasonCapacity] = {};
  if (reasonTextId != 0) GetUiText(reasonTextId, reason, kReasonCapacity);
  if (reason[0] != 0) {
    AppendWideBounded(L", ", name, capacity);
    AppendWideBounded(reason, name, capacity);
  }
  if (detail == nullptr) return;
  AppendWideBounded(L" ", name, capacity);
  AppendWideBounded(detail, name, capacity);
}

namespace {

// True when `name` begins with the (non-empty) error text.
bool IsMarkedName(const wchar_t* name, const wchar_t* errorText) {
  const size_t length = WideLength(errorText);
  return length > 0 && name != nullptr && wcsncmp(name, errorText, length) == 0;
}

}  // namespace

int MarkNamesWithInvalidChars(uint32_t rowCount, const wchar_t* errorText) {
  if (g_app == nullptr || g_app->fileList == nullptr) return 0;
  int marked = 0;
  for (uint32_t i = 0; i < rowCount; ++i) {
    uint8_t* row = ItemStoreGet(&g_app->fileList->rows, i);
    if (row != nullptr && MarkRowName(reinterpret_cast<FileListRow*>(row), errorText)) ++marked;
  }
  return marked;
}
