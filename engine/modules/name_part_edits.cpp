#include "engine/modules/name_part_edits.h"

#include <algorithm>
#include <cwchar>

#include "engine/modules/step_values.h"
#include "foundation/text/bounded_text.h"

namespace {

uint32_t LengthOf(const wchar_t* text) { return static_cast<uint32_t>(WideLength(text)); }

}  // namespace

wchar_t* NamePartOf(ModuleApplyRecord* record, wchar_t part, bool emptyExtensionToo) {
  if (part == kNamePart) return record->name;
  if (part == kExtensionPart && (emptyExtensionToo || record->extension[0] != 0)) return record->extension;
  return nullptr;
}

void SpliceText(wchar_t* text, int capacity, uint32_t at, uint32_t removed, const wchar_t* insertion,
                uint32_t insertedLength) {
  if (text == nullptr || capacity <= 0) return;
  const uint32_t length = LengthOf(text);
  const uint32_t room = static_cast<uint32_t>(capacity - 1);
  at = std::min(at, std::min(length, room));
  removed = std::min(removed, length - at);
  const uint32_t inserted = std::min(insertedLength, room - at);
  const uint32_t tail = std::min(length - at - removed, room - at - inserted);
  wmemmove(text + at + inserted, text + at + removed, tail);
  if (inserted > 0) wmemcpy(text + at, insertion, inserted);
  text[at + inserted + tail] = 0;
}

void InsertTextAt(wchar_t* text, int capacity, wchar_t side, const wchar_t* insertion, uint32_t position) {
  if (!IsSide(side) || text == nullptr) return;
  const uint32_t length = LengthOf(text);
  uint32_t at = std::min(position, length);
  if (side == kFromRight) at = length - at;
  SpliceText(text, capacity, at, 0, insertion, LengthOf(insertion));
}

void CropText(wchar_t* text, int capacity, wchar_t side, uint32_t position, uint32_t count) {
  if (!IsSide(side) || text == nullptr) return;
  const uint32_t length = LengthOf(text);
  if (position > length) return;
  if (side == kFromLeft) {
    SpliceText(text, capacity, position, count, L"", 0);
    return;
  }
  const uint32_t end = length - position;
  const uint32_t start = end > count ? end - count : 0;
  SpliceText(text, capacity, start, end - start, L"", 0);
}

void MoveOrCopySpan(wchar_t* text, int capacity, uint32_t start, uint32_t length, uint32_t target, bool copy) {
  if (text == nullptr || capacity <= 0) return;
  const uint32_t textLength = LengthOf(text);
  if (textLength < start) return;
  wchar_t span[kApplyPartCapacity];
  const uint32_t spanLength = std::min({length, textLength - start, static_cast<uint32_t>(kApplyPartCapacity - 1)});
  wmemcpy(span, text + start, spanLength);
  if ((copy ? textLength : textLength - spanLength) < target) return;
  if (!copy) SpliceText(text, capacity, start, spanLength, L"", 0);
  SpliceText(text, capacity, target, 0, span, spanLength);
}
