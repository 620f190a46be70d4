#include "foundation/text/name_masks.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/text/name_parts.h"

namespace {

constexpr int kNameWork = 2048;
constexpr int kMaskHoldsSeparator = 1;
constexpr int kInvalidParameter = 87;
constexpr int kResultTooLong = 111;

// A bounded text being built; once something did not fit it stays marked as overflowed.
struct TextBuilder {
  wchar_t text[kNameWork];
  size_t length = 0;
  bool overflowed = false;

  TextBuilder() { text[0] = 0; }
  void Put(wchar_t c) {
    if (length + 1 >= kNameWork) {
      overflowed = true;
      return;
    }
    text[length++] = c;
    text[length] = 0;
  }
  void Put(const wchar_t* from, size_t count) {
    for (size_t i = 0; i < count; ++i) Put(from[i]);
  }
  void Put(const wchar_t* from) { Put(from, wcslen(from)); }
};

// One half of a name (base or extension) as a terminated text, and the matching half of the mask.
struct MaskHalf {
  wchar_t source[kNameWork];
  wchar_t mask[kNameWork];
};

void CopyPart(const wchar_t* from, size_t count, wchar_t* to) {
  count = std::min(count, static_cast<size_t>(kNameWork - 1));
  wmemcpy(to, from, count);
  to[count] = 0;
}

// "*segment*": takes the source up to and including the segment; false when the segment is not there.
bool MapStarSegment(const wchar_t* source, size_t* cursor, const wchar_t* segment, size_t segmentLength,
                    TextBuilder* out) {
  if (segmentLength == 0) return true;
  wchar_t pattern[kNameWork];
  CopyPart(segment, segmentLength, pattern);
  const int found = FindTextWithOptions(source + *cursor, pattern, 0);
  if (found < 0) return false;
  out->Put(source + *cursor, static_cast<size_t>(found));
  out->Put(segment, segmentLength);
  *cursor += static_cast<size_t>(found) + segmentLength;
  return true;
}

void ApplyMaskPart(const wchar_t* source, const wchar_t* mask, TextBuilder* out) {
  const size_t sourceLength = wcslen(source);
  const size_t maskLength = wcslen(mask);
  size_t cursor = 0;
  size_t m = 0;
  while (m < maskLength) {
    const wchar_t c = mask[m];
    if (c == L'?') {
      if (cursor >= sourceLength) return;
      out->Put(source[cursor++]);
      ++m;
    } else if (c != L'*') {
      out->Put(c);
      if (cursor < sourceLength) ++cursor;
      ++m;
    } else if (++m == maskLength) {
      out->Put(source + cursor);
      return;
    } else if (const wchar_t* nextStar = wcschr(mask + m, L'*')) {
      const size_t segmentEnd = static_cast<size_t>(nextStar - mask);
      if (!MapStarSegment(source, &cursor, mask + m, segmentEnd - m, out)) return;
      m = segmentEnd;
    } else {
      // A final tail: take characters until as many remain as the tail is long, then map the tail.
      const size_t tailLength = maskLength - m;
      while (sourceLength - cursor > tailLength) out->Put(source[cursor++]);
    }
  }
}

void SplitForMask(const wchar_t* name, const wchar_t* mask, MaskHalf* base, MaskHalf* extension) {
  const wchar_t* maskDot = wcsrchr(mask, L'.');
  if (maskDot == nullptr) {
    CopyPart(name, wcslen(name), base->source);
    CopyPart(mask, wcslen(mask), base->mask);
    extension->source[0] = 0;
    extension->mask[0] = 0;
    return;
  }
  const size_t nameDot = static_cast<size_t>(ExtensionDotPosition(name));
  CopyPart(name, nameDot, base->source);
  const wchar_t* nameExtension = ExtensionPointer(name);
  CopyPart(nameExtension, wcslen(nameExtension), extension->source);
  CopyPart(mask, static_cast<size_t>(maskDot - mask), base->mask);
  CopyPart(maskDot + 1, wcslen(maskDot + 1), extension->mask);
}

void ChangeCase(wchar_t* text, size_t from, size_t to, bool upper) {
  if (to <= from) return;
  if (upper) {
    CharUpperBuffW(text + from, static_cast<DWORD>(to - from));
  } else {
    CharLowerBuffW(text + from, static_cast<DWORD>(to - from));
  }
}

void WalkCaseMask(wchar_t* text, const wchar_t* mask) {
  const size_t length = wcslen(text);
  const size_t dot = static_cast<size_t>(ExtensionDotPosition(text));
  size_t p = static_cast<size_t>(FileNameOffset(text));
  for (size_t m = 0; mask[m] != 0 && p < length; ++m) {
    const wchar_t c = mask[m];
    if (c == L'*') {
      if (p >= dot) return;
      p = dot;
      continue;
    }
    if (c != L'<' && c != L'>') {
      ++p;
      continue;
    }
    const bool upper = c == L'<';
    const wchar_t next = mask[m + 1];
    if (next == 0) {
      ChangeCase(text, p, length, upper);
      return;
    }
    if (next == L'.') {
      if (p < dot) {
        ChangeCase(text, p, dot, upper);
        p = dot;
      }
      continue;
    }
    ChangeCase(text, p, p + 1, upper);
    ++p;
  }
}

}  // namespace

