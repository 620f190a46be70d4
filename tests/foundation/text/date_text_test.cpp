// Dates and times as text: the fixed numeric forms, the locale's forms and their bounds.
#include "foundation/text/date_text.h"

#include <gtest/gtest.h>

#include <string>

#include "date_checks.h"
#include "foundation/text/packed_date.h"

namespace {

std::wstring SystemDate(const SYSTEMTIME& time) {
  wchar_t text[100];
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 100) == 0) return L"";
  return text;
}

std::wstring SystemTime(const SYSTEMTIME& time, DWORD flags) {
  wchar_t text[100];
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, text, 100) == 0) return L"";
  return text;
}

std::wstring LocalDateTime(int withSeconds, const SYSTEMTIME& time, int capacity = 100) {
  wchar_t text[100];
  wmemset(text, L'#', 100);
  FormatLocalDateTime(withSeconds, time, text, capacity);
  return text;
}

std::wstring FileDate(int withSeconds, const FILETIME* time) {
  wchar_t text[100];
  wmemset(text, L'#', 100);
  FormatFileDate(withSeconds, time, text, 100);
  return text;
}

}  // namespace

TEST(DateText, NumericFormsPadTheirNumbers) {
  wchar_t text[32];
  FormatDateDMY(5, 3, 2024, text, 32);
  EXPECT_STREQ(text, L"05.03.2024");
  FormatDateDMY(31, 12, 987, text, 32);
  EXPECT_STREQ(text, L"31.12.0987");
  FormatTimeHMS(7, 5, 9, text, 32);
  EXPECT_STREQ(text, L"07:05:09");
  FormatTimeHMS(23, 59, 123, text, 32);
  EXPECT_STREQ(text, L"23:59:123");
}

TEST(DateText, NumericFormsStayWithinTheirCapacity) {
  wchar_t text[40];
  wmemset(text, L'#', 40);
  FormatDateDMY(5, 3, 2024, text, 6);
  EXPECT_STREQ(text, L"05.03");
  EXPECT_EQ(text[6], L'#');
  FormatTimeHMS(7, 5, 9, text, 1);
  EXPECT_STREQ(text, L"");
  text[0] = L'#';
  FormatTimeHMS(7, 5, 9, text, 0);
  EXPECT_EQ(text[0], L'#');
  FormatTimeHMS(7, 5, 9, nullptr, 10);
  FormatDateDMY(4294967295u, 4294967295u, 4294967295u, text, 40);
  EXPECT_STREQ(text, L"4294967295.4294967295.4294967295");
}

TEST(DateText, LocalDateTimeIsTheLocaleDateTwoSpacesAndTheLocaleTime) {
  const SYSTEMTIME time = DateTime(2023, 7, 1, 14, 3, 59);
  const std::wstring date = SystemDate(time);
  ASSERT_FALSE(date.empty());
  const std::wstring withSeconds = LocalDateTime(1, time);
  const std::wstring withoutSeconds = LocalDateTime(0, time);
  EXPECT_EQ(withSeconds, date + L"  " + SystemTime(time, 0));
  EXPECT_EQ(withoutSeconds, date + L"  " + SystemTime(time, TIME_NOSECONDS));
  EXPECT_NE(withSeconds.find(L"59"), std::wstring::npos);
  EXPECT_EQ(withoutSeconds.find(L"59"), std::wstring::npos);
  EXPECT_EQ(LocalDateTime(2, time), withoutSeconds);
}

TEST(DateText, LocalDateTimeLeavesOutWhatDoesNotFit) {
  const SYSTEMTIME time = DateTime(2023, 7, 1, 14, 3, 59);
  const std::wstring date = SystemDate(time);
  const int dateCapacity = static_cast<int>(date.size()) + 1;
  EXPECT_EQ(LocalDateTime(1, time, dateCapacity + 2), date + L"  ");
  EXPECT_EQ(LocalDateTime(1, time, dateCapacity + 3), date + L"  ");
  EXPECT_EQ(LocalDateTime(1, time, dateCapacity), date);
  EXPECT_EQ(LocalDateTime(1, time, dateCapacity - 1), L"");
}

TEST(DateText, ImpossibleLocalDatesGiveAnEmptyText) {
  EXPECT_EQ(LocalDateTime(1, DateTime(2023, 13, 1)), L"");
  EXPECT_EQ(LocalDateTime(1, DateTime(2023, 2, 30)), L"");
}

TEST(DateText, FileDatesShowTheLocalTimeOfTheirDate) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  const FILETIME summer = UtcFileTime(DateTime(2023, 7, 1, 12, 3, 59));
  const FILETIME winter = UtcFileTime(DateTime(2023, 1, 1, 12, 3, 59));
  EXPECT_EQ(FileDate(1, &summer), LocalDateTime(1, DateTime(2023, 7, 1, 14, 3, 59)));
  EXPECT_EQ(FileDate(0, &summer), LocalDateTime(0, DateTime(2023, 7, 1, 14, 3, 59)));
  EXPECT_EQ(FileDate(1, &winter), LocalDateTime(1, DateTime(2023, 1, 1, 13, 3, 59)));
}

TEST(DateText, UnsetFileDatesGiveAnEmptyText) {
  const FILETIME unset = UInt64ToFileTime(kEarliestFileTime - 1);
  EXPECT_EQ(FileDate(1, &unset), L"");
  EXPECT_EQ(FileDate(1, nullptr), L"");
  const FILETIME first = UInt64ToFileTime(kEarliestFileTime);
  EXPECT_FALSE(FileDate(1, &first).empty());
}
