// The program's two lists as plain stores without windows, for the benchmarks of the preview and the steps: the
// stores grow on the calling thread, since a benchmark has no GUI thread to grow them on.
#pragma once
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "views/items_view.h"

inline ItemListControl* NewBenchList() {
  ItemListControl* list = static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)));
  ItemStoreInit(&list->rows);
  ItemStoreInit(&list->pathPool);
  list->focusedIndex = -1;
  list->rows.buffer.growHere = 1;
  return list;
}

inline void FreeBenchList(ItemListControl* list) {
  ItemStoreDestroy(&list->rows);
  ItemStoreDestroy(&list->pathPool);
  FreeAndNull(&list);
}
