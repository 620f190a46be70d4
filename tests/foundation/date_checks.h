// Building dates for date tests, FILETIMEs of UTC times, and a check for the Central European zone that
// the test runner sets (TZ=Europe/Berlin): UTC+1 in winter, UTC+2 from the last Sunday of March.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/text/packed_date.h"

inline SYSTEMTIME DateTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  return time;
}

// The FILETIME of fields taken as UTC; all zero when the system rejects them.
inline FILETIME UtcFileTime(const SYSTEMTIME& fields) {
  FILETIME time = {};
  if (!SystemTimeToFileTime(&fields, &time)) time = {};
  return time;
}

// The FILETIME of fields taken as local time by the program's own conversion; all zero when it rejects them.
inline FILETIME LocalFileTime(const SYSTEMTIME& fields) {
  FILETIME time = {};
  if (!LocalSystemTimeToFileTime(&fields, &time)) time = {};
  return time;
}

inline bool ZoneIsCentralEurope() {
  TIME_ZONE_INFORMATION zone;
  if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
  return zone.Bias == -60 && zone.DaylightBias == -60 && zone.DaylightDate.wMonth == 3 &&
         zone.StandardDate.wMonth == 10;
}

#define SKIP_UNLESS_CENTRAL_EUROPE()                                                           \
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << "needs the Central European time zone (TZ=Europe/Berlin)"
