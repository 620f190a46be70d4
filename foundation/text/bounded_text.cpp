#include "foundation/text/bounded_text.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/text/text_operations.h"

namespace {

constexpr int kFullNarrowTarget = 123;
// Sort keys of file names fit here; longer texts get a heap block of their own size.
constexpr int kSortKeyBytes = 4096;

template <typename Char>
size_t LengthOf(const Char* text) {
  if (text == nullptr) return 0;
  size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

template <typename Char>
size_t LengthWithin(const Char* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

int NegatedLength(size_t length) { return length > INT_MAX ? -INT_MAX : -static_cast<int>(length); }

// The one append rule of both widths; `fullResult` is what appending to an already full target gives.
template <typename Char>
int AppendBounded(const Char* source, Char* target, int capacity, bool narrow) {
  if (target == nullptr || capacity <= 0) return 0;
  const size_t cells = static_cast<size_t>(capacity);
  size_t used = LengthWithin(target, cells);
  if (used == cells) {
    // An unterminated target is treated as full and gets its terminator back.
    used = cells - 1;
    target[used] = 0;
  }
  const size_t sourceLength = LengthOf(source);
  if (sourceLength == 0) return 0;
  const size_t room = cells - 1 - used;
  if (room == 0) return narrow ? kFullNarrowTarget : NegatedLength(sourceLength);
  if (sourceLength > room) {
    memmove(target + used, source, room * sizeof(Char));
    target[cells - 1] = 0;
    return NegatedLength(sourceLength);
  }
  memmove(target + used, source, (sourceLength + 1) * sizeof(Char));
  return 0;
}

template <typename Char>
int CopyBounded(const Char* source, Char* target, int capacity, bool narrow) {
  if (source == target) return 0;
  if (target != nullptr && capacity > 0) target[0] = 0;
  return AppendBounded(source, target, capacity, narrow);
}

template <typename Char>
int TrimTrailingSpaces(Char* text) {
  if (text == nullptr) return -1;
  int last = static_cast<int>(LengthOf(text)) - 1;
  while (last >= 0 && text[last] == ' ') text[last--] = 0;
  return last;
}

// CharUpperW and CharLowerW take a pointer argument whose high word is zero as one character.
LPWSTR CharAsPointer(wchar_t c) { return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)); }

wchar_t PointerAsChar(LPWSTR result) { return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(result)); }

wchar_t CharToLowerWide(wchar_t c) { return PointerAsChar(CharLowerW(CharAsPointer(c))); }

bool IsWordBoundary(const wchar_t* text, int position, int patternLength) {
  if (position > 0 && WordSeparatorClass(text[position - 1]) == 0) return false;
  const wchar_t after = text[position + patternLength];
  return after == 0 || WordSeparatorClass(after) != 0;
}

bool MatchesAt(const wchar_t* candidate, const wchar_t* pattern, int patternLength, bool exactCase) {
  if (exactCase) return wcsncmp(candidate, pattern, patternLength) == 0;
  const wchar_t first = candidate[0];
  if (first != CharToUpperWide(pattern[0]) && first != CharToLowerWide(pattern[0])) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, kIgnoreCaseFlags, candidate, patternLength, pattern, patternLength) ==
         CSTR_EQUAL;
}

}  // namespace

int AppendWideBounded(const wchar_t* source, wchar_t* target, int capacity) {
  return AppendBounded(source, target, capacity, false);
}

int CopyWideBounded(const wchar_t* source, wchar_t* target, int capacity) {
  return CopyBounded(source, target, capacity, false);
}

void CopyWideString(const wchar_t* source, wchar_t* target, int capacity) { CopyWideBounded(source, target, capacity); }

int AppendNarrowBounded(const char* source, char* target, int capacity) {
  return AppendBounded(source, target, capacity, true);
}

int CopyNarrowBounded(const char* source, char* target, int capacity) {
  return CopyBounded(source, target, capacity, true);
}

size_t WideLength(const wchar_t* text) { return LengthOf(text); }

size_t NarrowLength(const char* text) { return LengthOf(text); }

wchar_t CharToUpperWide(wchar_t c) { return PointerAsChar(CharUpperW(CharAsPointer(c))); }

char CharToUpperNarrow(char c) {
  const auto code = static_cast<ULONG_PTR>(static_cast<unsigned char>(c));
  return static_cast<char>(reinterpret_cast<ULONG_PTR>(CharUpperA(reinterpret_cast<LPSTR>(code))));
}

char CharToLowerNarrow(char c) {
  const auto code = static_cast<ULONG_PTR>(static_cast<unsigned char>(c));
  return static_cast<char>(reinterpret_cast<ULONG_PTR>(CharLowerA(reinterpret_cast<LPSTR>(code))));
}

void StringToUpperWide(wchar_t* text) {
  if (text != nullptr) CharUpperBuffW(text, static_cast<DWORD>(LengthOf(text)));
}

void StringToLowerWide(wchar_t* text) {
  if (text != nullptr) CharLowerBuffW(text, static_cast<DWORD>(LengthOf(text)));
}

void StringToUpperNarrow(char* text) {
  if (text != nullptr) CharUpperBuffA(text, static_cast<DWORD>(LengthOf(text)));
}

void TrimLeadingSpaces(wchar_t* text) {
  if (text == nullptr) return;
  size_t blanks = 0;
  while (text[blanks] == ' ') ++blanks;
  if (blanks > 0) memmove(text, text + blanks, (LengthOf(text + blanks) + 1) * sizeof(wchar_t));
}

