// Rows of the list control: deleting one, many together and all (rows and their data go together), records,
// statistics, the style flags from the option word, and sorting with the header's sort mark.
#include "views/items_view_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "list_test_parent.h"
#include "main_window_stand_in.h"
#include "ui_text_scope.h"
#include "views/items_view.h"
#include "views/items_view_sort.h"
#include "views/items_view_state.h"
#include "views/items_view_window.h"
#include "views/list_operations.h"

namespace {

const UiStringRecord kNoTexts[] = {{-1, L"US"}, {0, nullptr}};

volatile LONG g_rowsFreed = 0;
void CountFreedRow(uint8_t*) { InterlockedIncrement(&g_rowsFreed); }

// Rows of 8 bytes whose u32 at offset 4 is the sort value; key 0 sorts by it, key 1 by its complement.
std::vector<uint8_t> ValueRow(uint32_t value) {
  std::vector<uint8_t> row = MakePlainRow(8);
  memcpy(row.data() + 4, &value, sizeof value);
  return row;
}

uint32_t ValueOf(const ItemListControl* list, int index) {
  uint32_t value;
  memcpy(&value, GetItemRecord(list, index) + 4, sizeof value);
  return value;
}

void ValueKey(SortKeyRequest* request, const uint8_t* row) {
  if (!row) return;
  request->valueType = kSortValueU32;
  request->nextKeyId = -1;
  if (request->keyId == 1) {
    uint32_t complement = ~0u;
    uint32_t value;
    memcpy(&value, row + 4, sizeof value);
    complement -= value;
    memcpy(request->space, &complement, sizeof complement);
    request->value = request->space;
  } else {
    request->value = row + 4;
  }
}

const uint16_t kSortTable[] = {50, 0, 50, 1, 51, 2, 0};

class ListRows : public testing::Test {
 protected:
  UiTextScope state_{kNoTexts};
  ListTestParent parent_{400, 300};
};

// A listing worker's way of adding rows: each file is appended and announced on its own.
void AddRowsOnAWorker(ItemListControl* list, int count) {
  std::thread worker([&] {
    for (int i = 0; i < count; ++i) {
      FileListRow row = MakeFileRow(L"listed.txt", L"");
      ItemStoreAppend(&list->rows, &row, row.length);
      RefreshFileListRowCount(list);
    }
  });
  worker.join();
}

// The messages waiting for the list's window, taken from the queue and handled; timers aside.
int HandleWaitingMessages(HWND window) {
  int waiting = 0;
  MSG message;
  while (PeekMessageW(&message, window, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
    if (message.message != WM_TIMER) ++waiting;
    DispatchMessageW(&message);
  }
  return waiting;
}

int VerticalRange(HWND window) {
  SCROLLINFO bar = {};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_RANGE;
  GetScrollInfo(window, SB_VERT, &bar);
  return bar.nMax + 1;
}

int HeaderFormat(HWND header, int item) {
  HDITEMW format = {};
  format.mask = HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, item, reinterpret_cast<LPARAM>(&format));
  return format.fmt;
}

}  // namespace

TEST_F(ListRows, DeletingTheFocusedRowPassesTheFocusOn) {
  ItemListControl* list = parent_.CreateList(1, 0, {{50, 150, 0, 0}});
  AppendFileRows(list, 10);
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 5);
  ASSERT_TRUE(SendMessageW(list->window, LVM_DELETEITEM, 5, 0));
  EXPECT_EQ(SendMessageW(list->window, LVM_GETITEMCOUNT, 0, 0), 9);
  EXPECT_EQ(list->focusedIndex, 5);
  EXPECT_EQ(GetItemState(list, 5, kRowFocused | kRowSelected), 3u);
  EXPECT_EQ(std::wstring(reinterpret_cast<FileListRow*>(GetItemRecord(list, 5))->currentName), L"file6.txt");

  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 8);
  ItemsViewDeleteItem(list, 8, false);
  EXPECT_EQ(list->focusedIndex, -1);
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 5);
  ItemsViewDeleteItem(list, 2, false);
  EXPECT_EQ(list->focusedIndex, 4);
}

