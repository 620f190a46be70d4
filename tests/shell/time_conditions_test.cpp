// The attributes tool's time conditions and the timestamps tool's name digits, on the Central European clock:
// months, years and times of day move on the local clock, so a move across a daylight-saving change keeps the
// clock time and a time near midnight keeps its day.
#include <gtest/gtest.h>
#include <windows.h>

#include "date_checks.h"
#include "foundation/text/packed_date.h"
#include "shell/attributes_tool.h"
#include "shell/time_conditions.h"
#include "shell/timestamps_tool.h"

namespace {

// The UTC file time of a local (Central European) date and time.
FILETIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0) {
  return LocalFileTime(DateTime(year, month, day, hour, minute, second));
}

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0) {
  return UtcFileTime(DateTime(year, month, day, hour, minute));
}

FilterHalf Condition(char unit, uint64_t value) {
  FilterHalf half = {};
  half.dateUnit = static_cast<uint8_t>(unit);
  half.dateValue = value;
  return half;
}

uint64_t Count(int64_t count) { return static_cast<uint64_t>(count); }

std::string Text(const FILETIME& time) {
  SYSTEMTIME fields = {};
  FileTimeToSystemTime(&time, &fields);
  char text[32];
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u UTC", fields.wYear, fields.wMonth, fields.wDay,
           fields.wHour, fields.wMinute, fields.wSecond);
  return text;
}

}  // namespace

TEST(TimeConditions, MoveTimesOnTheLocalClockAndRefuseWhatCannotBe) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  struct Case {
    const char* what;
    FilterHalf half;
    FILETIME from;
    FILETIME expected;
  };
  const FILETIME noTime = {0, 0};
  const Case cases[] = {
      {"12 months on", Condition('L', 12), Local(2020, 3, 15, 12), Local(2021, 3, 15, 12)},
      {"a month into summer time keeps 12:00", Condition('L', 1), Local(2020, 3, 15, 12), Local(2020, 4, 15, 12)},
      {"13 months back", Condition('L', Count(-13)), Local(2021, 2, 10, 8), Local(2020, 1, 10, 8)},
      {"31 February does not exist", Condition('L', Count(-1)), Local(2020, 3, 31, 9), Local(2020, 3, 31, 9)},
      {"12000 months write nothing", Condition('L', 12000), Local(2020, 3, 15, 12), noTime},
      {"a year back", Condition('Y', Count(-1)), Local(2021, 6, 1, 23, 30), Local(2020, 6, 1, 23, 30)},
      {"29 February of a common year", Condition('Y', 1), Local(2020, 2, 29, 10), Local(2020, 2, 29, 10)},
      {"1000 years leave the time", Condition('Y', 1000), Local(2020, 5, 5, 5), Local(2020, 5, 5, 5)},
      {"a time of day keeps the local date", Condition('T', FileTimeToUInt64(Local(1980, 1, 2, 23, 30))),
       Local(2020, 7, 1, 0, 15), Local(2020, 7, 1, 23, 30)},
      {"a day is 24 hours", Condition('Z', 1), Local(2020, 3, 28, 12), Local(2020, 3, 29, 13)},
      {"minutes back", Condition('M', Count(-90)), Utc(2020, 1, 1, 12), Utc(2020, 1, 1, 10, 30)},
      {"weeks past the last file time", Condition('W', Count(INT64_MAX / 2)), Utc(2020, 1, 1, 12), noTime},
      {"an absolute date", Condition('D', FileTimeToUInt64(Utc(2001, 2, 3, 4))), Utc(2020, 1, 1, 12),
       Utc(2001, 2, 3, 4)},
      {"an unknown unit", Condition('Q', 1), Utc(2020, 1, 1, 12), noTime},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(ApplyTimeCondition(c.half, c.from)), Text(c.expected)) << c.what;
  }
}

TEST(TimeConditions, OnlyRealTimesThatDifferAreWritten) {
  FileInfo info = {};
  info.creationTime = Utc(2020, 1, 1, 12);
  info.lastWriteTime = Utc(2020, 1, 1, 12);
  FilterRecord conditions = {};
  conditions.lower = Condition('D', FileTimeToUInt64(Utc(2020, 1, 1, 12)));  // the same time
  conditions.upper = Condition('Y', Count(-41));                            // 1979: before the first real time
  NewFileTimes times;
  ComputeNewTimes(&times, info, conditions);
  EXPECT_FALSE(times.setCreation);
  EXPECT_FALSE(times.setLastWrite);
  conditions.lower = Condition('H', 1);
  conditions.upper = Condition('H', Count(-1));
  ComputeNewTimes(&times, info, conditions);
  EXPECT_TRUE(times.setCreation && times.setLastWrite);
  EXPECT_EQ(Text(times.creation), Text(Utc(2020, 1, 1, 13)));
  EXPECT_EQ(Text(times.lastWrite), Text(Utc(2020, 1, 1, 11)));
}

TEST(TimestampNameDigits, ReadYearMonthDayThenTheTimeAfterASeparator) {
  struct Case {
    const wchar_t* name;
    bool found;
    SYSTEMTIME expected;
  };
  const Case cases[] = {
      {L"IMG_20200503_121314", true, DateTime(2020, 5, 3, 12, 13, 14)},
      {L"20200503121314", true, DateTime(2020, 5, 3, 12, 13, 14)},
      {L"scan 20200503 - 000000", true, DateTime(2020, 5, 3, 0, 0, 0)},
      {L"20201399_101010 copy of 20200101_101010", true, DateTime(2020, 1, 1, 10, 10, 10)},
      {L"20200503_126014", false, {}},
      {L"00000503_121314", false, {}},
      {L"20200003_121314", false, {}},
      {L"IMG_20200503", false, {}},
      {L"IMG_2020-05-03_121314", false, {}},
      {L"20200503_1213x4", false, {}},
      {L"no digits", false, {}},
  };
  for (const Case& c : cases) {
    SYSTEMTIME read = {};
    EXPECT_EQ(ReadNameDateTime(c.name, &read), c.found) << testing::PrintToString(std::wstring(c.name));
    if (!c.found) continue;
    EXPECT_EQ(PackDateTime(read), PackDateTime(c.expected)) << testing::PrintToString(std::wstring(c.name));
  }
}

TEST(NtfsDrives, OnlyADriveNamingNtfsCompresses) {
  wchar_t fileSystem[MAX_PATH + 1] = L"";
  const bool ntfs = GetVolumeInformationW(L"C:\\", nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1) &&
                    lstrcmpiW(fileSystem, L"NTFS") == 0;
  EXPECT_EQ(IsNotNtfsDrive(L'C'), ntfs ? 0 : 1);
  EXPECT_EQ(IsNotNtfsDrive(L'c'), ntfs ? 0 : 1);
  EXPECT_EQ(IsNotNtfsDrive(L'\\'), 1);
  // A letter without a drive.
  for (wchar_t letter = L'Z'; letter >= L'D'; --letter) {
    if ((GetLogicalDrives() & (1u << (letter - L'A'))) == 0) {
      EXPECT_EQ(IsNotNtfsDrive(letter), 1);
      break;
    }
  }
}
