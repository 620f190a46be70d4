// The filter's decisions: masks, date bounds on each of the three file times (absolute, time of day and
// relative to a fixed now), size bounds, attribute bits, folders, and the filter option of a listing.
#include "views/file_filter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "filter_checks.h"

namespace {

constexpr uint64_t kSecond = 10000000ULL;
constexpr uint64_t kDay = 86400 * kSecond;
constexpr uint64_t kNever = ~0ull;

// A filter from its text form with limits computed for the given now (UTC).
FilterRecord Prepared(const char* text, const SYSTEMTIME& now) {
  FilterRecord record = Parsed(text);
  ComputeFilterLimitsAt(&record.lower, now);
  ComputeFilterLimitsAt(&record.upper, now);
  return record;
}

FilterRecord Prepared(const char* text) { return Prepared(text, DateTime(2025, 3, 31, 12, 0, 0)); }

FileInfo File(uint64_t lastWrite, uint64_t size = 100, uint16_t attributes = 0x20) {
  FileInfo info = {};
  info.attributes = attributes;
  info.size = size;
  info.creationTime = UInt64ToFileTime(lastWrite);
  info.lastAccessTime = UInt64ToFileTime(lastWrite);
  info.lastWriteTime = UInt64ToFileTime(lastWrite);
  return info;
}

int Admits(const FilterRecord& record, const wchar_t* name, const FileInfo& info) {
  return FilterAdmitsItem(&record, name, info);
}

int AdmitsSize(const FilterRecord& record, uint64_t size) {
  return MatchFilterRecord(L"a.txt", 0x20, UInt64ToFileTime(Utc(2025, 1, 1)), &size, &record);
}

uint64_t LowerLimit(const char* text, const SYSTEMTIME& now) { return Prepared(text, now).lower.dateLimit; }

}  // namespace

TEST(FileFilterLimits, RelativeCountsGoBackFromNow) {
  const SYSTEMTIME now = DateTime(2025, 3, 31, 12, 0, 0);
  const uint64_t nowTime = Utc(2025, 3, 31, 12, 0, 0);
  EXPECT_EQ(LowerLimit("dS3", now), nowTime - 3 * kSecond);
  EXPECT_EQ(LowerLimit("dM3", now), nowTime - 180 * kSecond);
  EXPECT_EQ(LowerLimit("dH3", now), nowTime - 3 * 3600 * kSecond);
  EXPECT_EQ(LowerLimit("dZ3", now), nowTime - 3 * kDay);
  EXPECT_EQ(LowerLimit("dW3", now), nowTime - 21 * kDay);
  EXPECT_EQ(LowerLimit("dZ0", now), nowTime);
  EXPECT_EQ(LowerLimit("dZ-2", now), nowTime + 2 * kDay);
}

TEST(FileFilterLimits, CalendarMonthsAndYears) {
  EXPECT_EQ(LowerLimit("dL1", DateTime(2025, 3, 31, 12)), Utc(2025, 3, 31, 12));  // 31 February does not exist
  EXPECT_EQ(LowerLimit("dL1", DateTime(2025, 3, 28, 12)), Utc(2025, 2, 28, 12));
  EXPECT_EQ(LowerLimit("dL13", DateTime(2025, 1, 15, 12)), Utc(2023, 12, 15, 12));
  EXPECT_EQ(LowerLimit("dL12", DateTime(2025, 1, 15, 12)), Utc(2024, 1, 15, 12));
  EXPECT_EQ(LowerLimit("dL-1", DateTime(2025, 12, 15, 12)), Utc(2026, 1, 15, 12));
  EXPECT_EQ(LowerLimit("dY1", DateTime(2025, 6, 10, 9, 30, 5)), Utc(2024, 6, 10, 9, 30, 5));
  EXPECT_EQ(LowerLimit("dY1", DateTime(2024, 2, 29, 12)), Utc(2024, 2, 29, 12));  // no 29 February in 2023
  EXPECT_EQ(LowerLimit("dY4", DateTime(2024, 2, 29, 12)), Utc(2020, 2, 29, 12));
  EXPECT_EQ(LowerLimit("dL1", DateTime(2100, 3, 29, 12)), Utc(2100, 3, 29, 12));  // 2100 is a common year
}

