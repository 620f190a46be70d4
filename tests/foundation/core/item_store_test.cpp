// Item-store changes: append, insert, move, update, remove and reset keep the rows whole and the index
// valid on every path, failures included; a worker appending while the GUI thread reads.
#include "foundation/core/item_store.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/core/app_state.h"
#include "item_store_checks.h"
#include "main_window_stand_in.h"
#include "support/caught_faults.h"
#include "support/lock_after_fault.h"

namespace {

void* RefuseAllocation(uint32_t) { return nullptr; }

class ItemStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ItemStoreInit(&store_), 0u); }
  void TearDown() override { ItemStoreDestroy(&store_); }

  void AppendRows(std::initializer_list<const char*> texts) {
    for (const char* text : texts) ASSERT_EQ(AppendRow(&store_, text), 0);
  }

  uint32_t Insert(const std::string& text, uint32_t position) {
    std::string row = MakeRow(text);
    return ItemStoreInsert(&store_, row.data(), static_cast<uint32_t>(row.size()), position);
  }

  int Update(uint32_t i, const std::string& text) {
    std::string row = MakeRow(text);
    return ItemStoreUpdate(&store_, i, row.data(), static_cast<uint32_t>(row.size()));
  }

  using Texts = std::vector<std::string>;

  ItemStore store_;
};

}  // namespace

TEST_F(ItemStoreTest, AppendedRowsReadBackInOrder) {
  AppendRows({"alpha", "beta", "gamma"});
  EXPECT_EQ(RowTexts(store_), (Texts{"alpha", "beta", "gamma"}));
  EXPECT_EQ(ItemStoreGet(&store_, 3), nullptr);
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreTest, AppendRefusesRecordsThatCannotCarryTheirLength) {
  EXPECT_EQ(ItemStoreAppend(&store_, "x", 1), 1);
  std::vector<uint8_t> huge(70000, 1);
  EXPECT_EQ(ItemStoreAppend(&store_, huge.data(), 70000), 1);
  EXPECT_EQ(ItemStoreCount(&store_), 0u);
}

TEST_F(ItemStoreTest, RecordsAppendedTogetherAreAllOrNone) {
  AppendRows({"first"});
  std::string records;
  for (int i = 0; i < 5000; ++i) records += MakeRow("row" + std::to_string(i));
  const auto bytes = static_cast<uint32_t>(records.size());
  EXPECT_EQ(ItemStoreAppendRecords(&store_, records.data(), bytes - 1), 87) << "a record cut short";
  {
    MutexHeldElsewhere holder(store_.mutex);
    EXPECT_EQ(ItemStoreAppendRecords(&store_, records.data(), bytes), 1);
  }
  EXPECT_EQ(ItemStoreCount(&store_), 1u);
  EXPECT_EQ(ItemStoreAppendRecords(&store_, records.data(), bytes), 0);
  ASSERT_EQ(ItemStoreCount(&store_), 5001u);
  EXPECT_EQ(RowTexts(store_)[4097], "row4096");
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreTest, InsertReportsWhereTheRowIs) {
  AppendRows({"A", "B", "C"});
  EXPECT_EQ(Insert("X", 0), 0u);
  EXPECT_EQ(RowTexts(store_), (Texts{"X", "A", "B", "C"}));
  EXPECT_EQ(Insert("Y", 99), 4u);
  EXPECT_EQ(Insert("Z", 2), 2u);
  EXPECT_EQ(RowTexts(store_), (Texts{"X", "A", "Z", "B", "C", "Y"}));
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreTest, MoveSwapsNeighboursAndStopsAtTheEnds) {
  AppendRows({"A", "B", "C"});
  EXPECT_EQ(ItemStoreMove(&store_, 0, -1), 0u);
  EXPECT_EQ(ItemStoreMove(&store_, 2, 1), 2u);
  EXPECT_EQ(ItemStoreMove(&store_, 1, 0), 1u);
  EXPECT_EQ(ItemStoreMove(&store_, 7, -1), 7u);
  EXPECT_EQ(RowTexts(store_), (Texts{"A", "B", "C"}));
  EXPECT_EQ(ItemStoreMove(&store_, 1, -1), 0u);
  EXPECT_EQ(ItemStoreMove(&store_, 1, 1), 2u);
  EXPECT_EQ(RowTexts(store_), (Texts{"B", "C", "A"}));
}

