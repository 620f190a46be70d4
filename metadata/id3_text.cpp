#include "metadata/id3_text.h"

#include <cstring>

#include "metadata/audio_text.h"
#include "metadata/file_ranges.h"

namespace {

constexpr uint32_t kStoredChunkBytes = 512;

uint64_t TakePlain(Id3Stream* stream, uint8_t* target, uint64_t count) {
  const uint64_t left = stream->end > stream->position ? stream->end - stream->position : 0;
  if (count > left) count = left;
  if (target != nullptr)
    count = ReadFileRangeUpTo(stream->file, stream->position, target, static_cast<uint32_t>(count));
  stream->position += count;
  return count;
}

// Moves stored bytes of `chunk` into the data (target may be null) until `count` data bytes are done; the
// number of stored bytes used.
uint32_t TakeUnsynchronisedChunk(Id3Stream* stream, const uint8_t* chunk, uint32_t stored, uint8_t* target,
                                 uint64_t* done, uint64_t count) {
  uint32_t used = 0;
  for (; used < stored && *done < count; ++used) {
    const uint8_t byte = chunk[used];
    if (stream->afterFF && byte == 0) {
      stream->afterFF = false;
      continue;
    }
    stream->afterFF = byte == 0xFF;
    if (target != nullptr) target[*done] = byte;
    ++*done;
  }
  return used;
}

uint64_t TakeUnsynchronised(Id3Stream* stream, uint8_t* target, uint64_t count) {
  uint64_t done = 0;
  while (done < count && stream->position < stream->end) {
    uint8_t chunk[kStoredChunkBytes];
    const uint64_t left = stream->end - stream->position;
    const uint32_t want = left < kStoredChunkBytes ? static_cast<uint32_t>(left) : kStoredChunkBytes;
    const uint32_t stored = ReadFileRangeUpTo(stream->file, stream->position, chunk, want);
    if (stored == 0) break;
    stream->position += TakeUnsynchronisedChunk(stream, chunk, stored, target, &done, count);
  }
  return done;
}

// Appends UTF-16 units until a zero unit; the bytes taken.
size_t DecodeUtf16(const uint8_t* bytes, size_t length, bool bigEndian, wchar_t* target, int capacity) {
  int written = 0;
  size_t at = 0;
  for (; at + 1 < length; at += 2) {
    const wchar_t unit =
        static_cast<wchar_t>(bigEndian ? bytes[at] << 8 | bytes[at + 1] : bytes[at] | bytes[at + 1] << 8);
    if (unit == 0) {
      at += 2;
      break;
    }
    if (written < capacity - 1) target[written++] = unit;
  }
  // A pair that the capacity cut in half loses its first half too.
  if (written > 0 && target[written - 1] >= 0xD800 && target[written - 1] < 0xDC00) --written;
  target[written] = 0;
  return at < length ? at : length;
}

size_t DecodeLatin1(const uint8_t* bytes, size_t length, wchar_t* target, int capacity) {
  int written = 0;
  size_t at = 0;
  for (; at < length && bytes[at] != 0; ++at) {
    if (written < capacity - 1) target[written++] = static_cast<wchar_t>(bytes[at]);
  }
  target[written] = 0;
  return at < length ? at + 1 : length;
}

size_t DecodeUtf8(const uint8_t* bytes, size_t length, wchar_t* target, int capacity) {
  size_t skip = length >= 3 && memcmp(bytes, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  const void* zero = memchr(bytes + skip, 0, length - skip);
  const size_t end = zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : length;
  Utf8RangeToWide(reinterpret_cast<const char*>(bytes + skip), end - skip, target, capacity);
  return end < length ? end + 1 : length;
}

bool StartsWith(const uint8_t* bytes, size_t length, uint8_t first, uint8_t second) {
  return length >= 2 && bytes[0] == first && bytes[1] == second;
}

}  // namespace

uint64_t Id3StreamTake(Id3Stream* stream, uint8_t* target, uint64_t count) {
  return stream->unsynchronised ? TakeUnsynchronised(stream, target, count) : TakePlain(stream, target, count);
}

bool Id3StreamRead(Id3Stream* stream, uint8_t* target, uint32_t count) {
  return Id3StreamTake(stream, target, count) == count;
}

bool Id3StreamSkip(Id3Stream* stream, uint64_t count) { return Id3StreamTake(stream, nullptr, count) == count; }

size_t RemoveUnsynchronisation(uint8_t* bytes, size_t length) {
  size_t kept = 0;
  uint8_t previous = 0;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t byte = bytes[i];
    if (!(byte == 0 && previous == 0xFF)) bytes[kept++] = byte;
    previous = byte;
  }
  return kept;
}

size_t DecodeId3String(uint8_t encoding, const uint8_t* bytes, size_t length, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  const bool littleMark = StartsWith(bytes, length, 0xFF, 0xFE);
  const bool bigMark = StartsWith(bytes, length, 0xFE, 0xFF);
  const size_t mark = littleMark || bigMark ? 2 : 0;
  switch (encoding) {
    case kId3Utf16:
    case kId3Utf16Be: {
      const bool bigEndian = bigMark || (encoding == kId3Utf16Be && !littleMark);
      return mark + DecodeUtf16(bytes + mark, length - mark, bigEndian, target, capacity);
    }
    case kId3Utf8:
      return DecodeUtf8(bytes, length, target, capacity);
    default:
      if (littleMark) return mark + DecodeUtf16(bytes + mark, length - mark, false, target, capacity);
      return DecodeLatin1(bytes, length, target, capacity);
  }
}
