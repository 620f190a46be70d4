// The fixed-size hash table: lookups, additions, the key 0 and a full table.
#include "foundation/hash_slots.h"

#include <gtest/gtest.h>

TEST(HashSlots, FindsWhatWasAddedAndRefusesBeyondItsSize) {
  HashSlots slots;
  ASSERT_TRUE(HashSlotsInit(&slots, 100));
  EXPECT_EQ(HashSlotsFind(&slots, 42), nullptr);
  for (uint64_t key = 0; key < 100; ++key) {
    int32_t* value = HashSlotsFindOrAdd(&slots, key * 0x100000000ull, -1);
    ASSERT_NE(value, nullptr) << key;
    EXPECT_EQ(*value, -1);
    *value = static_cast<int32_t>(key);
  }
  for (uint64_t key = 0; key < 100; ++key) {
    const int32_t* value = HashSlotsFind(&slots, key * 0x100000000ull);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, static_cast<int32_t>(key));
  }
  EXPECT_EQ(*HashSlotsFindOrAdd(&slots, 0, 5), 0) << "a key already held keeps its value";
  uint32_t extra = 0;
  while (HashSlotsFindOrAdd(&slots, 7 + extra, 0) != nullptr) ++extra;
  EXPECT_EQ(slots.used, slots.capacity / 2);
  EXPECT_NE(HashSlotsFind(&slots, 7), nullptr);
  HashSlotsFree(&slots);
  EXPECT_EQ(HashSlotsFindOrAdd(&slots, 1, 0), nullptr);
}
