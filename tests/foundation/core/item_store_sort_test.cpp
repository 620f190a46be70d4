// Sorting an item store through a key function: group ranks, missing values, chains of keys, text modes,
// refusals, failures of the key function, stale sorts, and 100 000 rows by a text and by a number key.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/core/name_order.h"
#include "item_store_checks.h"
#include "main_window_stand_in.h"
#include "support/caught_faults.h"

namespace {

#pragma pack(push, 1)
struct SortRow {
  uint16_t length;
  uint16_t rank;
  uint8_t type;  // the value type key 1 reports
  uint64_t number;
  wchar_t name[24];
};
#pragma pack(pop)

volatile int* volatile g_nowhere = nullptr;

constexpr int16_t kNumberKey = 1;  // ties broken by the name key
constexpr int16_t kNameKey = 2;

struct SortSettings {
  bool refuse = false;
  int16_t textMode = 0;
  bool throwOnRows = false;
  bool faultOnRows = false;
  ItemStore* storeToChange = nullptr;
};

// Replaces row 0 by a longer copy named "grown": the row moves in the block, the row count stays.
void GrowFirstRow(ItemStore* store) {
  uint8_t grown[sizeof(SortRow) + 8] = {};
  memcpy(grown, ItemStoreGet(store, 0), sizeof(SortRow));
  SortRow* row = reinterpret_cast<SortRow*>(grown);
  row->length = sizeof grown;
  swprintf(row->name, 24, L"grown");
  ItemStoreUpdate(store, 0, grown, sizeof grown);
}

void KeyOfRow(SortKeyRequest* request, const uint8_t* bytes) {
  SortSettings* settings = static_cast<SortSettings*>(request->caller);
  if (!bytes) {
    if (settings->refuse) request->keyId = -1;
    request->textMode = settings->textMode;
    return;
  }
  if (settings->throwOnRows) throw std::runtime_error("key function failed");
  if (settings->faultOnRows) *g_nowhere = 1;
  if (settings->storeToChange) {
    ItemStore* store = settings->storeToChange;
    settings->storeToChange = nullptr;
    GrowFirstRow(store);
  }
  const SortRow* row = reinterpret_cast<const SortRow*>(bytes);
  request->groupRank = row->rank;
  if (request->keyId == kNameKey) {
    request->valueType = kSortValueText;
    request->value = row->name;
    request->nextKeyId = kNameKey;
    return;
  }
  request->valueType = row->type;
  request->value = row->type == kSortValueText ? static_cast<const void*>(row->name)
                                                : (row->type == kSortNoValue ? nullptr : &row->number);
  request->nextKeyId = kNameKey;
}

class ItemStoreSortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ItemStoreInit(&store_), 0u); }
  void TearDown() override { ItemStoreDestroy(&store_); }

  void Add(uint16_t rank, uint8_t type, uint64_t number, const wchar_t* name) {
    SortRow row = {};
    row.length = sizeof row;
    row.rank = rank;
    row.type = type;
    row.number = number;
    swprintf(row.name, 24, L"%ls", name);
    ASSERT_EQ(ItemStoreAppend(&store_, &row, sizeof row), 0);
  }

  const SortRow* Row(uint32_t i) const { return reinterpret_cast<const SortRow*>(ItemStoreGet(&store_, i)); }

  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < ItemStoreCount(&store_); ++i) names.push_back(Row(i)->name);
    return names;
  }

  uint32_t Sort(int16_t key, bool descending) {
    return ItemStoreSort(&store_, key, descending, KeyOfRow, &settings_);
  }

  using Names_ = std::vector<std::wstring>;

  ItemStore store_;
  SortSettings settings_;
};

}  // namespace

TEST_F(ItemStoreSortTest, HigherRanksComeFirstAndRowsWithoutValueLeadAscending) {
  Add(2, kSortValueU32, 5, L"rank2");
  Add(1, kSortValueU32, 3, L"three");
  Add(1, kSortValueU32, 9, L"nine");
  Add(1, kSortNoValue, 0, L"none");
  Sort(kNumberKey, false);
  EXPECT_EQ(Names(), (Names_{L"rank2", L"none", L"three", L"nine"}));
  Sort(kNumberKey, true);
  EXPECT_EQ(Names(), (Names_{L"rank2", L"nine", L"three", L"none"}));
}

