#include "engine/modules/exif_module.h"

#include "foundation/text/packed_date.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/exif_info.h"
#include "metadata/field_types.h"

namespace {

constexpr PatternModuleForm kExifForm = {L"EXIF", kTextModuleExif};
constexpr int kExifValueCapacity = 256;
constexpr uint32_t kPackedTimeBits = 17;

// The date-and-time value that a date or time field shows a part of.
const PackedDateTime* PackedPartOf(const ExifInfo& info, int16_t tag) {
  switch (tag) {
    case kExifTagDate:
    case kExifTagTime:
      return &info.dateTime;
    case kExifTagDateOriginal:
    case kExifTagTimeOriginal:
      return &info.dateTimeOriginal;
    case kExifTagDateDigitized:
    case kExifTagTimeDigitized:
      return &info.dateTimeDigitized;
    case kExifTagGpsDate:
    case kExifTagGpsTime:
      return &info.gpsDateTime;
    default:
      return nullptr;
  }
}

// A date as day + month x 32 + year x 512, a time as second + minute x 64 + hour x 4096.
int PutDatePart(const ExifInfo& info, const ExifFieldRow& row, void* out, int outSize) {
  const PackedDateTime* packed = PackedPartOf(info, row.tag);
  if (packed == nullptr || PackedDay(*packed) == 0) return 0;
  const uint64_t part = row.type == kFieldTypeDate ? *packed >> kPackedTimeBits : *packed & ((1u << kPackedTimeBits) - 1);
  return PutFieldInteger(static_cast<int32_t>(part), row.type, out, outSize);
}

// Resolutions in pixels per inch; none when the resolution or its unit is not known.
double Resolution(float resolution, float unitFactor) { return unitFactor != 0 ? resolution / unitFactor : 0; }

int PutExifNumber(const ExifInfo& info, int16_t tag, void* out, int outSize) {
  switch (static_cast<uint16_t>(tag)) {
    case kExifTagWidth:
      return PutFieldInteger(info.width, kFieldTypeInteger, out, outSize);
    case kExifTagHeight:
      return PutFieldInteger(info.height, kFieldTypeInteger, out, outSize);
    case 0x9209:
      return PutFieldYesNo(info.flashUsed != 0, out, outSize);
    case 0x011A:
      return PutFieldDecimal(Resolution(info.xResolution, info.resolutionUnitFactor), out, outSize);
    case 0x011B:
      return PutFieldDecimal(Resolution(info.yResolution, info.resolutionUnitFactor), out, outSize);
    case 0x0128:
      return PutFieldDecimal(info.resolutionUnitFactor, out, outSize);
    case 0x9203:
      return PutFieldDecimal(info.brightness, out, outSize);
    case 0x9204:
      return PutFieldDecimal(info.exposureBias, out, outSize);
    default:
      return 0;
  }
}

int PutExifValue(const ExifInfo& info, const ExifFieldRow& row, void* out, int outSize) {
  switch (row.type) {
    case kFieldTypeModuleText: {
      wchar_t text[kExifValueCapacity];
      FormatExifValue(&info, row.tag, nullptr, text, kExifValueCapacity);
      return PutFieldText(text, row.type, out, outSize);
    }
    case kFieldTypeDate:
    case kFieldTypeTime:
      return PutDatePart(info, row, out, outSize);
    case kFieldTypeDateTime: {
      FILETIME utc{};
      return ExifDateTimeToUtc(&info, row.tag, &utc) ? PutFieldFileTime(utc, out, outSize) : 0;
    }
    default:
      return PutExifNumber(info, row.tag, out, outSize);
  }
}

// A file without readable EXIF data has none of its values: it keeps its name, and the step fails for it when
// the fail flag is set.
int ExpandExifSettings(const wchar_t* path, const PatternSettings* settings, wchar_t* name) {
  ExifInfo info;
  if (ReadExifInfo(path, &info) != 0) return settings->failOnEmpty != 0 ? kPatternStepFailed : 0;
  const int expanded =
      ExpandExifPattern(path, &info, settings->failOnEmpty != 0, name, kApplyPartCapacity, settings->pattern);
  return PatternApplyResult(expanded);
}

int GetExifFieldValue(const void* context, int fieldNumber, void* out, int outSize) {
  const ExifFieldRow* row = FieldRowAt(ExifFieldTable, fieldNumber);
  const wchar_t* path = static_cast<const wchar_t*>(context);
  if (row == nullptr || row->type == kFieldTypeNone || path == nullptr) return 0;
  ExifInfo info;
  return ReadExifInfo(path, &info) == 0 ? PutExifValue(info, *row, out, outSize) : 0;
}

}  // namespace

const ModuleDescriptor kExifModule = PatternModuleDescriptor<kExifForm, ExpandExifSettings, ExifFieldRow,
                                                             ExifFieldTable, GetExifFieldValue, kExifDialog>();