TEST_F(ItemStoreTest, UpdateWithTheSameBytesWritesNothing) {
  AppendRows({"one", "two", "three"});
  uint32_t used = store_.buffer.used;
  EXPECT_EQ(Update(1, "two"), 2);
  EXPECT_EQ(store_.buffer.used, used);
}

TEST_F(ItemStoreTest, UpdateThatDoesNotGrowWritesInPlace) {
  AppendRows({"one", "two", "three"});
  uint8_t* row = ItemStoreGet(&store_, 1);
  uint32_t used = store_.buffer.used;
  EXPECT_EQ(Update(1, "TWO"), 0);
  EXPECT_EQ(Update(1, "2"), 0);
  EXPECT_EQ(ItemStoreGet(&store_, 1), row);
  EXPECT_EQ(store_.buffer.used, used);
  EXPECT_EQ(RowTexts(store_), (Texts{"one", "2", "three"}));
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreTest, LongerUpdateMovesTheRowToTheEndOfTheBlockAndKeepsItsPosition) {
  AppendRows({"one", "two", "three"});
  uint32_t oldUsed = store_.buffer.used;
  uint32_t oldLength = RowLength(ItemStoreGet(&store_, 1));
  EXPECT_EQ(Update(1, "twenty-two"), 0);
  EXPECT_EQ(RowTexts(store_), (Texts{"one", "twenty-two", "three"}));
  EXPECT_EQ(store_.index[1], oldUsed - oldLength);
  EXPECT_EQ(store_.buffer.used, oldUsed - oldLength + RowLength(ItemStoreGet(&store_, 1)));
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreTest, LongerUpdateThatCannotBeStoredKeepsTheOldRow) {
  std::string filler(1000, 'f');
  while (store_.buffer.used + 1002 <= 16384) ASSERT_EQ(AppendRow(&store_, filler), 0);
  AppendRows({"short"});
  Texts before = RowTexts(store_);
  uint32_t count = ItemStoreCount(&store_);
  RecordBufferAllocator previous = SetRecordBufferAllocator(RefuseAllocation);
  EXPECT_EQ(Update(1, std::string(2000, 'L')), 1);
  EXPECT_EQ(AppendRow(&store_, filler), 1);
  EXPECT_EQ(Insert(filler, 0), kItemStoreNoPosition);
  SetRecordBufferAllocator(previous);
  EXPECT_EQ(ItemStoreCount(&store_), count);
  EXPECT_EQ(RowTexts(store_), before);
  EXPECT_TRUE(IndexIsValid(store_));
}

TEST_F(ItemStoreTest, RemoveClosesTheGapAndKeepsTheOtherRows) {
  AppendRows({"A", "BB", "CCC", "DDDD"});
  ItemStoreMove(&store_, 3, -1);
  EXPECT_EQ(ItemStoreRemove(&store_, 1), 0);
  EXPECT_EQ(RowTexts(store_), (Texts{"A", "DDDD", "CCC"}));
  EXPECT_EQ(store_.buffer.used, 2u * 3 + 1 + 3 + 4);
  EXPECT_TRUE(IndexIsValid(store_));
  EXPECT_EQ(ItemStoreRemove(&store_, 3), 1);
  EXPECT_EQ(ItemStoreCount(&store_), 3u);
}

