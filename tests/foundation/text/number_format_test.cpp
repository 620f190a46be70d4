// Grouped numbers, byte sizes, fixed decimals and padded fields with the locale's separators.
#include "foundation/text/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "locale_separator_fakes.h"

namespace {

constexpr int kCapacity = 64;

std::wstring Grouped(uint64_t value, int capacity = kCapacity) {
  wchar_t text[kCapacity];
  FormatNumberGrouped(value, text, capacity);
  return text;
}

std::wstring ByteSize(uint64_t value, int capacity = kCapacity) {
  wchar_t text[kCapacity];
  text[0] = L'?';
  FormatByteSize(value, text, capacity);
  return text;
}

std::wstring Decimals(double value, int decimals) {
  wchar_t text[kCapacity];
  FormatDoubleWide(value, decimals, text, kCapacity);
  return text;
}

class NumberFormat : public ::testing::Test {
 protected:
  FakeLocaleSeparators english_{L".", L","};
};

}  // namespace

TEST_F(NumberFormat, GroupsDigitsByThree) {
  EXPECT_EQ(Grouped(0), L"0");
  EXPECT_EQ(Grouped(999), L"999");
  EXPECT_EQ(Grouped(1000), L"1,000");
  EXPECT_EQ(Grouped(1234567), L"1,234,567");
  EXPECT_EQ(Grouped(UINT64_MAX), L"18,446,744,073,709,551,615");
  english_.Change(L",", L"\u00A0");
  InitLocaleNumberSeparators();
  EXPECT_EQ(Grouped(1234567), L"1\u00A0234\u00A0567");
}

TEST_F(NumberFormat, GroupsOnlyWhenTheGroupedFormFits) {
  EXPECT_EQ(Grouped(1234567, 10), L"1,234,567");
  EXPECT_EQ(Grouped(1234567, 9), L"1234567");
  wchar_t text[7] = L"x";
  EXPECT_EQ(FormatNumberGrouped(1234567, text, 7), -7);
  EXPECT_EQ(std::wstring(text), L"");
}

TEST_F(NumberFormat, InsertsSeparatorsBeforeTheDecimalPartAndAfterTheSign) {
  wchar_t text[kCapacity] = L"-1234567.891";
  EXPECT_EQ(InsertThousandsSeparators(text, kCapacity), 14);
  EXPECT_EQ(std::wstring(text), L"-1,234,567.891");
  english_.Change(L",", L".");
  InitLocaleNumberSeparators();
  wchar_t german[kCapacity] = L"1234,5";
  InsertThousandsSeparators(german, kCapacity);
  EXPECT_EQ(std::wstring(german), L"1.234,5");
  wchar_t unterminated[4] = {L'1', L'2', L'3', L'4'};
  EXPECT_EQ(InsertThousandsSeparators(unterminated, 4), -1);
  EXPECT_EQ(unterminated[3], L'4');
}

TEST_F(NumberFormat, ByteSizesRoundUpToWholeUnits) {
  EXPECT_EQ(ByteSize(0), L"0 KB");
  EXPECT_EQ(ByteSize(1), L"1 KB");
  EXPECT_EQ(ByteSize(1024), L"1 KB");
  EXPECT_EQ(ByteSize(1025), L"2 KB");
  EXPECT_EQ(ByteSize(1048576), L"1,024 KB");
  EXPECT_EQ(ByteSize(1048577), L"1,025 KB");
  EXPECT_EQ(ByteSize(1073741825), L"1,025 MB");
  // The remainder of an earlier division still rounds up after later exact ones.
  EXPECT_EQ(ByteSize(5ull * 1048576 + 1), L"6 MB");
  EXPECT_EQ(ByteSize(1ull << 40), L"1,024 GB");
  EXPECT_EQ(ByteSize((1ull << 40) + 1), L"1,025 GB");
  EXPECT_EQ(ByteSize(1ull << 60), L"1,048,576 TB");
  EXPECT_EQ(ByteSize(UINT64_MAX), L"16,777,216 TB");
}

TEST_F(NumberFormat, ByteSizesKeepTheirUnitWhenSpaceIsShort) {
  EXPECT_EQ(ByteSize(1048576, 9), L"1,024 KB");
  EXPECT_EQ(ByteSize(1048576, 8), L"1024 KB");
  EXPECT_EQ(ByteSize(1048576, 7), L"");
  wchar_t text[8];
  EXPECT_EQ(FormatByteSize(1048576, text, 7), -7);
}

TEST_F(NumberFormat, DecimalsRoundHalfUpWithTheLocalesSeparator) {
  EXPECT_EQ(Decimals(2.345, 2), L"2.35");
  EXPECT_EQ(Decimals(0.125, 2), L"0.13");
  EXPECT_EQ(Decimals(2.344, 2), L"2.34");
  EXPECT_EQ(Decimals(1.05, 1), L"1.1");
  EXPECT_EQ(Decimals(7.0, 3), L"7.000");
  EXPECT_EQ(Decimals(0.004, 2), L"0.00");
  english_.Change(L",", L".");
  InitLocaleNumberSeparators();
  EXPECT_EQ(Decimals(2.345, 2), L"2,35");
}

TEST_F(NumberFormat, NegativeDecimalsKeepTheirSign) {
  EXPECT_EQ(Decimals(-0.67, 2), L"-0.67");
  EXPECT_EQ(Decimals(-1234.5, 1), L"-1234.5");
  EXPECT_EQ(Decimals(-0.001, 2), L"0.00");
}

TEST_F(NumberFormat, DecimalsCoverTheWholeRangeWithoutWrapping) {
  EXPECT_EQ(Decimals(4294967296.5, 1), L"4294967296.5");
  EXPECT_EQ(Decimals(3.0, 0), L"3");
  EXPECT_EQ(Decimals(2.5, 0), L"3");
  EXPECT_EQ(Decimals(1e30, 2), L"18446744073709551615.00");
  EXPECT_EQ(Decimals(-INFINITY, 1), L"-18446744073709551615.0");
  EXPECT_EQ(Decimals(NAN, 2), L"0.00");
  EXPECT_EQ(Decimals(0.5, 12), L"0.500000000");
}

TEST_F(NumberFormat, DecimalsRefuseABufferTooSmall) {
  wchar_t wide[4] = L"x";
  EXPECT_EQ(FormatDoubleWide(12.5, 2, wide, 4), -5);
  EXPECT_EQ(wide[0], 0);
}

TEST(NumberFormatWithUsersLocale, UsesTheLocalesSeparators) {
  InitLocaleNumberSeparators();
  const std::wstring thousands(1, GetThousandsSeparator());
  const std::wstring decimal(1, GetDecimalSeparator());
  EXPECT_EQ(ByteSize(1048577), L"1" + thousands + L"025 KB");
  EXPECT_EQ(Decimals(-0.67, 2), L"-0" + decimal + L"67");
}
