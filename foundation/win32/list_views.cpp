#include "foundation/win32/list_views.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/core/name_order.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/window_placement.h"

namespace {

constexpr int kFittedColumnMinimum = 100;
constexpr UINT kCheckedState = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kClearState = INDEXTOSTATEIMAGEMASK(1);

LRESULT Send(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  return list ? SendMessageW(list, message, wParam, lParam) : 0;
}

int ItemCount(HWND list) { return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0)); }

int NextItem(HWND list, int start, UINT flags) {
  return list ? static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, start, flags)) : -1;
}

int ColumnWidth(HWND list, int column) { return static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, column, 0)); }

void SetColumnWidth(HWND list, int column, int width) { Send(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)); }

// What one item carries apart from its position: image, item data and check state.
struct ItemCore {
  int image;
  LPARAM data;
  UINT checkState;
};

ItemCore ReadItemCore(HWND list, int item) {
  LVITEMW read = {};
  read.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  read.iItem = item;
  read.stateMask = LVIS_STATEIMAGEMASK;
  Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
  return ItemCore{read.iImage, read.lParam, read.state & LVIS_STATEIMAGEMASK};
}

void WriteItemCore(HWND list, int item, const ItemCore& core) {
  LVITEMW write = {};
  write.mask = LVIF_IMAGE | LVIF_PARAM;
  write.iItem = item;
  write.iImage = core.image;
  write.lParam = core.data;
  Send(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&write));
  ListViewSetState(list, item, core.checkState, LVIS_STATEIMAGEMASK);
}

void MoveFocused(HWND list, int step) {
  const int focused = ListViewFocusedItem(list);
  const int target = focused + step;
  if (focused < 0 || target < 0 || target >= ItemCount(list)) {
    MessageBeep(MB_ICONHAND);
    return;
  }
  ListViewSwapItems(list, focused, target);
}

// The texts of one column of every item, read before the sort: the list must not be asked while it sorts.
struct SortByTexts {
  int count;
  bool descending;
  LPARAM* data;
  wchar_t* texts;  // count x kCellTextCapacity
};

const wchar_t* TextOfData(const SortByTexts* sort, LPARAM data) {
  for (int i = 0; i < sort->count; ++i) {
    if (sort->data[i] == data) return sort->texts + static_cast<size_t>(i) * kCellTextCapacity;
  }
  return L"";
}

int CALLBACK CompareItemTexts(LPARAM a, LPARAM b, LPARAM context) {
  const auto* sort = reinterpret_cast<const SortByTexts*>(context);
  const int order = CompareNamesNatural(TextOfData(sort, a), TextOfData(sort, b), false);
  return sort->descending ? -order : order;
}

void SortItemsByTexts(HWND list, int column, bool descending) {
  SortByTexts sort = {ItemCount(list), descending, nullptr, nullptr};
  if (sort.count <= 0) return;
  const auto count = static_cast<uint32_t>(sort.count);
  sort.data = static_cast<LPARAM*>(AllocZeroed(count * sizeof(LPARAM)));
  sort.texts = AllocZeroedWide(count * kCellTextCapacity);
  if (sort.data && sort.texts) {
    for (int i = 0; i < sort.count; ++i) {
      sort.data[i] = ListViewItemParam(list, i);
      ListViewGetItemText(list, i, column, sort.texts + static_cast<size_t>(i) * kCellTextCapacity,
                          kCellTextCapacity);
    }
    Send(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&sort), reinterpret_cast<LPARAM>(CompareItemTexts));
  }
  FreeAndNull(&sort.data);
  FreeAndNull(&sort.texts);
}

int EntryCount(const int16_t* ids) {
  int count = 0;
  while (ids && ids[count] != 0) ++count;
  return count;
}

}  // namespace

int ListViewInsertColumn(HWND list, const wchar_t* text, int index, int width, int extraFormat) {
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT | extraFormat;
  column.iSubItem = index;
  column.cx = std::max(width, kListViewMinColumnWidth);
  column.pszText = const_cast<wchar_t*>(text ? text : L"");
  return list ? static_cast<int>(SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)))
              : -1;
}

int ListViewColumnCount(HWND list) {
  if (!list) return 0;
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  if (header) return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  int count = 0;
  while (SendMessageW(list, LVM_GETCOLUMNW, count, reinterpret_cast<LPARAM>(&column))) ++count;
  return count;
}

void ListViewAutoSizeColumn(HWND list, int column) {
  if (!list) return;
  SetColumnWidth(list, column, LVSCW_AUTOSIZE_USEHEADER);
  const int caption = ColumnWidth(list, column);
  SetColumnWidth(list, column, LVSCW_AUTOSIZE);
  const int wanted = std::max({caption, ColumnWidth(list, column), ScaleByScreenWidth(kListViewMinColumnWidth)});
  if (ColumnWidth(list, column) != wanted) SetColumnWidth(list, column, wanted);
}

void AutoSizeListColumns(HWND list, int count) {
  if (!list) return;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (int column = 0; column < count; ++column) ListViewAutoSizeColumn(list, column);
  PostMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void ListViewSortByColumn(HWND list, int column, int* current, int* descending, const int16_t* columnIds,
                          bool toggle) {
  if (!list || !current || !descending || column < 0 || column >= EntryCount(columnIds)) return;
  if (*current != column + 1) {
    *current = column + 1;
    if (toggle) *descending = 0;
  } else if (toggle) {
    *descending = *descending ? 0 : 1;
  }
  SortItemsByTexts(list, column, *descending != 0);
}

void ListViewSetFontAndColors(HWND list, HFONT font, const COLORREF* colorPair) {
  if (!list) return;
  if (font) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (!colorPair || colorPair[0] == colorPair[1]) return;
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, colorPair[0]);
  SendMessageW(list, LVM_SETBKCOLOR, 0, colorPair[1]);
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, colorPair[1]);
}