TEST_F(ItemStoreTest, RowsRemovedTogetherLeaveTheOthersInListOrderCloselyPacked) {
  AppendRows({"A", "BB", "CCC", "DDDD", "EEEEE"});
  ItemStoreMove(&store_, 4, -1);
  ASSERT_EQ(Update(0, "AAAAAA"), 0) << "moves the row to the end of the block";
  Texts asked;
  const auto evenLength = [](uint8_t* row, void* seen) {
    static_cast<Texts*>(seen)->push_back(RowText(row));
    return RowText(row).size() % 2 == 0;
  };
  EXPECT_EQ(ItemStoreRemoveWhere(&store_, evenLength, &asked), 3u);
  EXPECT_EQ(asked, (Texts{"AAAAAA", "BB", "CCC", "EEEEE", "DDDD"})) << "each row once, in list order";
  EXPECT_EQ(RowTexts(store_), (Texts{"CCC", "EEEEE"}));
  EXPECT_EQ(store_.buffer.used, 2u * 2 + 3 + 5);
  EXPECT_TRUE(IndexIsValid(store_));
  EXPECT_EQ(ItemStoreRemoveWhere(&store_, evenLength, &asked), 0u);
  EXPECT_EQ(RowTexts(store_), (Texts{"CCC", "EEEEE"}));
}

TEST_F(ItemStoreTest, RemovingTheOnlyRowLeavesAnEmptyStore) {
  AppendRows({"only"});
  EXPECT_EQ(ItemStoreRemove(&store_, 0), 0);
  EXPECT_EQ(ItemStoreCount(&store_), 0u);
  EXPECT_EQ(ItemStoreGet(&store_, 0), nullptr);
}

TEST_F(ItemStoreTest, ResetEmptiesTheStoreAndKeepsBlockAndIndex) {
  AppendRows({"A", "B"});
  uint8_t* block = store_.buffer.data;
  uint32_t* index = store_.index;
  EXPECT_EQ(ItemStoreReset(&store_), 0);
  EXPECT_EQ(ItemStoreCount(&store_), 0u);
  EXPECT_EQ(ItemStoreGet(&store_, 0), nullptr);
  AppendRows({"C"});
  EXPECT_EQ(store_.buffer.data, block);
  EXPECT_EQ(store_.index, index);
  EXPECT_EQ(RowTexts(store_), (Texts{"C"}));
}

TEST_F(ItemStoreTest, Row4097GrowsTheIndexAndFreesTheOldArrayThatNoReaderHolds) {
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(AppendRow(&store_, std::to_string(i)), 0);
  EXPECT_EQ(store_.indexCapacity, 4096u);
  ASSERT_EQ(AppendRow(&store_, "4096"), 0);
  EXPECT_EQ(store_.indexCapacity, 8192u);
  EXPECT_EQ(store_.retiredIndex, nullptr);
  for (uint32_t i = 0; i <= 4096; ++i) ASSERT_EQ(RowText(ItemStoreGet(&store_, i)), std::to_string(i));
  EXPECT_TRUE(IndexIsValid(store_));
}

namespace {

HANDLE g_readerHeld;
HANDLE g_readerGoesOn;

// Holds the first reader of another thread right after it fetched the index.
void HoldReader(const ItemStore*) {
  SetItemStoreReadGate(nullptr);
  SetEvent(g_readerHeld);
  WaitForSingleObject(g_readerGoesOn, 30000);
}

}  // namespace

TEST_F(ItemStoreTest, AReplacedIndexIsFreedOnlyWhenNoReaderCanHoldIt) {
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(AppendRow(&store_, std::to_string(i)), 0);
  uint32_t* first = store_.index;
  g_readerHeld = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_readerGoesOn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetItemStoreReadGate(HoldReader);
  const uint8_t* read = nullptr;
  WorkerThread reader([&] { read = ItemStoreGet(&store_, 4095); });
  ASSERT_EQ(WaitForSingleObject(g_readerHeld, 30000), WAIT_OBJECT_0);
  ASSERT_EQ(AppendRow(&store_, "4096"), 0);
  EXPECT_EQ(store_.retiredIndex, first) << "the array a reader holds is kept";
  SetEvent(g_readerGoesOn);
  reader.Join();
  EXPECT_EQ(RowText(read), "4095");
  ASSERT_EQ(ItemStoreReset(&store_), 0);
  EXPECT_EQ(store_.retiredIndex, nullptr) << "freed by the first change that finds no reader";
  CloseHandle(g_readerHeld);
  CloseHandle(g_readerGoesOn);
}

