// Ordered, indexed lists of length-prefixed records: the rows of the program's lists.
//
// Every record begins with its own total length in bytes as a u16 (the two length bytes included), so a
// record holds 2 to 65535 bytes. Records lie in a RecordBuffer in the order they were appended; the index
// gives the list's order (entry i is the byte offset of row i).
//
// Readers never lock: ItemStoreGet, ItemStoreCount and ItemStoreMove (done only by the GUI thread) take
// no lock. Changes take the store's mutex and wait for it at most 50 ms; a change that cannot have it
// fails.
//
// Threads: any thread reads; every change is made under the mutex (ItemStoreMove aside), and the bytes move on
// the GUI thread (foundation/core/record_buffer.h). The index array is read without a lock by ItemStoreGet,
// ItemStoreMove and the sort, each counted in `indexReaders` from before it fetches the array until it is done
// with it. A growing index replaces the array under the mutex; the old one joins `retiredIndex` and is freed,
// under the mutex, by the first growth, emptying or destruction that finds no reader counted: a reader counted
// after the swap can only have fetched the new array. Destruction frees everything: nobody may read a store
// once its owner destroys it.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/record_buffer.h"

constexpr uint32_t kItemStoreIndexGrowth = 4096;
constexpr uint32_t kItemStoreMaxRecord = 65535;
// ItemStoreInsert's result when the row could not be stored.
constexpr uint32_t kItemStoreNoPosition = 0xFFFFFFFF;

struct ItemStore {
  RecordBuffer buffer;
  uint32_t* index;          // row offsets in list order; entries from the record count on are meaningless
  uint32_t indexCapacity;   // entries
  HANDLE mutex;             // unnamed, guards every change
  volatile LONG changes;    // raised by every change, so a sort can tell that its rows went stale
  volatile LONG indexReaders;  // lock-free readers of the index at this moment (interlocked)
  uint32_t* retiredIndex;   // replaced index arrays a reader may still hold, chained; under the mutex
};

// Sets a store up in place: empty buffer with the grow-here flag clear, no index, a new unowned mutex.
// 0, or the error of CreateMutexW.
DWORD ItemStoreInit(ItemStore* store);

// Appends a row at the end of the list. 0 on success; 1 when the mutex could not be had or the buffer
// could not take the record (also for a length outside 2..65535); 2 when the index could not grow.
int ItemStoreAppend(ItemStore* store, const void* record, uint32_t n);

// Appends the records that lie back to back in `records` (`bytes` in all, each beginning with its own length)
// under one hold of the mutex, so that a writer of many rows waits for it once. 0 when all were stored; 1 when
// the mutex could not be had; 87 when the bytes are not a whole list of storable records; 8 when the index or
// the block could not grow. Only with 0 is any of them stored.
int ItemStoreAppendRecords(ItemStore* store, const void* records, uint32_t bytes);

// Stores a row at a list position (at or past the end: last). The row's position, or kItemStoreNoPosition
// when it could not be stored.
uint32_t ItemStoreInsert(ItemStore* store, const void* record, uint32_t n, uint32_t position);

// Swaps row position with the one before (negative step) or after (positive step); row 0 does not move
// up, the last row not down, and a position out of range not at all. Returns the row's new position.
uint32_t ItemStoreMove(ItemStore* store, uint32_t position, int step);

// Row i, or null when there is no such row.
uint8_t* ItemStoreGet(const ItemStore* store, uint32_t i);

// Number of rows.
uint32_t ItemStoreCount(const ItemStore* store);

// Replaces row i. 0 replaced; 2 when the bytes are the same (nothing is written); 1 when the mutex could
// not be had, there is no row i, or a longer row could not be stored (then the old row stays). A row that
// does not grow is written in place; a longer one moves to the end of the block, keeping its list position.
int ItemStoreUpdate(ItemStore* store, uint32_t i, const void* record, uint32_t n);

// Removes row i. 0 removed; 1 when the mutex could not be had or there is no row i.
int ItemStoreRemove(ItemStore* store, uint32_t i);

// Asked of each row, in list order, before anything moves: true removes it.
using ItemStoreRowTest = bool (*)(uint8_t* row, void* context);

// Removes every row the test picks in one pass: the kept rows' bytes close up in block order and their index
// entries keep the list order, so that many rows cost little more than their bytes. The number of rows removed, or
// kItemStoreNoPosition when the mutex could not be had or no memory was left (then nothing changed).
uint32_t ItemStoreRemoveWhere(ItemStore* store, ItemStoreRowTest remove, void* context);

// Empties the store, keeping the block and the index for reuse. 0, or 1 when the mutex could not be had
// (then the rows stay).
int ItemStoreReset(ItemStore* store);

// Releases the index arrays, the mutex and the buffer.
void ItemStoreDestroy(ItemStore* store);

// Called by every lock-free reader of an index right after it fetched the array (null: nothing), so that a test
// can hold a reader there. Returns the previous one.
using ItemStoreReadGate = void (*)(const ItemStore* store);
ItemStoreReadGate SetItemStoreReadGate(ItemStoreReadGate gate);

// Sorting. The sort asks a key function for each row's key through a SortKeyRequest and orders the rows
// by a chain of keys: a key function names the key that breaks ties in nextKeyId, and ends the chain by
// naming the current key again or a negative one.
enum SortValueType : int32_t {
  kSortNoValue = 0,
  kSortValueU32 = 1,
  kSortValueU64 = 2,
  kSortValueText = 3,  // zero-terminated wide text
};

// Group-rank bit: descending order does not apply to rows of this rank.
constexpr uint16_t kSortRankIgnoresDescending = 0x1000;

struct SortKeyRequest {
  int16_t keyId;      // the key wanted; the key function sets it negative to refuse the key
  int16_t nextKeyId;  // the key that breaks ties with this one; -1 before the first pass
  int16_t textMode;   // 0: texts ignoring case and kana type; non-zero: digit runs also by value
  uint16_t groupRank; // higher ranks come first in either direction
  int32_t valueType;  // a SortValueType
  const void* value;  // where the value lies (usually inside the row)
  void* caller;       // the caller's pointer, handed through unchanged
  uint8_t space[2048];  // room for a value the key function formats itself
};

// Fills the request for one row; a null row is the probe, which sets the text mode or refuses the sort.
using SortKeyFunction = void (*)(SortKeyRequest* request, const uint8_t* row);

// Sorts the list by firstKey. Returns the number of index entries that changed place: 0 when there is
// nothing to sort, when the probe refuses, when the key function throws or faults, when the mutex could
// not be had for the write-back, or when the store changed while it was being sorted.
uint32_t ItemStoreSort(ItemStore* store, int16_t firstKey, bool descending, SortKeyFunction keyFunction,
                       void* caller);