void ResetListViewLabelEditing(HWND list) {
  if (!list) return;
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  SetWindowLongPtrW(list, GWL_STYLE, style & ~static_cast<LONG_PTR>(LVS_EDITLABELS));
  SetWindowLongPtrW(list, GWL_STYLE, style | LVS_EDITLABELS);
}

int ListViewInsertItem(HWND list, const wchar_t* text, int index, int image, const void* data, int dataSize) {
  if (!list) return -1;
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = index < 0 ? ItemCount(list) : index;
  item.pszText = const_cast<wchar_t*>(text ? text : L"");
  item.iImage = image;
  item.lParam = reinterpret_cast<LPARAM>(data);
  if (dataSize > 0) {
    void* copy = AllocZeroed(static_cast<uint32_t>(dataSize));
    if (!copy) return -1;
    memcpy(copy, data, static_cast<size_t>(dataSize));
    item.lParam = reinterpret_cast<LPARAM>(copy);
  }
  const int inserted = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (inserted < 0 && dataSize > 0) {
    void* copy = reinterpret_cast<void*>(item.lParam);
    FreeAndNull(&copy);
  }
  return inserted;
}

int ListViewInsertItemAndSelect(HWND list, const wchar_t* text, int index, int image, const void* data,
                                int dataSize) {
  if (index < 0) {
    const int focused = NextItem(list, -1, LVNI_FOCUSED);
    if (focused >= 0) index = focused + 1;
  }
  const int inserted = ListViewInsertItem(list, text, index, image, data, dataSize);
  if (inserted >= 0) ListViewSelectOnly(list, inserted);
  return inserted;
}

void ListViewSetState(HWND list, int item, UINT state, UINT mask) {
  LVITEMW change = {};
  change.state = state;
  change.stateMask = mask;
  Send(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change));
}

void ListViewDeleteItem(HWND list, int item) { Send(list, LVM_DELETEITEM, item, 0); }

bool ListViewGetCheck(HWND list, int item) {
  return (Send(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) == kCheckedState;
}

void ListViewSetCheck(HWND list, int item, bool on) {
  ListViewSetState(list, item, on ? kCheckedState : kClearState, LVIS_STATEIMAGEMASK);
}

int ListViewItemImage(HWND list, int item) { return list ? ReadItemCore(list, item).image : -1; }

void ListViewSetItemImage(HWND list, int item, int image) {
  if (!list) return;
  LVITEMW write = {};
  write.mask = LVIF_IMAGE;
  write.iItem = item;
  write.iImage = image;
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&write));
  InvalidateRect(list, nullptr, FALSE);
}

LPARAM ListViewItemParam(HWND list, int item) {
  LVITEMW read = {};
  read.mask = LVIF_PARAM;
  read.iItem = item;
  return Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)) ? read.lParam : 0;
}

void ListViewSetItemParam(HWND list, int item, LPARAM data) {
  LVITEMW write = {};
  write.mask = LVIF_PARAM;
  write.iItem = item;
  write.lParam = data;
  Send(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&write));
}

void ListViewGetItemText(HWND list, int item, int subItem, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  LVITEMW read = {};
  read.iSubItem = subItem;
  read.pszText = buffer;
  read.cchTextMax = capacity;
  Send(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&read));
}

void ListViewSetItemText(HWND list, int item, int subItem, const wchar_t* text) {
  LVITEMW write = {};
  write.iSubItem = subItem;
  write.pszText = const_cast<wchar_t*>(text);
  Send(list, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&write));
}

int ListViewFocusedItem(HWND list) {
  const int focused = NextItem(list, -1, LVNI_FOCUSED);
  if (focused >= 0) return focused;
  const int selected = NextItem(list, -1, LVNI_SELECTED);
  if (selected == 0) {
    const int next = NextItem(list, 0, LVNI_SELECTED);
    if (next > 0) return next;
  }
  return selected;
}

void ListViewSelectOnly(HWND list, int item) {
  if (!list) return;
  const int focused = NextItem(list, -1, LVNI_FOCUSED);
  if (focused >= 0) ListViewSetState(list, focused, 0, LVIS_FOCUSED | LVIS_SELECTED);
  ListViewSetState(list, item, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  SendMessageW(list, LVM_ENSUREVISIBLE, item, FALSE);
  SendMessageW(list, LVM_SETSELECTIONMARK, 0, item);
}

void ListViewSwapItems(HWND list, int a, int b) {
  if (!list) return;
  const ItemCore first = ReadItemCore(list, a);
  const ItemCore second = ReadItemCore(list, b);
  WriteItemCore(list, a, second);
  WriteItemCore(list, b, first);
  wchar_t textA[kCellTextCapacity];
  wchar_t textB[kCellTextCapacity];
  const int columns = std::max(1, ListViewColumnCount(list));
  for (int column = 0; column < columns; ++column) {
    ListViewGetItemText(list, a, column, textA, kCellTextCapacity);
    ListViewGetItemText(list, b, column, textB, kCellTextCapacity);
    ListViewSetItemText(list, a, column, textB);
    ListViewSetItemText(list, b, column, textA);
  }
  ListViewSelectOnly(list, b);
}

void ListViewMoveFocusedUp(HWND list) {
  if (list) MoveFocused(list, -1);
}

void ListViewMoveFocusedDown(HWND list) {
  if (list) MoveFocused(list, 1);
}
