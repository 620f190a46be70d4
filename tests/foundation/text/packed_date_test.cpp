// Packed dates, file-time conversions in UTC and local time, calendar helpers checked against an
// independent day count, and tolerant comparison of file times.
#include "foundation/text/packed_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "date_checks.h"

namespace {

SYSTEMTIME WithNoise(SYSTEMTIME time) {
  time.wDayOfWeek = 3;
  time.wMilliseconds = 999;
  return time;
}

void ExpectFields(const SYSTEMTIME& time, WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  EXPECT_EQ(time.wYear, year);
  EXPECT_EQ(time.wMonth, month);
  EXPECT_EQ(time.wDay, day);
  EXPECT_EQ(time.wHour, hour);
  EXPECT_EQ(time.wMinute, minute);
  EXPECT_EQ(time.wSecond, second);
}

// Days since 1970-01-01 of a proleptic Gregorian date, by era arithmetic alone.
int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

bool DateExists(int year, unsigned month, unsigned day) {
  const int64_t next = month == 12 ? DaysFromCivil(year + 1, 1, 1) : DaysFromCivil(year, month + 1, 1);
  return day >= 1 && DaysFromCivil(year, month, day) < next;
}

// 1970-01-01 was a Thursday.
int ReferenceWeekday(int64_t days) { return static_cast<int>(((days + 3) % 7 + 7) % 7) + 1; }

// ISO 8601: a week belongs to the year of its Thursday and is counted from that year's first Thursday.
int ReferenceIsoWeek(int year, unsigned month, unsigned day) {
  const int64_t days = DaysFromCivil(year, month, day);
  const int64_t thursday = days - ReferenceWeekday(days) + 4;
  int weekYear = year + 1;
  while (DaysFromCivil(weekYear, 1, 1) > thursday) --weekYear;
  return static_cast<int>((thursday - DaysFromCivil(weekYear, 1, 1)) / 7) + 1;
}

uint64_t Seconds(uint64_t count) { return count * 10000000ULL; }

int Compare(uint64_t a, uint64_t b, unsigned tolerance) {
  const FILETIME first = UInt64ToFileTime(a);
  const FILETIME second = UInt64ToFileTime(b);
  return CompareFileTimesTolerant(&first, &second, tolerance);
}

WORD CurrentLocalYear() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wYear;
}

}  // namespace

TEST(PackedDate, RoundTripsEveryFieldAndDropsWeekdayAndMilliseconds) {
  const PackedDateTime packed = PackDateTime(WithNoise(DateTime(2024, 2, 29, 13, 45, 30)));
  EXPECT_EQ(packed, 2024ULL * (1ULL << 26) + 2 * (1 << 22) + 29 * (1 << 17) + 13 * (1 << 12) + 45 * (1 << 6) + 30);
  EXPECT_EQ(packed, 135840586590ULL);
  const SYSTEMTIME back = UnpackDateTime(packed);
  ExpectFields(back, 2024, 2, 29, 13, 45, 30);
  EXPECT_EQ(back.wDayOfWeek, 0);
  EXPECT_EQ(back.wMilliseconds, 0);
}

TEST(PackedDate, PackedValuesCompareInTimeOrder) {
  EXPECT_LT(PackDateTime(DateTime(2023, 12, 31, 23, 59, 59)), PackDateTime(DateTime(2024, 1, 1)));
  EXPECT_LT(PackDateTime(DateTime(2024, 1, 1, 10, 0, 0)), PackDateTime(DateTime(2024, 1, 1, 10, 0, 1)));
  EXPECT_LT(PackDateTime(DateTime(2024, 1, 31, 23)), PackDateTime(DateTime(2024, 2, 1)));
  EXPECT_EQ(PackedDay(0), 0u);
  EXPECT_EQ(PackDateTime(DateTime(2024, 5, 7, 1, 2, 3)) >> 42, 0u);
}

TEST(PackedDate, FileTimesBelowTheThresholdAreNoTime) {
  const FILETIME justBefore = UInt64ToFileTime(kEarliestFileTime - 1);
  const FILETIME first = UInt64ToFileTime(0x01A8E795A33AC800ULL);
  const FILETIME beyondTheCalendar = UInt64ToFileTime(0x8000000000000000ULL);
  EXPECT_EQ(kEarliestFileTime, 119600020000000000ULL);
  EXPECT_EQ(FileTimeToPackedDateTime(&justBefore), 0u);
  EXPECT_EQ(FileTimeToPackedDateTime(nullptr), 0u);
  EXPECT_EQ(FileTimeToPackedDateTime(&beyondTheCalendar), 0u);
  ExpectFields(UnpackDateTime(FileTimeToPackedDateTime(&first)), 1979, 12, 31, 22, 46, 40);
  EXPECT_FALSE(IsFileTimeSet(&justBefore));
  EXPECT_TRUE(IsFileTimeSet(&first));
  EXPECT_FALSE(IsFileTimeSet(nullptr));
}