TEST(FileFilterLimits, CountsBeyondTheRangeOfFileTimesSaturate) {
  const SYSTEMTIME now = DateTime(2025, 3, 31, 12, 0, 0);
  EXPECT_EQ(LowerLimit("dW99999999", now), 0u);
  EXPECT_EQ(LowerLimit("dS9223372036854775807", now), 0u);
  EXPECT_EQ(LowerLimit("dZ-9223372036854775808", now), kNever);
  EXPECT_EQ(LowerLimit("dW-99999999", now), kNever);
  EXPECT_EQ(LowerLimit("dY500", now), 0u);  // before 1601
  EXPECT_EQ(LowerLimit("dY-9223372036854775808", now), kNever);
  EXPECT_EQ(LowerLimit("dY9223372036854775807", now), 0u);
  EXPECT_EQ(LowerLimit("dL-9223372036854775808", now), kNever);
  EXPECT_EQ(LowerLimit("dL9223372036854775807", now), 0u);
  EXPECT_EQ(LowerLimit("dY424", now), Utc(1601, 3, 31, 12));
}

TEST(FileFilterLimits, AbsoluteDatesAndTimesOfDay) {
  FilterHalf half = {};
  half.dateUnit = 'D';
  half.dateValue = Utc(2020, 7, 1, 10, 0, 0);
  ComputeFilterLimitsAt(&half, DateTime(2025, 1, 1));
  EXPECT_EQ(half.dateLimit, Utc(2020, 7, 1, 10, 0, 0));
  half.dateUnit = 'T';
  ComputeFilterLimitsAt(&half, DateTime(2025, 1, 1));
  EXPECT_EQ(half.dateLimit, Utc(1980, 1, 2, 10, 0, 0));
  EXPECT_EQ(ReduceToTimeOfDay(Utc(2031, 12, 31, 23, 59, 59) + 9999999), Utc(1980, 1, 2, 23, 59, 59));
  EXPECT_EQ(ReduceToTimeOfDay(0), Utc(1980, 1, 2));
}

TEST(FileFilterLimits, SizesInUnitsAndBeyond64Bits) {
  const SYSTEMTIME now = DateTime(2025, 1, 1);
  EXPECT_EQ(Prepared("lB7", now).lower.sizeLimit, 7u);
  EXPECT_EQ(Prepared("lK7", now).lower.sizeLimit, 7u << 10);
  EXPECT_EQ(Prepared("lM7", now).lower.sizeLimit, 7u << 20);
  EXPECT_EQ(Prepared("lG7", now).lower.sizeLimit, 7ull << 30);
  EXPECT_EQ(Prepared("lG17179869183", now).lower.sizeLimit, 17179869183ull << 30);
  EXPECT_EQ(Prepared("lG17179869184", now).lower.sizeLimit, kNever);
  EXPECT_EQ(Prepared("lK18446744073709551615", now).lower.sizeLimit, kNever);
}

TEST(FileFilterMasks, IncludeAndExcludeLists) {
  const FilterRecord record = Prepared("+*.txt;;*.doc;-b*");
  EXPECT_EQ(Admits(record, L"a.txt", File(Utc(2024, 1, 1))), 1);
  EXPECT_EQ(Admits(record, L"A.TXT", File(Utc(2024, 1, 1))), 1);
  EXPECT_EQ(Admits(record, L"a.doc", File(Utc(2024, 1, 1))), 0);
  EXPECT_EQ(Admits(record, L"a.txt.bak", File(Utc(2024, 1, 1))), 0);
  EXPECT_EQ(Admits(record, L"b.txt", File(Utc(2024, 1, 1))), 0);
  EXPECT_EQ(Admits(Prepared("-*.bak"), L"x.txt", File(Utc(2024, 1, 1))), 1);
  EXPECT_EQ(Admits(Prepared("-*.bak"), L"x.bak", File(Utc(2024, 1, 1))), 0);
}

