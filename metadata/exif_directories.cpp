#include "metadata/exif_directories.h"

#include <windows.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "metadata/byte_reads.h"
#include "metadata/exif_info.h"

namespace {

constexpr int kMaxDepth = 5;
constexpr uint32_t kMaxEntryCount = 65536;
constexpr uint32_t kEntryBytes = 12;
constexpr uint32_t kInlineValueBytes = 4;
constexpr uint32_t kExifHeaderBytes = 6;  // "Exif" and two zero bytes; the TIFF data follows
constexpr uint32_t kApp1MinimumBytes = 14;
// The first directory follows the 8-byte TIFF header; cameras put maker notes and thumbnails before it.
constexpr uint32_t kFirstDirectoryLowest = 8;
constexpr uint16_t kTiffMagic = 42;

enum TiffType : uint16_t {
  kTypeByte = 1, kTypeAscii, kTypeShort, kTypeLong, kTypeRational, kTypeSByte, kTypeUndefined, kTypeSShort,
  kTypeSLong, kTypeSRational, kTypeFloat, kTypeDouble,
};
constexpr uint8_t kTypeBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

// The Canon maker note's camera settings (tag 1) hold the ISO code in their 16-bit element 16.
constexpr uint16_t kCanonCameraSettingsTag = 1;
constexpr uint32_t kCanonIsoByte = 32;
constexpr uint16_t kCanonIsoCodeLowest = 16;
constexpr uint16_t kCanonIsoCodeHighest = 24;
constexpr int kCanonIsoOfLowestCode = 50;

struct TiffData {
  const uint8_t* bytes;
  uint32_t length;
  bool bigEndian;
};

struct TiffEntry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  uint32_t size;         // count x the type's size
  uint32_t valueOffset;  // where the value lies in the TIFF data: inside the entry, or where it points
};

enum class EntryState { kUsable, kSkipped, kOutside };

struct ExifWalk {
  TiffData tiff;
  ExifInfo* info;
  uint32_t directories[kExifDirectoryLimit];
  int directoryCount;
};

using EntryVisitor = void (*)(ExifWalk* walk, const TiffEntry& entry, int depth);

uint16_t U16At(const TiffData& tiff, uint32_t offset) { return ReadU16(tiff.bytes + offset, tiff.bigEndian); }
uint32_t U32At(const TiffData& tiff, uint32_t offset) { return ReadU32(tiff.bytes + offset, tiff.bigEndian); }

// Records a directory as read: false when it was read before or the limit of directories is reached, so that
// directories pointing at each other are not walked again and again.
bool ClaimDirectory(ExifWalk* walk, uint32_t offset) {
  for (int i = 0; i < walk->directoryCount; ++i)
    if (walk->directories[i] == offset) return false;
  if (walk->directoryCount == kExifDirectoryLimit) return false;
  walk->directories[walk->directoryCount++] = offset;
  return true;
}

// The entry count of the directory at `offset` when all its entries lie inside the data. A directory of the
// main chain must also leave room for the next directory's offset, unless the data ends right after its
// entries or two bytes later.
bool ReadDirectoryCount(const TiffData& tiff, uint32_t offset, bool chained, uint32_t* count) {
  if (!RangeInside(offset, 2, tiff.length)) return false;
  *count = U16At(tiff, offset);
  const uint64_t end = uint64_t{offset} + 2 + uint64_t{*count} * kEntryBytes;
  if (end > tiff.length) return false;
  return !chained || end + 4 <= tiff.length || end == tiff.length || end + 2 == tiff.length;
}

EntryState ReadEntry(const TiffData& tiff, uint32_t at, TiffEntry* entry) {
  entry->tag = U16At(tiff, at);
  entry->type = U16At(tiff, at + 2);
  entry->count = U32At(tiff, at + 4);
  if (entry->type < kTypeByte || entry->type > kTypeDouble || entry->count == 0 || entry->count > kMaxEntryCount)
    return EntryState::kSkipped;
  entry->size = entry->count * kTypeBytes[entry->type];
  entry->valueOffset = entry->size <= kInlineValueBytes ? at + 8 : U32At(tiff, at + 8);
  return RangeInside(entry->valueOffset, entry->size, tiff.length) ? EntryState::kUsable : EntryState::kOutside;
}

// Visits the usable entries of a directory whose count was read. An entry whose value lies outside the data
// ends the directory when `outsideEnds`, else it is passed over. False when the directory was ended so.
bool VisitEntries(ExifWalk* walk, uint32_t offset, uint32_t count, bool outsideEnds, EntryVisitor visit,
                  int depth) {
  for (uint32_t i = 0; i < count; ++i) {
    TiffEntry entry;
    const EntryState state = ReadEntry(walk->tiff, offset + 2 + i * kEntryBytes, &entry);
    if (state == EntryState::kOutside && outsideEnds) return false;
    if (state == EntryState::kUsable) visit(walk, entry, depth);
  }
  return true;
}

