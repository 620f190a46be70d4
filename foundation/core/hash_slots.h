// A fixed-size hash table from 64-bit keys to 32-bit values, for indexes over large row sets (the keys are
// usually hashes themselves). Sized once for the most keys it will hold; it never grows, so a value's address
// stays valid for the table's lifetime.
#pragma once
#include <cstdint>

struct HashSlot {
  uint64_t key;  // 0 marks a free slot; a key of 0 is stored as 1
  int32_t value;
};

struct HashSlots {
  HashSlot* slots;
  uint32_t capacity;  // a power of two, at least twice the keys it may hold
  uint32_t used;
};

// Room for `maxKeys` keys. False when the heap refuses (the table is then empty and unusable).
bool HashSlotsInit(HashSlots* table, uint32_t maxKeys);
void HashSlotsFree(HashSlots* table);

// The value of `key`, or null when the table does not hold it.
int32_t* HashSlotsFind(const HashSlots* table, uint64_t key);

// The value of `key`, added with `initial` when missing; null when the table is full or unusable.
int32_t* HashSlotsFindOrAdd(HashSlots* table, uint64_t key, int32_t initial);

// Spreads the bits of a 64-bit value (the finaliser of splitmix64); also combines keys.
uint64_t MixHashBits(uint64_t value);
