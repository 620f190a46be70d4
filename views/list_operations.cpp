#include "views/list_operations.h"

#include "foundation/guard.h"
#include "foundation/item_store.h"
#include "foundation/threads.h"
#include "foundation/window_wrappers.h"
#include "views/file_list_row.h"
#include "views/folder_listing.h"
#include "views/item_list_control.h"

namespace {

bool LockStore(ItemStore* store) {
  for (int attempt = 0; attempt < kStoreAttempts; ++attempt) {
    if (WaitMutexBriefly(store->mutex)) return true;
  }
  return false;
}

void FreeRowData(const ItemListControl* list) {
  ItemDeletionCallback callback = list->creation.deleteItem;
  if (callback == nullptr) return;
  for (uint32_t i = 0; i < ItemStoreCount(&list->rows); ++i) {
    uint8_t* row = ItemStoreGet(&list->rows, i);
    GuardedCall(0, [&] {
      callback(row);
      return 0;
    });
  }
}

// Rows and their data go in one hold of the lock, so no row is left pointing at freed data.
bool EmptyStore(const ItemListControl* list, ItemStore* store, bool withRowData) {
  if (!LockStore(store)) return false;
  if (withRowData) FreeRowData(list);
  ItemStoreReset(store);
  ReleaseMutexSafe(store->mutex);
  return true;
}

}  // namespace

bool EmptyFileList(ItemListControl* list) {
  if (!EmptyStore(list, &list->rows, true)) return false;
  list->focusedIndex = -1;
  list->hotIndex = -1;
  list->pendingRenameIndex = -1;
  list->topIndex = 0;
  RefreshFileListRowCount(list);
  return EmptyStore(list, &list->pathPool, false);
}

void SortFileListRows(ItemListControl* list, const wchar_t* folder) {
  if (list->creation.sortKey == nullptr) return;
  ItemStoreSort(&list->rows, static_cast<int16_t>(list->sortKey), list->sortDirection != 0, list->creation.sortKey,
                const_cast<wchar_t*>(folder));
}

void RefreshFileListRowCount(ItemListControl* list) {
  list->rowCount = ItemStoreCount(&list->rows);
  PostSizeToSelf(list->window);
  InvalidateWindowRect(list->window, nullptr, false);
}

void SelectFirstFileRow(ItemListControl* list) {
  uint8_t* row = ItemStoreGet(&list->rows, 0);
  if (row == nullptr) return;
  row[2] |= kRowSelected;
  InvalidateWindowRect(list->window, nullptr, false);
}

void StopRenamingInList(ItemListControl* list) { list->pendingRenameIndex = -1; }
