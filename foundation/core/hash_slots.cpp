#include "foundation/core/hash_slots.h"

#include "foundation/core/memory.h"

namespace {

// Keeps the block within what one allocation can ask for.
constexpr uint32_t kLargestCapacity = 0x08000000;

uint64_t StoredKey(uint64_t key) { return key != 0 ? key : 1; }

// The slot holding `key`, or the free slot where it belongs.
HashSlot* SlotOf(const HashSlots* table, uint64_t key) {
  const uint32_t mask = table->capacity - 1;
  uint32_t at = static_cast<uint32_t>(MixHashBits(key)) & mask;
  while (table->slots[at].key != 0 && table->slots[at].key != key) at = (at + 1) & mask;
  return &table->slots[at];
}

}  // namespace

uint64_t MixHashBits(uint64_t value) {
  value ^= value >> 30;
  value *= 0xBF58476D1CE4E5B9ull;
  value ^= value >> 27;
  value *= 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

bool HashSlotsInit(HashSlots* table, uint32_t maxKeys) {
  *table = HashSlots{};
  uint32_t capacity = 16;
  while (capacity / 2 < maxKeys && capacity < kLargestCapacity) capacity *= 2;
  if (capacity / 2 < maxKeys) return false;
  table->slots = static_cast<HashSlot*>(AllocZeroed(capacity * static_cast<uint32_t>(sizeof(HashSlot))));
  if (table->slots == nullptr) return false;
  table->capacity = capacity;
  return true;
}

void HashSlotsFree(HashSlots* table) {
  FreeAndNull(&table->slots);
  *table = HashSlots{};
}

int32_t* HashSlotsFind(const HashSlots* table, uint64_t key) {
  if (table->capacity == 0) return nullptr;
  HashSlot* slot = SlotOf(table, StoredKey(key));
  return slot->key != 0 ? &slot->value : nullptr;
}

int32_t* HashSlotsFindOrAdd(HashSlots* table, uint64_t key, int32_t initial) {
  if (table->capacity == 0) return nullptr;
  key = StoredKey(key);
  HashSlot* slot = SlotOf(table, key);
  if (slot->key == key) return &slot->value;
  if (2 * (table->used + 1) > table->capacity) return nullptr;
  slot->key = key;
  slot->value = initial;
  ++table->used;
  return &slot->value;
}
