// List-view wrappers against a system list view: column widths and layouts, and sorting by a column's texts.
#include "foundation/win32/list_views.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/win32/column_layout.h"
#include "foundation/win32/window_placement.h"
#include "support/test_window.h"

namespace {

using Texts = std::vector<std::wstring>;

// A report list view 400 pixels wide (client area) in a hidden popup.
class ListViews : public testing::Test {
 protected:
  ListViews() : parent_(CreateTestPopup(0, 0, 400, 300)) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 300, parent_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  }

  Texts Column(int column) const {
    Texts texts;
    const int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[64];
      ListViewGetItemText(list_, i, column, text, 64);
      texts.push_back(text);
    }
    return texts;
  }
  int Width(int column) const { return static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0)); }

  OwnedWindow parent_;
  HWND list_;
};

}  // namespace

TEST_F(ListViews, ColumnsHaveAMinimumWidth) {
  EXPECT_EQ(ListViewInsertColumn(list_, L"narrow", 0, 30, 0), 0);
  EXPECT_EQ(Width(0), kListViewMinColumnWidth);
  ListViewInsertColumn(list_, L"wide", 1, 120, LVCFMT_RIGHT);
  EXPECT_EQ(ListViewColumnCount(list_), 2);
  ListViewInsertItem(list_, L"x", -1, 0, nullptr, 0);
  ListViewAutoSizeColumn(list_, 0);
  EXPECT_GE(Width(0), ScaleByScreenWidth(kListViewMinColumnWidth)) << "short contents keep the minimum";
}

TEST_F(ListViews, SortingByAColumnComparesItsTextsAndTogglesTheDirection) {
  ListViewInsertColumn(list_, L"a", 0, 100, 0);
  ListViewInsertColumn(list_, L"b", 1, 100, 0);
  const wchar_t* names[] = {L"file9", L"File1", L"file10"};
  const wchar_t* others[] = {L"b", L"c", L"a"};
  for (int i = 0; i < 3; ++i) {
    ListViewInsertItem(list_, names[i], -1, 0, reinterpret_cast<void*>(static_cast<intptr_t>(i + 1)), 0);
    ListViewSetItemText(list_, i, 1, others[i]);
  }
  const int16_t columns[] = {50, 51, 0};
  int current = 0;
  int descending = 1;
  ListViewSortByColumn(list_, 0, &current, &descending, columns, true);
  EXPECT_EQ(Column(0), (Texts{L"File1", L"file10", L"file9"})) << "case ignored, numbers not by value";
  EXPECT_EQ(current, 1);
  ListViewSortByColumn(list_, 0, &current, &descending, columns, true);
  EXPECT_EQ(Column(0), (Texts{L"file9", L"file10", L"File1"}));
  EXPECT_EQ(Column(1), (Texts{L"b", L"a", L"c"})) << "rows move whole";
  ListViewSortByColumn(list_, 1, &current, &descending, columns, false);
  EXPECT_EQ(Column(1), (Texts{L"c", L"b", L"a"})) << "without toggle another column keeps the direction";
  ListViewSortByColumn(list_, 2, &current, &descending, columns, true);
  EXPECT_EQ(current, 2) << "a column the list does not name changes nothing";
}
