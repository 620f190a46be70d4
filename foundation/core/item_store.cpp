#include "foundation/core/item_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/core/row_sort.h"
#include "foundation/core/threads.h"

namespace {

bool IsStorableLength(uint32_t n) { return n >= 2 && n <= kItemStoreMaxRecord; }

uint32_t RecordLength(const uint8_t* row) {
  uint16_t length;
  memcpy(&length, row, sizeof length);
  return length;
}

ItemStoreReadGate g_readGate = nullptr;

// Every index array has a link in front of its entries, through which a replaced array joins the retired ones;
// readers never read it.
constexpr uint64_t kIndexLinkBytes = sizeof(uint32_t*);

uint32_t* AllocIndex(uint64_t entries) {
  const uint64_t bytes = kIndexLinkBytes + entries * sizeof(uint32_t);
  if (bytes > UINT32_MAX) return nullptr;
  auto* block = static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(bytes)));
  return block ? reinterpret_cast<uint32_t*>(block + kIndexLinkBytes) : nullptr;
}

uint32_t** RetiredLink(uint32_t* index) {
  return reinterpret_cast<uint32_t**>(reinterpret_cast<uint8_t*>(index) - kIndexLinkBytes);
}

void FreeIndex(uint32_t* index) {
  void* block = RetiredLink(index);
  FreeAndNull(&block);
}

// A lock-free reader is counted from before it fetches the index until EndIndexRead.
const uint32_t* BeginIndexRead(const ItemStore* store) {
  InterlockedIncrement(&const_cast<ItemStore*>(store)->indexReaders);
  const uint32_t* index = std::atomic_ref<uint32_t*>(const_cast<ItemStore*>(store)->index).load();
  if (g_readGate) g_readGate(store);
  return index;
}

void EndIndexRead(const ItemStore* store) { InterlockedDecrement(&const_cast<ItemStore*>(store)->indexReaders); }

void NoteChange(ItemStore* store) { InterlockedIncrement(&store->changes); }

// Under the mutex, or by the store's destruction.
void FreeRetiredIndexes(ItemStore* store) {
  while (uint32_t* retired = store->retiredIndex) {
    store->retiredIndex = *RetiredLink(retired);
    FreeIndex(retired);
  }
}

// Under the mutex. The new array is published (sequentially consistent) before the readers are counted: a reader
// that still holds the old one was counted before the swap, and one counted later fetches the new one.
void FreeRetiredIndexesNobodyReads(ItemStore* store) {
  if (store->retiredIndex && InterlockedCompareExchange(&store->indexReaders, 0, 0) == 0) FreeRetiredIndexes(store);
}

int GrowIndex(ItemStore* store) {
  const uint64_t capacity = static_cast<uint64_t>(store->indexCapacity) + kItemStoreIndexGrowth;
  uint32_t* grown = AllocIndex(capacity);
  if (!grown) return 2;
  uint32_t* old = store->index;
  if (old) memcpy(grown, old, store->indexCapacity * sizeof(uint32_t));
  std::atomic_ref<uint32_t*>(store->index).store(grown);
  store->indexCapacity = static_cast<uint32_t>(capacity);
  if (old) {
    *RetiredLink(old) = store->retiredIndex;
    store->retiredIndex = old;
  }
  FreeRetiredIndexesNobodyReads(store);
  return 0;
}

// The caller holds the mutex. The index entry is written before the count that makes the row visible.
int AppendLocked(ItemStore* store, const void* record, uint32_t n) {
  if (!IsStorableLength(n)) return 1;
  uint32_t row = RecordBufferCount(&store->buffer);
  if (row >= store->indexCapacity && GrowIndex(store) != 0) return 2;
  store->index[row] = store->buffer.used;
  int result = RecordBufferAppend(&store->buffer, record, n);
  if (result == 0) NoteChange(store);
  return result;
}

// The number of records that exactly fill the bytes; kItemStoreNoPosition when they do not.
uint32_t CountWholeRecords(const uint8_t* records, uint32_t bytes) {
  uint32_t count = 0;
  for (uint32_t at = 0; at < bytes; ++count) {
    if (bytes - at < 2) return kItemStoreNoPosition;
    const uint32_t length = RecordLength(records + at);
    if (!IsStorableLength(length) || length > bytes - at) return kItemStoreNoPosition;
    at += length;
  }
  return count;
}

