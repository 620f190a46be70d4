// EXIF data of JPEG files: the record ReadExifInfo fills, the table of its fields by name, the display text
// of one field and the expansion of a name pattern of quoted field names.
//
// ReadExifInfo reads only the segments before the image data: the frame header gives width and height, the
// EXIF segment (a TIFF structure of directories) the camera, exposure and date values, the GPS directory the
// position texts and the GPS clock, and a Canon maker note the ISO speed. Every offset and size in the file
// is checked against the segment before it is used, and each directory is read at most once.
//
// Dates: the EXIF date-times are the camera's local clock; the GPS date and time are UTC. ExifDateTimeToUtc
// gives either as a FILETIME.
#pragma once
#include <cstdint>

#include "foundation/text/packed_date.h"
#include "foundation/files/paths.h"

// Filled by ReadExifInfo; all zero before reading. Texts are 8-bit (the file's bytes), always terminated.
struct ExifInfo {
  PackedDateTime dateTime;           // 0x0132; after a full read the original, else the digitized, when empty
  PackedDateTime dateTimeOriginal;   // 0x9003
  PackedDateTime dateTimeDigitized;  // 0x9004
  char exifVersion[5];               // 0x9000
  char cameraMake[32];               // 0x010F
  char cameraModel[40];              // 0x0110
  int32_t height;                    // JPEG frame header
  int32_t width;
  int32_t flashUsed;                 // 0x9209: 1 when the flash fired
  float focalLength;                 // 0x920A, mm
  float exposureTime;                // 0x829A, seconds; else from the shutter speed value 0x9201
  float fNumber;                     // 0x829D; else from the aperture value 0x9202 or 0x9205
  float subjectDistance;             // 0x9206, metres
  float exposureBias;                // 0x9204
  int32_t whiteBalance;              // 0xA403
  int32_t meteringMode;              // 0x9207
  int32_t isoSpeed;                  // 0x8827 (x200 below 50), 0xA215, the Canon maker note
  int32_t compressionLevel;          // 0x9102
  float xResolution;                 // 0x011A
  float yResolution;                 // 0x011B
  float resolutionUnitFactor;        // 0x0128 as inches per unit; 0 for an unknown unit
  float brightness;                  // 0x9203
  int32_t gpsPresent;                // 1 once a GPS directory was read
  char gpsLatitude[31];              // "N 48d  8m 23.45s"
  char gpsLongitude[31];
  char gpsAltitude[20];              // " 100m", "-12m" below sea level
  char gpsDirection[22];             // reference letter (T true, M magnetic), blank, degrees: "T 270"
  PackedDateTime gpsDateTime;        // the GPS clock, UTC
  wchar_t path[kPathCapacity];
};
static_assert(sizeof(ExifInfo) == 2336, "the EXIF record is 2336 bytes");

// Results of ReadExifInfo besides 0 (the scan reached the image data) and the file-open errors.
enum ExifScanResult : int {
  kExifNotJpeg = 1,          // the file does not begin with FF D8
  kExifTooManySegments = 2,  // 100 segments before the image data
  kExifBadMarker = 3,        // more than six fill bytes, or the file ended inside a marker
  kExifBadLength = 5,        // a segment length below 2 or cut off
  kExifNoMemory = 6,
  kExifSegmentCut = 7,       // the file ended inside a segment
  kExifEndOfImage = 8,       // end of image before the image data
};

// Tags of the values that are not EXIF tags (the frame size) and pseudo-tags of parts of values.
enum ExifPseudoTag : int16_t {
  kExifTagWidth = 256,
  kExifTagHeight = 257,
  kExifTagOriginalFileName = -1,  // "OFN", known only to ExpandExifPattern
  kExifTagDate = -2,
  kExifTagTime = -3,
  kExifTagDateOriginal = -5,
  kExifTagTimeOriginal = -6,
  kExifTagDateDigitized = -7,
  kExifTagTimeDigitized = -8,
  kExifTagGpsLatitude = -9,
  kExifTagGpsLongitude = -10,
  kExifTagGpsAltitude = -11,
  kExifTagGpsDirection = -12,
  kExifTagGpsDate = -13,
  kExifTagGpsTime = -14,
  kExifTagGpsDateTime = -15,
};

// EXIF tags from 0x8000 are negative as field tags; FormatExifValue takes either form.
constexpr int16_t AsFieldTag(uint16_t tag) { return static_cast<int16_t>(tag); }

// One field of the record: its tag or pseudo-tag, the UI text of its display name (0: none), the name used
// in patterns and menus, and its field type (metadata/field_types.h; 0: not offered as a field).
struct ExifFieldRow {
  int16_t tag;
  uint16_t textId;
  const wchar_t* name;
  uint32_t type;
};
// The 36 fields in menu order, "OFN" last, ended by an all-zero row.
extern const ExifFieldRow ExifFieldTable[];

// Reads the EXIF data of the JPEG file at `path` into `info` (cleared first; it keeps the path and whatever
// was read before a failure). 0, the error of opening the file, or an ExifScanResult.
int ReadExifInfo(const wchar_t* path, ExifInfo* info);

// The display text of one field (a tag or pseudo-tag of ExifFieldTable) into `out`; dates and times use
// `pattern` (a GetDateFormatW or GetTimeFormatW picture) when one is given, else digits. Unknown tags and
// empty values give an empty text. The result is the text's length.
int FormatExifValue(const ExifInfo* info, int tag, const wchar_t* pattern, wchar_t* out, int capacity);

// The UTC time of a date-and-time field (0x0132, 0x9003, 0x9004 or kExifTagGpsDateTime). The EXIF
// date-times are the camera's local clock and are converted by the daylight-saving rule in force on their
// own date; the GPS clock is UTC already. False for another tag and for an empty or impossible date.
bool ExifDateTimeToUtc(const ExifInfo* info, int tag, FILETIME* utc);

// Expands `pattern`: text outside double quotes is copied; a quoted field name (with an optional ',' and a
// date or time picture) is replaced by the field's text, "OFN" by the file name of `path` without its
// extension. A quoted text that names no field keeps its text and loses its opening quote. A field without
// text is left out (a pattern none of whose fields has text gives its literal text alone), or fails the
// expansion with -1 when `failOnEmpty` is set. A non-empty result, with the characters invalid in file names
// made '_', replaces `out`; an empty one leaves `out` as it was. 0 or -1.
int ExpandExifPattern(const wchar_t* path, const ExifInfo* info, bool failOnEmpty, wchar_t* out, int capacity,
                      const wchar_t* pattern);
