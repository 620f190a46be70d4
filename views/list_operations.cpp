#include "views/list_operations.h"

#include "foundation/core/item_store.h"
#include "foundation/core/threads.h"
#include "foundation/win32/window_wrappers.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/item_list_control.h"
#include "views/items_view_edit.h"
#include "views/items_view_layout.h"
#include "views/items_view_sort.h"
#include "views/items_view_state.h"
#include "views/items_view_window.h"

bool EmptyFileList(ItemListControl* list) { return ItemsViewDeleteItem(list, -1, false) == 0; }

void SortFileListRows(ItemListControl* list, const wchar_t* folder) {
  ItemsViewSort(list, const_cast<wchar_t*>(folder));
}

// The row count is the list's own: a worker has the list count its rows when it lays itself out, through a
// notice that coalesces with the worker's others.
void RefreshFileListRowCount(ItemListControl* list) {
  if (list->window != nullptr && !IsControlThread(list)) {
    ItemsViewLayoutFromAnyThread(list);
  } else {
    list->rowCount = ItemStoreCount(&list->rows);
    if (list->window != nullptr) ItemsViewLayout(list, false);
  }
  InvalidateWindowRect(list->window, nullptr, false);
}

namespace {

// The rows' states and the notices of their change belong to the list's thread.
LRESULT SelectFirstRowHere(void* list) {
  ItemsViewSetItemState(static_cast<ItemListControl*>(list), 0, kRowSelected, kRowSelected);
  return 0;
}

LRESULT StopRenamingHere(void* argument) {
  ItemListControl* list = static_cast<ItemListControl*>(argument);
  list->pendingRenameIndex = -1;
  ItemsViewEndEdit(list, false);
  return 0;
}

}  // namespace

void SelectFirstFileRow(ItemListControl* list) { RunOnGuiThread(SelectFirstRowHere, list); }

// A listing calls this for every file it admits: the list's thread is asked only when there is something to stop.
void StopRenamingInList(ItemListControl* list) {
  if (list->pendingRenameIndex >= 0 || list->editor != nullptr) RunOnGuiThread(StopRenamingHere, list);
}
