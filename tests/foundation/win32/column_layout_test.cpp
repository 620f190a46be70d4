// Column tables and the header controls filled from them: queries, width resolution, reading back, sort marks.
#include "foundation/win32/column_layout.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "foundation/ui/header_columns.h"
#include "support/test_window.h"

namespace {

constexpr ColumnLayout kEnd = {0, 0, 0, 0};

HDITEMW HeaderItem(HWND header, int index) {
  HDITEMW item = {};
  item.mask = HDI_WIDTH | HDI_ORDER | HDI_LPARAM | HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
  return item;
}

// A header on a 600-pixel-wide parent.
class HeaderColumns : public testing::Test {
 protected:
  HeaderColumns()
      : parent_(CreateTestPopup(0, 0, 600, 200)),
        header_(CreateWindowExW(0, WC_HEADERW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 600, 20, parent_, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {}
  OwnedWindow parent_;
  HWND header_;
};

}  // namespace

TEST(ColumnLayoutQueries, OrdersWidthsAndPositions) {
  // Name (100) is shown second, size (50) first, type hidden, folder (70) third.
  ColumnLayout table[] = {{50, 100, 1, 0}, {52, 50, 0, 1}, {55, 80, -1, 0}, {56, 70, 2, 0}, kEnd};
  EXPECT_EQ(ColumnLayoutCount(table), 4);
  EXPECT_EQ(ColumnLayoutVisibleCount(table), 3);
  EXPECT_EQ(ColumnLayoutTotalWidth(table), 220);
  EXPECT_EQ(ColumnLayoutFirstColumnOffset(table), 50);
  EXPECT_EQ(ColumnLayoutNthVisibleId(table, 2), 56);
  EXPECT_EQ(ColumnLayoutNthVisibleId(table, 3), -1);
  EXPECT_EQ(ColumnLayoutDisplayPosition(table, 56), 2);
  EXPECT_EQ(ColumnLayoutDisplayPosition(table, 55), -1);
  int index = -1;
  EXPECT_EQ(ColumnLayoutFindByOrder(table, 2, &index), &table[3]);
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(HasColumnOrderGap(table));
  EXPECT_FALSE(ColumnLayoutIsHeapOwned(table));

  ColumnLayout gap[] = {{50, 10, 0, 0}, {51, 10, 2, 0}, {52, 10, 3, 0}, {0, 1, 0, 0}};
  EXPECT_TRUE(HasColumnOrderGap(gap));
  EXPECT_TRUE(ColumnLayoutIsHeapOwned(gap));
  EXPECT_EQ(ColumnLayoutTotalWidth(nullptr), 0);
  EXPECT_EQ(ColumnLayoutNthVisible(static_cast<const ColumnLayout*>(nullptr), 0), nullptr);
}

TEST(ColumnLayoutQueries, ComparisonRenumberingAndVisibleIndexes) {
  ColumnLayout base[] = {{50, 100, 0, 0}, {52, 50, 1, 1}, {55, 80, -1, 0}, kEnd};
  struct Case {
    const char* what;
    std::vector<ColumnLayout> other;
    int result;
  };
  const Case cases[] = {
      {"the same columns in another table order", {{52, 70, 1, 1}, {50, 100, 0, 0}, kEnd}, 0},
      {"another number of shown columns", {{50, 100, 0, 0}, kEnd}, 1},
      {"the other table lacks a column", {{50, 100, 0, 0}, {53, 50, 1, 1}, kEnd}, 3},
      {"a column moved", {{50, 100, 1, 0}, {52, 50, 0, 1}, kEnd}, 4},
      {"a column aligned otherwise", {{50, 100, 0, 0}, {52, 50, 1, 0}, kEnd}, 4},
  };
  for (const Case& c : cases) EXPECT_EQ(CompareColumnLayouts(base, c.other.data()), c.result) << c.what;
  ColumnLayout gap[] = {{50, 10, 0, 0}, {51, 10, 2, 0}, {52, 10, -1, 0}, {53, 10, 3, 0}, kEnd};
  EXPECT_EQ(CompareColumnLayouts(gap, base), 1);
  EXPECT_EQ(CompareColumnLayouts(base, nullptr), 1);
  ColumnLayout noFirst[] = {{50, 10, 1, 0}, {52, 10, 2, 1}, kEnd};
  EXPECT_EQ(CompareColumnLayouts(noFirst, base), 2) << "no column has order 0";

  // Shown at positions 0, 1, 2 in the order 0, 2, 3: the order array follows, and renumbering closes the gap.
  int order[3] = {};
  EXPECT_EQ(ColumnLayoutOrderArray(gap, order, 3), 3);
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{0, 1, 2}));
  RenumberColumnOrders(gap);
  EXPECT_EQ(gap[1].order, 1);
  EXPECT_EQ(gap[2].order, -1);
  EXPECT_EQ(gap[3].order, 2);
  EXPECT_FALSE(HasColumnOrderGap(gap));
  EXPECT_EQ(ColumnLayoutVisibleIndexOf(gap, 3), 2);
  EXPECT_EQ(ColumnLayoutVisibleIndexOf(gap, 2), -1);
  EXPECT_EQ(ColumnLayoutVisibleIndexOf(gap, 4), -1);
}

