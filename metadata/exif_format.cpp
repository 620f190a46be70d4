// The EXIF record's fields by name, their display texts, and the expansion of name patterns.
#include <cstdio>
#include <cwchar>
#include <iterator>

#include "foundation/files/paths.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/number_format.h"
#include "foundation/text/packed_date_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/exif_directories.h"
#include "metadata/exif_info.h"
#include "metadata/field_types.h"
#include "metadata/name_patterns.h"

const ExifFieldRow ExifFieldTable[] = {
    {AsFieldTag(0x9000), kTextFieldExifVersion, L"Exif Version", kFieldTypeModuleText},
    {AsFieldTag(0x010F), kTextFieldCameraMake, L"Camera Make", kFieldTypeModuleText},
    {AsFieldTag(0x0110), kTextFieldCameraModel, L"Camera Model", kFieldTypeModuleText},
    {kExifTagDate, kTextFieldDate, L"Date", kFieldTypeDate},
    {kExifTagTime, kTextFieldTime, L"Time", kFieldTypeTime},
    {AsFieldTag(0x0132), kTextFieldDateTime, L"Date/Time", kFieldTypeDateTime},
    {kExifTagDateOriginal, kTextFieldDateOriginal, L"Date Original", kFieldTypeDate},
    {kExifTagTimeOriginal, kTextFieldTimeOriginal, L"Time Original", kFieldTypeTime},
    {AsFieldTag(0x9003), kTextFieldDateTimeOriginal, L"Date/Time Original", kFieldTypeDateTime},
    {kExifTagDateDigitized, kTextFieldDateDigitized, L"Date Digitized", kFieldTypeDate},
    {kExifTagTimeDigitized, kTextFieldTimeDigitized, L"Time Digitized", kFieldTypeTime},
    {AsFieldTag(0x9004), kTextFieldDateTimeDigitized, L"Date/Time Digitized", kFieldTypeDateTime},
    {kExifTagWidth, kTextFieldWidth, L"Width", kFieldTypeInteger},
    {kExifTagHeight, kTextFieldHeight, L"Height", kFieldTypeInteger},
    {AsFieldTag(0x011A), kTextFieldXResolution, L"X Resolution", kFieldTypeDecimal},
    {AsFieldTag(0x011B), kTextFieldYResolution, L"Y Resolution", kFieldTypeDecimal},
    {AsFieldTag(0x0128), kTextFieldResolutionUnit, L"Resolution Unit", kFieldTypeDecimal},
    {AsFieldTag(0x9209), kTextFieldFlash, L"Flash", kFieldTypeYesNo},
    {AsFieldTag(0x920A), kTextFieldFocalLength, L"Focal Length", kFieldTypeModuleText},
    {AsFieldTag(0x829A), kTextFieldExposureTime, L"Exposure Time", kFieldTypeModuleText},
    {AsFieldTag(0x9202), kTextFieldAperture, L"Aperture", kFieldTypeModuleText},
    {AsFieldTag(0x9203), kTextFieldBrightness, L"Brightness", kFieldTypeDecimal},
    {AsFieldTag(0x9206), kTextFieldSubjectDistance, L"Subject Distance", kFieldTypeModuleText},
    {AsFieldTag(0x8827), kTextFieldIsoSpeed, L"ISO Speed Ratings", kFieldTypeModuleText},
    {AsFieldTag(0x9204), kTextFieldExposureBias, L"Exposure Bias", kFieldTypeDecimal},
    {AsFieldTag(0xA403), kTextFieldWhiteBalance, L"White Balance", kFieldTypeModuleText},
    {AsFieldTag(0x9207), kTextFieldMeteringMode, L"Metering Mode", kFieldTypeModuleText},
    {AsFieldTag(0x9102), kTextFieldQuality, L"Quality", kFieldTypeModuleText},
    {kExifTagGpsLatitude, kTextFieldGpsLatitude, L"GPS Latitude", kFieldTypeModuleText},
    {kExifTagGpsLongitude, kTextFieldGpsLongitude, L"GPS Longitude", kFieldTypeModuleText},
    {kExifTagGpsAltitude, kTextFieldGpsAltitude, L"GPS Altitude", kFieldTypeModuleText},
    {kExifTagGpsDate, kTextFieldGpsDate, L"GPS Date", kFieldTypeDate},
    {kExifTagGpsTime, kTextFieldGpsTime, L"GPS Time", kFieldTypeTime},
    {kExifTagGpsDateTime, kTextFieldGpsDateTime, L"GPS Date/Time", kFieldTypeDateTime},
    {kExifTagGpsDirection, kTextFieldGpsDirection, L"GPS Direction", kFieldTypeModuleText},
    {kExifTagOriginalFileName, 0, L"OFN", kFieldTypeNone},
    {0, 0, nullptr, kFieldTypeNone},
};

