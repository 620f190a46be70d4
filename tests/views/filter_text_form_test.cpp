// The filter's text form: every field read and written back unchanged, quoting, the byte-order mark of
// UTF-8 items, attribute letters, numbers and what the reader ignores.
#include "views/filter_text_form.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filter_checks.h"

namespace {

FilterRecord Empty() {
  FilterRecord record;
  memset(&record, 0, sizeof record);
  return record;
}

bool SameRecord(const FilterRecord& a, const FilterRecord& b) { return memcmp(&a, &b, sizeof a) == 0; }

void ExpectRoundTrip(const FilterRecord& record) {
  const std::string text = Formatted(record);
  const FilterRecord back = Parsed(text.c_str());
  EXPECT_TRUE(SameRecord(back, record)) << text;
  EXPECT_EQ(Formatted(back), text);
}

}  // namespace

TEST(FilterTextForm, TheDocumentedExampleReadsAndWritesBack) {
  const char* text = "c;aRh;+*.txt;dZ3;lK10;-*.bak";
  const FilterRecord record = Parsed(text);
  EXPECT_EQ(record.mode, kFilterModeCreation);
  EXPECT_STREQ(record.lower.masks, L"*.txt");
  EXPECT_EQ(record.lower.attributes, 0x1);
  EXPECT_EQ(record.lower.dateUnit, 'Z');
  EXPECT_EQ(record.lower.dateValue, 3u);
  EXPECT_EQ(record.lower.sizeUnit, 'K');
  EXPECT_EQ(record.lower.sizeValue, 10u);
  EXPECT_STREQ(record.upper.masks, L"*.bak");
  EXPECT_EQ(record.upper.attributes, 0x2);
  EXPECT_EQ(record.upper.dateUnit, 0);
  EXPECT_EQ(record.upper.sizeUnit, 0);
  EXPECT_EQ(Formatted(record), text);
}

TEST(FilterTextForm, MaskListsHoldingTheSeparatorAreQuoted) {
  FilterRecord record = Empty();
  SetMasks(&record.lower, L"*.txt;*.doc");
  EXPECT_EQ(Formatted(record), "\"+*.txt;*.doc\";-");
  EXPECT_STREQ(Parsed("\"+*.txt;*.doc\";-").lower.masks, L"*.txt;*.doc");
}

TEST(FilterTextForm, EveryFieldComesBackUnchanged) {
  FilterRecord record = Empty();
  record.mode = kFilterModeLastAccess;
  SetMasks(&record.lower, L"caf\x00E9*.txt;a?.doc");
  SetMasks(&record.upper, L"\x0436\x0443\x0440;*.bak");  // not in the active code page: stored as UTF-8
  record.lower.dateUnit = 'D';
  record.lower.dateValue = Utc(2024, 2, 29, 13, 45, 30);
  record.upper.dateUnit = 'T';
  record.upper.dateValue = Utc(1980, 1, 2, 8, 0, 59);
  record.lower.sizeUnit = 'G';
  record.lower.sizeValue = ~0ull;
  record.upper.sizeUnit = 'B';
  record.upper.sizeValue = 0;
  record.lower.attributes = 0x4837;
  record.upper.attributes = 0x4837;
  ExpectRoundTrip(record);
  for (const char* unit = kFilterDateUnits + 2; *unit != 0; ++unit) {
    for (const int64_t count : {int64_t{0}, int64_t{1}, int64_t{-7}, INT64_MAX, INT64_MIN}) {
      record.upper.dateUnit = static_cast<uint8_t>(*unit);
      record.upper.dateValue = static_cast<uint64_t>(count);
      ExpectRoundTrip(record);
    }
  }
  for (uint8_t mode = 0; mode <= 2; ++mode) {
    record.mode = mode;
    ExpectRoundTrip(record);
  }
}

TEST(FilterTextForm, AnAttributeRequiredAndForbiddenKeepsBothLetters) {
  FilterRecord record = Empty();
  record.lower.attributes = 0x1 | 0x10;
  record.upper.attributes = 0x1 | 0x4000;
  EXPECT_EQ(Formatted(record), "aDRre;+;-");
  ExpectRoundTrip(record);
}

TEST(FilterTextForm, AttributeLetters) {
  FilterRecord record = Parsed("aRh");
  EXPECT_EQ(record.lower.attributes, 0x1);
  EXPECT_EQ(record.upper.attributes, 0x2);
  record = Parsed("aq7;a");
  EXPECT_EQ(record.lower.attributes, 0);
  EXPECT_EQ(record.upper.attributes, 0);
  record = Parsed("aDA;aSc;aE");
  EXPECT_EQ(record.lower.attributes, 0x10 | 0x20 | 0x4 | 0x4000);
  EXPECT_EQ(record.upper.attributes, 0x800);
  record = Parsed("aRr");
  EXPECT_EQ(record.lower.attributes, 0x1);
  EXPECT_EQ(record.upper.attributes, 0x1);
  EXPECT_EQ(Formatted(Parsed("aHCRSEDA")), "aDARSHCE;+;-");
}

TEST(FilterTextForm, EmptyTextsAndBareMaskItemsGiveTheEmptyFilter) {
  const FilterRecord empty = Empty();
  EXPECT_TRUE(SameRecord(Parsed(""), empty));
  EXPECT_TRUE(SameRecord(Parsed(nullptr), empty));
  EXPECT_TRUE(SameRecord(Parsed("+;-"), empty));
  EXPECT_TRUE(SameRecord(Parsed("x;zebra;;7;\"\""), empty));
  EXPECT_EQ(Formatted(empty), "+;-");
}

