#include "shell/time_conditions.h"

#include "foundation/text/packed_date.h"

namespace {

constexpr FILETIME kNoTime = {0, 0};
constexpr uint64_t kLatestFileTime = 0x7FFFFFFFFFFFFFFFull;

// The time moved by count units; no time when the move leaves the range of file times.
FILETIME MoveBySeconds(const FILETIME& time, int64_t count, uint64_t unitSeconds) {
  const uint64_t step = unitSeconds * kFileTimeUnitsPerSecond;
  const uint64_t magnitude = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
  const uint64_t start = FileTimeToUInt64(time);
  if (magnitude > kLatestFileTime / step) return kNoTime;
  const uint64_t span = magnitude * step;
  if (count < 0) return span > start ? kNoTime : UInt64ToFileTime(start - span);
  return span > kLatestFileTime - start ? kNoTime : UInt64ToFileTime(start + span);
}

// The local fields back to UTC; the time unchanged when the system cannot convert them.
FILETIME FromLocal(SYSTEMTIME local, const FILETIME& unchanged) {
  local.wMilliseconds = 0;
  FILETIME utc;
  return LocalSystemTimeToFileTime(&local, &utc) ? utc : unchanged;
}

// The file's local date with the local time of day of the value (a time on 2 January 1980).
FILETIME TakeTimeOfDay(const FILETIME& time, uint64_t value) {
  const FILETIME clockValue = UInt64ToFileTime(value);
  SYSTEMTIME local;
  SYSTEMTIME clock;
  if (!UtcFileTimeToLocalSystemTime(&time, &local) || !UtcFileTimeToLocalSystemTime(&clockValue, &clock))
    return kNoTime;
  local.wHour = clock.wHour;
  local.wMinute = clock.wMinute;
  local.wSecond = clock.wSecond;
  return FromLocal(local, time);
}

// The local date moved to another month and year; the day and the clock time stay. A day the new month lacks
// leaves the time unchanged.
FILETIME MoveToMonth(const FILETIME& time, const SYSTEMTIME& local, int64_t year, int64_t month) {
  if (year < 1 || year > 30827 || local.wDay > DaysInMonth(static_cast<unsigned>(month), static_cast<unsigned>(year)))
    return time;
  SYSTEMTIME moved = local;
  moved.wYear = static_cast<WORD>(year);
  moved.wMonth = static_cast<WORD>(month);
  return FromLocal(moved, time);
}

FILETIME MoveByMonths(const FILETIME& time, int64_t count) {
  SYSTEMTIME local;
  if (count < -kMostMonthsMoved || count > kMostMonthsMoved || !UtcFileTimeToLocalSystemTime(&time, &local))
    return kNoTime;
  int64_t year = local.wYear + count / 12;
  int64_t month = local.wMonth + count % 12;
  if (month > 12) {
    month -= 12;
    ++year;
  } else if (month < 1) {
    month += 12;
    --year;
  }
  return MoveToMonth(time, local, year, month);
}

FILETIME MoveByYears(const FILETIME& time, int64_t count) {
  SYSTEMTIME local;
  if (count < -kMostYearsMoved || count > kMostYearsMoved || !UtcFileTimeToLocalSystemTime(&time, &local))
    return time;
  return MoveToMonth(time, local, local.wYear + count, local.wMonth);
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return FileTimeToUInt64(a) == FileTimeToUInt64(b); }

}  // namespace

FILETIME ApplyTimeCondition(const FilterHalf& half, const FILETIME& time) {
  const auto count = static_cast<int64_t>(half.dateValue);
  switch (half.dateUnit) {
    case 'D':
      return UInt64ToFileTime(half.dateValue);
    case 'T':
      return TakeTimeOfDay(time, half.dateValue);
    case 'S':
    case 'M':
    case 'H':
    case 'Z':
    case 'W':
      return MoveBySeconds(time, count, DateUnitSeconds(half.dateUnit));
    case 'L':
      return MoveByMonths(time, count);
    case 'Y':
      return MoveByYears(time, count);
    default:
      return kNoTime;
  }
}

void ComputeNewTimes(NewFileTimes* result, const FileInfo& info, const FilterRecord& conditions) {
  result->creation = ApplyTimeCondition(conditions.lower, info.creationTime);
  result->lastWrite = ApplyTimeCondition(conditions.upper, info.lastWriteTime);
  result->setCreation = IsFileTimeSet(&result->creation) && !SameTime(result->creation, info.creationTime);
  result->setLastWrite = IsFileTimeSet(&result->lastWrite) && !SameTime(result->lastWrite, info.lastWriteTime);
}
