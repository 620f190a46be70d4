// Packing keeps every field of a date and orders packed dates in time order.
#include <gtest/gtest.h>

#include "foundation/packed_date.h"

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  time.wDayOfWeek = 3;
  time.wMilliseconds = 999;
  return time;
}

}  // namespace

TEST(PackedDate, RoundTripsEveryFieldAndDropsWeekdayAndMilliseconds) {
  SYSTEMTIME back = UnpackDateTime(PackDateTime(Time(2024, 2, 29, 23, 59, 58)));
  EXPECT_EQ(back.wYear, 2024);
  EXPECT_EQ(back.wMonth, 2);
  EXPECT_EQ(back.wDay, 29);
  EXPECT_EQ(back.wHour, 23);
  EXPECT_EQ(back.wMinute, 59);
  EXPECT_EQ(back.wSecond, 58);
  EXPECT_EQ(back.wDayOfWeek, 0);
  EXPECT_EQ(back.wMilliseconds, 0);
}

TEST(PackedDate, PackedValuesCompareInTimeOrder) {
  EXPECT_LT(PackDateTime(Time(2023, 12, 31, 23, 59, 59)), PackDateTime(Time(2024, 1, 1, 0, 0, 0)));
  EXPECT_LT(PackDateTime(Time(2024, 1, 1, 10, 0, 0)), PackDateTime(Time(2024, 1, 1, 10, 0, 1)));
  EXPECT_EQ(PackedDay(0), 0u);
  EXPECT_EQ(PackDateTime(Time(2024, 5, 7, 1, 2, 3)) >> 42, 0u);
}
