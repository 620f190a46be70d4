#include "foundation/text/packed_date.h"

#include <atomic>

#include "foundation/core/windows_version.h"

namespace {

using TimeZoneConversion = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, SYSTEMTIME*);

// Before Vista (version codes up to 13) the system knows only the current year's daylight-saving rules, so
// local times are converted by the current offset there.
constexpr int kLastVersionWithoutDateRules = 13;
constexpr uint64_t kFileTimeUnitsPerDay = 86400ULL * kFileTimeUnitsPerSecond;
constexpr unsigned kFirstCalendarYear = 1980;
constexpr unsigned kLastCalendarYear = 9999;
constexpr unsigned kLongestTolerance = 100;
constexpr WORD kNoon = 12;

// A function slot holds null until looked up, then the function or this marker, so a missing function is
// looked up only once. Threads that race fill a slot with the same value.
void* const kMissingFunction = reinterpret_cast<void*>(~static_cast<uintptr_t>(0));
std::atomic<void*> g_utcToLocalByDateRule{nullptr};
std::atomic<void*> g_localToUtcByDateRule{nullptr};

TimeZoneConversion KernelFunctionOnce(std::atomic<void*>& slot, const char* name) {
  void* function = slot.load(std::memory_order_relaxed);
  if (function == nullptr) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel != nullptr ? GetProcAddress(kernel, name) : nullptr;
    function = found != nullptr ? reinterpret_cast<void*>(found) : kMissingFunction;
    slot.store(function, std::memory_order_relaxed);
  }
  return function == kMissingFunction ? nullptr : reinterpret_cast<TimeZoneConversion>(function);
}

TimeZoneConversion UtcToLocalByDateRule() {
  return KernelFunctionOnce(g_utcToLocalByDateRule, "SystemTimeToTzSpecificLocalTime");
}

TimeZoneConversion LocalToUtcByDateRule() {
  return KernelFunctionOnce(g_localToUtcByDateRule, "TzSpecificLocalTimeToSystemTime");
}

int ToLocalByCurrentOffset(const FILETIME& utc, SYSTEMTIME* local) {
  FILETIME localTime;
  if (FileTimeToLocalFileTime(&utc, &localTime) && FileTimeToSystemTime(&localTime, local)) return 1;
  *local = {};
  return 0;
}

bool IsLeapYear(unsigned year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool IsInCalendarRange(unsigned year) { return year >= kFirstCalendarYear && year <= kLastCalendarYear; }

// Some systems convert 29 February of a common year as 1 March; a day that does not exist must not convert.
bool DayExists(unsigned day, unsigned month, unsigned year) { return day >= 1 && day <= DaysInMonth(month, year); }

// The FILETIME value of a date at a whole hour; false when there is no such date.
bool DateValue(unsigned day, unsigned month, unsigned year, WORD hour, uint64_t* value) {
  if (!DayExists(day, month, year) || year > 0xFFFF) return false;
  SYSTEMTIME fields = {};
  fields.wYear = static_cast<WORD>(year);
  fields.wMonth = static_cast<WORD>(month);
  fields.wDay = static_cast<WORD>(day);
  fields.wHour = hour;
  FILETIME time;
  if (!SystemTimeToFileTime(&fields, &time)) return false;
  *value = FileTimeToUInt64(time);
  return true;
}

bool FieldsOfValue(uint64_t value, SYSTEMTIME* fields) {
  const FILETIME time = UInt64ToFileTime(value);
  return FileTimeToSystemTime(&time, fields) != FALSE;
}

// The Monday on or before 4 January, at noon.
bool StartOfWeekOne(unsigned year, uint64_t* value) {
  const int weekday = GetIsoWeekday(4, 1, year);
  if (weekday == 0) return false;
  if (weekday <= 4) return DateValue(5 - weekday, 1, year, kNoon, value);
  return DateValue(36 - weekday, 12, year - 1, kNoon, value);
}

uint64_t SaturatingAdd(uint64_t value, uint64_t amount) {
  return value > UINT64_MAX - amount ? UINT64_MAX : value + amount;
}

int CompareWithinSeconds(uint64_t a, uint64_t b, unsigned seconds) {
  const uint64_t slack = seconds * kFileTimeUnitsPerSecond;
  if (SaturatingAdd(a, slack) < b) return -1;
  if (SaturatingAdd(b, slack) < a) return 1;
  return 0;
}

}  // namespace

PackedDateTime PackDateTime(const SYSTEMTIME& time) {
  return static_cast<PackedDateTime>(time.wSecond & 0x3F) | static_cast<PackedDateTime>(time.wMinute & 0x3F) << 6 |
         static_cast<PackedDateTime>(time.wHour & 0x1F) << 12 | static_cast<PackedDateTime>(time.wDay & 0x1F) << 17 |
         static_cast<PackedDateTime>(time.wMonth & 0x0F) << 22 | static_cast<PackedDateTime>(time.wYear) << 26;
}

