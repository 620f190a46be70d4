// RFC 822 dates of mail headers: "[Day,] d Mon yy[yy] hh:mm:ss [zone]".
#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/date_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "metadata/mail_info.h"

namespace {

constexpr int kMonthCapacity = 4;
constexpr int kZoneCapacity = 6;
// Numbers are read up to this value, so that no field can overflow.
constexpr int kLargestNumber = 999999;
constexpr uint64_t kFileTimeUnitsPerMinute = 60ULL * kFileTimeUnitsPerSecond;

struct DateFields {
  int day = 0;
  char month[kMonthCapacity] = {};
  int year = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  char zone[kZoneCapacity] = {};
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void SkipSpaces(const char** at) {
  while (IsSpace(**at)) ++*at;
}

// An optionally signed decimal number after blanks.
bool ScanNumber(const char** at, int* value) {
  SkipSpaces(at);
  const char* p = *at;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (!IsDigit(*p)) return false;
  int number = 0;
  for (; IsDigit(*p); ++p)
    if (number < kLargestNumber) number = number * 10 + (*p - '0');
  *value = negative ? -number : number;
  *at = p;
  return true;
}

// Up to capacity - 1 characters other than blanks, after blanks.
bool ScanWord(const char** at, char* word, int capacity) {
  SkipSpaces(at);
  int used = 0;
  while (**at != 0 && !IsSpace(**at) && used < capacity - 1) word[used++] = *(*at)++;
  word[used] = 0;
  return used > 0;
}

bool ScanCharacter(const char** at, char c) {
  if (**at != c) return false;
  ++*at;
  return true;
}

// How many of the seven fields of "%d %3s %d %d:%d:%d %5s" were read.
int ScanDateFields(const char* text, DateFields* fields) {
  const char* at = text;
  if (!ScanNumber(&at, &fields->day)) return 0;
  if (!ScanWord(&at, fields->month, kMonthCapacity)) return 1;
  if (!ScanNumber(&at, &fields->year)) return 2;
  if (!ScanNumber(&at, &fields->hour)) return 3;
  if (!ScanCharacter(&at, ':') || !ScanNumber(&at, &fields->minute)) return 4;
  if (!ScanCharacter(&at, ':') || !ScanNumber(&at, &fields->second)) return 5;
  return ScanWord(&at, fields->zone, kZoneCapacity) ? 7 : 6;
}

// Past a weekday name with its comma ("Mon, ").
const char* SkipWeekday(const char* text) {
  while (*text == ' ' || *text == ',' || *text == '\t') ++text;
  return strlen(text) > 5 && text[3] == ',' ? text + 4 : text;
}

// Two-digit years: below 50 this century, from 50 the last; 100 is 2000.
int FullYear(int year) {
  if (year < 50) return year + 2000;
  if (year < 100) return year + 1900;
  return year == 100 ? 2000 : year;
}

// 1-12; January for a name it does not know, 0 for none.
int MonthNumber(const char* name) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (name[0] == 0) return 0;
  for (int month = 12; month >= 1; --month)
    if (EqualsIgnoreCaseNarrow(name, kMonths[month - 1], 3)) return month;
  return 1;
}

// Minutes east of UTC of a "+hhmm" or "-hhmm" zone; 0 for zone names.
int ZoneOffsetMinutes(const char* zone) {
  if ((zone[0] != '+' && zone[0] != '-') || strlen(zone) != 5 || strspn(zone + 1, "0123456789") != 4) return 0;
  const int minutes = ((zone[1] - '0') * 10 + (zone[2] - '0')) * 60 + (zone[3] - '0') * 10 + (zone[4] - '0');
  return zone[0] == '-' ? -minutes : minutes;
}

bool FitsSystemTimeField(int value) { return value >= 0 && value <= 0xFFFF; }

// The fields as UTC; false for an impossible date.
bool DateFieldsToUtc(DateFields fields, FILETIME* utc) {
  fields.year = FullYear(fields.year);
  if (EqualsIgnoreCaseNarrow(fields.zone, "PM")) fields.hour += 12;
  const int values[] = {fields.year, fields.day, fields.hour, fields.minute, fields.second};
  for (int value : values)
    if (!FitsSystemTimeField(value)) return false;
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(fields.year);
  time.wMonth = static_cast<WORD>(MonthNumber(fields.month));
  time.wDay = static_cast<WORD>(fields.day);
  time.wHour = static_cast<WORD>(fields.hour);
  time.wMinute = static_cast<WORD>(fields.minute);
  time.wSecond = static_cast<WORD>(fields.second);
  FILETIME local;
  if (!SystemTimeToFileTime(&time, &local)) return false;
  const int64_t shift = static_cast<int64_t>(ZoneOffsetMinutes(fields.zone)) * kFileTimeUnitsPerMinute;
  const uint64_t value = FileTimeToUInt64(local);
  if (shift > 0 && value < static_cast<uint64_t>(shift)) return false;
  *utc = UInt64ToFileTime(value - static_cast<uint64_t>(shift));
  return true;
}

}  // namespace

bool ParseRfc822Date(char* text, FILETIME* utc, int capacity) {
  if (utc != nullptr) *utc = FILETIME{};
  if (text == nullptr || capacity <= 0) return false;
  DateFields fields;
  FILETIME time;
  if (ScanDateFields(SkipWeekday(text), &fields) < 6 || !DateFieldsToUtc(fields, &time)) {
    text[0] = 0;
    return false;
  }
  if (utc != nullptr) *utc = time;
  wchar_t shown[kDateTextCapacity];
  const int withSeconds = g_app != nullptr && g_app->compareMode == 1 ? 1 : 0;
  FormatFileDate(withSeconds, &time, shown, kDateTextCapacity);
  WideToMultiByteBounded(shown, text, capacity, CP_ACP);
  return true;
}