TEST(FilterTextForm, ModeItemsAndOverlongMasks) {
  EXPECT_EQ(Parsed("c;w").mode, kFilterModeLastWrite);
  EXPECT_EQ(Parsed("c;wherever").mode, kFilterModeLastWrite);
  const std::string text = "+" + std::string(400, 'x');
  EXPECT_EQ(wcslen(Parsed(text.c_str()).lower.masks), 259u);
}

TEST(FilterTextForm, ItemsAfterTheExcludeMasksBelongToTheUpperHalf) {
  const FilterRecord record = Parsed("+*.a;dS5;-*.b;dH6;lM7;+*.c");
  EXPECT_STREQ(record.lower.masks, L"*.a");
  EXPECT_EQ(record.lower.dateUnit, 'S');
  EXPECT_EQ(record.upper.dateUnit, 'H');
  EXPECT_EQ(record.upper.dateValue, 6u);
  EXPECT_EQ(record.upper.sizeUnit, 'M');
  EXPECT_EQ(record.lower.sizeUnit, 0);
  EXPECT_STREQ(record.upper.masks, L"*.c");
}

TEST(FilterTextForm, NumbersParseAsSignedDecimals) {
  EXPECT_EQ(static_cast<int64_t>(Parsed("dZ  -3").lower.dateValue), -3);
  EXPECT_EQ(Parsed("dZ12abc").lower.dateValue, 12u);
  EXPECT_EQ(Parsed("dZx1").lower.dateValue, 0u);
  EXPECT_EQ(Parsed("dZ0").lower.dateUnit, 'Z');
  EXPECT_EQ(static_cast<int64_t>(Parsed("dW99999999999999999999999").lower.dateValue), INT64_MAX);
  EXPECT_EQ(Parsed("d").lower.dateUnit, 0);
  EXPECT_EQ(Parsed("lB18446744073709551615").lower.sizeValue, ~0ull);
  EXPECT_EQ(Parsed("lK +10").lower.sizeValue, 10u);
}

TEST(FilterTextForm, AbsoluteDatesArePackedOnTheFileTimesOwnClock) {
  const PackedDateTime packed = PackDateTime(DateTime(2024, 5, 6, 7, 8, 9));
  const std::string text = "dD" + std::to_string(packed);
  const FilterRecord record = Parsed(text.c_str());
  EXPECT_EQ(record.lower.dateUnit, 'D');
  EXPECT_EQ(record.lower.dateValue, Utc(2024, 5, 6, 7, 8, 9));
  EXPECT_EQ(Formatted(record), "+;" + text + ";-");
  EXPECT_EQ(Parsed("dD12345").lower.dateValue, 0u);  // not a date
  EXPECT_EQ(Parsed("dT-1").lower.dateValue, 0u);
}

TEST(FilterTextForm, TimeOfDayConditionsAreWrittenReducedTo2January1980) {
  FilterRecord record = Empty();
  record.lower.dateUnit = 'T';
  record.lower.dateValue = Utc(2024, 5, 6, 8, 0, 0) + 1234567;  // with a fraction of a second
  const std::string expected = "+;dT" + std::to_string(PackDateTime(DateTime(1980, 1, 2, 8, 0, 0))) + ";-";
  EXPECT_EQ(Formatted(record), expected);
  EXPECT_EQ(Parsed(expected.c_str()).lower.dateValue, Utc(1980, 1, 2, 8, 0, 0));
}

TEST(FilterTextForm, Utf8ItemsCarryTheByteOrderMark) {
  FilterRecord record = Empty();
  SetMasks(&record.lower, L"\x0436*.txt");
  const std::string text = Formatted(record);
  EXPECT_EQ(text, "\xEF\xBB\xBF+\xD0\xB6*.txt;-");
  EXPECT_STREQ(Parsed(text.c_str()).lower.masks, L"\x0436*.txt");
}

TEST(FilterTextForm, TheReaderStopsAtTheFirstLineBreak) {
  const FilterRecord record = Parsed("+*.txt\r\n-*.bak");
  EXPECT_STREQ(record.lower.masks, L"*.txt");
  EXPECT_STREQ(record.upper.masks, L"");
}

TEST(FilterTextForm, ATextThatDoesNotFitIsNotWrittenHalfway) {
  FilterRecord record = Parsed("c;aRh;+*.txt;dZ3;lK10;-*.bak");
  char text[16];
  memset(text, '#', sizeof text);
  EXPECT_EQ(FormatFilterDefinition(&record, text, sizeof text), 122);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(FormatFilterDefinition(nullptr, text, sizeof text), 87);
  EXPECT_EQ(ParseFilterDefinition(nullptr, "c"), 87);
}

TEST(FilterTextForm, TheLongestRecordFitsTheProfileValue) {
  FilterRecord record = Empty();
  for (FilterHalf* half : {&record.lower, &record.upper}) {
    for (int i = 0; i < kFilterMaskCapacity - 1; ++i) half->masks[i] = i % 2 == 0 ? L'\x0436' : L';';
    half->dateUnit = 'Y';
    half->dateValue = static_cast<uint64_t>(INT64_MIN);
    half->sizeUnit = 'G';
    half->sizeValue = ~0ull;
  }
  record.mode = kFilterModeCreation;
  record.lower.attributes = kFilterAttributeMask;
  record.upper.attributes = kFilterAttributeMask;
  ExpectRoundTrip(record);
}