TEST_F(HeaderColumns, NegativeWidthsAreResolvedAndOrdersApplied) {
  ColumnLayout table[] = {{50, 100, 2, 1}, {51, -2, 0, 0}, {52, 40, -1, 0}, {53, -1, 1, 0}, kEnd};
  ASSERT_EQ(HeaderInsertColumns(header_, table), 3);
  int half = std::max(100, (600 - GetSystemMetrics(SM_CXVSCROLL)) / 2);
  EXPECT_EQ(table[1].width, half);
  EXPECT_EQ(table[3].width, std::max(100, 600 - 100 - half));
  HDITEMW name = HeaderItem(header_, 0);
  EXPECT_EQ(name.lParam, 50);
  EXPECT_EQ(name.iOrder, 2);
  EXPECT_EQ(name.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);
  EXPECT_EQ(HeaderItem(header_, 2).lParam, 53);

  // A column dragged to the front and widened is read back into the table.
  int order[] = {0, 1, 2};
  SendMessageW(header_, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
  HeaderSetItemWidth(header_, 0, 130);
  EXPECT_EQ(ReadHeaderColumnLayout(header_, table), 3);
  EXPECT_EQ(table[0].order, 0);
  EXPECT_EQ(table[0].width, 130);
  EXPECT_EQ(ReadHeaderColumnLayout(header_, table), 0);
  EXPECT_EQ(HeaderResetColumns(header_, table), 3);
}

TEST_F(HeaderColumns, SortMarkInThemedAndBitmapForm) {
  ColumnLayout table[] = {{50, 100, 0, 0}, {51, 100, 1, 0}, kEnd};
  HeaderInsertColumns(header_, table);
  SortArrowHolder themed = {0, 1, nullptr, nullptr};
  SetHeaderSortArrowForColumns(&themed, header_, 51, 2, true, table);
  EXPECT_EQ(HeaderItem(header_, 1).fmt & (HDF_SORTDOWN | HDF_SORTUP), HDF_SORTDOWN);
  EXPECT_EQ(HeaderItem(header_, 0).fmt & (HDF_SORTDOWN | HDF_SORTUP), 0);

  SortArrowHolder bitmaps = {0, 0, nullptr, nullptr};
  SetHeaderSortArrowForColumns(&bitmaps, header_, 50, 1, false, table);
  EXPECT_EQ(HeaderItem(header_, 0).fmt & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
  EXPECT_EQ(HeaderItem(header_, 1).fmt & (HDF_SORTDOWN | HDF_BITMAP), 0);
  EXPECT_NE(bitmaps.ascending, nullptr);
  SetHeaderSortBitmapForColumns(&bitmaps, header_, 50, 0, true, table);
  EXPECT_EQ(HeaderItem(header_, 0).fmt & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP);
  DeleteObject(bitmaps.ascending);
  DeleteObject(bitmaps.descending);
}