TEST_F(ItemStoreSortTest, RankMarkedToIgnoreDescendingStaysAscending) {
  Add(1, kSortValueU32, 4, L"four");
  Add(kSortRankIgnoresDescending | 1, kSortValueU32, 5, L"offline5");
  Add(1, kSortValueU32, 8, L"eight");
  Add(kSortRankIgnoresDescending | 1, kSortValueU32, 3, L"offline3");
  Sort(kNumberKey, true);
  EXPECT_EQ(Names(), (Names_{L"offline3", L"offline5", L"eight", L"four"}));
}

TEST_F(ItemStoreSortTest, TiesFollowTheNextKeyInEitherDirection) {
  Add(0, kSortValueU64, 7, L"b");
  Add(0, kSortValueU64, 7, L"a");
  Add(0, kSortValueU64, 3, L"z");
  Sort(kNumberKey, false);
  EXPECT_EQ(Names(), (Names_{L"z", L"a", L"b"}));
  Sort(kNumberKey, true);
  EXPECT_EQ(Names(), (Names_{L"b", L"a", L"z"}));
}

TEST_F(ItemStoreSortTest, TextModeFromTheProbeDecidesDigitOrder) {
  Add(0, kSortNoValue, 0, L"File10");
  Add(0, kSortNoValue, 0, L"file9");
  Add(0, kSortNoValue, 0, L"file1");
  settings_.textMode = 1;
  Sort(kNameKey, false);
  EXPECT_EQ(Names(), (Names_{L"file1", L"file9", L"File10"}));
  settings_.textMode = 0;
  Sort(kNameKey, false);
  EXPECT_EQ(Names(), (Names_{L"file1", L"File10", L"file9"}));
  EXPECT_EQ(Sort(kNameKey, false), 0u) << "rows in order stay";
  EXPECT_EQ(Sort(kNameKey, true), 2u);
  EXPECT_EQ(Names(), (Names_{L"file9", L"File10", L"file1"}));
}

TEST_F(ItemStoreSortTest, ReportsHowManyEntriesChangedPlace) {
  Add(0, kSortValueU32, 3, L"3");
  Add(0, kSortValueU32, 2, L"2");
  Add(0, kSortValueU32, 1, L"1");
  EXPECT_EQ(Sort(kNumberKey, false), 2u);
  EXPECT_EQ(Names(), (Names_{L"1", L"2", L"3"}));
  EXPECT_EQ(Sort(kNumberKey, false), 0u);
}

TEST_F(ItemStoreSortTest, RefusedProbeOrFailingKeyFunctionChangesNothing) {
  ExpectCaughtFaults();
  Add(0, kSortValueU32, 2, L"2");
  Add(0, kSortValueU32, 1, L"1");
  settings_.refuse = true;
  EXPECT_EQ(Sort(kNumberKey, false), 0u);
  settings_.refuse = false;
  settings_.throwOnRows = true;
  EXPECT_EQ(Sort(kNumberKey, false), 0u);
  settings_.throwOnRows = false;
  settings_.faultOnRows = true;
  EXPECT_EQ(Sort(kNumberKey, false), 0u);
  EXPECT_EQ(Names(), (Names_{L"2", L"1"}));
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreSortTest, SortOfAStoreChangedMeanwhileIsDropped) {
  Add(0, kSortValueU32, 3, L"3");
  Add(0, kSortValueU32, 2, L"2");
  Add(0, kSortValueU32, 1, L"1");
  settings_.storeToChange = &store_;
  EXPECT_EQ(Sort(kNumberKey, false), 0u);
  EXPECT_EQ(Names(), (Names_{L"grown", L"2", L"1"}));
  EXPECT_TRUE(IndexIsValid(store_));
}

