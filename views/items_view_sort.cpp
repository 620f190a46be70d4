#include "views/items_view_sort.h"

#include "foundation/win32/column_layout.h"
#include "foundation/ui/header_columns.h"
#include "foundation/core/item_store.h"
#include "foundation/core/threads.h"
#include "views/file_list_row.h"
#include "views/items_view_edit.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_window.h"

namespace {

// Position of the first pair of the column, -1 when it has none.
int FirstPairOf(const uint16_t* sortTable, int columnId) {
  for (int i = 0; sortTable && sortTable[2 * i] != 0; ++i) {
    if (sortTable[2 * i] == columnId) return i;
  }
  return -1;
}

int ColumnOfKey(const uint16_t* sortTable, int key) {
  for (int i = 0; sortTable && sortTable[2 * i] != 0; ++i) {
    if (sortTable[2 * i + 1] == key) return sortTable[2 * i];
  }
  return 0;
}

// Middle of a visible column measured from the left edge of the unscrolled columns.
int ColumnMiddle(const ColumnLayout* table, int id) {
  const ColumnLayout* column = ColumnLayoutFindById(const_cast<ColumnLayout*>(table), id);
  if (!column) return 0;
  int before = 0;
  for (int i = 0; table[i].id != 0; ++i) {
    if (IsColumnVisible(table[i]) && table[i].order < column->order && table[i].width > 0) before += table[i].width;
  }
  return before + column->width / 2;
}

LRESULT UpdateSortArrowHere(void* control) {
  ItemsViewUpdateSortArrow(static_cast<ItemListControl*>(control));
  return 0;
}

// The focus index, the scrolling and the parent's notices belong to the control's thread: a sort on a listing's
// worker hands them over.
LRESULT FollowFocusedRow(void* argument) {
  ItemListControl* control = static_cast<ItemListControl*>(argument);
  int focused = control->focusedIndex >= 0 ? FindFocusedRow(control) : -1;
  if (focused >= 0 && focused != control->focusedIndex) {
    control->focusedIndex = focused;
    UINT state = GetItemState(control, focused, kRowFocused | kRowSelected);
    NotifyItemChanged(control, focused, state, state);
    ItemsViewEnsureVisible(control, focused);
  }
  InvalidateRect(control->window, nullptr, FALSE);
  return 0;
}

}  // namespace

uint16_t FindSplitColumn(const uint16_t* sortTable) {
  for (int i = 0; sortTable && sortTable[2 * i] != 0; ++i) {
    for (int j = i + 1; sortTable[2 * j] != 0; ++j) {
      if (sortTable[2 * j] == sortTable[2 * i]) return sortTable[2 * i];
    }
  }
  return 0;
}

void ItemsViewUpdateSortArrow(ItemListControl* control) {
  if (!control->header) return;
  int key = control->sortKey;
  int columnId = key > kFieldSortKeyBase ? kFieldSortKeyBase - key : ColumnOfKey(control->creation.sortTable, key);
  bool descending = control->sortDirection != 0;
  SortArrowHolder* holder = GetSortArrowHolder();
  if (columnId != 0 && columnId == control->splitColumn) {
    SetHeaderSortBitmapForColumns(holder, control->header, columnId, key, descending, control->creation.columns);
  } else {
    SetHeaderSortArrowForColumns(holder, control->header, columnId, key, descending, control->creation.columns);
  }
}

void ItemsViewSetSortColumn(ItemListControl* control, int column, int clickX, void* context) {
  if (ItemsViewChooseSortColumn(control, column, clickX)) ItemsViewSort(control, context);
}

bool ItemsViewChooseSortColumn(ItemListControl* control, int column, int clickX) {
  ItemsViewEndEdit(control, true);
  // Not by the id: -1 is also the first field column.
  const ColumnLayout* clicked = ColumnLayoutNthVisible(control->creation.columns, column);
  if (!clicked) return false;
  const int id = clicked->id;
  int key = 0;
  if (id < 0) {
    key = kFieldSortKeyBase - id;
  } else {
    const uint16_t* table = control->creation.sortTable;
    int pair = FirstPairOf(table, id);
    if (pair < 0) return false;
    if (id == control->splitColumn &&
        clickX + static_cast<int>(control->horizontalOffset) > ColumnMiddle(control->creation.columns, id)) {
      ++pair;
    }
    key = static_cast<int16_t>(table[2 * pair + 1]);
    if (key < 0) return false;
  }
  if (key == control->sortKey) {
    control->sortDirection = control->sortDirection ? 0 : 1;
  } else {
    control->sortKey = static_cast<uint16_t>(key);
  }
  return true;
}

void ItemsViewSort(ItemListControl* control, void* context) {
  if (IsControlThread(control)) KillTimer(control->window, kRenameTimer);
  ItemsViewEndEdit(control, true);
  SortKeyFunction keyFunction = control->creation.sortKey;
  if (keyFunction && ItemStoreCount(&control->rows) > 0) {
    uint32_t moved = ItemStoreSort(&control->rows, static_cast<int16_t>(control->sortKey), control->sortDirection != 0,
                                   keyFunction, context);
    if (moved > 0) RunOnGuiThread(FollowFocusedRow, control);
  }
  // A worker's sort (a listing's, a long list's) leaves the header to the list's thread without waiting for it:
  // that thread may be busy for a while yet (the folder tree filling at start-up).
  if (IsControlThread(control) || !PostToGuiThread(UpdateSortArrowHere, control)) ItemsViewUpdateSortArrow(control);
}