// The caller holds the mutex. As for one row, the index entries are written before the count that shows them.
int AppendRecordsLocked(ItemStore* store, const uint8_t* records, uint32_t bytes, uint32_t count) {
  const uint32_t first = RecordBufferCount(&store->buffer);
  if (static_cast<uint64_t>(first) + count > UINT32_MAX - 1) return ERROR_NOT_ENOUGH_MEMORY;
  while (first + count > store->indexCapacity) {
    if (GrowIndex(store) != 0) return ERROR_NOT_ENOUGH_MEMORY;
  }
  const uint32_t offset = store->buffer.used;
  if (RecordBufferAppendBytes(&store->buffer, records, bytes) != 0) return ERROR_NOT_ENOUGH_MEMORY;
  for (uint32_t i = 0, at = 0; i < count; ++i) {
    store->index[first + i] = offset + at;
    at += RecordLength(records + at);
  }
  RecordBufferPublishCount(&store->buffer, first + count);
  NoteChange(store);
  return 0;
}

// Moves the new last row up to position; rows from position on move down one place.
uint32_t PlaceNewRow(ItemStore* store, uint32_t row, uint32_t position) {
  if (position >= row) return row;
  uint32_t offset = store->index[row];
  memmove(store->index + position + 1, store->index + position, (row - position) * sizeof(uint32_t));
  store->index[position] = offset;
  return position;
}

void LowerOffsetsAbove(ItemStore* store, uint32_t offset, uint32_t length, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    if (store->index[i] > offset) store->index[i] -= length;
  }
}

struct ReplaceJob {
  ItemStore* store;
  uint32_t row;
  uint32_t oldOffset;
  uint32_t oldLength;
  uint32_t newOffset;
};

// Points the row at its new bytes and closes the old row's gap in one step where the bytes may move.
LRESULT ReplaceRowHere(void* argument) {
  ReplaceJob* job = static_cast<ReplaceJob*>(argument);
  ItemStore* store = job->store;
  store->index[job->row] = job->newOffset;
  uint32_t removed = RecordBufferCloseGapHere(&store->buffer, job->oldOffset, job->oldLength);
  LowerOffsetsAbove(store, job->oldOffset, removed, RecordBufferCount(&store->buffer));
  return 1;
}

struct RemoveJob {
  ItemStore* store;
  uint32_t row;
};

LRESULT RemoveRowHere(void* argument) {
  RemoveJob* job = static_cast<RemoveJob*>(argument);
  ItemStore* store = job->store;
  uint32_t count = RecordBufferCount(&store->buffer);
  uint32_t offset = store->index[job->row];
  uint32_t length = RecordLength(store->buffer.data + offset);
  memmove(store->index + job->row, store->index + job->row + 1, (count - job->row - 1) * sizeof(uint32_t));
  uint32_t removed = RecordBufferCloseGapHere(&store->buffer, offset, length);
  RecordBufferPublishCount(&store->buffer, count - 1);
  LowerOffsetsAbove(store, offset, removed, count - 1);
  return 1;
}

struct RemoveWhereJob {
  ItemStore* store;
  ItemStoreRowTest remove;
  void* context;
  uint32_t removed;
};

struct RowPlace {
  uint32_t offset;
  uint32_t position;  // in list order
};

// Moves the kept rows down over the removed ones in block order (a row only ever moves down), then closes up the
// index in list order with their new offsets.
void CloseUpKeptRows(ItemStore* store, RowPlace* places, const uint8_t* kept, uint32_t count) {
  std::sort(places, places + count, [](const RowPlace& a, const RowPlace& b) { return a.offset < b.offset; });
  uint8_t* data = store->buffer.data;
  uint32_t write = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (!kept[places[i].position]) continue;
    const uint32_t length = RecordLength(data + places[i].offset);
    if (write != places[i].offset) memmove(data + write, data + places[i].offset, length);
    store->index[places[i].position] = write;
    write += length;
  }
  uint32_t left = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (kept[i]) store->index[left++] = store->index[i];
  }
  store->buffer.used = write;
  RecordBufferPublishCount(&store->buffer, left);
}