TEST(FileFilterDates, AbsoluteBoundsIncludeTheirLimits) {
  const std::string text = "dD" + std::to_string(PackDateTime(DateTime(2024, 1, 1))) + ";-;dD" +
                           std::to_string(PackDateTime(DateTime(2024, 12, 31, 23, 59, 59)));
  const FilterRecord record = Prepared(text.c_str());
  EXPECT_EQ(Admits(record, L"a", File(Utc(2024, 1, 1))), 1);
  EXPECT_EQ(Admits(record, L"a", File(Utc(2024, 1, 1) - 1)), 0);
  EXPECT_EQ(Admits(record, L"a", File(Utc(2024, 12, 31, 23, 59, 59))), 1);
  EXPECT_EQ(Admits(record, L"a", File(Utc(2024, 12, 31, 23, 59, 59) + 1)), 0);
  EXPECT_EQ(Admits(record, L"a", File(0)), 0);
}

TEST(FileFilterDates, TheModeChoosesTheFileTime) {
  const std::string bound = "dD" + std::to_string(PackDateTime(DateTime(2024, 1, 1)));
  FileInfo info = File(Utc(2023, 1, 1));
  info.creationTime = UInt64ToFileTime(Utc(2024, 6, 1));
  info.lastAccessTime = UInt64ToFileTime(Utc(2022, 6, 1));
  EXPECT_EQ(Admits(Prepared(bound.c_str()), L"a", info), 0);
  EXPECT_EQ(Admits(Prepared(("w;" + bound).c_str()), L"a", info), 0);
  EXPECT_EQ(Admits(Prepared(("c;" + bound).c_str()), L"a", info), 1);
  EXPECT_EQ(Admits(Prepared(("r;" + bound).c_str()), L"a", info), 0);
  info.lastAccessTime = UInt64ToFileTime(Utc(2024, 2, 1));
  EXPECT_EQ(Admits(Prepared(("r;" + bound).c_str()), L"a", info), 1);
  info.lastWriteTime = UInt64ToFileTime(Utc(2025, 1, 1));
  EXPECT_EQ(Admits(Prepared(bound.c_str()), L"a", info), 1);
}

TEST(FileFilterDates, AMissingCreationOrAccessTimeIsReplacedByTheLastWriteTime) {
  const std::string bound = "dD" + std::to_string(PackDateTime(DateTime(2024, 1, 1)));
  FileInfo info = File(Utc(2024, 6, 1));
  info.creationTime = UInt64ToFileTime(0);
  info.lastAccessTime = UInt64ToFileTime(kEarliestFileTime - 1);
  EXPECT_EQ(Admits(Prepared(("c;" + bound).c_str()), L"a", info), 1);
  EXPECT_EQ(Admits(Prepared(("r;" + bound).c_str()), L"a", info), 1);
  info.lastWriteTime = UInt64ToFileTime(Utc(2023, 6, 1));
  EXPECT_EQ(Admits(Prepared(("c;" + bound).c_str()), L"a", info), 0);
}

TEST(FileFilterDates, TimeOfDayBoundsIgnoreTheDate) {
  const std::string eight = std::to_string(PackDateTime(DateTime(1980, 1, 2, 8)));
  const FilterRecord from = Prepared(("dT" + eight).c_str());
  EXPECT_EQ(Admits(from, L"a", File(Utc(2024, 7, 9, 8, 0, 0))), 1);
  EXPECT_EQ(Admits(from, L"a", File(Utc(1999, 1, 1, 23, 0, 0))), 1);
  EXPECT_EQ(Admits(from, L"a", File(Utc(2024, 7, 9, 7, 59, 59))), 0);
  const FilterRecord until = Prepared(("-;dT" + eight).c_str());
  EXPECT_EQ(Admits(until, L"a", File(Utc(2024, 7, 9, 8, 0, 0) + 5000000)), 1);  // fractions of the second count as it
  EXPECT_EQ(Admits(until, L"a", File(Utc(2024, 7, 9, 8, 0, 1))), 0);
}