TEST_F(ListRows, RowsDeletedTogetherLoseTheirDataAndTheFocusStaysWithItsRow) {
  ItemListControl* list = parent_.CreateList(1, 0, {{50, 150, 0, 0}}, kFileListId, CountFreedRow);
  AppendFileRows(list, 10);
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 7);
  g_rowsFreed = 0;
  const auto evenNumber = [](uint8_t* row, void*) {
    const std::wstring name = reinterpret_cast<FileListRow*>(row)->currentName;
    return (name[name.size() - 5] - L'0') % 2 == 0;
  };
  ASSERT_EQ(ItemsViewDeleteRowsWhere(list, evenNumber, nullptr), 0);
  EXPECT_EQ(g_rowsFreed, 5);
  EXPECT_EQ(SendMessageW(list->window, LVM_GETITEMCOUNT, 0, 0), 5);
  EXPECT_EQ(std::wstring(reinterpret_cast<FileListRow*>(GetItemRecord(list, 3))->currentName), L"file7.txt");
  EXPECT_EQ(list->focusedIndex, 3);
  {
    MutexHeldElsewhere held(list->rows.mutex);
    EXPECT_EQ(ItemsViewDeleteRowsWhere(list, [](uint8_t*, void*) { return true; }, nullptr), 1);
  }
  EXPECT_EQ(g_rowsFreed, 5) << "rows that stay keep their data";
}

TEST_F(ListRows, AWorkersChangesLeaveOneNoticeWaitingAndItsLastChangeIsLaidOut) {
  ItemListControl* list = parent_.CreateList(1, 0, {{50, 150, 0, 0}});
  HandleWaitingMessages(list->window);
  AddRowsOnAWorker(list, 1000);
  EXPECT_LE(HandleWaitingMessages(list->window), 1) << "commands posted meanwhile would wait behind the rest";
  EXPECT_EQ(VerticalRange(list->window), 1000);
  AddRowsOnAWorker(list, 5);
  EXPECT_TRUE(parent_.PumpUntil([&] { return VerticalRange(list->window) == 1005; }))
      << "a change made while the notices rest is laid out after the rest";
}

TEST_F(ListRows, RowDataIsFreedOnlyTogetherWithTheRows) {
  ItemListControl* list = parent_.CreateList(5, kListCheckBoxes, {{5580, 150, 0, 0}}, kChainListId, CountFreedRow);
  AppendPlainRows(list, 6);
  g_rowsFreed = 0;
  {
    MutexHeldElsewhere held(list->rows.mutex);
    EXPECT_EQ(ItemsViewDeleteItem(list, -1, false), 1);
    EXPECT_EQ(ItemsViewDeleteItem(list, 0, false), 1);
  }
  EXPECT_EQ(g_rowsFreed, 0);
  EXPECT_EQ(ItemStoreCount(&list->rows), 6u);

  EXPECT_EQ(ItemsViewDeleteItem(list, 0, false), 0);
  EXPECT_EQ(g_rowsFreed, 1);
  EXPECT_EQ(ItemsViewDeleteItem(list, -1, false), 0);
  EXPECT_EQ(g_rowsFreed, 6);
  EXPECT_EQ(SendMessageW(list->window, LVM_GETITEMCOUNT, 0, 0), 0);
}

DWORD WINAPI WaitForEvent(void* event) { return WaitForSingleObject(event, 30000); }

TEST_F(ListRows, ADestroyedListIsFreedOnceNoJobThreadCanReadIt) {
  HANDLE jobGoesOn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (bool jobRuns : {false, true}) {
    ItemListControl* list = parent_.CreateList(5, 0, {{5580, 150, 0, 0}}, kChainListId, CountFreedRow);
    AppendPlainRows(list, 3);
    g_rowsFreed = 0;
    HANDLE job = jobRuns ? StartJobThread(WaitForEvent, jobGoesOn) : nullptr;
    DestroyWindow(list->window);
    EXPECT_EQ(g_rowsFreed, jobRuns ? 0 : 3) << "job thread running: " << jobRuns;
    if (job == nullptr) continue;
    SetEvent(jobGoesOn);
    ASSERT_TRUE(StopJobsAndWait(30000));
    EXPECT_EQ(g_rowsFreed, 3);
    CloseHandle(job);
  }
  CloseHandle(jobGoesOn);
}

