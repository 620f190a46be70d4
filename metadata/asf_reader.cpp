// The WMA reader: the objects of the ASF header object, each read within its own stored size and within the
// header object: File Properties (maximum bitrate), Stream Properties (channels, rate, average bitrate),
// Content Description (title, author, description) and Extended Content Description (genre, album, year,
// track). Strings are read by their stored byte length, never past it.
#include <cwctype>

#include "metadata/audio_readers.h"
#include "metadata/audio_tags.h"
#include "metadata/audio_text.h"
#include "metadata/byte_reads.h"
#include "metadata/file_ranges.h"

namespace {

struct AsfGuid {
  uint8_t bytes[16];
};

// The stored form of a GUID: its first three groups little-endian, the last eight bytes as written.
constexpr AsfGuid MakeAsfGuid(uint32_t first, uint16_t second, uint16_t third, uint64_t last) {
  AsfGuid guid{};
  for (int i = 0; i < 4; ++i) guid.bytes[i] = static_cast<uint8_t>(first >> (8 * i));
  for (int i = 0; i < 2; ++i) guid.bytes[4 + i] = static_cast<uint8_t>(second >> (8 * i));
  for (int i = 0; i < 2; ++i) guid.bytes[6 + i] = static_cast<uint8_t>(third >> (8 * i));
  for (int i = 0; i < 8; ++i) guid.bytes[8 + i] = static_cast<uint8_t>(last >> (8 * (7 - i)));
  return guid;
}

constexpr AsfGuid kHeaderObject = MakeAsfGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr AsfGuid kFileProperties = MakeAsfGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365);
constexpr AsfGuid kStreamProperties = MakeAsfGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365);
constexpr AsfGuid kContentDescription = MakeAsfGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr AsfGuid kExtendedContent = MakeAsfGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850);

constexpr uint32_t kObjectHeaderBytes = 24;  // GUID and 64-bit size
constexpr uint32_t kHeaderObjectBytes = 30;  // plus the object count and two reserved bytes
// Bytes of a string looked at: room for leading blanks before the longest field.
constexpr uint32_t kStringBytes = 2048;
constexpr uint16_t kValueText = 0, kValueDword = 3;

bool SameGuid(const uint8_t* bytes, const AsfGuid& guid) {
  for (int i = 0; i < 16; ++i) {
    if (bytes[i] != guid.bytes[i]) return false;
  }
  return true;
}

int32_t ClampToInt32(double value) { return value >= 2147483647.0 ? 0x7FFFFFFF : static_cast<int32_t>(value); }

void TrimTrailingBlanksW(wchar_t* text) {
  size_t length = wcslen(text);
  while (length > 0 && iswspace(text[length - 1])) text[--length] = 0;
}

// A string of `length` bytes of UTF-16LE, up to a zero character: leading white space dropped, cut to the
// capacity, trailing white space removed. False when the bytes are not all there.
bool ReadAsfString(RangeCursor* cursor, uint64_t length, wchar_t* target, int capacity) {
  uint8_t bytes[kStringBytes];
  const uint32_t looked = length < kStringBytes ? static_cast<uint32_t>(length) : kStringBytes;
  if (!CursorRead(cursor, bytes, looked) || !CursorSkip(cursor, length - looked)) return false;
  uint32_t at = 0;
  while (at + 1 < looked && iswspace(ReadU16Le(bytes + at)) && ReadU16Le(bytes + at) != 0) at += 2;
  int written = 0;
  for (; at + 1 < looked && written < capacity - 1; at += 2) {
    const wchar_t unit = static_cast<wchar_t>(ReadU16Le(bytes + at));
    if (unit == 0) break;
    target[written++] = unit;
  }
  target[written] = 0;
  TrimTrailingBlanksW(target);
  return true;
}

bool ReadU16(RangeCursor* cursor, uint16_t* value) {
  uint8_t bytes[2];
  if (!CursorRead(cursor, bytes, 2)) return false;
  *value = ReadU16Le(bytes);
  return true;
}

bool ReadFileProperties(RangeCursor* object, uint32_t* maxBitrate, AudioTagInfo* info) {
  uint8_t bytes[4];
  if (!CursorSkip(object, 76) || !CursorRead(object, bytes, 4)) return false;
  *maxBitrate = ReadU32Le(bytes);
  info->bitrate = static_cast<int32_t>(*maxBitrate / 1000);
  return true;
}

bool ReadStreamProperties(RangeCursor* object, AudioTagInfo* info) {
  uint8_t format[10];
  if (!CursorSkip(object, 56) || !CursorRead(object, format, 10)) return false;
  const uint16_t channels = ReadU16Le(format);
  if (channels < 3) info->channels = channels;
  info->sampleRate = static_cast<int32_t>(ReadU32Le(format + 2));
  info->bitrate = static_cast<int32_t>(static_cast<uint64_t>(ReadU32Le(format + 6)) * 8 / 1000);
  return true;
}

