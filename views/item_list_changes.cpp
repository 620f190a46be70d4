#include "views/item_list_changes.h"

#include <cstring>

#include "foundation/gdi.h"
#include "foundation/guard.h"
#include "foundation/item_store.h"
#include "foundation/threads.h"
#include "foundation/window_wrappers.h"
#include "views/file_list_row.h"
#include "views/item_list_columns.h"
#include "views/item_list_edit.h"
#include "views/item_list_layout.h"
#include "views/item_list_rows.h"
#include "views/item_list_state.h"
#include "views/item_list_window.h"

namespace {

// Clearing waits this many times 50 ms for a store's lock before it gives up.
constexpr int kLockAttempts = 20;

uint16_t RecordLength(const void* record) {
  uint16_t length;
  memcpy(&length, record, sizeof length);
  return length;
}

void StopRenaming(ItemListControl* control) {
  if (IsControlThread(control)) KillTimer(control->window, kRenameTimer);
  ItemsViewEndEdit(control, false);
}

bool LockStore(const ItemStore* store) {
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (WaitMutexBriefly(store->mutex)) return true;
  }
  return false;
}

void RunDeletionCallback(const ItemListControl* control, uint8_t* row) {
  ItemDeletionCallback callback = control->creation.deleteItem;
  if (!callback || !row) return;
  GuardedCall(0, [&] {
    callback(row);
    return 0;
  });
}

void RunDeletionCallbackOnAll(const ItemListControl* control) {
  uint32_t count = ItemStoreCount(&control->rows);
  for (uint32_t i = 0; i < count; ++i) RunDeletionCallback(control, ItemStoreGet(&control->rows, i));
}

// Content width of a row's label: text, margins, check box and icon.
int ContentWidth(const ItemListControl* control, const wchar_t* text) {
  if (!text || !control->window) return 0;
  HDC dc = GetDC(control->window);
  HGDIOBJ previous = SelectObject(dc, control->font);
  int width = MeasureTextWidth(dc, text, -1) + control->widthExtra;
  SelectObject(dc, previous);
  ReleaseDC(control->window, dc);
  if (control->creation.styleFlags & kListCheckBoxes) width += control->gap + kCheckBoxSize;
  if (ViewMode(control) != kViewReport) {
    width += control->gap;
    if (control->imageList) width += control->gap + control->iconWidth;
  }
  return width;
}

void RefreshAfterChange(ItemListControl* control) {
  if (IsControlThread(control)) {
    ItemsViewLayout(control, false);
  } else {
    PostSizeToSelf(control->window);
  }
}

void ShiftIndexesAfterRemoval(ItemListControl* control, int index) {
  if (control->focusedIndex > index)
    --control->focusedIndex;
  else if (control->focusedIndex == index)
    control->focusedIndex = -1;
  control->hotIndex = -1;
  control->pendingRenameIndex = -1;
}

int DeleteOneRow(ItemListControl* control, int index) {
  if (!GetItemRecord(control, index) || !LockStore(&control->rows)) return 1;
  RunDeletionCallback(control, GetItemRecord(control, index));
  int removed = ItemStoreRemove(&control->rows, static_cast<uint32_t>(index));
  ReleaseMutexSafe(control->rows.mutex);
  if (removed != 0) return 1;
  bool hadFocus = control->focusedIndex == index;
  ShiftIndexesAfterRemoval(control, index);
  if (!control->idle) return 0;
  control->rowCount = ItemStoreCount(&control->rows);
  if (hadFocus && static_cast<uint32_t>(index) < control->rowCount) {
    uint32_t bits = (control->creation.styleFlags & kListFocusDoesNotSelect) ? kRowFocused : kRowFocused | kRowSelected;
    ItemsViewSetItemState(control, index, static_cast<int>(bits), bits);
    ItemsViewEnsureVisible(control, index);
  }
  RefreshAfterChange(control);
  return 0;
}

// Empties a store under its lock; its rows' own data is freed in the same hold, so data and rows go together.
bool EmptyStore(const ItemListControl* control, ItemStore* store, bool withCallbacks) {
  if (ItemStoreCount(store) == 0) return true;
  if (!LockStore(store)) return false;
  if (withCallbacks) RunDeletionCallbackOnAll(control);
  ItemStoreReset(store);
  ReleaseMutexSafe(store->mutex);
  return true;
}

int DeleteAllRows(ItemListControl* control, bool keep) {
  ClearWidestText(control);
  if (keep) {
    RunDeletionCallbackOnAll(control);
    return 0;
  }
  if (!EmptyStore(control, &control->rows, true)) return 1;
  control->focusedIndex = -1;
  control->hotIndex = -1;
  control->pendingRenameIndex = -1;
  control->topIndex = 0;
  uint32_t count = ItemStoreCount(&control->rows);
  bool changed = count != control->rowCount;
  control->rowCount = count;
  if (changed) RefreshAfterChange(control);
  return EmptyStore(control, &control->pathPool, false) ? 0 : 1;
}

}  // namespace

int ItemsViewInsertRecord(ItemListControl* control, const void* record, int index, const wchar_t* text) {
  if (!record) return -1;
  StopRenaming(control);
  WidenWidestText(control, 0, ContentWidth(control, text));
  uint16_t length = RecordLength(record);
  uint32_t position = index < 0 ? ItemStoreCount(&control->rows) : static_cast<uint32_t>(index);
  uint32_t stored = ItemStoreInsert(&control->rows, record, length, position);
  if (stored == kItemStoreNoPosition) return -1;
  int row = static_cast<int>(stored);
  if (control->focusedIndex >= row) ++control->focusedIndex;
  if (IsControlThread(control) && control->idle) {
    control->rowCount = ItemStoreCount(&control->rows);
    ItemsViewUpdateScrollBars(control);
    InvalidateRect(control->window, nullptr, FALSE);
  }
  return row;
}

int ItemsViewUpdateItem(ItemListControl* control, int index, const void* record) {
  if (!record || index < 0) return 1;
  StopRenaming(control);
  int result = ItemStoreUpdate(&control->rows, static_cast<uint32_t>(index), record, RecordLength(record));
  if (result == 0) ItemsViewRedrawItem(control, index);
  return result;
}

int ItemsViewDeleteItem(ItemListControl* control, int index, bool keep) {
  StopRenaming(control);
  return index < 0 ? DeleteAllRows(control, keep) : DeleteOneRow(control, index);
}
