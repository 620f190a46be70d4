#include "views/items_view.h"

#include <cstring>

#include "foundation/win32/gdi.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/threads.h"
#include "foundation/win32/window_wrappers.h"
#include "views/file_list_row.h"
#include "views/items_view_columns.h"
#include "views/items_view_edit.h"
#include "views/items_view_layout.h"
#include "views/items_view_rows.h"
#include "views/items_view_state.h"
#include "views/items_view_window.h"

namespace {

// Clearing waits this long for a store's lock before it gives up.
constexpr DWORD kStoreLockWaitMs = 20 * kBriefMutexWaitMs;

uint16_t RecordLength(const void* record) {
  uint16_t length;
  memcpy(&length, record, sizeof length);
  return length;
}

void StopRenaming(ItemListControl* control) {
  if (IsControlThread(control)) KillTimer(control->window, kRenameTimer);
  ItemsViewEndEdit(control, false);
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

// Content width of a row's label measured in a DC that holds the list's font: text, margins, check box and icon.
int ContentWidthIn(HDC dc, const ItemListControl* control, const wchar_t* text) {
  int width = MeasureTextWidth(dc, text, -1) + control->widthExtra;
  if (control->creation.styleFlags & kListCheckBoxes) width += control->gap + kCheckBoxSize;
  if (ViewMode(control) != kViewReport) {
    width += control->gap;
    if (control->imageList) width += control->gap + control->iconWidth;
  }
  return width;
}

int ContentWidth(const ItemListControl* control, const wchar_t* text) {
  if (!text || !control->window) return 0;
  HDC dc = GetDC(control->window);
  HGDIOBJ previous = SelectObject(dc, control->font);
  const int width = ContentWidthIn(dc, control, text);
  SelectObject(dc, previous);
  ReleaseDC(control->window, dc);
  return width;
}

// Widens the list cell to the main text of each record, measured in one DC.
void WidenToRecordTexts(ItemListControl* control, const uint8_t* records, uint32_t bytes,
                        RecordTextFunction mainText) {
  if (!control->window) return;
  HDC dc = GetDC(control->window);
  HGDIOBJ previous = SelectObject(dc, control->font);
  for (uint32_t at = 0; at < bytes; at += RecordLength(records + at)) {
    const wchar_t* text = mainText(records + at);
    if (text) WidenWidestText(control, 0, ContentWidthIn(dc, control, text));
  }
  SelectObject(dc, previous);
  ReleaseDC(control->window, dc);
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
  if (!GetItemRecord(control, index)) return 1;
  MutexHold hold(control->rows.mutex, kStoreLockWaitMs);
  if (!hold.Held()) return 1;
  RunDeletionCallback(control, GetItemRecord(control, index));
  int removed = ItemStoreRemove(&control->rows, static_cast<uint32_t>(index));
  hold.Release();
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
  ItemsViewLayoutFromAnyThread(control);
  return 0;
}

// Empties a store under its lock; its rows' own data is freed in the same hold, so data and rows go together.
bool EmptyStore(const ItemListControl* control, ItemStore* store, bool withCallbacks) {
  if (ItemStoreCount(store) == 0) return true;
  MutexHold hold(store->mutex, kStoreLockWaitMs);
  if (!hold.Held()) return false;
  if (withCallbacks) RunDeletionCallbackOnAll(control);
  ItemStoreReset(store);
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
  if (changed) ItemsViewLayoutFromAnyThread(control);
  return EmptyStore(control, &control->pathPool, false) ? 0 : 1;
}

constexpr LRESULT kRowsDeleted = 1;

struct DeleteWhereRequest {
  ItemListControl* control;
  ItemStoreRowTest remove;
  void* context;
};

// A row the caller's test picks loses its own data before it goes.
bool RemoveWithCallback(uint8_t* row, void* argument) {
  const auto* request = static_cast<const DeleteWhereRequest*>(argument);
  if (!request->remove(row, request->context)) return false;
  RunDeletionCallback(request->control, row);
  return true;
}

LRESULT DeleteWhereHere(void* argument) {
  auto* request = static_cast<DeleteWhereRequest*>(argument);
  ItemListControl* control = request->control;
  StopRenaming(control);
  MutexHold hold(control->rows.mutex, kStoreLockWaitMs);
  if (!hold.Held()) return 0;
  const uint32_t removed = ItemStoreRemoveWhere(&control->rows, RemoveWithCallback, request);
  hold.Release();
  if (removed == kItemStoreNoPosition) return 0;
  if (removed == 0) return kRowsDeleted;
  control->focusedIndex = control->focusedIndex >= 0 ? FindFocusedRow(control) : -1;
  control->hotIndex = -1;
  control->pendingRenameIndex = -1;
  control->rowCount = ItemStoreCount(&control->rows);
  ItemsViewLayoutFromAnyThread(control);
  return kRowsDeleted;
}

struct DeleteRequest {
  ItemListControl* control;
  int index;
  bool keep;
};

// Rows leave the list on the control's thread, where its focus, scrolling and cell widths are kept.
LRESULT DeleteHere(void* argument) {
  const DeleteRequest* request = static_cast<const DeleteRequest*>(argument);
  ItemListControl* control = request->control;
  StopRenaming(control);
  const int result = request->index < 0 ? DeleteAllRows(control, request->keep) : DeleteOneRow(control, request->index);
  return result == 0 ? kRowsDeleted : 0;
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

int ItemsViewAppendRecords(ItemListControl* control, const uint8_t* records, uint32_t bytes,
                           RecordTextFunction mainText) {
  if (!records || bytes == 0) return 0;
  StopRenaming(control);
  const int stored = ItemStoreAppendRecords(&control->rows, records, bytes);
  if (stored != 0) return stored;
  if (mainText) WidenToRecordTexts(control, records, bytes, mainText);
  if (IsControlThread(control) && control->idle) {
    control->rowCount = ItemStoreCount(&control->rows);
    ItemsViewUpdateScrollBars(control);
    InvalidateRect(control->window, nullptr, FALSE);
  }
  return 0;
}

int ItemsViewUpdateItem(ItemListControl* control, int index, const void* record) {
  if (!record || index < 0) return 1;
  StopRenaming(control);
  int result = ItemStoreUpdate(&control->rows, static_cast<uint32_t>(index), record, RecordLength(record));
  if (result == 0) ItemsViewRedrawItem(control, index);
  return result;
}

int ItemsViewDeleteRowsWhere(ItemListControl* control, ItemStoreRowTest remove, void* context) {
  DeleteWhereRequest request = {control, remove, context};
  return remove && RunOnGuiThread(DeleteWhereHere, &request) == kRowsDeleted ? 0 : 1;
}

int ItemsViewDeleteItem(ItemListControl* control, int index, bool keep) {
  DeleteRequest request = {control, index, keep};
  return RunOnGuiThread(DeleteHere, &request) == kRowsDeleted ? 0 : 1;
}
