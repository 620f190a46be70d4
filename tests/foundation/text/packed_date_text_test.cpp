// Packed dates and times as text, with and without a picture.
#include "foundation/text/packed_date_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

PackedDateTime Packed(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time{};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  return PackDateTime(time);
}

const PackedDateTime kSample = Packed(2024, 3, 5, 14, 7, 9);

template <typename Format>
std::wstring Formatted(Format format, int capacity = 64) {
  wchar_t out[64];
  out[0] = L'?';
  const int length = format(out, capacity);
  EXPECT_EQ(length, static_cast<int>(std::wstring(out).size()));
  return out;
}

std::wstring Date(PackedDateTime packed, const wchar_t* pattern, int capacity = 64) {
  return Formatted([&](wchar_t* out, int size) { return FormatPackedDate(packed, pattern, out, size); }, capacity);
}

std::wstring Time(PackedDateTime packed, const wchar_t* pattern) {
  return Formatted([&](wchar_t* out, int size) { return FormatPackedTime(packed, pattern, out, size); });
}

std::wstring Compact(PackedDateTime packed, int capacity = 64) {
  return Formatted([&](wchar_t* out, int size) { return FormatPackedDateTimeCompact(packed, out, size); },
                   capacity);
}

}  // namespace

TEST(PackedDateText, UsesThePictureOrFallsBackToDigits) {
  EXPECT_EQ(Date(kSample, L"yyyy.MM.dd"), L"2024.03.05");
  EXPECT_EQ(Date(kSample, nullptr), L"20240305");
  EXPECT_EQ(Date(kSample, L""), L"20240305");
  EXPECT_EQ(Time(kSample, L"HH.mm.ss"), L"14.07.09");
  EXPECT_EQ(Time(kSample, nullptr), L"140709");
  EXPECT_EQ(Compact(kSample), L"20240305140709");
}

TEST(PackedDateText, EmptyDateGivesEmptyText) {
  const PackedDateTime noDay = Packed(2024, 3, 0, 14, 7, 9);
  EXPECT_EQ(Date(noDay, L"yyyy"), L"");
  EXPECT_EQ(Date(0, nullptr), L"");
  EXPECT_EQ(Time(noDay, L"HH"), L"");
  EXPECT_EQ(Compact(noDay), L"");
}

TEST(PackedDateText, StaysWithinTheCapacity) {
  EXPECT_EQ(Date(kSample, nullptr, 5), L"2024");
  EXPECT_EQ(Compact(kSample, 9), L"20240305");
}