namespace {

constexpr int kResultCapacity = 1024;
constexpr int kValueCapacity = 1024;
// Exposure times up to this many seconds are written as fractions "1 per n".
constexpr double kLongestFractionTime = 0.5;

using ValueFormatter = void (*)(const ExifInfo& info, const wchar_t* pattern, wchar_t* out, int capacity);

struct FormatRule {
  int16_t tag;
  ValueFormatter format;
};

struct ChoiceText {
  int32_t value;
  const wchar_t* text;
};

// Appends the value with the user's decimal separator and an optional prefix and suffix.
void AppendDecimal(const wchar_t* prefix, double value, int decimals, const wchar_t* suffix, wchar_t* out,
                   int capacity) {
  wchar_t number[kNumberTextCapacity];
  if (FormatDoubleWide(value, decimals, number, kNumberTextCapacity) < 0) return;
  AppendWideBounded(prefix, out, capacity);
  AppendWideBounded(number, out, capacity);
  AppendWideBounded(suffix, out, capacity);
}

void AppendChoice(const ChoiceText* choices, size_t count, int32_t value, wchar_t* out, int capacity) {
  for (size_t i = 0; i < count; ++i)
    if (choices[i].value == value) AppendWideBounded(choices[i].text, out, capacity);
}

template <int32_t ExifInfo::*Field>
void FormatInteger(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.*Field != 0) swprintf(out, capacity, L"%d", info.*Field);
}

template <size_t N, const char (ExifInfo::*Field)[N]>
void FormatText(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  MultiByteToWideBounded(info.*Field, out, capacity, CP_ACP);
}

template <size_t N, const char (ExifInfo::*Field)[N]>
void FormatGpsText(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.gpsPresent == 1) MultiByteToWideBounded(info.*Field, out, capacity, CP_ACP);
}

template <PackedDateTime ExifInfo::*Field>
void FormatCompact(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  FormatPackedDateTimeCompact(info.*Field, out, capacity);
}

template <PackedDateTime ExifInfo::*Field>
void FormatDatePart(const ExifInfo& info, const wchar_t* pattern, wchar_t* out, int capacity) {
  FormatPackedDate(info.*Field, pattern, out, capacity);
}

template <PackedDateTime ExifInfo::*Field>
void FormatTimePart(const ExifInfo& info, const wchar_t* pattern, wchar_t* out, int capacity) {
  FormatPackedTime(info.*Field, pattern, out, capacity);
}

template <float ExifInfo::*Field, int Decimals>
void FormatDecimal(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.*Field != 0) AppendDecimal(L"", info.*Field, Decimals, L"", out, capacity);
}

// Pixels per inch.
template <float ExifInfo::*Field>
void FormatResolution(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.*Field != 0 && info.resolutionUnitFactor != 0)
    AppendDecimal(L"", info.*Field / info.resolutionUnitFactor, 1, L"", out, capacity);
}

void FormatExposureTime(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  const double time = info.exposureTime;
  if (time == 0) return;
  if (time <= kLongestFractionTime)
    swprintf(out, capacity, L"1 per %d", TruncateToInt32(1 / time + 0.5));
  else
    AppendDecimal(L"", time, 3, L" s", out, capacity);
}

void FormatIsoSpeed(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.isoSpeed != 0) swprintf(out, capacity, L"%2d", info.isoSpeed);
}

void FormatAperture(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.fNumber != 0) AppendDecimal(L"f per ", info.fNumber, 1, L"", out, capacity);
}

void FormatSubjectDistance(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.subjectDistance < 0)
    AppendWideBounded(L"Infinite", out, capacity);
  else if (info.subjectDistance > 0)
    AppendDecimal(L"", info.subjectDistance, 2, L"m", out, capacity);
}

void FormatFocalLength(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  if (info.focalLength != 0) AppendDecimal(L"", info.focalLength, 1, L"mm", out, capacity);
}