TEST(FileFilterDates, ATimeOfDayIntervalMayPassMidnight) {
  const std::string late = std::to_string(PackDateTime(DateTime(1980, 1, 2, 23)));
  const std::string early = std::to_string(PackDateTime(DateTime(1980, 1, 2, 1)));
  const FilterRecord night = Prepared(("dT" + late + ";-;dT" + early).c_str());
  EXPECT_EQ(Admits(night, L"a", File(Utc(2024, 7, 9, 23, 30, 0))), 1);
  EXPECT_EQ(Admits(night, L"a", File(Utc(2024, 7, 9, 0, 30, 0))), 1);
  EXPECT_EQ(Admits(night, L"a", File(Utc(2024, 7, 9, 1, 0, 0))), 1);
  EXPECT_EQ(Admits(night, L"a", File(Utc(2024, 7, 9, 12, 0, 0))), 0);
  EXPECT_EQ(Admits(night, L"a", File(Utc(2024, 7, 9, 22, 59, 59))), 0);
  const FilterRecord day = Prepared(("dT" + early + ";-;dT" + late).c_str());
  EXPECT_EQ(Admits(day, L"a", File(Utc(2024, 7, 9, 12, 0, 0))), 1);
  EXPECT_EQ(Admits(day, L"a", File(Utc(2024, 7, 9, 0, 30, 0))), 0);
}

TEST(FileFilterDates, RelativeBoundsFollowTheInjectedNow) {
  const SYSTEMTIME now = DateTime(2025, 3, 31, 12, 0, 0);
  const uint64_t nowTime = Utc(2025, 3, 31, 12, 0, 0);
  const FilterRecord recent = Prepared("dZ3", now);
  EXPECT_EQ(Admits(recent, L"a", File(nowTime - 2 * kDay)), 1);
  EXPECT_EQ(Admits(recent, L"a", File(nowTime - 3 * kDay)), 1);
  EXPECT_EQ(Admits(recent, L"a", File(nowTime - 4 * kDay)), 0);
  const FilterRecord old = Prepared("-;dL1", now);  // at most a month old: 31 February gives now
  EXPECT_EQ(Admits(old, L"a", File(nowTime)), 1);
  EXPECT_EQ(Admits(old, L"a", File(nowTime + 1)), 0);
  const FilterRecord future = Prepared("dZ0", now);
  EXPECT_EQ(Admits(future, L"a", File(nowTime - 1)), 0);
  EXPECT_EQ(Admits(future, L"a", File(nowTime + kDay)), 1);
  const FilterRecord everything = Prepared("-;dW-99999999", now);
  EXPECT_EQ(Admits(everything, L"a", File(Utc(30000, 1, 1))), 1);
  const FilterRecord nothingOlder = Prepared("dW99999999", now);
  EXPECT_EQ(Admits(nothingOlder, L"a", File(Utc(1980, 1, 1))), 1);
}

TEST(FileFilterDates, ConditionsTheProgramCannotShowAreNone) {
  EXPECT_EQ(Admits(Prepared("-;dQ5"), L"a", File(Utc(2024, 1, 1))), 1);
  EXPECT_EQ(Admits(Prepared("-;dD0"), L"a", File(Utc(2024, 1, 1))), 1);
  EXPECT_EQ(Admits(Prepared("-;dDgarbage"), L"a", File(Utc(2024, 1, 1))), 1);
  EXPECT_EQ(Admits(Prepared("-;lX1"), L"a", File(Utc(2024, 1, 1), 5000)), 1);
  EXPECT_FALSE(HasDateCondition(Prepared("dQ5").lower));
  EXPECT_TRUE(HasDateCondition(Prepared("dZ0").lower));
}

TEST(FileFilterSizes, LowerAndUpperBounds) {
  EXPECT_EQ(AdmitsSize(Prepared("lB0"), 0), 1);
  EXPECT_EQ(AdmitsSize(Prepared("lK0"), 0), 1);
  const FilterRecord atMost = Prepared("-;lK1");
  EXPECT_EQ(AdmitsSize(atMost, 1024), 1);
  EXPECT_EQ(AdmitsSize(atMost, 1025), 0);
  const FilterRecord atLeast = Prepared("lK10");
  EXPECT_EQ(AdmitsSize(atLeast, 10240), 1);
  EXPECT_EQ(AdmitsSize(atLeast, 10239), 0);
  EXPECT_EQ(AdmitsSize(Prepared("lG17179869184"), 1ull << 62), 0);
}

TEST(FileFilterSizes, UnknownSizesFoldersAndCallersWithoutASizePass) {
  const FilterRecord record = Prepared("lK10;-;lK1");
  EXPECT_EQ(AdmitsSize(record, kUnknownFileSize), 1);
  EXPECT_EQ(AdmitsSize(record, 5000), 0);
  const uint64_t size = 5000;
  const FILETIME time = UInt64ToFileTime(Utc(2024, 1, 1));
  EXPECT_EQ(MatchFilterRecord(L"a", 0x10, time, &size, &record), 1);
  EXPECT_EQ(MatchFilterRecord(L"a", 0x20, time, nullptr, &record), 1);
  EXPECT_EQ(Admits(record, L"a", File(Utc(2024, 1, 1), kUnknownFileSize)), 1);
}

