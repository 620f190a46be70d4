// Number parsing and decimal formatting: defaults, limits and bounded output.
#include "foundation/text/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

TEST(NumberParsing, SkipsBlanksTakesSignAndIgnoresTheRest) {
  EXPECT_EQ(NarrowToLong("  -42abc"), -42);
  EXPECT_EQ(NarrowToLong("+17 items"), 17);
  EXPECT_EQ(WideToIntDecimal(L"\t250,3"), 250);
  EXPECT_EQ(WideToLong(L"-7x"), -7);
}

TEST(NumberParsing, MissingTextOrDigitsGiveZero) {
  EXPECT_EQ(NarrowToLong(nullptr), 0);
  EXPECT_EQ(NarrowToLong("abc"), 0);
  EXPECT_EQ(WideToIntDecimal(nullptr), 0);
  EXPECT_EQ(NarrowToULong(nullptr, 16), 0u);
  EXPECT_EQ(WideToLongInBase(nullptr, 0), 0);
}

TEST(NumberParsing, OutOfRangeGivesTheLimit) {
  EXPECT_EQ(NarrowToLong("99999999999"), INT32_MAX);
  EXPECT_EQ(NarrowToLong("-99999999999"), INT32_MIN);
  EXPECT_EQ(WideToIntDecimal(L"2147483648"), INT32_MAX);
  EXPECT_EQ(NarrowToUIntDecimal("4294967296"), UINT32_MAX);
}

TEST(NumberParsing, UnsignedResultsNegateInTheirType) {
  EXPECT_EQ(NarrowToUIntDecimal("-1"), 4294967295u);
  EXPECT_EQ(NarrowToULong("-2", 10), 4294967294u);
}

TEST(NumberParsing, BasesAndPrefixes) {
  EXPECT_EQ(NarrowToLongInBase("0x1F", 0), 31);
  EXPECT_EQ(NarrowToLongInBase("0x1F", 16), 31);
  EXPECT_EQ(NarrowToLongInBase("0x1F", 10), 0);
  EXPECT_EQ(NarrowToLongInBase("017", 0), 15);
  EXPECT_EQ(NarrowToULong("ffffffff", 16), 0xFFFFFFFFu);
  EXPECT_EQ(WideToLongInBase(L"7fZ", 16), 0x7F);
}

TEST(NumberFormatting, SignedExtremesFitTwelveCharacters) {
  wchar_t wide[12];
  EXPECT_EQ(IntToWideDecimal(INT32_MIN, wide, 12), 11);
  EXPECT_STREQ(wide, L"-2147483648");
  char narrow[12];
  EXPECT_EQ(IntToNarrowDecimal(INT32_MAX, narrow, 12), 10);
  EXPECT_STREQ(narrow, "2147483647");
  EXPECT_EQ(IntToNarrowDecimal(0, narrow, 12), 1);
  EXPECT_STREQ(narrow, "0");
}

TEST(NumberFormatting, UnsignedValues) {
  wchar_t wide[21];
  EXPECT_EQ(UIntToWideDecimal(UINT32_MAX, wide, 21), 10);
  EXPECT_STREQ(wide, L"4294967295");
  const uint64_t big = UINT64_MAX;
  EXPECT_EQ(UInt64ToWideDecimal(&big, wide, 21), 20);
  EXPECT_STREQ(wide, L"18446744073709551615");
}

TEST(NumberFormatting, NoBufferOrNoRoomWritesNothingPastTheCapacity) {
  wchar_t canary[4] = {L'x', L'y', L'z', 0};
  IntToWideDecimal(-5, canary, 0);
  IntToWideDecimal(-5, canary, -3);
  UInt64ToWideDecimal(nullptr, canary, 4);
  EXPECT_STREQ(canary, L"xyz");
  IntToWideDecimal(-5, nullptr, 12);

  wchar_t small[5] = {L'a', L'b', L'c', L'd', L'#'};
  EXPECT_EQ(IntToWideDecimal(-12345, small, 4), -6);
  EXPECT_STREQ(small, L"");
  EXPECT_EQ(small[4], L'#');
}

TEST(ByteOrder, BigEndianValuesOfOneToEightBytes) {
  const uint8_t four[] = {0x00, 0x00, 0x01, 0x02};
  EXPECT_EQ(ReadBigEndianUInt(four, 4), 258u);
  const uint8_t three[] = {0x01, 0x02, 0x03};
  EXPECT_EQ(ReadBigEndianUInt(three, 3), 66051u);
  const uint8_t eight[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE};
  EXPECT_EQ(ReadBigEndianUInt(eight, 8), 0xFFFFFFFFFFFFFFFEull);
  EXPECT_EQ(ReadBigEndianUInt(eight, 0), 0u);
  EXPECT_EQ(ReadBigEndianUInt(nullptr, 4), 0u);
}

TEST(ByteOrder, MoreThanEightBytesKeepTheLastEight) {
  const uint8_t nine[] = {0xAA, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(ReadBigEndianUInt(nine, 9), 0x0102030405060708ull);
}