TEST_F(ListRows, RecordsAreCopiedAndCounted) {
  ItemListControl* list = parent_.CreateList(1, 0, {{50, 150, 0, 0}});
  FileListRow rows[] = {MakeFileRow(L"a.txt", L"a.txt", kUnknownFileSize), MakeFileRow(L"b.txt", L"b.txt", 10),
                        MakeFileRow(L"sub", L"sub", 0, 0x10), MakeFileRow(L"c.txt", L"c.txt", 7)};
  for (FileListRow& row : rows) ItemsViewInsertRecord(list, &row, -1, row.currentName);
  for (int i = 0; i < 3; ++i) ItemsViewSetItemState(list, i, kRowSelected, kRowSelected);
  CountSelectedItems(list);
  EXPECT_EQ(g_app->selectionStatistics.files, 2u);
  EXPECT_EQ(g_app->selectionStatistics.bytes, 10u);
  EXPECT_EQ(g_app->selectionStatistics.folders, 1u);
  CountListedItems(list);
  EXPECT_EQ(g_app->listingStatistics.files, 3u);
  EXPECT_EQ(g_app->listingStatistics.bytes, 17u);
  EXPECT_EQ(CountSelectedRows(list), 3u);

  uint8_t small[10];
  EXPECT_EQ(CopyItemRecord(list, 1, small, sizeof small), 1);
  EXPECT_EQ(memcmp(small, GetItemRecord(list, 1), sizeof small), 0);
  EXPECT_EQ(CopyItemRecord(list, 9, small, sizeof small), 0);
  EXPECT_EQ(small[0] | small[9], 0);

  // Inserting before the focused row keeps the focus on it.
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 2);
  FileListRow first = MakeFileRow(L"0.txt", L"0.txt");
  EXPECT_EQ(ItemsViewInsertRecord(list, &first, 0, first.currentName), 0);
  EXPECT_EQ(list->focusedIndex, 3);
  EXPECT_GT(list->widestText[0], 0);
}

TEST_F(ListRows, AWorkersRowIsMeasuredOnlyByTheListsThread) {
  ItemListControl* list = parent_.CreateList(2, 0, {{50, 150, 0, 0}});
  const uint16_t before = list->widestText[0];
  FileListRow row = MakeFileRow(std::wstring(200, L'W').c_str(), L"");
  std::thread worker([&] { ItemsViewInsertRecord(list, &row, -1, row.currentName); });
  worker.join();
  EXPECT_EQ(list->widestText[0], before) << "the cell widths are the list's thread's alone";
}