// A row rewritten shorter leaves bytes behind it in the block that belong to no row; a longer one moves to the
// block's end. The sort orders exactly the rows the list holds, and so does the next one.
TEST_F(ItemStoreSortTest, RowsRewrittenShorterOrLongerAreSortedAsTheListHoldsThem) {
  struct Rewrite {
    uint32_t row;
    uint64_t number;
    const wchar_t* name;  // the record is cut behind it when short, else it grows by 8 bytes
    bool shorter;
  };
  struct Case {
    const char* what;
    std::vector<Rewrite> rewrites;
    Names_ sorted;
  };
  const Case cases[] = {
      {"first row shorter", {{0, 0, L"x", true}}, {L"x", L"a", L"b", L"c"}},
      {"middle row shorter", {{1, 9, L"y", true}}, {L"a", L"b", L"d", L"y"}},
      {"one longer", {{2, 0, L"grown", false}}, {L"grown", L"a", L"c", L"d"}},
      {"shorter, then another longer", {{0, 6, L"x", true}, {3, 5, L"grown", false}}, {L"b", L"c", L"grown", L"x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(ItemStoreReset(&store_), 0);
    Add(0, kSortValueU64, 4, L"d");
    Add(0, kSortValueU64, 3, L"c");
    Add(0, kSortValueU64, 2, L"b");
    Add(0, kSortValueU64, 1, L"a");
    for (const Rewrite& r : c.rewrites) {
      uint8_t bytes[sizeof(SortRow) + 8] = {};
      memcpy(bytes, Row(r.row), sizeof(SortRow));
      SortRow* row = reinterpret_cast<SortRow*>(bytes);
      wmemset(row->name, 0, 24);
      swprintf(row->name, 24, L"%ls", r.name);
      row->number = r.number;
      row->length = r.shorter ? static_cast<uint16_t>(offsetof(SortRow, name) + (wcslen(r.name) + 1) * 2)
                              : static_cast<uint16_t>(sizeof bytes);
      ASSERT_EQ(ItemStoreUpdate(&store_, r.row, bytes, row->length), 0);
    }
    for (bool descending : {false, true}) {
      Sort(kNumberKey, descending);
      Names_ expected = c.sorted;
      if (descending) std::reverse(expected.begin(), expected.end());
      EXPECT_EQ(Names(), expected) << (descending ? "descending" : "ascending");
      EXPECT_TRUE(IndexIsValid(store_));
    }
  }
}

TEST_F(ItemStoreSortTest, NothingIsWrittenWhenTheMutexIsHeldElsewhere) {
  Add(0, kSortValueU32, 2, L"2");
  Add(0, kSortValueU32, 1, L"1");
  {
    MutexHeldElsewhere holder(store_.mutex);
    EXPECT_EQ(Sort(kNumberKey, false), 0u);
  }
  EXPECT_EQ(Names(), (Names_{L"2", L"1"}));
}

TEST_F(ItemStoreSortTest, ContradictoryKeysStillLeaveEveryRowInPlaceOnce) {
  // Values of different types count as equal: no strict order exists, and the sort must stay in bounds.
  uint32_t lcg = 12345;
  std::vector<uint32_t> offsetsBefore;
  for (int i = 0; i < 5000; ++i) {
    lcg = lcg * 1103515245u + 12345u;
    uint8_t type = static_cast<uint8_t>(1 + (lcg >> 16) % 3);
    Add(0, type, lcg >> 8, std::to_wstring(lcg % 1000).c_str());
  }
  offsetsBefore.assign(store_.index, store_.index + ItemStoreCount(&store_));
  Sort(kNumberKey, false);
  std::vector<uint32_t> offsetsAfter(store_.index, store_.index + ItemStoreCount(&store_));
  std::sort(offsetsBefore.begin(), offsetsBefore.end());
  std::sort(offsetsAfter.begin(), offsetsAfter.end());
  EXPECT_EQ(offsetsAfter, offsetsBefore);
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreSortTest, HundredThousandRowsSortByTextAndByNumber) {
  constexpr uint32_t kRows = 100000;
  uint32_t lcg = 2024;
  uint64_t numberSum = 0;
  // One thread fills the store, so it needs no lock; under Wine each mutex wait is a server round trip
  // (a null mutex counts as acquired without waiting).
  HANDLE mutex = store_.mutex;
  store_.mutex = nullptr;
  for (uint32_t i = 0; i < kRows; ++i) {
    lcg = lcg * 1664525u + 1013904223u;
    uint64_t number = (static_cast<uint64_t>(lcg) << 20) ^ i;
    numberSum += number;
    wchar_t name[24];
    swprintf(name, 24, L"%c%07u", (lcg >> 30) & 1 ? L'N' : L'n', lcg % 10000000u);
    Add(0, kSortValueU64, number, name);
  }
  store_.mutex = mutex;

  Sort(kNameKey, false);
  ASSERT_EQ(ItemStoreCount(&store_), kRows);
  for (uint32_t i = 1; i < kRows; ++i) ASSERT_LE(CompareNamesNatural(Row(i - 1)->name, Row(i)->name, false), 0) << i;

  Sort(kNumberKey, true);
  uint64_t sortedSum = Row(0)->number;
  for (uint32_t i = 1; i < kRows; ++i) {
    ASSERT_GE(Row(i - 1)->number, Row(i)->number) << i;
    sortedSum += Row(i)->number;
  }
  EXPECT_EQ(sortedSum, numberSum);
  EXPECT_TRUE(IndexIsValid(store_));
}
