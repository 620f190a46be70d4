#include "views/file_filter.h"

#include <cstring>

#include "foundation/text/packed_date.h"
#include "foundation/text/pattern_list.h"

uint64_t DateUnitSeconds(uint8_t unit) {
  switch (unit) {
    case 'S': return 1;
    case 'M': return 60;
    case 'H': return 3600;
    case 'Z': return 86400;
    default: return 604800;  // 'W'
  }
}

namespace {

bool HasSizeCondition(const FilterHalf& half);

constexpr uint64_t kFileTimeUnitsPerDay = 86400 * kFileTimeUnitsPerSecond;
// 1980-01-01 00:00:00 UTC lies 4400 seconds after the earliest file time the program accepts.
constexpr uint64_t kSecondOfJanuary1980 = kEarliestFileTime + 4400 * kFileTimeUnitsPerSecond + kFileTimeUnitsPerDay;
constexpr uint64_t kLatestLimit = ~0ull;
constexpr uint16_t kDirectoryAttribute = 0x10;
// Years a calendar move can span inside the FILETIME range (1601-30827); larger counts are clamped to it.
constexpr int64_t kMaxYearsBack = 40000;
constexpr WORD kFirstFileTimeYear = 1601;
constexpr WORD kLastFileTimeYear = 30827;

bool IsUnitOf(uint8_t unit, const char* units) { return unit != 0 && strchr(units, unit) != nullptr; }


// now - count units, held inside 0 .. all ones; a negative count reaches into the future.
uint64_t MoveBackBySeconds(uint64_t now, int64_t count, uint64_t unitSeconds) {
  const uint64_t step = unitSeconds * kFileTimeUnitsPerSecond;
  const bool future = count < 0;
  const uint64_t magnitude = future ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
  if (magnitude > kLatestLimit / step) return future ? kLatestLimit : 0;
  const uint64_t span = magnitude * step;
  if (future) return span > kLatestLimit - now ? kLatestLimit : now + span;
  return span > now ? 0 : now - span;
}

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Checked here rather than left to SystemTimeToFileTime, which not every system refuses 29 February 2100 with.
bool DayExists(int64_t year, int64_t month, WORD day) {
  static constexpr WORD kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const WORD last = month == 2 && IsLeapYear(year) ? 29 : kDaysInMonth[month - 1];
  return day >= 1 && day <= last;
}

int64_t Clamp(int64_t value, int64_t limit) { return value > limit ? limit : (value < -limit ? -limit : value); }

// now with its month moved back by `months`; day and time of day stay.
uint64_t MoveBackByMonths(const SYSTEMTIME& now, uint64_t nowTime, int64_t months) {
  const int64_t monthIndex = static_cast<int64_t>(now.wYear) * 12 + (now.wMonth - 1) - months;
  int64_t year = monthIndex / 12;
  int64_t month = monthIndex % 12;
  if (month < 0) {
    month += 12;
    --year;
  }
  if (year < kFirstFileTimeYear) return 0;
  if (year > kLastFileTimeYear) return kLatestLimit;
  if (!DayExists(year, month + 1, now.wDay)) return nowTime;
  SYSTEMTIME moved = now;
  moved.wYear = static_cast<WORD>(year);
  moved.wMonth = static_cast<WORD>(month + 1);
  FILETIME limit;
  return SystemTimeToFileTime(&moved, &limit) ? FileTimeToUInt64(limit) : nowTime;
}

uint64_t DateLimit(const FilterHalf& half, const SYSTEMTIME& now) {
  if (half.dateUnit == 'D') return half.dateValue;
  if (half.dateUnit == 'T') return ReduceToTimeOfDay(half.dateValue);
  FILETIME nowFileTime;
  const uint64_t nowTime = SystemTimeToFileTime(&now, &nowFileTime) ? FileTimeToUInt64(nowFileTime) : 0;
  const auto count = static_cast<int64_t>(half.dateValue);
  if (half.dateUnit == 'L') return MoveBackByMonths(now, nowTime, Clamp(count, kMaxYearsBack * 12));
  if (half.dateUnit == 'Y') return MoveBackByMonths(now, nowTime, Clamp(count, kMaxYearsBack) * 12);
  return MoveBackBySeconds(nowTime, count, DateUnitSeconds(half.dateUnit));
}

int SizeShift(uint8_t unit) {
  switch (unit) {
    case 'K': return 10;
    case 'M': return 20;
    case 'G': return 30;
    default: return 0;
  }
}

uint64_t SizeLimit(const FilterHalf& half) {
  const int shift = SizeShift(half.sizeUnit);
  if (half.sizeValue > (kLatestLimit >> shift)) return kLatestLimit;
  return half.sizeValue << shift;
}

uint64_t ComparedTime(const FilterHalf& half, uint64_t time) {
  return half.dateUnit == 'T' ? ReduceToTimeOfDay(time) : time;
}

bool PassesMasks(const wchar_t* name, const FilterRecord& record) {
  if (record.lower.masks[0] != 0 && !MatchesPatternList(name, record.lower.masks)) return false;
  return record.upper.masks[0] == 0 || !MatchesPatternList(name, record.upper.masks);
}

// Times of day are compared in UTC, where a local interval may pass midnight (01:00-03:00 in UTC+2 is
// 23:00-01:00): a lower limit above the upper one then admits the times from the one or up to the other.
bool WrapsPastMidnight(const FilterRecord& record) {
  return record.lower.dateUnit == 'T' && record.upper.dateUnit == 'T' && HasDateCondition(record.lower) &&
         HasDateCondition(record.upper) && record.lower.dateLimit > record.upper.dateLimit;
}

bool PassesDates(uint64_t time, const FilterRecord& record) {
  const bool fromLower = !HasDateCondition(record.lower) || ComparedTime(record.lower, time) >= record.lower.dateLimit;
  const bool upToUpper = !HasDateCondition(record.upper) || ComparedTime(record.upper, time) <= record.upper.dateLimit;
  return WrapsPastMidnight(record) ? fromLower || upToUpper : fromLower && upToUpper;
}

bool PassesSizes(uint32_t attributes, const uint64_t* size, const FilterRecord& record) {
  if ((attributes & kDirectoryAttribute) != 0 || size == nullptr || *size == kUnknownFileSize) return true;
  if (HasSizeCondition(record.lower) && *size < record.lower.sizeLimit) return false;
  return !HasSizeCondition(record.upper) || *size <= record.upper.sizeLimit;
}

bool PassesAttributes(uint16_t attributes, const FilterRecord& record) {
  const uint16_t present = attributes & kFilterAttributeMask;
  return ((present | record.lower.attributes) & ~record.upper.attributes) == present;
}

// The file time the record's mode tests; a creation or last-access time the file lacks is replaced by its
// last-write time.
FILETIME ChosenTime(const FileInfo& info, uint8_t mode) {
  const FILETIME* chosen = &info.lastWriteTime;
  if (mode == kFilterModeCreation) chosen = &info.creationTime;
  if (mode == kFilterModeLastAccess) chosen = &info.lastAccessTime;
  return IsFileTimeSet(chosen) ? *chosen : info.lastWriteTime;
}

}  // namespace