TEST_F(ItemStoreTest, ChangesFailWhenTheMutexIsHeldElsewhere) {
  AppendRows({"A", "B", "C"});
  {
    MutexHeldElsewhere holder(store_.mutex);
    EXPECT_EQ(AppendRow(&store_, "D"), 1);
    EXPECT_EQ(Insert("E", 0), kItemStoreNoPosition);
    EXPECT_EQ(Update(0, "longer row"), 1);
    EXPECT_EQ(ItemStoreRemove(&store_, 0), 1);
    EXPECT_EQ(ItemStoreReset(&store_), 1);
    // Readers take no lock.
    EXPECT_EQ(RowTexts(store_), (Texts{"A", "B", "C"}));
  }
  EXPECT_TRUE(IndexIsValid(store_));
  EXPECT_EQ(AppendRow(&store_, "D"), 0);
  EXPECT_EQ(RowTexts(store_), (Texts{"A", "B", "C", "D"}));
}

// A row the caller hands over that cannot be read faults inside the change; the caller's guard takes the fault
// and lets go of the store's lock with it.
TEST_F(ItemStoreTest, AFaultInsideAChangeLeavesTheStoreToTheNextChange) {
  ExpectCaughtFaults();
  AppendRows({"A"});
  const uint32_t length = static_cast<uint32_t>(MakeRow("A").size());
  EXPECT_TRUE(NextUserAfterCaughtFault([&] { ItemStoreUpdate(&store_, 0, InaccessibleMemory(), length); },
                                       [&] { return AppendRow(&store_, "B") == 0; }));
  EXPECT_EQ(RowTexts(store_), (Texts{"A", "B"}));
}

TEST_F(ItemStoreTest, DestroyClearsTheStore) {
  AppendRows({"A"});
  ItemStoreDestroy(&store_);
  EXPECT_EQ(store_.index, nullptr);
  EXPECT_EQ(store_.mutex, nullptr);
  EXPECT_EQ(store_.buffer.data, nullptr);
  EXPECT_EQ(ItemStoreGet(&store_, 0), nullptr);
}

namespace {

// A self-checking row: its number, and a length and filling that follow from the number.
std::string NumberedRow(uint32_t n) {
  std::string text(reinterpret_cast<const char*>(&n), sizeof n);
  text.append(100 + n % 200, static_cast<char>('a' + n % 26));
  return MakeRow(text);
}

bool RowIsWhole(const uint8_t* row, uint32_t n) {
  return row && RowText(row) == NumberedRow(n).substr(2);
}

}  // namespace

TEST_F(ItemStoreTest, GuiThreadReadingWhileAWorkerAppendsSeesOnlyWholeRows) {
  MainWindowStandIn mainWindow;
  constexpr uint32_t kRows = 20000;
  int failures = 0;
  WorkerThread worker([&] {
    for (uint32_t n = 0; n < kRows; ++n) {
      std::string row = NumberedRow(n);
      if (ItemStoreAppend(&store_, row.data(), static_cast<uint32_t>(row.size())) != 0) ++failures;
    }
  });
  uint32_t brokenRows = 0;
  uint32_t reads = 0;
  ASSERT_TRUE(mainWindow.PumpUntil([&] {
    uint32_t count = ItemStoreCount(&store_);
    for (uint32_t probe = 0; probe < 64 && count > 0; ++probe, ++reads) {
      uint32_t i = count - 1 - (probe * 7919u) % count;
      if (!RowIsWhole(ItemStoreGet(&store_, i), i)) ++brokenRows;
    }
    return worker.Finished();
  }));
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(brokenRows, 0u);
  EXPECT_GT(reads, 0u);
  EXPECT_GE(mainWindow.CallsRun(), 2);
  ASSERT_EQ(ItemStoreCount(&store_), kRows);
  for (uint32_t i = 0; i < kRows; ++i) ASSERT_TRUE(RowIsWhole(ItemStoreGet(&store_, i), i)) << i;
  EXPECT_TRUE(IndexIsValid(store_));
}