LRESULT RemoveWhereHere(void* argument) {
  auto* job = static_cast<RemoveWhereJob*>(argument);
  ItemStore* store = job->store;
  const uint32_t count = RecordBufferCount(&store->buffer);
  auto* places = static_cast<RowPlace*>(AllocZeroed(count * static_cast<uint32_t>(sizeof(RowPlace))));
  auto* kept = static_cast<uint8_t*>(AllocZeroed(count));
  if (places && kept) {
    job->removed = 0;
    for (uint32_t i = 0; i < count; ++i) {
      places[i] = RowPlace{store->index[i], i};
      kept[i] = job->remove(store->buffer.data + store->index[i], job->context) ? 0 : 1;
      job->removed += kept[i] ? 0 : 1;
    }
    if (job->removed > 0) CloseUpKeptRows(store, places, kept, count);
  }
  FreeAndNull(&places);
  FreeAndNull(&kept);
  return 1;
}

bool HasRow(const ItemStore* store, uint32_t i) {
  return store->index && store->buffer.data && i < RecordBufferCount(&store->buffer);
}

// The longer row is stored before the old one goes: when the block cannot take it, the old row stays.
int ReplaceWithLongerRow(ItemStore* store, uint32_t i, const void* record, uint32_t n) {
  uint32_t oldOffset = store->index[i];
  uint32_t oldLength = RecordLength(store->buffer.data + oldOffset);
  uint32_t newOffset = store->buffer.used;
  if (RecordBufferAppendBytes(&store->buffer, record, n) != 0) return 1;
  ReplaceJob job{store, i, oldOffset, oldLength, newOffset};
  RecordBufferRunWhereBytesMayMove(&store->buffer, ReplaceRowHere, &job);
  NoteChange(store);
  return 0;
}

int UpdateLocked(ItemStore* store, uint32_t i, const void* record, uint32_t n) {
  if (!HasRow(store, i)) return 1;
  uint8_t* row = store->buffer.data + store->index[i];
  uint32_t length = RecordLength(row);
  if (n > length) return ReplaceWithLongerRow(store, i, record, n);
  if (n == length && memcmp(row, record, n) == 0) return 2;
  memmove(row, record, n);
  NoteChange(store);
  return 0;
}

// Rows appended, removed, reset or moved while the sort ran make its offsets stale: they are dropped.
uint32_t WriteBackSortedIndex(ItemStore* store, const uint32_t* sorted, uint32_t count, LONG changesBefore) {
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  if (!hold.Held()) return 0;
  uint32_t changed = 0;
  if (store->changes == changesBefore && RecordBufferCount(&store->buffer) == count) {
    for (uint32_t i = 0; i < count; ++i) {
      if (store->index[i] == sorted[i]) continue;
      store->index[i] = sorted[i];
      ++changed;
    }
    if (changed) NoteChange(store);
  }
  return changed;
}

}  // namespace

DWORD ItemStoreInit(ItemStore* store) {
  RecordBufferInit(&store->buffer, false);
  store->index = nullptr;
  store->indexCapacity = 0;
  store->changes = 0;
  store->indexReaders = 0;
  store->retiredIndex = nullptr;
  store->mutex = CreateMutexW(nullptr, FALSE, nullptr);
  return store->mutex ? 0 : GetLastError();
}

int ItemStoreAppend(ItemStore* store, const void* record, uint32_t n) {
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  return hold.Held() ? AppendLocked(store, record, n) : 1;
}

int ItemStoreAppendRecords(ItemStore* store, const void* records, uint32_t bytes) {
  const uint8_t* start = static_cast<const uint8_t*>(records);
  const uint32_t count = start != nullptr ? CountWholeRecords(start, bytes) : kItemStoreNoPosition;
  if (count == kItemStoreNoPosition) return ERROR_INVALID_PARAMETER;
  if (count == 0) return 0;
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  return hold.Held() ? AppendRecordsLocked(store, start, bytes, count) : 1;
}

uint32_t ItemStoreInsert(ItemStore* store, const void* record, uint32_t n, uint32_t position) {
  // One hold of the mutex for the append and the reordering: no other change can come between.
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  if (!hold.Held()) return kItemStoreNoPosition;
  uint32_t row = RecordBufferCount(&store->buffer);
  return AppendLocked(store, record, n) == 0 ? PlaceNewRow(store, row, position) : kItemStoreNoPosition;
}

