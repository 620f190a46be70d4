#include "metadata/audio_text.h"

#include <windows.h>

#include <cstring>

#include "foundation/text/numbers.h"
#include "foundation/text/text_encoding.h"
#include "metadata/audio_tags.h"

namespace {

// Longest UTF-8 text converted at once: four bytes for each character of the largest field.
constexpr size_t kUtf8Bytes = 4 * kAudioTextCapacity;

size_t Utf8SequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

// The length without a last sequence that the end cuts short.
size_t WithoutCutSequence(const char* bytes, size_t length) {
  size_t lead = length;
  for (int back = 0; back < 4 && lead > 0; ++back) {
    --lead;
    if ((static_cast<uint8_t>(bytes[lead]) & 0xC0) != 0x80) break;
  }
  if (lead == length) return length;
  return lead + Utf8SequenceLength(static_cast<uint8_t>(bytes[lead])) > length ? lead : length;
}

uint16_t CutToU16(int32_t value) {
  if (value < 0) return 0;
  return value > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(value);
}

// The value of the digits at `text`, cut to 65535; `text` moves past them.
uint16_t TakeDigits(const wchar_t** text) {
  uint32_t value = 0;
  for (; **text >= L'0' && **text <= L'9'; ++*text) {
    value = value * 10 + static_cast<uint32_t>(**text - L'0');
    if (value > 0xFFFF) value = 0x10000;
  }
  return CutToU16(static_cast<int32_t>(value));
}

void TrimBlanks(wchar_t* text) {
  if (text[0] == 0) return;
  TrimLeadingSpaces(text);
  TrimTrailingSpacesWide(text);
}

}  // namespace

int Utf8RangeToWide(const char* bytes, size_t length, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  if (bytes == nullptr) return 0;
  if (length > kUtf8Bytes) length = kUtf8Bytes;
  const void* zero = memchr(bytes, 0, length);
  if (zero != nullptr) length = static_cast<size_t>(static_cast<const char*>(zero) - bytes);
  char text[kUtf8Bytes + 1];
  length = WithoutCutSequence(bytes, length);
  memcpy(text, bytes, length);
  text[length] = 0;
  return MultiByteToWideBounded(text, target, capacity, CP_UTF8);
}

void ParseTrackNumber(const wchar_t* text, uint16_t* track, uint16_t* total) {
  if (text == nullptr) text = L"";
  while (*text == L' ') ++text;
  const uint16_t first = TakeDigits(&text);
  while (*text != 0 && (*text < L'0' || *text > L'9')) ++text;
  const uint16_t second = TakeDigits(&text);
  if (track != nullptr) *track = first;
  if (total != nullptr) *total = second;
}

void ParseTrackNumberUtf8(const char* text, size_t length, uint16_t* track, uint16_t* total) {
  wchar_t wide[kAudioTextCapacity + 1];
  Utf8RangeToWide(text, length, wide, kAudioTextCapacity + 1);
  ParseTrackNumber(wide, track, total);
}

uint16_t ParseYear(const wchar_t* text, int maxChars) {
  if (text == nullptr || maxChars <= 0) return 0;
  while (*text == L' ') ++text;
  wchar_t digits[33];
  CopyWideString(text, digits, maxChars < 32 ? maxChars + 1 : 33);
  const int32_t year = WideToLong(digits);
  return year >= 1900 && year <= 0xFFFF ? static_cast<uint16_t>(year) : 0;
}

uint16_t ParseYearUtf8(const char* text, size_t length) {
  wchar_t wide[33];
  Utf8RangeToWide(text, length, wide, 33);
  return ParseYear(wide, 32);
}

uint16_t ParseSmallNumber(const wchar_t* text) {
  if (text == nullptr) return 0;
  while (*text == L' ') ++text;
  return TakeDigits(&text);
}

void FinishAudioTagRecord(AudioTagInfo* info) {
  TrimBlanks(info->format);
  TrimBlanks(info->genre);
  TrimBlanks(info->title);
  TrimBlanks(info->artist);
  TrimBlanks(info->album);
  TrimBlanks(info->comment);
}