TEST(FileFilterAttributes, RequiredAndForbiddenBits) {
  const FilterRecord readOnlyNotHidden = Prepared("aRh");
  EXPECT_EQ(Admits(readOnlyNotHidden, L"a", File(Utc(2024, 1, 1), 1, 0x21)), 1);
  EXPECT_EQ(Admits(readOnlyNotHidden, L"a", File(Utc(2024, 1, 1), 1, 0x23)), 0);
  EXPECT_EQ(Admits(readOnlyNotHidden, L"a", File(Utc(2024, 1, 1), 1, 0x20)), 0);
  EXPECT_EQ(Admits(readOnlyNotHidden, L"a", File(Utc(2024, 1, 1), 1, 0x21 | 0x80 | 0x2000)), 1);
  const FilterRecord both = Prepared("aRr");
  EXPECT_EQ(Admits(both, L"a", File(Utc(2024, 1, 1), 1, 0x21)), 0);
  EXPECT_EQ(Admits(both, L"a", File(Utc(2024, 1, 1), 1, 0x20)), 1);
  EXPECT_EQ(Admits(Prepared("aCE"), L"a", File(Utc(2024, 1, 1), 1, 0x4800)), 1);
  EXPECT_EQ(Admits(Prepared("aCE"), L"a", File(Utc(2024, 1, 1), 1, 0x800)), 0);
  EXPECT_EQ(Admits(Prepared("aq"), L"a", File(Utc(2024, 1, 1), 1, 0x7)), 1);
}

TEST(FileFilterFolders, FoldersAreNeverFiltered) {
  const FilterRecord strict = Prepared("aDRh;+*.txt;lK10;-*;dZ1");
  const FileInfo folder = File(0, kUnknownFileSize, 0x10 | 0x2);
  EXPECT_EQ(Admits(strict, L"sub", folder), 1);
  EXPECT_EQ(Admits(Prepared("aD"), L"a.txt", File(Utc(2024, 1, 1), 1, 0x20)), 0);  // files never carry D
}

TEST(FileFilterListing, WithoutAFilterEverythingIsAdmitted) {
  EXPECT_EQ(FilterAdmitsItem(nullptr, L"a.bak", File(0, 1, 0x2)), 1);
  FilterRecord empty = {};
  EXPECT_EQ(Admits(empty, L"a.bak", File(0, kUnknownFileSize, 0x4807)), 1);
  EXPECT_EQ(MatchFilterRecord(nullptr, 0, UInt64ToFileTime(0), nullptr, &empty), 1);
}

TEST(FileFilterListing, TheOptionDecidesAndTheListingKeepsItsOwnCopy) {
  auto state = std::make_unique<AppState>();
  memset(state.get(), 0, sizeof *state);
  AppState* saved = g_app;
  g_app = state.get();
  ASSERT_EQ(ParseFilterDefinition(AppFilter(), "+*.txt;dZ0"), 0);
  FilterRecord snapshot;
  EXPECT_EQ(SnapshotFilterForListing(&snapshot), nullptr);
  ReplaceOptionWord(kOptionFilterApplied);
  const FilterRecord* filter = SnapshotFilterForListing(&snapshot);
  ASSERT_EQ(filter, &snapshot);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  EXPECT_LE(filter->lower.dateLimit, FileTimeToUInt64(now));
  EXPECT_GT(filter->lower.dateLimit, FileTimeToUInt64(now) - 60 * kSecond);
  EXPECT_EQ(AppFilter()->lower.dateLimit, 0u);
  ParseFilterDefinition(AppFilter(), "+*.doc");
  EXPECT_EQ(Admits(snapshot, L"a.txt", File(FileTimeToUInt64(now) + kDay)), 1);
  EXPECT_EQ(Admits(snapshot, L"a.doc", File(FileTimeToUInt64(now) + kDay)), 0);
  EXPECT_EQ(SnapshotFilterForListing(nullptr), nullptr);
  g_app = saved;
}