void FormatFlash(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  GetUiText(info.flashUsed != 0 ? kTextYes : kTextNo, out, capacity);
}

void FormatQuality(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  static const ChoiceText kQualities[] = {{1, L"Basic"}, {2, L"Normal"}, {4, L"Fine"}};
  AppendChoice(kQualities, std::size(kQualities), info.compressionLevel, out, capacity);
}

void FormatMeteringMode(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  static const ChoiceText kModes[] = {{2, L"Center weight"}, {3, L"Spot"}, {5, L"Matrix"}};
  AppendChoice(kModes, std::size(kModes), info.meteringMode, out, capacity);
}

void FormatWhiteBalance(const ExifInfo& info, const wchar_t*, wchar_t* out, int capacity) {
  static const ChoiceText kBalances[] = {{1, L"Sunny"}, {2, L"Fluorescent"}, {3, L"Incandescent"}};
  if (info.whiteBalance == 0) return;
  AppendChoice(kBalances, std::size(kBalances), info.whiteBalance, out, capacity);
  if (out[0] == 0) AppendWideBounded(L"Cloudy", out, capacity);
}

const FormatRule kFormatRules[] = {
    {kExifTagWidth, FormatInteger<&ExifInfo::width>},
    {kExifTagHeight, FormatInteger<&ExifInfo::height>},
    {AsFieldTag(0x010F), FormatText<32, &ExifInfo::cameraMake>},
    {AsFieldTag(0x0110), FormatText<40, &ExifInfo::cameraModel>},
    {AsFieldTag(0x9000), FormatText<5, &ExifInfo::exifVersion>},
    {AsFieldTag(0x011A), FormatResolution<&ExifInfo::xResolution>},
    {AsFieldTag(0x011B), FormatResolution<&ExifInfo::yResolution>},
    {AsFieldTag(0x0128), FormatDecimal<&ExifInfo::resolutionUnitFactor, 1>},
    {AsFieldTag(0x0132), FormatCompact<&ExifInfo::dateTime>},
    {AsFieldTag(0x9003), FormatCompact<&ExifInfo::dateTimeOriginal>},
    {AsFieldTag(0x9004), FormatCompact<&ExifInfo::dateTimeDigitized>},
    {kExifTagGpsDateTime, FormatCompact<&ExifInfo::gpsDateTime>},
    {kExifTagDate, FormatDatePart<&ExifInfo::dateTime>},
    {kExifTagDateOriginal, FormatDatePart<&ExifInfo::dateTimeOriginal>},
    {kExifTagDateDigitized, FormatDatePart<&ExifInfo::dateTimeDigitized>},
    {kExifTagGpsDate, FormatDatePart<&ExifInfo::gpsDateTime>},
    {kExifTagTime, FormatTimePart<&ExifInfo::dateTime>},
    {kExifTagTimeOriginal, FormatTimePart<&ExifInfo::dateTimeOriginal>},
    {kExifTagTimeDigitized, FormatTimePart<&ExifInfo::dateTimeDigitized>},
    {kExifTagGpsTime, FormatTimePart<&ExifInfo::gpsDateTime>},
    {AsFieldTag(0x829A), FormatExposureTime},
    {AsFieldTag(0x8827), FormatIsoSpeed},
    {AsFieldTag(0x9102), FormatQuality},
    {AsFieldTag(0x9202), FormatAperture},
    {AsFieldTag(0x9203), FormatDecimal<&ExifInfo::brightness, 3>},
    {AsFieldTag(0x9204), FormatDecimal<&ExifInfo::exposureBias, 2>},
    {AsFieldTag(0x9206), FormatSubjectDistance},
    {AsFieldTag(0x9207), FormatMeteringMode},
    {AsFieldTag(0x9209), FormatFlash},
    {AsFieldTag(0x920A), FormatFocalLength},
    {AsFieldTag(0xA403), FormatWhiteBalance},
    {kExifTagGpsLatitude, FormatGpsText<31, &ExifInfo::gpsLatitude>},
    {kExifTagGpsLongitude, FormatGpsText<31, &ExifInfo::gpsLongitude>},
    {kExifTagGpsAltitude, FormatGpsText<20, &ExifInfo::gpsAltitude>},
    {kExifTagGpsDirection, FormatGpsText<22, &ExifInfo::gpsDirection>},
};

