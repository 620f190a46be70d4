// Sorting the rows of a record block by a chain of keys, for the item stores (foundation/core/item_store.h holds
// the key function's interface).
//
// Each row's answer for the sort's first key is asked once and kept beside the row's offset in a sort entry,
// so that most comparisons need neither the key function nor the row's bytes; only rows equal in the first key
// go through the key chain again. The block is read from its start, row after row, which is also where the
// rows were appended; texts are kept as sort keys of the name order where the system makes them.
#pragma once
#include <cstdint>

#include "foundation/core/item_store.h"

struct RowSort {
  const uint8_t* block;  // the rows back to back, each beginning with its u16 length
  uint32_t blockBytes;
  uint32_t count;        // the rows in the block
  int16_t firstKey;
  bool descending;
  SortKeyFunction keyFunction;
  void* caller;
};

// The offsets of the block's rows in sorted order into `sorted` (count entries). Rows equal in every key keep
// the order they have in the block. False when the key function's probe refuses the key, when the key function
// throws or faults, when memory runs out, or when the block does not hold `count` whole rows.
bool SortRowOffsets(const RowSort& sort, uint32_t* sorted);
