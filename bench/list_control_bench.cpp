// The list control with many rows: one full repaint of a screenful, and a scroll to the end and back, with
// 100 000 rows against the same with 1 000 rows in the same run. A repaint visits only the rows in view, so the
// two figures should be about equal.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

#include "bench_window.h"
#include "foundation/win32/column_layout.h"
#include "foundation/core/item_store.h"
#include "views/file_list_row.h"
#include "views/items_view_layout.h"
#include "views/items_view_window.h"

namespace {

constexpr int kRounds = 40;

ColumnLayout g_columns[] = {{50, 200, 0, 0}, {51, 200, 1, 0}, {52, 100, 2, 1}, {0, 0, 0, 0}};

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
    if (item.pszText) swprintf(item.pszText, item.cchTextMax, L"file %d, column %d.txt", item.iItem, item.iSubItem);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ItemListControl* ListWithRows(HWND parent, int rows) {
  ItemListControl* list =
      CreateItemsViewWindow(parent, 1, 0, kFileListId, g_columns, nullptr, nullptr, nullptr, nullptr);
  MoveWindow(list->window, 0, 0, 800, 600, TRUE);
  FileListRow row = {};
  row.length = FileListRowSize(8);
  for (int i = 0; i < rows; ++i) ItemStoreAppend(&list->rows, &row, row.length);
  ItemsViewLayout(list, false);
  UpdateWindow(list->window);
  return list;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds per full repaint of the window.
double RepaintTime(ItemListControl* list) {
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRounds; ++i) RedrawWindow(list->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  QueryPerformanceCounter(&end);
  return 1000.0 * Seconds(start, end) / kRounds;
}

// Milliseconds per scroll to the end and back to the top, each painted.
double ScrollTime(ItemListControl* list) {
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRounds; ++i) {
    ItemsViewVScroll(list, SB_BOTTOM, 0);
    UpdateWindow(list->window);
    ItemsViewVScroll(list, SB_TOP, 0);
    UpdateWindow(list->window);
  }
  QueryPerformanceCounter(&end);
  return 1000.0 * Seconds(start, end) / kRounds;
}

}  // namespace

int main() {
  HWND parent = CreateBenchParent(ParentProc, L"QvrxListBench", 800, 600);
  ItemListControl* few = ListWithRows(parent, 1000);
  double fewRepaint = RepaintTime(few);
  double fewScroll = ScrollTime(few);
  DestroyWindow(few->window);
  ItemListControl* many = ListWithRows(parent, 100000);
  double manyRepaint = RepaintTime(many);
  double manyScroll = ScrollTime(many);
  std::printf("full repaint of a screenful: 1 000 rows %.3f ms, 100 000 rows %.3f ms, ratio %.2f\n", fewRepaint,
              manyRepaint, manyRepaint / fewRepaint);
  std::printf("scroll to the end and back:  1 000 rows %.3f ms, 100 000 rows %.3f ms, ratio %.2f\n", fewScroll,
              manyScroll, manyScroll / fewScroll);
  DestroyWindow(parent);
  return 0;
}