// Title, author, copyright, description, rating: the first, second and fourth are kept.
bool ReadAsfContentDescription(RangeCursor* object, AudioTagInfo* info) {
  uint8_t lengths[10];
  if (!CursorRead(object, lengths, 10)) return false;
  wchar_t* const targets[5] = {info->title, info->artist, nullptr, info->comment, nullptr};
  for (int i = 0; i < 5; ++i) {
    const uint16_t length = ReadU16Le(lengths + 2 * i);
    if (length == 0) continue;
    const bool read = targets[i] != nullptr ? ReadAsfString(object, length, targets[i], kAudioTextCapacity)
                                            : CursorSkip(object, length);
    if (!read) return false;
  }
  return true;
}

bool ReadTrackNumber(RangeCursor* object, uint16_t length, AudioTagInfo* info) {
  if (length != 4) return CursorSkip(object, length);
  uint8_t value[4];
  if (!CursorRead(object, value, 4)) return false;
  info->track = static_cast<uint16_t>(value[0] + 1);
  return true;
}

// One descriptor's value, chosen by its name and type.
bool ReadDescriptorValue(RangeCursor* object, const wchar_t* name, uint16_t type, AudioTagInfo* info) {
  uint16_t length = 0;
  if (!ReadU16(object, &length)) return false;
  wchar_t text[kAudioTextCapacity];
  const auto is = [&](const wchar_t* wanted) { return _wcsicmp(name, wanted) == 0; };
  if (type == kValueText && is(L"WM/Genre")) return ReadAsfString(object, length, info->genre, kAudioGenreCapacity);
  if (type == kValueText && is(L"WM/AlbumTitle")) return ReadAsfString(object, length, info->album, kAudioTextCapacity);
  if (type == kValueText && is(L"WM/Year")) {
    if (!ReadAsfString(object, length, text, 6)) return false;
    info->year = ParseYear(text, 5);
    return true;
  }
  if (type == kValueDword && is(L"WM/Track")) return ReadTrackNumber(object, length, info);
  if (type == kValueText && is(L"WM/Track")) {
    if (!ReadAsfString(object, length, text, kAudioTextCapacity)) return false;
    ParseTrackNumber(text, &info->track, &info->trackTotal);
    return true;
  }
  return CursorSkip(object, length);
}

bool ReadAsfExtendedContent(RangeCursor* object, AudioTagInfo* info) {
  uint16_t count = 0;
  if (!ReadU16(object, &count)) return false;
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t nameLength = 0, type = 0;
    wchar_t name[kAudioTextCapacity];
    if (!ReadU16(object, &nameLength) || !ReadAsfString(object, nameLength, name, kAudioTextCapacity) ||
        !ReadU16(object, &type) || !ReadDescriptorValue(object, name, type, info)) {
      return false;
    }
  }
  return true;
}

// Reads an object's fields from after its 24-byte header; false when they are not all inside it.
bool VisitAsfObject(const uint8_t* guid, RangeCursor* object, uint32_t* maxBitrate, AudioTagInfo* info) {
  if (SameGuid(guid, kFileProperties)) return ReadFileProperties(object, maxBitrate, info);
  if (SameGuid(guid, kStreamProperties)) return ReadStreamProperties(object, info);
  if (SameGuid(guid, kContentDescription)) return ReadAsfContentDescription(object, info);
  if (SameGuid(guid, kExtendedContent)) return ReadAsfExtendedContent(object, info);
  return true;
}

// Visits the header's objects; false when the file is no ASF file, ends inside an object or holds an object
// smaller than its own header. An object that passes the header object's end ends the walk.
bool WalkAsfHeader(RangeFile* file, AudioTagInfo* info) {
  RangeCursor whole = WholeFileCursor(file);
  uint8_t head[kHeaderObjectBytes];
  if (!CursorRead(&whole, head, kHeaderObjectBytes) || !SameGuid(head, kHeaderObject)) return false;
  const uint64_t headerSize = ReadU64Le(head + 16);
  RangeCursor objects = SubCursor(whole, headerSize > kHeaderObjectBytes ? headerSize - kHeaderObjectBytes : 0);
  uint32_t maxBitrate = 0;
  for (uint32_t i = ReadU32Le(head + 24); i > 0 && CursorLeft(objects) >= kObjectHeaderBytes; --i) {
    const uint64_t start = objects.position;
    uint8_t header[kObjectHeaderBytes];
    if (!CursorRead(&objects, header, kObjectHeaderBytes)) return false;
    const uint64_t size = ReadU64Le(header + 16);
    if (size < kObjectHeaderBytes) return false;
    RangeCursor object = SubCursor(objects, size - kObjectHeaderBytes);
    if (!VisitAsfObject(header, &object, &maxBitrate, info) && !RangeInside(start, size, file->size)) return false;
    if (!CursorSkip(&objects, size - kObjectHeaderBytes)) break;
  }
  if (maxBitrate != 0 && file->size > objects.position) {
    info->duration = ClampToInt32(static_cast<double>(file->size - objects.position) * 8 / maxBitrate);
  }
  return true;
}

}  // namespace

int ReadWmaInfo(const wchar_t* path, AudioTagInfo* info) {
  RangeFile file;
  if (OpenRangeFile(&file, path) != 0) return -1;
  const bool walked = WalkAsfHeader(&file, info);
  CloseRangeFile(&file);
  if (!walked) return -1;
  SetTagText(info->format, L"WMA");
  FinishAudioTagRecord(info);
  return 0;
}
