#include "foundation/ui/header_columns.h"

#include <commctrl.h>

#include "foundation/text/text_sizes.h"
#include "foundation/win32/column_layout.h"
#include "foundation/core/memory.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/core/windows_version.h"

namespace {

constexpr int kSortFormatBits = HDF_SORTUP | HDF_SORTDOWN | HDF_BITMAP | HDF_BITMAP_ON_RIGHT;

int ParentClientWidth(HWND header) {
  RECT client = {};
  GetClientRect(GetParent(header), &client);
  return client.right - client.left;
}

int HeaderCount(HWND header) { return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0; }

void ApplyDisplayOrder(HWND header, const ColumnLayout* table, int count) {
  int* order = static_cast<int*>(AllocZeroed(static_cast<uint32_t>(count) * sizeof(int)));
  if (order && ColumnLayoutOrderArray(table, order, count) == count) {
    SendMessageW(header, HDM_SETORDERARRAY, count, reinterpret_cast<LPARAM>(order));
  }
  FreeAndNull(&order);
}

bool GetItemFormat(HWND header, int index, HDITEMW* item) {
  *item = {};
  item->mask = HDI_FORMAT | HDI_LPARAM;
  return SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(item)) != 0;
}

// The program's own arrows when nobody loaded any.
void EnsureArrowBitmaps(SortArrowHolder* holder) {
  if (!holder->descending && !holder->ascending) {
    LoadSortArrowBitmaps(holder, GetModuleHandleW(nullptr), IDB_SORT_DESCENDING, IDB_SORT_ASCENDING);
  }
}

int SortColumnItem(HWND header, const ColumnLayout* table, int sortColumnId) {
  int count = HeaderCount(header);
  for (int i = 0; i < count; ++i) {
    if (ColumnLayoutNthVisibleId(table, i) == sortColumnId) return i;
  }
  return -1;
}

}  // namespace

int HeaderInsertColumns(HWND header, ColumnLayout* table) {
  if (!header || !table) return 0;
  ResolveColumnWidths(table, ParentClientWidth(header));
  int inserted = 0;
  for (int i = 0; table[i].id != 0; ++i) {
    if (!IsColumnVisible(table[i])) continue;
    wchar_t caption[kCaptionCapacity];
    GetTextById(table[i].id, caption, kCaptionCapacity);
    HDITEMW item = {};
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM;
    item.cxy = table[i].width;
    item.pszText = caption;
    item.fmt = HDF_STRING | (table[i].flags & kColumnAlignMask);
    item.lParam = table[i].id;
    if (SendMessageW(header, HDM_INSERTITEMW, inserted, reinterpret_cast<LPARAM>(&item)) >= 0) ++inserted;
  }
  if (inserted > 0) ApplyDisplayOrder(header, table, inserted);
  return inserted;
}

int HeaderResetColumns(HWND header, ColumnLayout* table) {
  if (!header) return 0;
  for (int i = HeaderCount(header) - 1; i >= 0; --i) {
    if (!SendMessageW(header, HDM_DELETEITEM, i, 0)) return 0;
  }
  return HeaderInsertColumns(header, table);
}

int ReadHeaderColumnLayout(HWND header, ColumnLayout* table) {
  if (!header || !table) return 0;
  int changed = 0;
  int count = HeaderCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMW item = {};
    item.mask = HDI_WIDTH | HDI_ORDER | HDI_LPARAM;
    if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
    ColumnLayout* entry = ColumnLayoutFindById(table, static_cast<int>(item.lParam));
    if (!entry || (entry->width == item.cxy && entry->order == item.iOrder)) continue;
    entry->width = item.cxy;
    entry->order = item.iOrder;
    ++changed;
  }
  return changed;
}

void HeaderSetItemWidth(HWND header, int index, int width) {
  if (!header) return;
  HDITEMW item = {};
  item.mask = HDI_WIDTH;
  item.cxy = width;
  SendMessageW(header, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void RefreshHeaderTexts(HWND header) {
  const int count = HeaderCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMW item = {};
    item.mask = HDI_LPARAM;
    if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
    wchar_t caption[kCaptionCapacity];
    GetTextById(static_cast<int>(item.lParam), caption, kCaptionCapacity);
    item.mask = HDI_TEXT;
    item.pszText = caption;
    SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

SortArrowHolder* GetSortArrowHolder() {
  static SortArrowHolder holder = {0, GetWindowsVersionCodeCached() > 7 ? 1 : 0, nullptr, nullptr};
  return &holder;
}

void DestroySortArrowHolder(SortArrowHolder* holder) {
  if (!holder) return;
  if (holder->descending) DeleteObject(holder->descending);
  if (holder->ascending) DeleteObject(holder->ascending);
  holder->descending = nullptr;
  holder->ascending = nullptr;
}

void LoadSortArrowBitmaps(SortArrowHolder* holder, HINSTANCE instance, int descendingId, int ascendingId) {
  if (!holder) return;
  HBITMAP descending = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(descendingId), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
  HBITMAP ascending = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(ascendingId), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
  if (holder->descending) DeleteObject(holder->descending);
  if (holder->ascending) DeleteObject(holder->ascending);
  holder->descending = descending;
  holder->ascending = ascending;
}

void SetHeaderSortArrowForColumns(SortArrowHolder* holder, HWND header, int sortColumnId, int sortKey, bool descending,
                                  const ColumnLayout* table) {
  if (!holder || !header) return;
  if (!holder->themed) {
    SetHeaderSortBitmapForColumns(holder, header, sortColumnId, sortKey, descending, table);
    return;
  }
  int sortItem = SortColumnItem(header, table, sortColumnId);
  int count = HeaderCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMW item;
    if (!GetItemFormat(header, i, &item)) continue;
    int format = item.fmt & ~kSortFormatBits;
    if (i == sortItem) format |= descending ? HDF_SORTDOWN : HDF_SORTUP;
    if (format == item.fmt) continue;
    item.mask = HDI_FORMAT;
    item.fmt = format;
    SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void SetHeaderSortBitmapForColumns(SortArrowHolder* holder, HWND header, int sortColumnId, int sortKey, bool descending,
                                   const ColumnLayout* table) {
  if (!holder || !header) return;
  EnsureArrowBitmaps(holder);
  int sortItem = SortColumnItem(header, table, sortColumnId);
  int count = HeaderCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
    const HDITEMW was = item;
    item.fmt &= ~kSortFormatBits;
    item.hbm = nullptr;
    if (i == sortItem) {
      item.hbm = descending ? holder->descending : holder->ascending;
      item.fmt |= HDF_BITMAP | (sortKey == holder->specialKey ? 0 : HDF_BITMAP_ON_RIGHT);
    }
    // An item that stays as it is is not set again: each set lays the header out and repaints it.
    if (item.fmt == was.fmt && item.hbm == was.hbm) continue;
    SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}