TEST(PackedDate, FileTimeRoundTripKeepsWholeSecondsOnTheSameClock) {
  const FILETIME original = UtcFileTime(DateTime(2023, 7, 1, 12, 34, 56));
  const PackedDateTime packed = FileTimeToPackedDateTime(&original);
  ExpectFields(UnpackDateTime(packed), 2023, 7, 1, 12, 34, 56);
  FILETIME back = {};
  ASSERT_TRUE(PackedDateTimeToFileTime(packed, &back));
  EXPECT_EQ(FileTimeToUInt64(back), FileTimeToUInt64(original));

  const FILETIME withFraction = UInt64ToFileTime(FileTimeToUInt64(original) + 9999999);
  EXPECT_EQ(FileTimeToPackedDateTime(&withFraction), packed);
}

TEST(PackedDate, ImpossibleDatesDoNotConvertToFileTimes) {
  FILETIME time = {};
  EXPECT_FALSE(PackedDateTimeToFileTime(0, &time));
  EXPECT_FALSE(PackedDateTimeToFileTime(PackDateTime(DateTime(2023, 2, 29)), &time));
  EXPECT_FALSE(PackedDateTimeToFileTime(PackDateTime(DateTime(2023, 2, 28)), nullptr));
}

TEST(LocalTime, UtcToLocalFollowsTheDaylightRuleOfTheDate) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  SYSTEMTIME local;
  const FILETIME summer = UtcFileTime(DateTime(2023, 7, 1, 12));
  ASSERT_GT(UtcFileTimeToLocalSystemTime(&summer, &local), 0);
  ExpectFields(local, 2023, 7, 1, 14, 0, 0);
  EXPECT_EQ(local.wDayOfWeek, 6);
  const FILETIME winter = UtcFileTime(DateTime(2023, 1, 1, 12));
  ASSERT_GT(UtcFileTimeToLocalSystemTime(&winter, &local), 0);
  ExpectFields(local, 2023, 1, 1, 13, 0, 0);
  // The evening of 31 December UTC is already the new year here.
  const FILETIME newYear = UtcFileTime(DateTime(2023, 12, 31, 23, 30));
  ASSERT_GT(UtcFileTimeToLocalSystemTime(&newYear, &local), 0);
  ExpectFields(local, 2024, 1, 1, 0, 30, 0);
}

TEST(LocalTime, UnsetTimesClearTheWholeResult) {
  SYSTEMTIME local;
  memset(&local, 0xAB, sizeof local);
  const FILETIME unset = UInt64ToFileTime(kEarliestFileTime - 1);
  EXPECT_EQ(UtcFileTimeToLocalSystemTime(&unset, &local), 0);
  const SYSTEMTIME cleared = {};
  EXPECT_EQ(memcmp(&local, &cleared, sizeof local), 0);
  memset(&local, 0xAB, sizeof local);
  EXPECT_EQ(UtcFileTimeToLocalSystemTime(nullptr, &local), 0);
  EXPECT_EQ(memcmp(&local, &cleared, sizeof local), 0);
}

TEST(LocalTime, LocalToUtcFollowsTheDaylightRuleOfTheDate) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  FILETIME utc;
  const SYSTEMTIME summer = DateTime(2023, 7, 1, 14);
  ASSERT_TRUE(LocalSystemTimeToFileTime(&summer, &utc));
  EXPECT_EQ(FileTimeToUInt64(utc), FileTimeToUInt64(UtcFileTime(DateTime(2023, 7, 1, 12))));
  const SYSTEMTIME winter = DateTime(2023, 1, 1, 13);
  ASSERT_TRUE(LocalSystemTimeToFileTime(&winter, &utc));
  EXPECT_EQ(FileTimeToUInt64(utc), FileTimeToUInt64(UtcFileTime(DateTime(2023, 1, 1, 12))));
}

TEST(LocalTime, NoonOfEveryDayRoundTripsThroughLocalTime) {
  for (WORD year = 1980; year <= 2040; ++year) {
    for (WORD month = 1; month <= 12; ++month) {
      for (WORD day = 1; DateExists(year, month, day); ++day) {
        const FILETIME utc = UtcFileTime(DateTime(year, month, day, 12));
        SYSTEMTIME local;
        FILETIME back;
        ASSERT_GT(UtcFileTimeToLocalSystemTime(&utc, &local), 0) << year << '-' << month << '-' << day;
        ASSERT_TRUE(LocalSystemTimeToFileTime(&local, &back)) << year << '-' << month << '-' << day;
        ASSERT_EQ(FileTimeToUInt64(back), FileTimeToUInt64(utc)) << year << '-' << month << '-' << day;
      }
    }
  }
}