SYSTEMTIME UnpackDateTime(PackedDateTime packed) {
  SYSTEMTIME time = {};
  time.wSecond = static_cast<WORD>(packed & 0x3F);
  time.wMinute = static_cast<WORD>((packed >> 6) & 0x3F);
  time.wHour = static_cast<WORD>((packed >> 12) & 0x1F);
  time.wDay = static_cast<WORD>(PackedDay(packed));
  time.wMonth = static_cast<WORD>((packed >> 22) & 0x0F);
  time.wYear = static_cast<WORD>(packed >> 26);
  return time;
}

PackedDateTime FileTimeToPackedDateTime(const FILETIME* time) {
  SYSTEMTIME fields;
  if (!IsFileTimeSet(time) || !FileTimeToSystemTime(time, &fields)) return 0;
  return PackDateTime(fields);
}

BOOL PackedDateTimeToFileTime(PackedDateTime packed, FILETIME* time) {
  if (time == nullptr) return FALSE;
  const SYSTEMTIME fields = UnpackDateTime(packed);
  if (!DayExists(fields.wDay, fields.wMonth, fields.wYear)) return FALSE;
  return SystemTimeToFileTime(&fields, time);
}

int UtcFileTimeToLocalSystemTime(const FILETIME* utc, SYSTEMTIME* local) {
  if (local == nullptr) return 0;
  *local = {};
  SYSTEMTIME utcFields;
  if (!IsFileTimeSet(utc) || !FileTimeToSystemTime(utc, &utcFields)) return 0;
  const TimeZoneConversion toLocal = UtcToLocalByDateRule();
  if (toLocal != nullptr) {
    const BOOL converted = toLocal(nullptr, &utcFields, local);
    if (converted > 0) return converted;
  }
  return ToLocalByCurrentOffset(*utc, local);
}

BOOL LocalSystemTimeToFileTime(const SYSTEMTIME* local, FILETIME* utc) {
  if (local == nullptr || utc == nullptr || !DayExists(local->wDay, local->wMonth, local->wYear)) return FALSE;
  if (GetWindowsVersionCodeCached() > kLastVersionWithoutDateRules) {
    const TimeZoneConversion toUtc = LocalToUtcByDateRule();
    SYSTEMTIME utcFields;
    if (toUtc != nullptr && toUtc(nullptr, local, &utcFields) > 0) return SystemTimeToFileTime(&utcFields, utc);
  }
  FILETIME localTime;
  if (!SystemTimeToFileTime(local, &localTime)) return FALSE;
  return LocalFileTimeToFileTime(&localTime, utc);
}

uint16_t DaysInMonth(unsigned month, unsigned year) {
  static constexpr uint16_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

int IsValidDateTime(const SYSTEMTIME& time) {
  if (time.wYear < kFirstCalendarYear) return 0;
  if (time.wHour >= 24 || time.wMinute >= 60 || time.wSecond >= 60) return 0;
  if (!DayExists(time.wDay, time.wMonth, time.wYear)) return 0;
  SYSTEMTIME now;
  GetLocalTime(&now);
  return time.wYear <= now.wYear ? 1 : 0;
}

int GetIsoWeekday(unsigned day, unsigned month, unsigned year) {
  uint64_t value;
  SYSTEMTIME fields;
  if (!IsInCalendarRange(year) || !DateValue(day, month, year, 0, &value)) return 0;
  if (!FieldsOfValue(value, &fields)) return 0;
  return fields.wDayOfWeek == 0 ? 7 : fields.wDayOfWeek;
}

int GetIsoWeekNumber(unsigned day, unsigned month, unsigned year) {
  uint64_t date;
  uint64_t weekOneStart;
  if (!IsInCalendarRange(year) || !DateValue(day, month, year, kNoon, &date) || !StartOfWeekOne(year, &weekOneStart)) {
    return 0;
  }
  // Days before week 1 lie in the same week as 31 December of the previous year.
  if (date < weekOneStart) return GetIsoWeekNumber(31, 12, year - 1);
  const int week = static_cast<int>((date - weekOneStart) / kFileTimeUnitsPerDay / 7) + 1;
  if (week <= 52) return week;
  return GetIsoWeekday(4, 1, year + 1) >= 4 ? 1 : 53;
}

int CompareFileTimesTolerant(const FILETIME* a, const FILETIME* b, unsigned tolerance) {
  const uint64_t first = a != nullptr ? FileTimeToUInt64(*a) : 0;
  const uint64_t second = b != nullptr ? FileTimeToUInt64(*b) : 0;
  if (tolerance <= kLongestTolerance) return CompareWithinSeconds(first, second, tolerance);
  const unsigned seconds = tolerance % kLongestTolerance;
  const int order = CompareWithinSeconds(first, second, seconds);
  if (order == 0) return 0;
  if (CompareWithinSeconds(SaturatingAdd(first, kFileTimeUnitsPerHour), second, seconds) == 0) return 0;
  if (CompareWithinSeconds(first, SaturatingAdd(second, kFileTimeUnitsPerHour), seconds) == 0) return 0;
  return order;
}