int ApplyWildcardNameMask(const wchar_t* path, const wchar_t* mask, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return kInvalidParameter;
  target[0] = 0;
  if (path == nullptr || mask == nullptr) return kInvalidParameter;
  if (wcscmp(mask, L".") == 0) {
    if (CopyWideBounded(path, target, capacity) == 0) return 0;
    target[0] = 0;
    return kResultTooLong;
  }
  if (wcspbrk(mask, L"\\/") != nullptr) return kMaskHoldsSeparator;
  const int nameOffset = FileNameOffset(path);
  MaskHalf base;
  MaskHalf extension;
  SplitForMask(path + nameOffset, mask, &base, &extension);
  TextBuilder newExtension;
  ApplyMaskPart(extension.source, extension.mask, &newExtension);
  TextBuilder result;
  result.Put(path, static_cast<size_t>(nameOffset));
  ApplyMaskPart(base.source, base.mask, &result);
  if (newExtension.length > 0) {
    result.Put(L'.');
    result.Put(newExtension.text);
  }
  if (result.overflowed || newExtension.overflowed || CopyWideBounded(result.text, target, capacity) != 0) {
    target[0] = 0;
    return kResultTooLong;
  }
  return 0;
}

int ApplyCaseMask(const wchar_t* source, wchar_t* target, int capacity, const wchar_t* mask) {
  if (source == nullptr || target == nullptr || mask == nullptr || capacity <= 0) {
    if (target != nullptr && capacity > 0) target[0] = 0;
    return kInvalidParameter;
  }
  if (CopyWideBounded(source, target, capacity) != 0) {
    target[0] = 0;
    return kResultTooLong;
  }
  if (wcscmp(mask, L"<>") == 0 || wcscmp(mask, L"><") == 0) {
    const size_t start = static_cast<size_t>(FileNameOffset(target));
    const size_t length = wcslen(target);
    ChangeCase(target, start, std::min(start + 1, length), true);
    ChangeCase(target, start + 1, length, false);
    return 0;
  }
  WalkCaseMask(target, mask);
  return 0;
}

int InsertNumberBeforeExtension(unsigned number, const wchar_t* name, wchar_t* target, int capacity, bool atEnd) {
  wchar_t digits[12];
  UIntToWideDecimal(number, digits, 12);
  TextBuilder variant;
  if (name == nullptr || name[0] == 0) {
    variant.Put(L'#');
    variant.Put(digits);
    return CopyWideBounded(variant.text, target, capacity);
  }
  const size_t insertAt = atEnd ? wcslen(name) : static_cast<size_t>(ExtensionDotPosition(name));
  variant.Put(name, insertAt);
  if (insertAt > 0) variant.Put(L' ');
  variant.Put(L'(');
  variant.Put(digits);
  variant.Put(L')');
  variant.Put(name + insertAt);
  return CopyWideBounded(variant.text, target, capacity);
}

void ShortenWithEllipsis(const wchar_t* text, int length, wchar_t* target) {
  if (target == nullptr || length < 0) return;
  if (text == nullptr) text = L"";
  const size_t n = static_cast<size_t>(length);
  const size_t textLength = wcslen(text);
  if (textLength < n) {
    wmemcpy(target, text, textLength + 1);
    return;
  }
  if (n < 3) {
    wmemset(target, L'.', n);
    target[n] = 0;
    return;
  }
  size_t head = n / 5;
  if (head < 3 && n != 3) head += 3;
  head = std::min(head, n - 3);
  const size_t tail = n - head - 3;
  wmemcpy(target, text, head);
  wmemcpy(target + head, L"...", 3);
  wmemcpy(target + head + 3, text + textLength - tail, tail);
  target[n] = 0;
}