double ReadExifValueAsDouble(const TiffData& tiff, uint16_t type, uint32_t offset) {
  const uint8_t* p = tiff.bytes + offset;
  const bool big = tiff.bigEndian;
  switch (type) {
    case kTypeByte: return p[0];
    case kTypeShort: return ReadU16(p, big);
    case kTypeLong: return ReadU32(p, big);
    case kTypeRational:
    case kTypeSRational: {
      const int32_t denominator = static_cast<int32_t>(ReadU32(p + 4, big));
      return denominator == 0 ? 0 : static_cast<int32_t>(ReadU32(p, big)) / static_cast<double>(denominator);
    }
    case kTypeSByte: return static_cast<int8_t>(p[0]);
    case kTypeSShort: return static_cast<int16_t>(ReadU16(p, big));
    case kTypeSLong: return static_cast<int32_t>(ReadU32(p, big));
    case kTypeFloat: return std::bit_cast<float>(ReadU32(p, big));
    case kTypeDouble: return std::bit_cast<double>(big ? ReadU64Be(p) : ReadU64Le(p));
    default: return 0;
  }
}

// Element `index` of an entry's value as a number; 0 beyond its count.
double EntryNumber(const ExifWalk* walk, const TiffEntry& entry, uint32_t index) {
  if (index >= entry.count) return 0;
  return ReadExifValueAsDouble(walk->tiff, entry.type, entry.valueOffset + index * kTypeBytes[entry.type]);
}

// The denominator of a rational element; 1 for other types.
uint32_t EntryDenominator(const ExifWalk* walk, const TiffEntry& entry, uint32_t index) {
  if ((entry.type != kTypeRational && entry.type != kTypeSRational) || index >= entry.count) return 1;
  return U32At(walk->tiff, entry.valueOffset + index * 8 + 4);
}

const char* EntryText(const ExifWalk* walk, const TiffEntry& entry) {
  return reinterpret_cast<const char*>(walk->tiff.bytes + entry.valueOffset);
}

int32_t EntryInt(const ExifWalk* walk, const TiffEntry& entry) { return TruncateToInt32(EntryNumber(walk, entry, 0)); }

