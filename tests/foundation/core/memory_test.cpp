// Zero-filled heap blocks and the pointer slots that free them.
#include "foundation/core/memory.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Memory, BlocksArriveZeroFilled) {
  auto* block = static_cast<unsigned char*>(AllocZeroed(1000));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(block[i], 0) << "byte " << i;
  FreeAndNull(&block);
  EXPECT_EQ(block, nullptr);
}

TEST(Memory, SizeZeroAndImpossibleSizesGiveNull) {
  EXPECT_EQ(AllocZeroed(0), nullptr);
  EXPECT_EQ(AllocZeroedWide(0), nullptr);
  EXPECT_EQ(AllocZeroedWide(0x80000000u), nullptr);
}

TEST(Memory, WideBlocksCountCharacters) {
  wchar_t* text = AllocZeroedWide(300);
  ASSERT_NE(text, nullptr);
  text[299] = L'x';
  EXPECT_EQ(text[0], 0);
  FreeAndNull(&text);
  EXPECT_EQ(text, nullptr);
}

TEST(Memory, FreeingEmptyOrMissingSlotsDoesNothing) {
  void* empty = nullptr;
  FreeAndNull(&empty);
  EXPECT_EQ(empty, nullptr);
  FreeAndNull(static_cast<void*>(nullptr));
}

TEST(Memory, BlockAllocatedOnOneThreadIsFreedOnAnother) {
  void* block = AllocZeroed(64);
  ASSERT_NE(block, nullptr);
  std::thread([&block] { FreeAndNull(&block); }).join();
  EXPECT_EQ(block, nullptr);
}
