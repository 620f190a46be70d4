// Geometry of the list control: parts of rows in the four view modes, hit tests, scrolling and keeping rows in
// view, column widths, icon spacing and the derived line colour.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/core/item_store.h"
#include "list_test_parent.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_window.h"
#include "window_image.h"

namespace {

class ListGeometry : public testing::Test {
 protected:
  ItemListControl* Report(int rows, uint32_t style = 0) {
    ItemListControl* list = parent_.CreateList(1, style, {{50, 150, 0, 0}, {51, 200, 1, 0}, {52, 120, 2, 1}});
    AppendPlainRows(list, rows);
    return list;
  }

  static void SetClientSize(ItemListControl* list, int width, int height) {
    RECT frame;
    RECT client;
    GetWindowRect(list->window, &frame);
    GetClientRect(list->window, &client);
    MoveWindow(list->window, 0, 0, width + (frame.right - frame.left) - client.right,
               height + (frame.bottom - frame.top) - client.bottom, TRUE);
  }

  static int RangeOf(HWND window, int bar) {
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    GetScrollInfo(window, bar, &info);
    return info.nMax - info.nMin + 1 > static_cast<int>(info.nPage) ? info.nMax : 0;
  }

  ListTestParent parent_{500, 300};
};

// System list views created on this thread while a count runs.
int g_listViewsCreated = 0;

LRESULT CALLBACK CountListViews(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
    if (!IS_INTRESOURCE(create->lpcs->lpszClass) && lstrcmpiW(create->lpcs->lpszClass, WC_LISTVIEWW) == 0) {
      ++g_listViewsCreated;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(ListGeometry, RowMetricsAreMeasuredOnceForAFontAndAnIconSize) {
  ItemListControl* first = Report(3);
  HIMAGELIST icons = ImageList_Create(24, 24, ILC_COLOR32, 1, 1);
  g_listViewsCreated = 0;
  HHOOK hook = SetWindowsHookExW(WH_CBT, CountListViews, nullptr, GetCurrentThreadId());
  ItemListControl* second = Report(3);
  ItemsViewMeasureMetrics(first);
  ItemsViewMeasureMetrics(second);
  const int sameFontAndIcons = g_listViewsCreated;
  SendMessageW(second->window, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
  ItemsViewMeasureMetrics(second);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(sameFontAndIcons, 0) << "a second list and a second layout measure nothing again";
  EXPECT_EQ(g_listViewsCreated, 1) << "other icons are measured";
  EXPECT_EQ(second->rowHeight, std::max<int>(first->rowHeight, 25));
  SendMessageW(second->window, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  ImageList_Destroy(icons);
}

TEST_F(ListGeometry, AListWithIconsMeasuresItsFontWithoutIconsInTheSameProbe) {
  HIMAGELIST icons = ImageList_Create(24, 24, ILC_COLOR32, 1, 1);
  HFONT font = CreateFontW(-29, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  ItemListControl* withIcons = Report(3);
  ItemListControl* bare = Report(3);
  SendMessageW(withIcons->window, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
  g_listViewsCreated = 0;
  HHOOK hook = SetWindowsHookExW(WH_CBT, CountListViews, nullptr, GetCurrentThreadId());
  SendMessageW(withIcons->window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(bare->window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(g_listViewsCreated, 1);
  EXPECT_GT(bare->rowHeight, 29);
  EXPECT_GE(withIcons->rowHeight, bare->rowHeight);
  SendMessageW(withIcons->window, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  ImageList_Destroy(icons);
  DestroyWindow(withIcons->window);
  DestroyWindow(bare->window);
  DeleteObject(font);
}

TEST_F(ListGeometry, AListNotYetSizedIsMeasuredOnlyForTheFontItHasWhenSized) {
  ColumnLayout columns[] = {{50, 150, 0, 0}, {0, 0, 0, 0}};
  HFONT fonts[] = {CreateFontW(-31, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"),
                   CreateFontW(-33, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma")};
  g_listViewsCreated = 0;
  HHOOK hook = SetWindowsHookExW(WH_CBT, CountListViews, nullptr, GetCurrentThreadId());
  ItemListControl* list =
      CreateItemsViewWindow(parent_.Window(), 1, 0, 7, columns, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(list, nullptr);
  for (HFONT font : fonts) SendMessageW(list->window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const int beforeSize = g_listViewsCreated;
  MoveWindow(list->window, 0, 0, 300, 200, TRUE);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(beforeSize, 0) << "neither the font of its creation nor one it dropped is measured";
  EXPECT_EQ(g_listViewsCreated, 1) << "its first size measures the font it keeps";
  EXPECT_GT(list->rowHeight, 33);
  DestroyWindow(list->window);
  for (HFONT font : fonts) DeleteObject(font);
}

TEST_F(ListGeometry, AListAsksItsParentForALayoutOnlyWhenTheParentIsShown) {
  ColumnLayout columns[] = {{50, 150, 0, 0}, {0, 0, 0, 0}};
  HWND parent = parent_.Window();
  auto createdAsksForLayout = [&] {
    MSG message;
    while (PeekMessageW(&message, parent, WM_SIZE, WM_SIZE, PM_REMOVE)) {
    }
    ItemListControl* list = CreateItemsViewWindow(parent, 1, 0, 7, columns, nullptr, nullptr, nullptr, nullptr);
    const bool asked = PeekMessageW(&message, parent, WM_SIZE, WM_SIZE, PM_REMOVE) != 0;
    if (list != nullptr) DestroyWindow(list->window);
    return asked;
  };
  EXPECT_FALSE(createdAsksForLayout()) << "a hidden parent is laid out when it is shown";
  ShowWindow(parent, SW_SHOWNA);
  EXPECT_TRUE(createdAsksForLayout()) << "a list added to a shown parent is laid out at once";
  ShowWindow(parent, SW_HIDE);
}

TEST_F(ListGeometry, ReportPartsFollowTheMainColumnWhereverItIsShown) {
  ItemListControl* list = parent_.CreateList(1, kListCheckBoxes, {{50, 150, 1, 0}, {51, 100, 0, 0}});
  AppendPlainRows(list, 3);
  SendMessageW(list->window, LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1)));
  int gap = list->gap;
  int top = list->headerHeight + 2 * list->rowHeight;
  RECT part;
  ASSERT_EQ(GetItemPartRect(list, 2, kPartWhole, &part), 1);
  EXPECT_EQ(part.top, top);
  EXPECT_EQ(part.right - part.left, 250);
  ASSERT_EQ(GetItemPartRect(list, 2, kPartCheckBox, &part), 1);
  EXPECT_EQ(part.left, 100 + gap);
  ASSERT_EQ(GetItemPartRect(list, 2, kPartIcon, &part), 1);
  EXPECT_EQ(part.left, 100 + gap + gap + kCheckBoxSize);
  EXPECT_EQ(part.top, top + (list->rowHeight - 16) / 2);
  ASSERT_EQ(GetItemPartRect(list, 2, kPartLabel, &part), 1);
  EXPECT_EQ(part.left, 100 + gap + kCheckBoxSize + 16 + gap);
  EXPECT_EQ(part.right, 250);
  EXPECT_EQ(GetItemPartRect(list, 3, kPartWhole, &part), 0);
}

TEST_F(ListGeometry, EveryViewModeHitsTheRowItDraws) {
  struct Case {
    uint32_t mode;
    int whole;  // GetItemPartRect of a cell the bottom cuts: whole part, then label part
    int label;
  };
  for (Case mode : {Case{0, 0, 0}, Case{1, 1, 1}, Case{2, 0, 1}, Case{3, 2, 2}}) {
    SCOPED_TRACE(mode.mode);
    ItemListControl* list = parent_.CreateList(mode.mode, 0, {{50, 90, 0, 0}, {51, 60, 1, 0}});
    AppendPlainRows(list, 200);
    int shown = 0;
    for (int i = 0; i < 200; ++i) {
      RECT cell;
      if (!GetItemPartRect(list, i, kPartLabel, &cell)) break;
      POINT centre = {(cell.left + cell.right) / 2,
                      (cell.top + std::min<LONG>(cell.bottom, RowsArea(list).bottom)) / 2};
      EXPECT_EQ(ItemsViewItemFromPoint(list, centre), i);
      ++shown;
    }
    EXPECT_GT(shown, 1);
    if (mode.mode != kViewColumnMajor) {
      // The first row of cells the bottom edge cuts.
      int cut = static_cast<int>(list->rowsPerPage * list->itemsPerRow);
      RECT cell;
      EXPECT_EQ(GetItemPartRect(list, cut, kPartWhole, &cell), mode.whole);
      EXPECT_EQ(GetItemPartRect(list, cut, kPartLabel, &cell), mode.label);
    } else {
      // Column-major: the rows of a column run down, then the next column starts at the top.
      RECT first;
      RECT next;
      GetItemPartRect(list, 0, kPartWhole, &first);
      GetItemPartRect(list, list->rowsPerPage, kPartWhole, &next);
      EXPECT_EQ(next.top, first.top);
      EXPECT_EQ(next.left, first.right);
    }
    DestroyWindow(list->window);
  }
}

TEST_F(ListGeometry, ScrollingKeepsRowsInViewWithAMargin) {
  ItemListControl* list = Report(100);
  SetClientSize(list, 480, list->headerHeight + 10 * list->rowHeight);
  ASSERT_EQ(list->rowsPerPage, 10u);
  ItemsViewEnsureVisible(list, 50);
  EXPECT_EQ(list->topIndex, 43);
  ItemsViewEnsureVisible(list, 5);
  EXPECT_EQ(list->topIndex, 3);
  ItemsViewEnsureVisible(list, 99);
  EXPECT_EQ(list->topIndex, 90);
  ItemsViewVScroll(list, SB_LINEUP, 0);
  EXPECT_EQ(list->topIndex, 89);
  ItemsViewWheel(list, -WHEEL_DELTA);
  EXPECT_EQ(list->topIndex, 90);
  ItemsViewWheel(list, WHEEL_DELTA);
  EXPECT_EQ(list->topIndex, 87);
  ItemsViewVScroll(list, SB_THUMBTRACK, 70000);
  EXPECT_EQ(list->topIndex, 90);
  const ListEvent* announced = parent_.Last(static_cast<int>(kPaneScrolled), true);
  ASSERT_NE(announced, nullptr);
  EXPECT_EQ(GetScrollPos(list->window, SB_VERT), 90);

  ItemListControl* few = Report(5);
  ItemsViewEnsureVisible(few, 4);
  ItemsViewVScroll(few, SB_PAGEDOWN, 0);
  EXPECT_EQ(few->topIndex, 0);
}

TEST_F(ListGeometry, HorizontalThumbTrackingNeedsFiftyPixels) {
  ItemListControl* list = Report(5);
  SetClientSize(list, 200, 200);
  ItemsViewHScroll(list, SB_THUMBTRACK, 30);
  EXPECT_EQ(list->horizontalOffset, 0u);
  ItemsViewHScroll(list, SB_THUMBTRACK, 60);
  EXPECT_EQ(list->horizontalOffset, 60u);
  RECT header;
  GetWindowRect(list->header, &header);
  POINT origin = {0, 0};
  ClientToScreen(list->window, &origin);
  EXPECT_EQ(header.left - origin.x, -60);
  ItemsViewHScroll(list, SB_RIGHT, 0);
  EXPECT_EQ(static_cast<int>(list->horizontalOffset), 470 - 200);
  // Growing the window until every column fits brings the columns back.
  SetClientSize(list, 480, 200);
  EXPECT_EQ(list->horizontalOffset, 0u);
}

TEST_F(ListGeometry, ATinyWindowHasNoScrollBars) {
  ItemListControl* list = Report(100);
  EXPECT_GT(RangeOf(list->window, SB_VERT), 0);
  // The window itself, borders included, is as narrow as a scroll bar.
  MoveWindow(list->window, 0, 0, GetSystemMetrics(SM_CXVSCROLL), 200, TRUE);
  EXPECT_EQ(RangeOf(list->window, SB_VERT), 0);
  EXPECT_EQ(RangeOf(list->window, SB_HORZ), 0);
}

TEST_F(ListGeometry, ColumnWidthsAndIconSpacing) {
  ItemListControl* list = Report(3);
  EXPECT_EQ(ItemsViewSetColumnWidth(list, 1, 5), 0);
  // A column never painted is fitted to what its cells hold, as painting then measures them.
  ASSERT_EQ(ItemsViewSetColumnWidth(list, 1, LVSCW_AUTOSIZE), 1);
  const int fitted = GetColumnWidth(list, 1);
  EXPECT_GT(fitted, 8);
  EXPECT_EQ(SendMessageW(list->window, LVM_SETCOLUMNWIDTH, 1, 80), 1);
  EXPECT_EQ(SendMessageW(list->window, LVM_GETCOLUMNWIDTH, 1, 0), 80);
  EXPECT_EQ(GetItemPartRect(list, 0, kPartWhole, nullptr), 0);
  WindowImage image(500, 300);
  RenderClient(list->window, &image);
  ASSERT_EQ(ItemsViewSetColumnWidth(list, 1, LVSCW_AUTOSIZE), 1);
  EXPECT_LT(GetColumnWidth(list, 1), 80);
  EXPECT_EQ(GetColumnWidth(list, 1), list->widestText[1]);
  EXPECT_EQ(GetColumnWidth(list, 1), fitted);

  EXPECT_EQ(ItemsViewSetIconSpacing(list, -1, -1), MAKELONG(kIconCellWidth, kIconCellHeight));
  LRESULT old = ItemsViewSetIconSpacing(list, 0, 0);
  EXPECT_EQ(old, MAKELONG(kIconCellWidth, kIconCellHeight));
  EXPECT_EQ(list->iconCellWidth, 2 * list->gap);
  EXPECT_EQ(list->iconCellHeight, list->rowHeight + 2 * list->gap);
}

TEST_F(ListGeometry, ColumnMajorCellShrinksToTheWindowAndGrowsBack) {
  ItemListControl* list = parent_.CreateList(3, 0, {{50, 300, 0, 0}});
  AppendPlainRows(list, 30);
  SetClientSize(list, 200, 150);
  EXPECT_EQ(list->widestText[0], 199);
  SetClientSize(list, 450, 150);
  EXPECT_EQ(list->widestText[0], 300);
}

TEST_F(ListGeometry, LinesKeepTheirDistanceFromTheBackground) {
  struct Case {
    uint32_t style;
    COLORREF line;
  };
  ItemListControl* list = Report(0);
  SendMessageW(list->window, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
  SendMessageW(list->window, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
  for (Case c : {Case{kListGridLines, RGB(235, 235, 235)}, Case{kListColumnLines, RGB(204, 204, 204)}, Case{0, 0}}) {
    SendMessageW(list->window, LVM_SETEXTENDEDLISTVIEWSTYLE, kListGridLines | kListColumnLines, c.style);
    EXPECT_EQ(list->lineColour, c.line);
  }
}

TEST_F(ListGeometry, ManyColumnsPaintWithoutTouchingOtherFields) {
  std::initializer_list<ColumnLayout> twenty = {{50, 40, 0, 0},   {51, 40, 1, 0},   {52, 40, 2, 0},   {53, 40, 3, 0},
                                                {55, 40, 4, 0},   {56, 40, 5, 0},   {-1, 40, 6, 0},   {-2, 40, 7, 0},
                                                {-3, 40, 8, 0},   {-4, 40, 9, 0},   {-5, 40, 10, 0},  {-6, 40, 11, 0},
                                                {-7, 40, 12, 0},  {-8, 40, 13, 0},  {-9, 40, 14, 0},  {-10, 40, 15, 0},
                                                {-11, 40, 16, 0}, {-12, 40, 17, 0}, {-13, 40, 18, 0}, {-14, 40, 19, 0}};
  ItemListControl* list = parent_.CreateList(1, 0, twenty);
  AppendPlainRows(list, 10);
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 4);
  WindowImage image(500, 300);
  RenderClient(list->window, &image);
  EXPECT_EQ(list->widestTextCount, 20u);
  EXPECT_GT(list->widestText[10], 0);
  EXPECT_EQ(SendMessageW(list->window, LVM_GETITEMCOUNT, 0, 0), 10);
  EXPECT_EQ(list->focusedIndex, 4);
  EXPECT_EQ(list->topIndex, 0);
}