const ExifFieldRow* FindFieldRow(const wchar_t* name) {
  for (const ExifFieldRow* row = ExifFieldTable; row->name != nullptr; ++row)
    if (EqualsIgnoreCaseWide(row->name, name)) return row;
  return nullptr;
}

// The text of one pattern reference: "OFN" or a field with its picture (after the first ',').
void FormatReference(const wchar_t* path, const ExifInfo* info, const ExifFieldRow& row, const wchar_t* pattern,
                     wchar_t* value) {
  if (row.tag == kExifTagOriginalFileName)
    FileTitleOfPath(path, value, kValueCapacity);
  else
    FormatExifValue(info, row.tag, pattern, value, kValueCapacity);
}

// The field named by the quoted reference that opens at `at` (its name before the first ',', a picture after
// it); null when there is no closing quote or the name is no field. `*close` gets the closing quote.
const ExifFieldRow* ReadReference(const wchar_t* at, wchar_t* reference, const wchar_t** picture,
                                  const wchar_t** close) {
  *close = wcschr(at + 1, L'"');
  if (*close == nullptr || *close - at - 1 >= kValueCapacity) return nullptr;
  const size_t length = static_cast<size_t>(*close - at - 1);
  wmemcpy(reference, at + 1, length);
  reference[length] = 0;
  wchar_t* comma = wcschr(reference, L',');
  *picture = nullptr;
  if (comma != nullptr) {
    *comma = 0;
    if (comma[1] != 0) *picture = comma + 1;
  }
  return FindFieldRow(reference);
}

}  // namespace

int FormatExifValue(const ExifInfo* info, int tag, const wchar_t* pattern, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  out[0] = 0;
  if (info == nullptr) return 0;
  for (const FormatRule& rule : kFormatRules) {
    if (rule.tag != static_cast<int16_t>(tag)) continue;
    rule.format(*info, pattern, out, capacity);
    out[capacity - 1] = 0;
    break;
  }
  return static_cast<int>(WideLength(out));
}

bool ExifDateTimeToUtc(const ExifInfo* info, int tag, FILETIME* utc) {
  static const struct {
    int16_t tag;
    PackedDateTime ExifInfo::*field;
    bool localClock;
  } kDateTimes[] = {{AsFieldTag(0x0132), &ExifInfo::dateTime, true},
                    {AsFieldTag(0x9003), &ExifInfo::dateTimeOriginal, true},
                    {AsFieldTag(0x9004), &ExifInfo::dateTimeDigitized, true},
                    {kExifTagGpsDateTime, &ExifInfo::gpsDateTime, false}};
  for (const auto& dateTime : kDateTimes) {
    if (dateTime.tag != static_cast<int16_t>(tag)) continue;
    const PackedDateTime packed = info->*dateTime.field;
    if (PackedDay(packed) == 0) return false;
    if (!dateTime.localClock) return PackedDateTimeToFileTime(packed, utc) != FALSE;
    const SYSTEMTIME local = UnpackDateTime(packed);
    return LocalSystemTimeToFileTime(&local, utc) != FALSE;
  }
  return false;
}

int ExpandExifPattern(const wchar_t* path, const ExifInfo* info, bool failOnEmpty, wchar_t* out, int capacity,
                      const wchar_t* pattern) {
  if (pattern == nullptr) return 0;
  wchar_t result[kResultCapacity] = {};
  for (const wchar_t* at = pattern; *at != 0;) {
    wchar_t reference[kValueCapacity];
    const wchar_t* picture = nullptr;
    const wchar_t* close = nullptr;
    const ExifFieldRow* row = *at == L'"' ? ReadReference(at, reference, &picture, &close) : nullptr;
    if (row == nullptr) {
      // Ordinary characters, and quotes that open no field reference, which are dropped.
      const wchar_t character[2] = {*at, 0};
      if (*at++ != L'"') AppendWideBounded(character, result, kResultCapacity);
      continue;
    }
    at = close + 1;
    wchar_t value[kValueCapacity];
    FormatReference(path, info, *row, picture, value);
    if (value[0] == 0 && failOnEmpty) return -1;
    AppendWideBounded(value, result, kResultCapacity);
  }
  if (result[0] == 0) return 0;
  ReplaceInvalidFileNameChars(result);
  CopyWideString(result, out, capacity);
  return 0;
}
