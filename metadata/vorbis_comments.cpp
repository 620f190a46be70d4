#include "metadata/vorbis_comments.h"

#include <cstdint>
#include <cstring>

#include "metadata/audio_tags.h"
#include "metadata/audio_text.h"

namespace {

bool KeyIs(const char* key, size_t length, const char* name) {
  return length == strlen(name) && _strnicmp(key, name, length) == 0;
}

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed sequence at `at`; 0 when it is not well-formed.
size_t WellFormedSequence(const uint8_t* bytes, size_t at, size_t length) {
  const uint8_t lead = bytes[at];
  if (lead < 0x80) return 1;
  size_t size = 0;
  uint8_t low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF)
    size = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    size = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    size = 4;
  else
    return 0;
  if (lead == 0xE0) low = 0xA0;   // overlong
  if (lead == 0xED) high = 0x9F;  // surrogates
  if (lead == 0xF0) low = 0x90;   // overlong
  if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  if (length - at < size || bytes[at + 1] < low || bytes[at + 1] > high) return 0;
  for (size_t i = 2; i < size; ++i) {
    if (!IsContinuation(bytes[at + i])) return 0;
  }
  return size;
}

bool IsWellFormedUtf8(const uint8_t* bytes, size_t length) {
  for (size_t at = 0; at < length;) {
    const size_t size = WellFormedSequence(bytes, at, length);
    if (size == 0) return false;
    at += size;
  }
  return true;
}

}  // namespace

void StoreVorbisComment(const char* comment, size_t length, AudioTagInfo* info) {
  const char* equals = static_cast<const char*>(memchr(comment, '=', length));
  if (equals == nullptr) return;
  const size_t keyLength = static_cast<size_t>(equals - comment);
  const char* value = equals + 1;
  const size_t valueLength = length - keyLength - 1;
  if (KeyIs(comment, keyLength, "TITLE")) Utf8RangeToWide(value, valueLength, info->title, kAudioTextCapacity);
  if (KeyIs(comment, keyLength, "ARTIST")) Utf8RangeToWide(value, valueLength, info->artist, kAudioTextCapacity);
  if (KeyIs(comment, keyLength, "ALBUM")) Utf8RangeToWide(value, valueLength, info->album, kAudioTextCapacity);
  if (KeyIs(comment, keyLength, "GENRE")) Utf8RangeToWide(value, valueLength, info->genre, kAudioGenreCapacity);
  if (KeyIs(comment, keyLength, "COMMENT")) Utf8RangeToWide(value, valueLength, info->comment, kAudioTextCapacity);
  if (KeyIs(comment, keyLength, "DATE")) info->year = ParseYearUtf8(value, valueLength);
  if (KeyIs(comment, keyLength, "TRACKNUMBER"))
    ParseTrackNumberUtf8(value, valueLength, &info->track, &info->trackTotal);
}

bool IsWellFormedVorbisComment(const char* comment, size_t length) {
  const char* equals = static_cast<const char*>(memchr(comment, '=', length));
  if (equals == nullptr) return false;
  for (const char* key = comment; key < equals; ++key) {
    if (*key < 0x20 || *key > 0x7D) return false;
  }
  const size_t keyLength = static_cast<size_t>(equals - comment);
  return IsWellFormedUtf8(reinterpret_cast<const uint8_t*>(equals + 1), length - keyLength - 1);
}