TEST_F(ListRows, StyleFlagsFollowTheOptionWord) {
  struct Case {
    uint32_t options;
    uint32_t style;
  };
  for (Case c : {Case{32, 0x430}, Case{0, 0x410}, Case{0x80000, 0x10}, Case{0x100040, 0x413}, Case{0x80, 0xC58},
                 Case{0x200000, 0x4000410}}) {
    EXPECT_EQ(GetListControlStyle(c.options), c.style) << c.options;
  }
  ItemListControl* files = parent_.CreateList(0x201, GetListControlStyle(32), {{50, 150, 0, 0}});
  ItemListControl* chain = parent_.CreateList(5, GetListControlStyle(32) | 0x1004, {{5580, 150, 0, 0}}, kChainListId);
  EXPECT_EQ(SendMessageW(files->window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x430);
  EXPECT_EQ(SendMessageW(chain->window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x1434);
  EXPECT_EQ(SendMessageW(chain->window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0x400, 0), 0x1434);
  EXPECT_EQ(chain->creation.styleFlags, 0x1034u);
  EXPECT_EQ(chain->tooltip, nullptr);
}

TEST_F(ListRows, SortingKeepsTheFocusAndMarksTheHeader) {
  ItemListControl* list =
      parent_.CreateList(1, 0, {{50, 200, 0, 0}, {51, 100, 1, 0}}, kFileListId, nullptr, kSortTable, ValueKey);
  ASSERT_NE(list->header, nullptr);
  EXPECT_EQ(list->splitColumn, 50);
  for (uint32_t value : {30u, 10u, 20u}) {
    std::vector<uint8_t> row = ValueRow(value);
    ItemStoreAppend(&list->rows, row.data(), 8);
  }
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 0);

  ItemsViewSort(list, nullptr);
  EXPECT_EQ(ValueOf(list, 0), 10u);
  EXPECT_EQ(list->focusedIndex, 2);
  EXPECT_EQ(parent_.Last(LVN_ITEMCHANGED)->item, 2);
  EXPECT_EQ(HeaderFormat(list->header, 0) & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP);

  // The left half of the split column sorts by its first key (again: the other way), the right half by the second.
  ItemsViewSetSortColumn(list, 0, 50, nullptr);
  EXPECT_EQ(list->sortDirection, 1);
  EXPECT_EQ(ValueOf(list, 0), 30u);
  ItemsViewSetSortColumn(list, 0, 150, nullptr);
  EXPECT_EQ(list->sortKey, 1);
  EXPECT_EQ(ValueOf(list, 0), 10u);
  EXPECT_EQ(HeaderFormat(list->header, 0) & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
  ItemsViewSetSortColumn(list, 0, 150, nullptr);
  EXPECT_EQ(list->sortDirection, 0);
  EXPECT_EQ(ValueOf(list, 0), 30u);

  ItemsViewSetSortColumn(list, 1, 0, nullptr);
  EXPECT_EQ(list->sortKey, 2);
  EXPECT_EQ(HeaderFormat(list->header, 0) & (HDF_BITMAP | HDF_SORTUP | HDF_SORTDOWN), 0);
  EXPECT_NE(HeaderFormat(list->header, 1) & (HDF_SORTUP | HDF_BITMAP), 0);
  EXPECT_EQ(ValueOf(list, 0), 10u);
}

TEST_F(ListRows, AWorkersSortDoesNotWaitForTheListsThreadToMarkTheHeader) {
  MainWindowStandIn gui;
  ItemListControl* list =
      parent_.CreateList(1, 0, {{50, 200, 0, 0}, {51, 100, 1, 0}}, kFileListId, nullptr, kSortTable, ValueKey);
  ASSERT_NE(list->header, nullptr);
  // Already in the order of the second column's key: no row moves, so only the header is left to mark.
  for (uint32_t value : {10u, 20u, 30u}) {
    std::vector<uint8_t> row = ValueRow(value);
    ItemStoreAppend(&list->rows, row.data(), 8);
  }
  list->sortKey = 2;
  constexpr int kMarks = HDF_SORTUP | HDF_SORTDOWN | HDF_BITMAP;
  ASSERT_EQ(HeaderFormat(list->header, 1) & kMarks, 0);
  WorkerThread worker([&] { ItemsViewSort(list, nullptr); });
  // This thread takes nothing the worker might send it: a worker that waits for it never finishes.
  const ULONGLONG end = GetTickCount64() + 30000;
  while (!worker.Finished() && HIWORD(GetQueueStatus(QS_SENDMESSAGE)) == 0 && GetTickCount64() < end) Sleep(1);
  EXPECT_TRUE(worker.Finished());
  EXPECT_TRUE(gui.PumpUntil([&] { return worker.Finished() && (HeaderFormat(list->header, 1) & kMarks) != 0; }));
}

namespace {

struct ListState {
  int focused;
  uint32_t rowCount;
  int changeNotices;
  uint32_t selected;
  bool operator==(const ListState&) const = default;
};

ListState StateOf(const ItemListControl* list, const ListTestParent& parent) {
  return {list->focusedIndex, list->rowCount, parent.Count(LVN_ITEMCHANGED), CountSelectedRows(list)};
}

std::ostream& operator<<(std::ostream& out, const ListState& s) {
  return out << "focus " << s.focused << ", rows " << s.rowCount << ", notices " << s.changeNotices << ", selected "
             << s.selected;
}

}  // namespace

TEST_F(ListRows, AListingsWorkerLeavesTheListsStateToTheListsThread) {
  MainWindowStandIn gui;
  const struct {
    const char* work;
    void (*run)(ItemListControl*);
    ListState after;
  } cases[] = {
      {"sort", [](ItemListControl* list) { SortFileListRows(list, nullptr); }, {0, 3, 1, 1}},
      {"empty", [](ItemListControl* list) { EmptyFileList(list); }, {-1, 0, 0, 0}},
      {"select the first row", SelectFirstFileRow, {1, 3, 1, 2}},
  };
  for (const auto& c : cases) {
    ItemListControl* list =
        parent_.CreateList(1, 0, {{50, 200, 0, 0}}, kFileListId, nullptr, kSortTable, ValueKey);
    for (uint32_t value : {30u, 10u, 20u}) {
      std::vector<uint8_t> row = ValueRow(value);
      ItemsViewInsertRecord(list, row.data(), -1, nullptr);
    }
    SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 1);
    parent_.ClearEvents();
    const ListState before = StateOf(list, parent_);
    ASSERT_EQ(before, (ListState{1, 3, 0, 1}));
    WorkerThread worker([&] { c.run(list); });
    // Until this thread takes what the worker hands over, the worker has changed none of the list's state.
    const ULONGLONG end = GetTickCount64() + 30000;
    while (!worker.Finished() && HIWORD(GetQueueStatus(QS_SENDMESSAGE)) == 0 && GetTickCount64() < end) Sleep(1);
    EXPECT_EQ(StateOf(list, parent_), before) << c.work;
    ASSERT_TRUE(gui.PumpUntil([&] { return worker.Finished(); }));
    EXPECT_EQ(StateOf(list, parent_), c.after) << c.work;
  }
}
