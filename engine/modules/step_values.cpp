#include "engine/modules/step_values.h"

#include <cwchar>

#include "engine/module_formatting.h"
#include "engine/module_text_form.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"

namespace {

// Large enough to tell every value beyond 32 bits, small enough never to overflow.
constexpr uint64_t kMagnitudeCeiling = 1ull << 33;
constexpr uint64_t kMostUnsigned32 = 0xFFFFFFFFull;
constexpr uint64_t kMostSigned32 = 0x7FFFFFFFull;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int32_t SaturatedSigned(bool negative, uint64_t magnitude) {
  if (negative) return magnitude > kMostSigned32 ? INT32_MIN : -static_cast<int32_t>(magnitude);
  return magnitude > kMostSigned32 ? INT32_MAX : static_cast<int32_t>(magnitude);
}

}  // namespace

StepTextReader::StepTextReader(const wchar_t* text) : position_(SkipStepKey(text)) {}

bool StepTextReader::Comma() {
  position_ = SkipExpected(position_, L',');
  return position_ != nullptr;
}

bool StepTextReader::Digits(bool allowSign, bool* negative, uint64_t* magnitude) {
  *negative = false;
  *magnitude = 0;
  if (!Comma()) return false;
  if (allowSign && *position_ == L'-') {
    *negative = true;
    ++position_;
  }
  if (!IsDigit(*position_)) {
    position_ = nullptr;
    return false;
  }
  for (; IsDigit(*position_); ++position_) {
    if (*magnitude < kMagnitudeCeiling) *magnitude = *magnitude * 10 + static_cast<uint64_t>(*position_ - L'0');
  }
  return true;
}

wchar_t StepTextReader::Letter() {
  return Comma() ? Character() : 0;
}

wchar_t StepTextReader::Character() {
  if (Peek() == 0) {
    position_ = nullptr;
    return 0;
  }
  return *position_++;
}

void StepTextReader::Expect(wchar_t c) {
  if (!Optional(c)) position_ = nullptr;
}

uint32_t StepTextReader::Unsigned(uint32_t limit) {
  bool negative = false;
  uint64_t magnitude = 0;
  Digits(false, &negative, &magnitude);
  return magnitude < limit ? static_cast<uint32_t>(magnitude) : limit;
}

int32_t StepTextReader::Signed() {
  bool negative = false;
  uint64_t magnitude = 0;
  Digits(true, &negative, &magnitude);
  return SaturatedSigned(negative, magnitude);
}

int32_t StepTextReader::Bits32() {
  bool negative = false;
  uint64_t magnitude = 0;
  Digits(true, &negative, &magnitude);
  if (negative || magnitude > kMostUnsigned32) return SaturatedSigned(negative, magnitude);
  return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
}

void StepTextReader::Quoted(wchar_t* out, int capacity) {
  out[0] = 0;
  if (Comma()) QuotedText(out, capacity);
}

void StepTextReader::QuotedText(wchar_t* out, int capacity) {
  out[0] = 0;
  position_ = Peek() == L'"' ? ReadSettingsTextField(position_, out, capacity, L'"') : nullptr;
}

bool StepTextReader::Optional(wchar_t c) {
  if (Peek() != c || c == 0) return false;
  ++position_;
  return true;
}

bool StepTextReader::Finish(wchar_t* comment) {
  return position_ != nullptr && ReadSettingsComment(position_, comment, kStepCommentCapacity) == 0;
}

StepTextWriter::StepTextWriter(const wchar_t* key, wchar_t* text, int capacity) : text_(text), capacity_(capacity) {
  Plain(key);
}

void StepTextWriter::Letter(wchar_t c) {
  const wchar_t value[] = {L',', c, 0};
  Plain(value);
}

void StepTextWriter::Number(int64_t value) {
  wchar_t digits[kNumberTextCapacity];
  swprintf(digits, kNumberTextCapacity, L",%lld", static_cast<long long>(value));
  Plain(digits);
}

void StepTextWriter::Quoted(const wchar_t* value) {
  Plain(L",");
  Note(AppendSettingsTextField(value, text_, capacity_));
}

void StepTextWriter::Plain(const wchar_t* value) { Note(AppendWideBounded(value, text_, capacity_)); }

int StepTextWriter::Finish(const wchar_t* comment) {
  Note(WriteSettingsComment(comment, text_, capacity_));
  return cut_;
}

void AppendPartDescription(wchar_t part, wchar_t* text, int capacity) {
  if (IsNamePart(part)) AppendDescriptionPiece(part == kNamePart ? kTextNamePart : kTextExtensionPart, text, capacity);
}

void AppendBlankAndUiText(int textId, wchar_t* text, int capacity) {
  wchar_t piece[kUiTextCapacity];
  GetUiText(textId, piece, kUiTextCapacity);
  AppendWideBounded(L" ", text, capacity);
  AppendWideBounded(piece, text, capacity);
}

void AppendBlankAndNumber(int64_t value, wchar_t* text, int capacity) {
  wchar_t digits[kNumberTextCapacity];
  swprintf(digits, kNumberTextCapacity, L" %lld", static_cast<long long>(value));
  AppendWideBounded(digits, text, capacity);
}

void AppendSideDescription(wchar_t side, wchar_t* text, int capacity) {
  if (IsSide(side)) AppendBlankAndUiText(side == kFromLeft ? kTextFromTheLeft : kTextFromTheRight, text, capacity);
}
