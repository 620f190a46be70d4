#include "views/list_text_columns.h"

#include <commctrl.h>

#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/win32/window_wrappers.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/win32/column_layout.h"
#include "views/file_list_row.h"
#include "views/view_hooks.h"

namespace {

// Far beyond any list the program builds; it only ends the count for a list that never says no.
constexpr int kColumnLimit = 4096;

bool AskColumn(HWND list, int index, LVCOLUMNW* column) {
  return SendWindowMessage(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(column)) != FALSE;
}

int CountColumns(HWND list) {
  int count = 0;
  LVCOLUMNW column = {};
  column.mask = LVCF_ORDER;
  while (count < kColumnLimit && AskColumn(list, count, &column)) ++count;
  return count;
}

bool ReadColumn(HWND list, int index, ListTextColumn* target) {
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
  column.pszText = target->caption;
  column.cchTextMax = kCellTextCapacity;
  if (!AskColumn(list, index, &column)) return false;
  target->caption[kCellTextCapacity - 1] = 0;
  target->subItem = column.iSubItem;
  target->rightAligned = (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT;
  return true;
}

// The header items in display order; header order when the list gives no order array.
int* DisplayOrder(HWND list, int count) {
  auto* order = static_cast<int*>(AllocZeroed(static_cast<uint32_t>(count * sizeof(int))));
  if (order && !SendWindowMessage(list, LVM_GETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order))) {
    for (int i = 0; i < count; ++i) order[i] = i;
  }
  return order;
}

}  // namespace

ListTextColumn* ReadListTextColumns(HWND list, int* count) {
  *count = 0;
  const int total = CountColumns(list);
  int* order = total > 0 ? DisplayOrder(list, total) : nullptr;
  const uint32_t bytes = static_cast<uint32_t>(total * sizeof(ListTextColumn));
  auto* columns = order ? static_cast<ListTextColumn*>(AllocZeroed(bytes)) : nullptr;
  int read = 0;
  while (columns && read < total && ReadColumn(list, order[read], &columns[read])) ++read;
  FreeAndNull(&order);
  *count = read;
  if (read == 0) FreeAndNull(&columns);
  return columns;
}

int ReadListCellText(HWND list, int row, const ListTextColumn& column, wchar_t* text, int capacity) {
  if (!text || capacity <= 0) return 0;
  text[0] = 0;
  LVITEMW item = {};
  item.iSubItem = column.subItem;
  item.pszText = text;
  item.cchTextMax = capacity < kCellTextCapacity ? capacity : kCellTextCapacity;
  SendWindowMessage(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text[item.cchTextMax - 1] = 0;
  return static_cast<int>(WideLength(text));
}

ListCellReader CellReaderOf(HWND list) {
  ItemListControl* files = AppFileList();
  const bool fromRows = files && files->window == list && g_viewHooks.fileCellText;
  return ListCellReader{list, fromRows ? files : nullptr};
}

uint32_t ReaderRowCount(const ListCellReader& reader) {
  if (reader.rows) return ItemStoreCount(&reader.rows->rows);
  const LRESULT rows = SendWindowMessage(reader.list, LVM_GETITEMCOUNT, 0, 0);
  return rows > 0 ? static_cast<uint32_t>(rows) : 0;
}

int ReadCellText(const ListCellReader& reader, int row, const ListTextColumn& column, wchar_t* text, int capacity) {
  if (!reader.rows) return ReadListCellText(reader.list, row, column, text, capacity);
  if (!text || capacity <= 0) return 0;
  text[0] = 0;
  const ColumnLayout* columns = reader.rows->creation.columns;
  auto* file = reinterpret_cast<FileListRow*>(ItemStoreGet(&reader.rows->rows, static_cast<uint32_t>(row)));
  if (!file || !columns || column.subItem < 0 || column.subItem >= ColumnLayoutCount(columns)) return 0;
  const int cut = capacity < kCellTextCapacity ? capacity : kCellTextCapacity;
  if (!FileCellTextHook(reader.rows, file, columns[column.subItem].id, text, cut)) return -1;
  return static_cast<int>(WideLength(text));
}
