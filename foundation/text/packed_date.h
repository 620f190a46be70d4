// Dates and times packed into 64 bits: second in bits 0-5, minute 6-11, hour 12-16, day 17-21, month 22-25 and
// the full year from bit 26. The value 0 is the empty date; a day of 0 means no date. Two packed real dates
// compare in time order as plain unsigned integers.
//
// Also here: conversions between FILETIME (UTC), SYSTEMTIME and packed values, local time with the
// daylight-saving rule of the date itself, calendar helpers and tolerant comparison of file times.
// A FILETIME below kEarliestFileTime counts as no time everywhere: it converts to an empty result.
// Every function may be called from any thread.
#pragma once
#include <windows.h>

#include <cstdint>

using PackedDateTime = uint64_t;

// 1979-12-31 22:46:40 UTC; earlier file times are taken as unset.
constexpr uint64_t kEarliestFileTime = 119600020000000000ULL;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;
constexpr uint64_t kFileTimeUnitsPerHour = 3600ULL * kFileTimeUnitsPerSecond;

inline uint64_t FileTimeToUInt64(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

inline FILETIME UInt64ToFileTime(uint64_t value) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(value);
  time.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return time;
}

// False for a null pointer and for a time below kEarliestFileTime.
inline bool IsFileTimeSet(const FILETIME* time) {
  return time != nullptr && FileTimeToUInt64(*time) >= kEarliestFileTime;
}

// The fields of a SYSTEMTIME, masked to their widths; day of week and milliseconds are dropped.
PackedDateTime PackDateTime(const SYSTEMTIME& time);
// All eight fields of the result are set; day of week and milliseconds stay 0.
SYSTEMTIME UnpackDateTime(PackedDateTime packed);

inline unsigned PackedDay(PackedDateTime packed) { return static_cast<unsigned>((packed >> 17) & 0x1F); }

// The packed fields of a file time on its own clock (no local-time conversion); 0 when unset.
PackedDateTime FileTimeToPackedDateTime(const FILETIME* time);
// FALSE for an impossible date, such as the empty value with day 0.
BOOL PackedDateTimeToFileTime(PackedDateTime packed, FILETIME* time);

// UTC to local time by the daylight-saving rule in force on that date where the system offers it, else by
// the zone's current offset. An unset time (or a null one) clears all of `local` and gives 0; non-zero on
// success.
int UtcFileTimeToLocalSystemTime(const FILETIME* utc, SYSTEMTIME* local);
// Local time to UTC, by the rule of that date on Vista and later, else by the current offset.
BOOL LocalSystemTimeToFileTime(const SYSTEMTIME* local, FILETIME* utc);

// Days of a month of the Gregorian calendar; 0 for a month outside 1-12.
uint16_t DaysInMonth(unsigned month, unsigned year);
// 1 when every field is in range, the year is 1980 to the current local year and the day exists in that
// month; otherwise 0. Day of week and milliseconds are not examined.
int IsValidDateTime(const SYSTEMTIME& time);
// 1 (Monday) to 7 (Sunday); 0 for a year outside 1980-9999 or a date that does not exist.
int GetIsoWeekday(unsigned day, unsigned month, unsigned year);
// The ISO 8601 week, 1-53. Early-January days that belong to the last week of the previous year get that
// week's number. 0 for a year outside 1980-9999 or a date that does not exist.
int GetIsoWeekNumber(unsigned day, unsigned month, unsigned year);

// -1 when a is earlier than b, 1 when later, 0 when equal within the tolerance. A tolerance of 1-100 is in
// seconds; above 100 it means (tolerance mod 100) seconds, and a shift by one hour either way within those
// seconds also counts as equal (a clock change between file systems). A null time counts as 0.
int CompareFileTimesTolerant(const FILETIME* a, const FILETIME* b, unsigned tolerance);
