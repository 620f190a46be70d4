// The JPEG segment scan of the EXIF reader: markers and segments up to the start of the image data.
#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/files/file_io.h"
#include "foundation/text/bounded_text.h"
#include "metadata/byte_reads.h"
#include "metadata/exif_directories.h"
#include "metadata/exif_info.h"
#include "foundation/files/paths.h"

namespace {

constexpr int kMaxHeldSegments = 100;
constexpr int kMaxFillBytes = 6;
constexpr uint32_t kLargestSegment = 0xFFFF;
constexpr uint8_t kMarkerPrefix = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kApp1 = 0xE1;
// Length bytes, precision, height and width: the frame header's fields that are read.
constexpr uint32_t kFrameHeaderBytes = 7;

// Start-of-frame markers C0-CF, except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(uint8_t code) {
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// The marker code after its prefix and at most six fill bytes.
int ReadMarkerCode(BufferedFile* file, uint8_t* code) {
  for (int fills = 0;; ++fills) {
    if (FileReadExact(file, code, 1) != 0) return kExifBadMarker;
    if (*code != kMarkerPrefix) return 0;
    if (fills == kMaxFillBytes) return kExifBadMarker;
  }
}

// A segment with its two length bytes at the start of `segment` (room for the largest one).
int ReadSegment(BufferedFile* file, uint8_t* segment, uint32_t* length) {
  if (FileReadExact(file, segment, 2) != 0) return kExifBadLength;
  *length = ReadU16Be(segment);
  if (*length < 2) return kExifBadLength;
  return FileReadExact(file, segment + 2, *length - 2) == 0 ? 0 : kExifSegmentCut;
}

// Takes what the reader needs from one segment; false for the segments that do not count towards the limit
// (APP0 and APP1 segments other than EXIF).
bool TakeSegment(uint8_t code, const uint8_t* segment, uint32_t length, ExifInfo* info) {
  if (IsFrameHeader(code)) {
    if (length >= kFrameHeaderBytes) {
      info->height = ReadU16Be(segment + 3);
      info->width = ReadU16Be(segment + 5);
    }
    return true;
  }
  if (code == kApp1 && length >= 6 && memcmp(segment + 2, "Exif", 4) == 0) {
    ParseExifApp1(segment + 2, length - 2, info);
    return true;
  }
  return code != kApp0 && code != kApp1;
}

// 0 at the start of the image data; otherwise an ExifScanResult.
int ScanJpegMarkers(BufferedFile* file, uint8_t* segment, ExifInfo* info) {
  uint8_t start[2];
  if (FileReadExact(file, start, 2) != 0 || start[0] != kMarkerPrefix || start[1] != kStartOfImage) return kExifNotJpeg;
  int held = 0;
  while (held < kMaxHeldSegments) {
    uint8_t code = 0;
    if (ReadMarkerCode(file, &code) != 0) return kExifBadMarker;
    // The end-of-image marker carries no length.
    if (code == kEndOfImage) return kExifEndOfImage;
    uint32_t length = 0;
    const int result = ReadSegment(file, segment, &length);
    if (result != 0) return result;
    if (code == kStartOfScan) return 0;
    if (TakeSegment(code, segment, length, info)) ++held;
  }
  return kExifTooManySegments;
}

// Without its own date and time the image takes the original's, else the digitized one's.
void FillMissingDateTime(ExifInfo* info) {
  if (PackedDay(info->dateTime) == 0) info->dateTime = info->dateTimeOriginal;
  if (PackedDay(info->dateTime) == 0) info->dateTime = info->dateTimeDigitized;
}

}  // namespace

int ReadExifInfo(const wchar_t* path, ExifInfo* info) {
  memset(info, 0, sizeof(*info));
  CopyWideString(path, info->path, kPathCapacity);
  BufferedFile file;
  InitBufferedFile(&file);
  int result = FileOpenRead(&file, path);
  if (result != 0) return result;
  uint8_t* segment = static_cast<uint8_t*>(AllocZeroed(kLargestSegment));
  result = segment != nullptr ? ScanJpegMarkers(&file, segment, info) : kExifNoMemory;
  FreeAndNull(&segment);
  CloseBufferedFile(&file);
  if (result == 0) FillMissingDateTime(info);
  return result;
}
