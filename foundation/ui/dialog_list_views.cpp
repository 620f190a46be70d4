#include "foundation/ui/dialog_list_views.h"

#include <commctrl.h>

#include <algorithm>

#include "foundation/core/memory.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/wait_cursor.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kTextColumnWidth = 100;
constexpr DWORD kDialogListStyles = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;

int ClientWidth(HWND list) {
  RECT client = {};
  GetClientRect(list, &client);
  return client.right - client.left;
}

HWND HeaderOf(HWND list) { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)); }

int IdCount(const int* ids) {
  int count = 0;
  while (ids && ids[count] != 0) ++count;
  return count;
}

void ApplyColumnOrder(HWND list, const ColumnLayout* table, int count) {
  int* order = static_cast<int*>(AllocZeroed(static_cast<uint32_t>(count) * sizeof(int)));
  bool moved = false;
  if (order && ColumnLayoutOrderArray(table, order, count) == count) {
    for (int i = 0; i < count; ++i) moved = moved || order[i] != i;
  }
  if (moved) SendMessageW(list, LVM_SETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order));
  FreeAndNull(&order);
}

bool IsReportWithHeader(HWND list) {
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  return (style & LVS_TYPEMASK) == LVS_REPORT && !(style & LVS_NOCOLUMNHEADER);
}

void ApplyDarkMode(DialogListViewRecord* record) {
  if (!IsDarkModeOn()) return;
  HWND header = HeaderOf(record->list);
  ApplyDarkModeToWindow(record->list);
  ApplyDarkModeToHeader(header);
  record->dark = 1;
  record->darkText = GetThemeColorByIndex(COLOR_WINDOWTEXT);
}

int InsertColumnsOf(HWND list, const int* textIds, ColumnLayout* table) {
  return table ? ListViewInsertColumns(list, table) : ListViewInsertTextColumns(list, textIds);
}

DialogListViewRecord* RecordOf(HWND list) {
  return reinterpret_cast<DialogListViewRecord*>(GetWindowLongPtrW(list, GWLP_USERDATA));
}

// The client area below the header in the list's background colour.
void EraseBelowHeader(HWND list, HDC dc) {
  const COLORREF background = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
  if (background == CLR_NONE) return;
  RECT area = {};
  GetClientRect(list, &area);
  HWND header = HeaderOf(list);
  if (header && IsWindowVisible(header)) {
    RECT headerRect = {};
    GetWindowRect(header, &headerRect);
    area.top = headerRect.bottom - headerRect.top;
  }
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

bool IsDarkHeaderDraw(const DialogListViewRecord* record, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  return record->dark && header && header->code == static_cast<UINT>(NM_CUSTOMDRAW) &&
         header->hwndFrom == HeaderOf(record->list);
}

void RememberSelectionOnSize(DialogListViewRecord* record) {
  record->selectionMark = static_cast<int32_t>(SendMessageW(record->list, LVM_GETSELECTIONMARK, 0, 0));
  if (record->selectionMark >= 0) SetTimer(record->list, kSelectionRedrawTimer, kSelectionRedrawDelay, nullptr);
}

void RedrawSelection(DialogListViewRecord* record) {
  KillTimer(record->list, kSelectionRedrawTimer);
  SendMessageW(record->list, LVM_REDRAWITEMS, record->selectionMark, record->selectionMark);
}

// The list goes: the previous procedure is put back before the last message reaches it, then the record goes.
LRESULT EndSubclass(DialogListViewRecord* record, HWND list, WPARAM wParam, LPARAM lParam) {
  const WNDPROC previous = record->previous;
  SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  SetWindowLongPtrW(list, GWLP_USERDATA, 0);
  FreeAndNull(&record);
  return CallWindowProcW(previous, list, WM_NCDESTROY, wParam, lParam);
}

}  // namespace

int ListViewInsertColumns(HWND list, ColumnLayout* table) {
  if (!list || !table) return 0;
  ResolveColumnWidths(table, ClientWidth(list));
  int inserted = 0;
  for (int i = 0; table[i].id != 0; ++i) {
    if (!IsColumnVisible(table[i])) continue;
    wchar_t caption[kCaptionCapacity];
    GetTextById(table[i].id, caption, kCaptionCapacity);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = table[i].flags & kColumnAlignMask;
    column.cx = table[i].width;
    column.pszText = caption;
    column.iSubItem = i;
    if (SendMessageW(list, LVM_INSERTCOLUMNW, inserted, reinterpret_cast<LPARAM>(&column)) >= 0) ++inserted;
  }
  if (inserted > 0) ApplyColumnOrder(list, table, inserted);
  return inserted;
}

int ListViewInsertTextColumns(HWND list, const int* textIds) {
  if (!list) return 0;
  const int count = IdCount(textIds);
  const int rest = ClientWidth(list) - GetSystemMetrics(SM_CXVSCROLL) - (count - 1) * kTextColumnWidth;
  if (count == 0) return ListViewInsertColumn(list, L"", 0, ClientWidth(list), 0) >= 0 ? 1 : 0;
  int inserted = 0;
  for (int i = 0; i < count; ++i) {
    wchar_t caption[kCaptionCapacity];
    GetTextById(textIds[i], caption, kCaptionCapacity);
    const int width = i + 1 < count ? kTextColumnWidth : std::max(kTextColumnWidth, rest);
    if (ListViewInsertColumn(list, caption, i, width, 0) >= 0) ++inserted;
  }
  return inserted;
}

void ListViewInvertChecks(HWND list) {
  if (!list) return;
  WaitCursor wait;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) ListViewSetCheck(list, i, !ListViewGetCheck(list, i));
}

bool SetupDialogListView(DialogListViewRecord* record, HWND list, const int* textIds, ColumnLayout* table,
                         DWORD extraStyles) {
  if (!record || !list) {
    FreeAndNull(&record);
    return false;
  }
  record->list = list;
  record->reportWithHeader = IsReportWithHeader(list) ? 1 : 0;
  record->selectionMark = -1;
  SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
  ApplyDarkMode(record);
  SetWindowThemeIfSupported(list, L"Explorer");
  const DWORD styles = kDialogListStyles | extraStyles;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
  if ((GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT) {
    record->columnCount = InsertColumnsOf(list, textIds, table);
  }
  record->previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogListViewProc)));
  return true;
}

HWND SetupDialogListViewById(HWND dialog, int controlId, const int* textIds, ColumnLayout* table,
                             DWORD extraStyles) {
  HWND list = GetDialogItem(dialog, controlId);
  if (!list) return nullptr;
  auto* record = static_cast<DialogListViewRecord*>(AllocZeroed(sizeof(DialogListViewRecord)));
  return SetupDialogListView(record, list, textIds, table, extraStyles) ? list : nullptr;
}

LRESULT CALLBACK DialogListViewProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogListViewRecord* record = RecordOf(list);
  if (!record) return DefWindowProcW(list, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      if (record->reportWithHeader) RememberSelectionOnSize(record);
      break;
    case WM_TIMER:
      if (wParam != kSelectionRedrawTimer) break;
      RedrawSelection(record);
      return 0;
    case WM_ERASEBKGND:
      if (record->reportWithHeader) break;
      EraseBelowHeader(list, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_NOTIFY:
      if (IsDarkHeaderDraw(record, lParam)) {
        return DrawDarkHeaderItem(reinterpret_cast<NMCUSTOMDRAW*>(lParam), record->darkText);
      }
      break;
    case WM_NCDESTROY:
      return EndSubclass(record, list, wParam, lParam);
  }
  return CallWindowProcW(record->previous, list, message, wParam, lParam);
}
