// Copies and exports of many rows of the file list: their cells are made straight from the rows by the file list's
// formatter, on a job's worker, and come out as the cells the list shows; a Stop leaves no part behind.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/files/paths.h"
#include "foundation/ui/clipboard.h"
#include "foundation/ui/ui_seams.h"
#include "list_test_parent.h"
#include "main_window_stand_in.h"
#include "program_state_scope.h"
#include "support/caught_faults.h"
#include "support/temp_folder.h"
#include "ui_seams_scope.h"
#include "views/items_view.h"
#include "views/items_view_layout.h"
#include "views/list_clipboard.h"
#include "views/list_export.h"
#include "views/view_hooks.h"

namespace {

// More cells than are copied in place: 8000 rows of three columns.
constexpr int kRows = 8000;
const UiStringRecord kCaptions[] = {{-1, L"US"}, {50, L"Name"}, {52, L"Size"}, {56, L"Folder"}, {0, nullptr}};

// The row whose cell presses Stop, and the one whose formatting fails; -1 for none.
int g_stopAtRow = -1;
int g_failAtRow = -1;

std::wstring CellOf(const FileListRow* row, int columnId) {
  const std::wstring name = row->currentName;
  if (name == L"f" + std::to_wstring(g_stopAtRow) + L".txt") RequestJobStop();
  if (name == L"f" + std::to_wstring(g_failAtRow) + L".txt") throw std::runtime_error("formatter failed");
  return columnId == 50 ? name : name + L"#" + std::to_wstring(columnId);
}

void FormatCell(const ItemListControl*, FileListRow* row, int columnId, wchar_t* text, int capacity) {
  CopyWideBounded(CellOf(row, columnId).c_str(), text, capacity);
}

std::wstring g_exportPath;

BOOL WINAPI ChooseHtmlUnicode(OPENFILENAMEW* record) {
  record->lpstrFile[g_exportPath.copy(record->lpstrFile, record->nMaxFile - 1)] = 0;
  record->nFilterIndex = kExportHtmlUnicode;
  return TRUE;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return L"<closed>";
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(block));
    GlobalUnlock(block);
  }
  CloseClipboard();
  return text;
}

class ListRowWalks : public testing::Test {
 protected:
  ListRowWalks() {
    state_.UseTexts(kCaptions);
    // The size column is shown first.
    list_ = parent_.CreateList(1, 0, {{50, 60, 1, 0}, {52, 60, 0, 1}, {56, 60, 2, 0}});
    list_->rows.buffer.growHere = 1;
    for (int i = 0; i < kRows; ++i) {
      FileListRow row = MakeFileRow((L"f" + std::to_wstring(i) + L".txt").c_str(), L"");
      ItemStoreAppend(&list_->rows, &row, row.length);
    }
    ItemsViewLayout(list_, false);
    parent_.cellText = [this](int row, int subItem) {
      const auto* file = reinterpret_cast<const FileListRow*>(GetItemRecord(list_, row));
      return CellOf(file, list_->creation.columns[subItem].id);
    };
    g_stopAtRow = -1;
    g_failAtRow = -1;
  }
  ~ListRowWalks() override { g_viewHooks = saved_; }

  // The file list formats its own cells from here on.
  void MakeItTheFileList() {
    state_->fileList = list_;
    g_viewHooks.fileCellText = FormatCell;
  }
  bool WaitForTheJob() { return stand_in_.PumpUntil([] { return !IsJobBusy(); }); }

  ViewHooks saved_ = g_viewHooks;
  ProgramStateScope state_;
  MainWindowStandIn stand_in_;
  ListTestParent parent_{400, 300};
  ItemListControl* list_;
};

}  // namespace

TEST_F(ListRowWalks, ACopyOfManyFileRowsIsAJobWithTheListsTextAndAStoppedOrFailedOneLeavesNoPart) {
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"QvrxTestClipboardTurn");
  ASSERT_NE(WaitForSingleObject(turn, 60000), static_cast<DWORD>(WAIT_TIMEOUT));
  ItemsViewSelectItems(list_, -1, 1);
  CopySelectedRowsToClipboard(parent_.Window(), list_, true);
  const std::wstring asked = ClipboardText(parent_.Window());
  ASSERT_EQ(asked.substr(0, 19), L"Size\tName\tFolder\r\nf");
  MakeItTheFileList();
  SetClipboardText(parent_.Window(), L"before");
  CopySelectedRowsToClipboard(parent_.Window(), list_, true);
  EXPECT_TRUE(IsJobBusy()) << "many rows are copied by a job";
  ASSERT_TRUE(WaitForTheJob());
  EXPECT_TRUE(ClipboardText(parent_.Window()) == asked) << "the text the list shows";

  SetClipboardText(parent_.Window(), L"before");
  g_stopAtRow = kRows / 2;
  CopySelectedRowsToClipboard(parent_.Window(), list_, true);
  ASSERT_TRUE(WaitForTheJob());
  EXPECT_TRUE(ClipboardText(parent_.Window()) == L"before") << "a stopped copy leaves the clipboard";

  g_stopAtRow = -1;
  g_failAtRow = kRows - 1;
  ExpectCaughtFaults();
  CopySelectedRowsToClipboard(parent_.Window(), list_, true);
  ASSERT_TRUE(WaitForTheJob());
  EXPECT_TRUE(ClipboardText(parent_.Window()).empty()) << "a cell that failed leaves no text that passes for whole";
  ReleaseMutex(turn);
  CloseHandle(turn);
}

TEST_F(ListRowWalks, AnExportOfManyFileRowsIsAJobWritingTheListsBytesAndAStoppedOneLeavesNoFile) {
  UiSeamsScope seams;
  TempFolder temp;
  g_uiSeams.getSaveFileNameW = ChooseHtmlUnicode;
  wchar_t path[kPathCapacity] = {};
  int32_t form = 0;
  g_exportPath = temp / L"asked.htm";
  SaveListAsTextOrHtml(parent_.Window(), list_->window, path, &form);
  const std::string asked = ReadWholeFile(g_exportPath);
  ASSERT_GT(asked.size(), static_cast<size_t>(kRows) * 100);
  MakeItTheFileList();
  g_exportPath = temp / L"made.htm";
  SaveListAsTextOrHtml(parent_.Window(), list_->window, path, &form);
  EXPECT_TRUE(IsJobBusy()) << "many rows are exported by a job";
  ASSERT_TRUE(WaitForTheJob());
  EXPECT_TRUE(ReadWholeFile(g_exportPath) == asked) << "the bytes of the list as it shows";

  g_stopAtRow = kRows / 2;
  g_exportPath = temp / L"stopped.htm";
  SaveListAsTextOrHtml(parent_.Window(), list_->window, path, &form);
  ASSERT_TRUE(WaitForTheJob());
  EXPECT_FALSE(PathExists(g_exportPath)) << "no part of the list passes for all of it";
}