bool HasDateCondition(const FilterHalf& half) {
  if (!IsUnitOf(half.dateUnit, kFilterDateUnits)) return false;
  return (half.dateUnit != 'D' && half.dateUnit != 'T') || half.dateValue != 0;
}

namespace {

// True when the half's size unit is one of kFilterSizeUnits.
bool HasSizeCondition(const FilterHalf& half) { return IsUnitOf(half.sizeUnit, kFilterSizeUnits); }

}  // namespace

uint64_t ReduceToTimeOfDay(uint64_t fileTime) {
  const uint64_t secondsOfDay = fileTime % kFileTimeUnitsPerDay / kFileTimeUnitsPerSecond;
  return kSecondOfJanuary1980 + secondsOfDay * kFileTimeUnitsPerSecond;
}

void ComputeFilterLimitsAt(FilterHalf* half, const SYSTEMTIME& nowUtc) {
  if (half == nullptr) return;
  half->dateLimit = HasDateCondition(*half) ? DateLimit(*half, nowUtc) : 0;
  half->sizeLimit = SizeLimit(*half);
}

int MatchFilterRecord(const wchar_t* name, uint32_t attributes, FILETIME time, const uint64_t* size,
                      const FilterRecord* record) {
  if (record == nullptr) return 1;
  if (name == nullptr) name = L"";
  const bool passes = PassesMasks(name, *record) && PassesDates(FileTimeToUInt64(time), *record) &&
                      PassesSizes(attributes, size, *record);
  return passes ? 1 : 0;
}

int FilterAdmitsItem(const FilterRecord* filter, const wchar_t* name, const FileInfo& info) {
  if (filter == nullptr || (info.attributes & kDirectoryAttribute) != 0) return 1;
  if (!PassesAttributes(info.attributes, *filter)) return 0;
  return MatchFilterRecord(name, info.attributes, ChosenTime(info, filter->mode), &info.size, filter);
}

const FilterRecord* SnapshotFilterForListing(FilterRecord* snapshot) {
  if (snapshot == nullptr || g_app == nullptr || (g_app->options & kOptionFilterApplied) == 0) return nullptr;
  memcpy(snapshot, AppFilter(), sizeof *snapshot);
  SYSTEMTIME now;
  GetSystemTime(&now);
  ComputeFilterLimitsAt(&snapshot->lower, now);
  ComputeFilterLimitsAt(&snapshot->upper, now);
  return snapshot;
}