int TrimTrailingSpacesWide(wchar_t* text) { return TrimTrailingSpaces(text); }

int TrimTrailingSpacesNarrow(char* text) { return TrimTrailingSpaces(text); }

void CutAtLineBreak(wchar_t* text) {
  if (text == nullptr) return;
  if (wchar_t* cr = wcschr(text, L'\r')) *cr = 0;
  if (wchar_t* lf = wcschr(text, L'\n')) *lf = 0;
}

void ReplaceCharWide(wchar_t* text, wchar_t from, wchar_t to) {
  if (text == nullptr || from == 0) return;
  for (; *text != 0; ++text) {
    if (*text == from) *text = to;
  }
}

bool ContainsAngleBracket(const wchar_t* text) { return text != nullptr && wcspbrk(text, L"<>") != nullptr; }

void StripMenuTextDecorations(wchar_t* text) {
  if (text == nullptr) return;
  if (wchar_t* tab = wcschr(text, L'\t')) *tab = 0;
  wchar_t* out = text;
  for (const wchar_t* in = text; *in != 0; ++in) {
    if (*in != L'&') *out++ = *in;
  }
  *out = 0;
  if (wchar_t* ellipsis = wcsstr(text, L"...")) *ellipsis = 0;
}

bool EqualsIgnoreCaseWide(const wchar_t* a, const wchar_t* b, int count) {
  if (a == nullptr || b == nullptr) return false;
  // A count longer than a text must not make the comparison read past its terminator.
  const int lengthA = count < 0 ? -1 : static_cast<int>(LengthWithin(a, static_cast<size_t>(count)));
  const int lengthB = count < 0 ? -1 : static_cast<int>(LengthWithin(b, static_cast<size_t>(count)));
  return CompareStringW(LOCALE_USER_DEFAULT, kIgnoreCaseFlags, a, lengthA, b, lengthB) == CSTR_EQUAL;
}

namespace {

uint64_t HashBytes(const uint8_t* bytes, int count) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (int i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

int SortKeyOf(const wchar_t* text, uint8_t* key, int bytes) {
  return LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | kIgnoreCaseFlags, text, -1,
                      reinterpret_cast<wchar_t*>(key), bytes);
}

}  // namespace

uint64_t HashIgnoreCaseWide(const wchar_t* text) {
  if (text == nullptr) return 0;
  uint8_t key[kSortKeyBytes];
  const int length = SortKeyOf(text, key, kSortKeyBytes);
  if (length > 0) return HashBytes(key, length);
  const int needed = SortKeyOf(text, nullptr, 0);
  uint8_t* block = needed > 0 ? static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(needed))) : nullptr;
  const int written = block != nullptr ? SortKeyOf(text, block, needed) : 0;
  // Without a key the text lands with every other text that has none; the confirming comparison sorts them out.
  const uint64_t hash = HashBytes(block, written);
  FreeAndNull(&block);
  return hash;
}

bool EqualsIgnoreCaseNarrow(const char* a, const char* b, int count) {
  if (a == nullptr || b == nullptr) return false;
  const int lengthA = count < 0 ? -1 : static_cast<int>(LengthWithin(a, static_cast<size_t>(count)));
  const int lengthB = count < 0 ? -1 : static_cast<int>(LengthWithin(b, static_cast<size_t>(count)));
  return CompareStringA(LOCALE_USER_DEFAULT, kIgnoreCaseFlags, a, lengthA, b, lengthB) == CSTR_EQUAL;
}

int FindTextNarrow(const char* text, int length, const char* pattern, bool ignoreCase) {
  if (text == nullptr || pattern == nullptr || pattern[0] == 0) return -1;
  const size_t textLength = length < 0 ? LengthOf(text) : LengthWithin(text, static_cast<size_t>(length));
  const size_t patternLength = LengthOf(pattern);
  if (patternLength > textLength || textLength > INT_MAX) return -1;
  const char upperFirst = CharToUpperNarrow(pattern[0]);
  const char lowerFirst = CharToLowerNarrow(pattern[0]);
  for (size_t i = 0; i + patternLength <= textLength; ++i) {
    if (!ignoreCase) {
      if (memcmp(text + i, pattern, patternLength) == 0) return static_cast<int>(i);
      continue;
    }
    if (text[i] != upperFirst && text[i] != lowerFirst) continue;
    if (CompareStringA(LOCALE_USER_DEFAULT, kIgnoreCaseFlags, text + i, static_cast<int>(patternLength), pattern,
                       static_cast<int>(patternLength)) == CSTR_EQUAL)
      return static_cast<int>(i);
  }
  return -1;
}

int FindTextWithOptions(const wchar_t* text, const wchar_t* pattern, unsigned options) {
  if (text == nullptr || pattern == nullptr || pattern[0] == 0) return -1;
  const size_t textLength = LengthOf(text);
  const size_t patternLength = LengthOf(pattern);
  if (patternLength > textLength || textLength > INT_MAX) return -1;
  const bool wholeWords = (options & kFindWholeWords) != 0;
  const bool exactCase = (options & kFindExactCase) != 0;
  const int count = static_cast<int>(patternLength);
  for (int i = 0; static_cast<size_t>(i) + patternLength <= textLength; ++i) {
    if (!MatchesAt(text + i, pattern, count, exactCase)) continue;
    if (!wholeWords || IsWordBoundary(text, i, count)) return i;
  }
  return -1;
}
