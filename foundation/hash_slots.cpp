#include "foundation/hash_slots.h"

#include "foundation/memory.h"

namespace {

// Keeps the key block within what one allocation can ask for.
constexpr uint32_t kLargestCapacity = 0x10000000;

uint64_t StoredKey(uint64_t key) { return key != 0 ? key : 1; }

// The slot holding `key`, or the free slot where it belongs.
uint32_t SlotOf(const HashSlots* slots, uint64_t key) {
  const uint32_t mask = slots->capacity - 1;
  uint32_t slot = static_cast<uint32_t>(MixHashBits(key)) & mask;
  while (slots->keys[slot] != 0 && slots->keys[slot] != key) slot = (slot + 1) & mask;
  return slot;
}

}  // namespace

uint64_t MixHashBits(uint64_t value) {
  value ^= value >> 30;
  value *= 0xBF58476D1CE4E5B9ull;
  value ^= value >> 27;
  value *= 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

bool HashSlotsInit(HashSlots* slots, uint32_t maxKeys) {
  *slots = HashSlots{};
  uint32_t capacity = 16;
  while (capacity / 2 < maxKeys && capacity < kLargestCapacity) capacity *= 2;
  if (capacity / 2 < maxKeys) return false;
  slots->keys = static_cast<uint64_t*>(AllocZeroed(capacity * 8));
  slots->values = static_cast<int32_t*>(AllocZeroed(capacity * 4));
  if (slots->keys == nullptr || slots->values == nullptr) {
    HashSlotsFree(slots);
    return false;
  }
  slots->capacity = capacity;
  return true;
}

void HashSlotsFree(HashSlots* slots) {
  FreeAndNull(&slots->keys);
  FreeAndNull(&slots->values);
  *slots = HashSlots{};
}

int32_t* HashSlotsFind(const HashSlots* slots, uint64_t key) {
  if (slots->capacity == 0) return nullptr;
  const uint32_t slot = SlotOf(slots, StoredKey(key));
  return slots->keys[slot] != 0 ? &slots->values[slot] : nullptr;
}

int32_t* HashSlotsFindOrAdd(HashSlots* slots, uint64_t key, int32_t initial) {
  if (slots->capacity == 0) return nullptr;
  key = StoredKey(key);
  const uint32_t slot = SlotOf(slots, key);
  if (slots->keys[slot] == key) return &slots->values[slot];
  if (2 * (slots->used + 1) > slots->capacity) return nullptr;
  slots->keys[slot] = key;
  slots->values[slot] = initial;
  ++slots->used;
  return &slots->values[slot];
}