// The decimal number of digits from `from`, stopping at the first non-digit or at `end`.
unsigned DigitsAt(const char* text, uint32_t from, uint32_t end) {
  unsigned value = 0;
  for (uint32_t i = from; i < end && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

void CopyEntryText(const ExifWalk* walk, const TiffEntry& entry, char* target, uint32_t capacity) {
  const uint32_t length = entry.size < capacity - 1 ? entry.size : capacity - 1;
  memcpy(target, EntryText(walk, entry), length);
  target[length] = 0;
}

// Appends a formatted number to a terminated text, cut to the capacity.
void AppendFormatted(char* text, size_t capacity, const char* format, int value) {
  const size_t used = strnlen(text, capacity - 1);
  snprintf(text + used, capacity - used, format, value);
}

// "YYYY:MM:DD HH:MM:SS", read in the first 19 bytes; each field masked to its width when packed. A text
// without the colons stores nothing.
void ParseExifDateTime(const ExifWalk* walk, const TiffEntry& entry, PackedDateTime* target) {
  constexpr uint32_t kLength = 19;
  if (entry.size < kLength) return;
  const char* text = EntryText(walk, entry);
  if (text[4] != ':' || text[7] != ':' || text[13] != ':' || text[16] != ':') return;
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(DigitsAt(text, 0, kLength));
  time.wMonth = static_cast<WORD>(DigitsAt(text, 5, kLength));
  time.wDay = static_cast<WORD>(DigitsAt(text, 8, kLength));
  time.wHour = static_cast<WORD>(DigitsAt(text, 11, kLength));
  time.wMinute = static_cast<WORD>(DigitsAt(text, 14, kLength));
  time.wSecond = static_cast<WORD>(DigitsAt(text, 17, kLength));
  *target = PackDateTime(time);
}

// Main-directory tags.

template <size_t N, char (ExifInfo::*Field)[N]>
void StoreText(ExifWalk* walk, const TiffEntry& entry, int) {
  CopyEntryText(walk, entry, walk->info->*Field, N);
}

template <float ExifInfo::*Field>
void StoreFloat(ExifWalk* walk, const TiffEntry& entry, int) {
  walk->info->*Field = static_cast<float>(EntryNumber(walk, entry, 0));
}

template <int32_t ExifInfo::*Field>
void StoreInt(ExifWalk* walk, const TiffEntry& entry, int) {
  walk->info->*Field = EntryInt(walk, entry);
}

template <PackedDateTime ExifInfo::*Field>
void StoreDateTime(ExifWalk* walk, const TiffEntry& entry, int) {
  ParseExifDateTime(walk, entry, &(walk->info->*Field));
}

// Inches per unit: 1 (no unit) and 2 are inches, then centimetres, millimetres and micrometres.
void StoreResolutionUnit(ExifWalk* walk, const TiffEntry& entry, int) {
  static const float kInchesPerUnit[] = {0, 1.0f, 1.0f, 0.3937008f, 0.03937008f, 0.00003937008f};
  const int32_t unit = EntryInt(walk, entry);
  if (unit >= 1 && unit <= 5) walk->info->resolutionUnitFactor = kInchesPerUnit[unit];
}

void StoreIsoSpeed(ExifWalk* walk, const TiffEntry& entry, int) {
  const double value = EntryNumber(walk, entry, 0);
  walk->info->isoSpeed = TruncateToInt32(value < 50 ? value * 200 : value);
}

void StoreExposureIndex(ExifWalk* walk, const TiffEntry& entry, int) {
  if (walk->info->isoSpeed == 0) walk->info->isoSpeed = EntryInt(walk, entry);
}

// The shutter speed value Tv: an exposure time of 1 / 2^Tv seconds.
void StoreShutterSpeed(ExifWalk* walk, const TiffEntry& entry, int) {
  if (walk->info->exposureTime == 0)
    walk->info->exposureTime = static_cast<float>(std::exp2(-EntryNumber(walk, entry, 0)));
}

// The aperture value Av: an F-number of 2^(Av / 2).
void StoreApertureValue(ExifWalk* walk, const TiffEntry& entry, int) {
  if (walk->info->fNumber == 0) walk->info->fNumber = static_cast<float>(std::exp2(EntryNumber(walk, entry, 0) / 2));
}

void StoreFlash(ExifWalk* walk, const TiffEntry& entry, int) {
  walk->info->flashUsed = (EntryInt(walk, entry) & 7) != 0 ? 1 : 0;
}

void WalkExifIfd(ExifWalk* walk, uint32_t offset, int depth);
void ParseExifIfd(ExifWalk* walk, uint32_t offset);
void ReadMakerNoteIfd(ExifWalk* walk, uint32_t offset);

void WalkSubDirectory(ExifWalk* walk, const TiffEntry& entry, int depth) {
  if (entry.size >= 4) WalkExifIfd(walk, U32At(walk->tiff, entry.valueOffset), depth + 1);
}

void WalkGpsDirectory(ExifWalk* walk, const TiffEntry& entry, int) {
  if (entry.size >= 4) ParseExifIfd(walk, U32At(walk->tiff, entry.valueOffset));
}

// Only Canon's maker note is read; the make is compared with its case.
void WalkMakerNote(ExifWalk* walk, const TiffEntry& entry, int) {
  if (strstr(walk->info->cameraMake, "Canon") != nullptr) ReadMakerNoteIfd(walk, entry.valueOffset);
}

struct TagRule {
  uint16_t tag;
  EntryVisitor handle;
};

const TagRule kMainTags[] = {
    {0x010F, StoreText<32, &ExifInfo::cameraMake>},
    {0x0110, StoreText<40, &ExifInfo::cameraModel>},
    {0x011A, StoreFloat<&ExifInfo::xResolution>},
    {0x011B, StoreFloat<&ExifInfo::yResolution>},
    {0x0128, StoreResolutionUnit},
    {0x0132, StoreDateTime<&ExifInfo::dateTime>},
    {0x829A, StoreFloat<&ExifInfo::exposureTime>},
    {0x829D, StoreFloat<&ExifInfo::fNumber>},
    {0x8769, WalkSubDirectory},
    {0x8825, WalkGpsDirectory},
    {0x8827, StoreIsoSpeed},
    {0x9000, StoreText<5, &ExifInfo::exifVersion>},
    {0x9003, StoreDateTime<&ExifInfo::dateTimeOriginal>},
    {0x9004, StoreDateTime<&ExifInfo::dateTimeDigitized>},
    {0x9102, StoreInt<&ExifInfo::compressionLevel>},
    {0x9201, StoreShutterSpeed},
    {0x9202, StoreApertureValue},
    {0x9203, StoreFloat<&ExifInfo::brightness>},
    {0x9204, StoreFloat<&ExifInfo::exposureBias>},
    {0x9205, StoreApertureValue},
    {0x9206, StoreFloat<&ExifInfo::subjectDistance>},
    {0x9207, StoreInt<&ExifInfo::meteringMode>},
    {0x9209, StoreFlash},
    {0x920A, StoreFloat<&ExifInfo::focalLength>},
    {0x927C, WalkMakerNote},
    {0xA005, WalkSubDirectory},
    {0xA215, StoreExposureIndex},
    {0xA403, StoreInt<&ExifInfo::whiteBalance>},
};

void VisitByTable(const TagRule* rules, size_t count, ExifWalk* walk, const TiffEntry& entry, int depth) {
  for (size_t i = 0; i < count; ++i) {
    if (rules[i].tag == entry.tag) {
      rules[i].handle(walk, entry, depth);
      return;
    }
  }
}

void VisitMainEntry(ExifWalk* walk, const TiffEntry& entry, int depth) {
  VisitByTable(kMainTags, std::size(kMainTags), walk, entry, depth);
}

void WalkExifIfd(ExifWalk* walk, uint32_t offset, int depth) {
  uint32_t count = 0;
  if (depth >= kMaxDepth || !ClaimDirectory(walk, offset) || !ReadDirectoryCount(walk->tiff, offset, true, &count))
    return;
  if (!VisitEntries(walk, offset, count, true, VisitMainEntry, depth)) return;
  const uint64_t end = uint64_t{offset} + 2 + uint64_t{count} * kEntryBytes;
  if (!RangeInside(end, 4, walk->tiff.length)) return;
  const uint32_t next = U32At(walk->tiff, static_cast<uint32_t>(end));
  if (next != 0) WalkExifIfd(walk, next, depth + 1);
}

// GPS tags.

constexpr size_t kGpsAngleCapacity = sizeof(ExifInfo::gpsLatitude);

// The reference letter (N, S, E, W; T or M) becomes the first character of the text.
void StoreGpsReference(const ExifWalk* walk, const TiffEntry& entry, char* text) {
  const char letter = EntryText(walk, entry)[0];
  if (entry.type == kTypeAscii && letter != 0) text[0] = letter;
}

// Degrees, minutes and seconds after the reference letter and a blank; each number with as many decimals as
// its denominator has tens (at most 3).
void StoreGpsAngle(ExifWalk* walk, const TiffEntry& entry, char* text) {
  if (entry.count < 3) return;
  double values[3];
  int decimals[3];
  for (uint32_t i = 0; i < 3; ++i) {
    values[i] = EntryNumber(walk, entry, i);
    uint64_t denominator = EntryDenominator(walk, entry, i);
    for (decimals[i] = 0; denominator > 1 && decimals[i] < 3; ++decimals[i]) denominator = (denominator + 9) / 10;
  }
  auto width = [](int d) { return d == 0 ? 2 : 3 + d; };
  snprintf(text + 2, kGpsAngleCapacity - 2, "%*.*fd %*.*fm %*.*fs", width(decimals[0]), decimals[0], values[0],
           width(decimals[1]), decimals[1], values[1], width(decimals[2]), decimals[2], values[2]);
}

void GpsLatitudeRef(ExifWalk* walk, const TiffEntry& entry, int) {
  StoreGpsReference(walk, entry, walk->info->gpsLatitude);
}
void GpsLatitude(ExifWalk* walk, const TiffEntry& entry, int) { StoreGpsAngle(walk, entry, walk->info->gpsLatitude); }
void GpsLongitudeRef(ExifWalk* walk, const TiffEntry& entry, int) {
  StoreGpsReference(walk, entry, walk->info->gpsLongitude);
}
void GpsLongitude(ExifWalk* walk, const TiffEntry& entry, int) {
  StoreGpsAngle(walk, entry, walk->info->gpsLongitude);
}

void GpsAltitudeRef(ExifWalk* walk, const TiffEntry& entry, int) {
  char* text = walk->info->gpsAltitude;
  text[0] = EntryInt(walk, entry) != 0 ? '-' : ' ';
  text[1] = 0;
}

// Whole metres.
void GpsAltitude(ExifWalk* walk, const TiffEntry& entry, int) {
  AppendFormatted(walk->info->gpsAltitude, sizeof(ExifInfo::gpsAltitude), "%dm", EntryInt(walk, entry));
}

void GpsDirectionRef(ExifWalk* walk, const TiffEntry& entry, int) {
  strcpy(walk->info->gpsDirection, "? ");
  StoreGpsReference(walk, entry, walk->info->gpsDirection);
}

// Whole degrees.
void GpsDirection(ExifWalk* walk, const TiffEntry& entry, int) {
  AppendFormatted(walk->info->gpsDirection, sizeof(ExifInfo::gpsDirection), "%d", EntryInt(walk, entry));
}

// Hour, minute and second as three rationals; a clock outside the day is not stored.
void GpsTime(ExifWalk* walk, const TiffEntry& entry, int) {
  if (entry.count < 3) return;
  const int32_t hour = EntryInt(walk, entry);
  const int32_t minute = TruncateToInt32(EntryNumber(walk, entry, 1));
  const int32_t second = TruncateToInt32(EntryNumber(walk, entry, 2));
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return;
  SYSTEMTIME time = UnpackDateTime(walk->info->gpsDateTime);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = static_cast<WORD>(second);
  walk->info->gpsDateTime = PackDateTime(time);
}

// "YYYY:MM:DD"; a month or day out of range is not stored.
void GpsDate(ExifWalk* walk, const TiffEntry& entry, int) {
  if (entry.type != kTypeAscii || entry.size <= 10) return;
  const char* text = EntryText(walk, entry);
  const unsigned year = DigitsAt(text, 0, 4);
  const unsigned month = DigitsAt(text, 5, 7);
  const unsigned day = DigitsAt(text, 8, 10);
  if (month < 1 || month > 12 || day < 1 || day > 31) return;
  SYSTEMTIME time = UnpackDateTime(walk->info->gpsDateTime);
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  walk->info->gpsDateTime = PackDateTime(time);
}

const TagRule kGpsTags[] = {
    {1, GpsLatitudeRef}, {2, GpsLatitude},   {3, GpsLongitudeRef},  {4, GpsLongitude},  {5, GpsAltitudeRef},
    {6, GpsAltitude},    {7, GpsTime},       {16, GpsDirectionRef}, {17, GpsDirection}, {29, GpsDate},
};

void VisitGpsEntry(ExifWalk* walk, const TiffEntry& entry, int depth) {
  VisitByTable(kGpsTags, std::size(kGpsTags), walk, entry, depth);
}

// The GPS directory; entries whose value lies outside the data are passed over.
void ParseExifIfd(ExifWalk* walk, uint32_t offset) {
  uint32_t count = 0;
  if (!ClaimDirectory(walk, offset) || !ReadDirectoryCount(walk->tiff, offset, true, &count)) return;
  ExifInfo* info = walk->info;
  info->gpsPresent = 1;
  strcpy(info->gpsLatitude, "? ?");
  strcpy(info->gpsLongitude, "? ?");
  info->gpsAltitude[0] = 0;
  info->gpsDirection[0] = 0;
  VisitEntries(walk, offset, count, false, VisitGpsEntry, 0);
}

// Canon maker note: a directory whose offsets count from the start of the TIFF data.

void VisitMakerNoteEntry(ExifWalk* walk, const TiffEntry& entry, int) {
  if (entry.tag != kCanonCameraSettingsTag || entry.size <= kCanonIsoByte + 1) return;
  const uint16_t code = U16At(walk->tiff, entry.valueOffset + kCanonIsoByte);
  if (code >= kCanonIsoCodeLowest && code <= kCanonIsoCodeHighest)
    walk->info->isoSpeed = kCanonIsoOfLowestCode << (code - kCanonIsoCodeLowest);
}

void ReadMakerNoteIfd(ExifWalk* walk, uint32_t offset) {
  uint32_t count = 0;
  if (!ClaimDirectory(walk, offset) || !ReadDirectoryCount(walk->tiff, offset, false, &count)) return;
  VisitEntries(walk, offset, count, false, VisitMakerNoteEntry, 0);
}

}  // namespace

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (value >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(value);
}

void ParseExifApp1(const uint8_t* data, uint32_t length, ExifInfo* info) {
  if (data == nullptr || length < kApp1MinimumBytes || memcmp(data, "Exif\0\0", kExifHeaderBytes) != 0) return;
  const bool little = data[6] == 'I' && data[7] == 'I';
  const bool big = data[6] == 'M' && data[7] == 'M';
  if (!little && !big) return;
  const TiffData tiff = {data + kExifHeaderBytes, length - kExifHeaderBytes, big};
  if (U16At(tiff, 2) != kTiffMagic) return;
  const uint32_t first = U32At(tiff, 4);
  if (first < kFirstDirectoryLowest || first >= tiff.length) return;
  ExifWalk walk = {tiff, info, {}, 0};
  info->flashUsed = 0;
  WalkExifIfd(&walk, first, 0);
}
