// Sorting the rows of a record block by a chain of keys, for the item stores (foundation/core/item_store.h holds
// the key function's interface).
//
// Each row's answer for the sort's first key is asked once and kept beside the row's offset in a sort entry,
// so that most comparisons need neither the key function nor the row's bytes; only rows equal in the first key
// go through the key chain again. The rows are read in the order of their offsets, which is mostly the order
// they were appended in; texts are kept as sort keys of the name order where the system makes them.
#pragma once
#include <cstdint>

#include "foundation/core/item_store.h"

struct RowSort {
  const uint8_t* block;     // the rows, each beginning with its u16 length; bytes between them are no row
  uint32_t blockBytes;
  const uint32_t* offsets;  // where the rows begin, ascending
  uint32_t count;           // entries of offsets
  int16_t firstKey;
  bool descending;
  SortKeyFunction keyFunction;
  void* caller;
};

// The rows' offsets in sorted order into `sorted` (count entries; it may be `offsets` itself). Rows equal in
// every key keep the order they have in the block. False when the key function's probe refuses the key, when
// the key function throws or faults, when memory runs out, or when an offset is not that of a whole row.
bool SortRowOffsets(const RowSort& sort, uint32_t* sorted);