TEST(LocalTime, ImpossibleLocalTimesDoNotConvert) {
  FILETIME utc;
  const SYSTEMTIME impossible = DateTime(2023, 2, 30, 12);
  const SYSTEMTIME commonYearLeapDay = DateTime(2023, 2, 29, 12);
  EXPECT_FALSE(LocalSystemTimeToFileTime(&impossible, &utc));
  EXPECT_FALSE(LocalSystemTimeToFileTime(&commonYearLeapDay, &utc));
  EXPECT_FALSE(LocalSystemTimeToFileTime(nullptr, &utc));
  EXPECT_FALSE(LocalSystemTimeToFileTime(&impossible, nullptr));
}

TEST(Calendar, DaysInMonthFollowsTheGregorianCalendar) {
  const uint16_t days2023[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (unsigned month = 1; month <= 12; ++month) EXPECT_EQ(DaysInMonth(month, 2023), days2023[month - 1]);
  EXPECT_EQ(DaysInMonth(2, 2024), 29);
  EXPECT_EQ(DaysInMonth(2, 2000), 29);
  EXPECT_EQ(DaysInMonth(2, 2100), 28);
  EXPECT_EQ(DaysInMonth(2, 1900), 28);
  EXPECT_EQ(DaysInMonth(0, 2000), 0);
  EXPECT_EQ(DaysInMonth(13, 2000), 0);
}

TEST(Calendar, DaysInMonthAgreesWithTheSystemCalendar) {
  for (WORD year = 1601; year <= 3000; ++year) {
    for (WORD month = 1; month <= 12; ++month) {
      const FILETIME lastDay = UtcFileTime(DateTime(year, month, DaysInMonth(month, year)));
      ASSERT_NE(FileTimeToUInt64(lastDay), 0u) << year << '-' << month;
      const FILETIME dayAfter = UInt64ToFileTime(FileTimeToUInt64(lastDay) + Seconds(86400));
      SYSTEMTIME next;
      ASSERT_TRUE(FileTimeToSystemTime(&dayAfter, &next));
      ASSERT_EQ(next.wDay, 1) << year << '-' << month;
      ASSERT_EQ(next.wMonth, month % 12 + 1) << year << '-' << month;
    }
  }
}

TEST(Calendar, ValidDateTimesLieBetween1980AndThisYear) {
  EXPECT_EQ(IsValidDateTime(DateTime(1980, 1, 1)), 1);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 12, 31, 23, 59, 59)), 1);
  EXPECT_EQ(IsValidDateTime(WithNoise(DateTime(2023, 6, 15))), 1);
  EXPECT_EQ(IsValidDateTime(DateTime(1979, 12, 31, 23, 59, 59)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(1979, 6, 1)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(CurrentLocalYear(), 1, 1)), 1);
  EXPECT_EQ(IsValidDateTime(DateTime(static_cast<WORD>(CurrentLocalYear() + 1), 1, 1)), 0);
}

TEST(Calendar, ValidDateTimesHaveFieldsInRange) {
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 5, 1, 24, 0, 0)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 5, 1, 23, 60, 0)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 5, 1, 23, 59, 60)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 0, 1)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 13, 1)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 5, 0)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 4, 31)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 5, 31)), 1);
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 2, 30)), 0);
}

TEST(Calendar, TheTwentyNinthOfFebruaryOnlyInLeapYears) {
  EXPECT_EQ(IsValidDateTime(DateTime(2023, 2, 29)), 0);
  EXPECT_EQ(IsValidDateTime(DateTime(2024, 2, 29, 13, 45, 30)), 1);
  EXPECT_EQ(IsValidDateTime(DateTime(2000, 2, 29)), 1);
  EXPECT_EQ(IsValidDateTime(DateTime(1980, 2, 29)), 1);
  EXPECT_EQ(IsValidDateTime(DateTime(1981, 2, 29)), 0);
}

TEST(Calendar, IsoWeekdaysRunFromMondayToSunday) {
  EXPECT_EQ(GetIsoWeekday(1, 1, 2024), 1);
  EXPECT_EQ(GetIsoWeekday(7, 1, 2024), 7);
  EXPECT_EQ(GetIsoWeekday(1, 1, 1979), 0);
  EXPECT_EQ(GetIsoWeekday(1, 1, 10000), 0);
  EXPECT_EQ(GetIsoWeekday(1, 1, 67516), 0);  // 1980 in the low 16 bits
  EXPECT_EQ(GetIsoWeekday(30, 2, 2024), 0);
  EXPECT_EQ(GetIsoWeekday(29, 2, 2023), 0);
  EXPECT_EQ(GetIsoWeekday(29, 2, 2024), 4);
  EXPECT_EQ(GetIsoWeekday(65537, 1, 2024), 0);
  EXPECT_EQ(GetIsoWeekday(31, 12, 9999), 5);
}

