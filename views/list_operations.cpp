#include "views/list_operations.h"

#include "foundation/core/item_store.h"
#include "foundation/win32/window_wrappers.h"
#include "views/file_list_row.h"
#include "views/item_list.h"
#include "views/item_list_control.h"
#include "views/item_list_edit.h"
#include "views/item_list_layout.h"
#include "views/item_list_sort.h"
#include "views/item_list_state.h"
#include "views/item_list_window.h"

bool EmptyFileList(ItemListControl* list) { return ItemsViewDeleteItem(list, -1, false) == 0; }

void SortFileListRows(ItemListControl* list, const wchar_t* folder) {
  ItemsViewSort(list, const_cast<wchar_t*>(folder));
}

void RefreshFileListRowCount(ItemListControl* list) {
  list->rowCount = ItemStoreCount(&list->rows);
  ItemsViewLayoutFromAnyThread(list);
  InvalidateWindowRect(list->window, nullptr, false);
}

void SelectFirstFileRow(ItemListControl* list) { ItemsViewSetItemState(list, 0, kRowSelected, kRowSelected); }

void StopRenamingInList(ItemListControl* list) {
  list->pendingRenameIndex = -1;
  ItemsViewEndEdit(list, false);
}