uint32_t ItemStoreMove(ItemStore* store, uint32_t position, int step) {
  uint32_t count = ItemStoreCount(store);
  uint32_t* index = const_cast<uint32_t*>(BeginIndexRead(store));
  uint32_t target = position;
  if (index && position < count) {
    if (step < 0 && position > 0) target = position - 1;
    if (step > 0 && position + 1 < count) target = position + 1;
  }
  if (target != position) {
    std::swap(index[position], index[target]);
    NoteChange(store);
  }
  EndIndexRead(store);
  return target;
}

uint8_t* ItemStoreGet(const ItemStore* store, uint32_t i) {
  uint32_t count = RecordBufferCount(&store->buffer);
  const uint32_t* index = BeginIndexRead(store);
  uint8_t* data = store->buffer.data;
  uint8_t* row = index && i < count && data ? data + index[i] : nullptr;
  EndIndexRead(store);
  return row;
}

uint32_t ItemStoreCount(const ItemStore* store) { return RecordBufferCount(&store->buffer); }

int ItemStoreUpdate(ItemStore* store, uint32_t i, const void* record, uint32_t n) {
  if (!record || !IsStorableLength(n)) return 1;
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  return hold.Held() ? UpdateLocked(store, i, record, n) : 1;
}

int ItemStoreRemove(ItemStore* store, uint32_t i) {
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  if (!hold.Held() || !HasRow(store, i)) return 1;
  RemoveJob job{store, i};
  RecordBufferRunWhereBytesMayMove(&store->buffer, RemoveRowHere, &job);
  NoteChange(store);
  return 0;
}

uint32_t ItemStoreRemoveWhere(ItemStore* store, ItemStoreRowTest remove, void* context) {
  if (!remove) return kItemStoreNoPosition;
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  if (!hold.Held()) return kItemStoreNoPosition;
  RemoveWhereJob job{store, remove, context, kItemStoreNoPosition};
  if (RecordBufferCount(&store->buffer) == 0) {
    job.removed = 0;
  } else {
    RecordBufferRunWhereBytesMayMove(&store->buffer, RemoveWhereHere, &job);
  }
  if (job.removed != 0 && job.removed != kItemStoreNoPosition) NoteChange(store);
  return job.removed;
}

int ItemStoreReset(ItemStore* store) {
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  if (!hold.Held()) return 1;
  RecordBufferReset(&store->buffer);
  NoteChange(store);
  FreeRetiredIndexesNobodyReads(store);
  return 0;
}

void ItemStoreDestroy(ItemStore* store) {
  // The brief wait lets a change in progress end.
  MutexHold hold(store->mutex, kBriefMutexWaitMs);
  if (store->index) FreeIndex(store->index);
  store->index = nullptr;
  store->indexCapacity = 0;
  FreeRetiredIndexes(store);
  hold.Release();
  CloseHandleSafe(store->mutex);
  store->mutex = nullptr;
  RecordBufferDestroy(&store->buffer);
}

ItemStoreReadGate SetItemStoreReadGate(ItemStoreReadGate gate) {
  ItemStoreReadGate previous = g_readGate;
  g_readGate = gate;
  return previous;
}

uint32_t ItemStoreSort(ItemStore* store, int16_t firstKey, bool descending, SortKeyFunction keyFunction,
                       void* caller) {
  const LONG changesBefore = store->changes;
  const uint32_t count = ItemStoreCount(store);
  if (count == 0 || !store->index || !store->buffer.data || !keyFunction) return 0;
  auto* sorted = static_cast<uint32_t*>(AllocZeroed(count * static_cast<uint32_t>(sizeof(uint32_t))));
  if (sorted) {
    // The rows are those the index names: a row rewritten shorter leaves bytes in the block that are no row.
    // They are read in block order, as they lie in memory.
    memcpy(sorted, BeginIndexRead(store), count * sizeof(uint32_t));
    EndIndexRead(store);
    std::sort(sorted, sorted + count);
  }
  const RowSort sort = {store->buffer.data, store->buffer.used, sorted, count, firstKey, descending, keyFunction,
                        caller};
  const uint32_t changed =
      sorted && SortRowOffsets(sort, sorted) ? WriteBackSortedIndex(store, sorted, count, changesBefore) : 0;
  FreeAndNull(&sorted);
  return changed;
}