TEST(Calendar, IsoWeekNumbersAtTheTurnOfTheYear) {
  EXPECT_EQ(GetIsoWeekNumber(31, 12, 2020), 53);
  EXPECT_EQ(GetIsoWeekNumber(30, 12, 2024), 1);
  EXPECT_EQ(GetIsoWeekNumber(1, 1, 2024), 1);
  EXPECT_EQ(GetIsoWeekNumber(1, 1, 2021), 53);
  EXPECT_EQ(GetIsoWeekNumber(3, 1, 2021), 53);
  EXPECT_EQ(GetIsoWeekNumber(4, 1, 2021), 1);
  EXPECT_EQ(GetIsoWeekNumber(1, 1, 2023), 52);
  EXPECT_EQ(GetIsoWeekNumber(1, 1, 1979), 0);
  EXPECT_EQ(GetIsoWeekNumber(29, 2, 2023), 0);
}

TEST(Calendar, EveryDateFrom1980To2100AgreesWithIso8601) {
  int checked = 0;
  for (int year = 1980; year <= 2100; ++year) {
    for (unsigned month = 1; month <= 12; ++month) {
      for (unsigned day = 1; DateExists(year, month, day); ++day) {
        const int64_t days = DaysFromCivil(year, month, day);
        ASSERT_EQ(GetIsoWeekday(day, month, year), ReferenceWeekday(days)) << year << '-' << month << '-' << day;
        ASSERT_EQ(GetIsoWeekNumber(day, month, year), ReferenceIsoWeek(year, month, day))
            << year << '-' << month << '-' << day;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, DaysFromCivil(2101, 1, 1) - DaysFromCivil(1980, 1, 1));
}

TEST(FileTimeComparison, ZeroToleranceComparesExactly) {
  const uint64_t base = FileTimeToUInt64(UtcFileTime(DateTime(2023, 7, 1, 12)));
  EXPECT_EQ(Compare(base, base, 0), 0);
  EXPECT_EQ(Compare(base, base + 1, 0), -1);
  EXPECT_EQ(Compare(base + 1, base, 0), 1);
}

TEST(FileTimeComparison, ToleranceUpTo100IsInSeconds) {
  const uint64_t base = FileTimeToUInt64(UtcFileTime(DateTime(2023, 7, 1, 12)));
  EXPECT_EQ(Compare(base, base + Seconds(2), 2), 0);
  EXPECT_EQ(Compare(base + Seconds(2), base, 2), 0);
  EXPECT_EQ(Compare(base, base + Seconds(3), 2), -1);
  EXPECT_EQ(Compare(base + Seconds(3), base, 2), 1);
  EXPECT_EQ(Compare(base, base + Seconds(100), 100), 0);
  EXPECT_EQ(Compare(base, base + Seconds(100) + 1, 100), -1);
  EXPECT_EQ(Compare(base, base + Seconds(3600), 100), -1);
}

TEST(FileTimeComparison, ToleranceAbove100AlsoForgivesAOneHourShift) {
  const uint64_t base = FileTimeToUInt64(UtcFileTime(DateTime(2023, 7, 1, 12)));
  EXPECT_EQ(Compare(base, base + Seconds(1), 102), 0);
  EXPECT_EQ(Compare(base, base + Seconds(3), 102), -1);
  EXPECT_EQ(Compare(base, base + Seconds(3602), 102), 0);
  EXPECT_EQ(Compare(base, base + Seconds(3598), 102), 0);
  EXPECT_EQ(Compare(base + Seconds(3602), base, 102), 0);
  EXPECT_EQ(Compare(base, base + Seconds(3603), 102), -1);
  EXPECT_EQ(Compare(base + Seconds(3597), base, 102), 1);
  EXPECT_EQ(Compare(base, base + Seconds(3600), 200), 0);
  EXPECT_EQ(Compare(base + Seconds(3600), base, 200), 0);
  EXPECT_EQ(Compare(base, base + Seconds(3601), 200), -1);
  EXPECT_EQ(Compare(base, base + Seconds(7200), 200), -1);
}

TEST(FileTimeComparison, ExtremeAndMissingTimesDoNotWrapAround) {
  EXPECT_EQ(Compare(UINT64_MAX, UINT64_MAX - Seconds(1), 2), 0);
  EXPECT_EQ(Compare(UINT64_MAX, 0, 150), 1);
  EXPECT_EQ(Compare(0, UINT64_MAX, 150), -1);
  const FILETIME some = UInt64ToFileTime(Seconds(5));
  EXPECT_EQ(CompareFileTimesTolerant(nullptr, &some, 0), -1);
  EXPECT_EQ(CompareFileTimesTolerant(&some, nullptr, 10), 0);
}
