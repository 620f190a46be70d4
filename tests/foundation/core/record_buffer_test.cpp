// Record buffers: block sizes, growth (where it runs and what a failed growth keeps), gap closing, copies;
// and the inline text buffer.
#include "foundation/core/record_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "main_window_stand_in.h"

namespace {

DWORD g_allocatingThread = 0;
int g_allocations = 0;

void* AllocateAndNote(uint32_t size) {
  g_allocatingThread = GetCurrentThreadId();
  ++g_allocations;
  return AllocZeroed(size);
}

void* RefuseAllocation(uint32_t) { return nullptr; }

class RecordBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousAllocator_ = SetRecordBufferAllocator(AllocateAndNote);
    g_allocatingThread = 0;
    g_allocations = 0;
    RecordBufferInit(&buffer_, false);
  }
  void TearDown() override {
    RecordBufferDestroy(&buffer_);
    SetRecordBufferAllocator(previousAllocator_);
  }

  // Appends records of `size` bytes, each filled with its own number, until the block is full.
  std::vector<uint8_t> FillBlock(uint32_t size) {
    std::vector<uint8_t> expected;
    for (uint8_t n = 1; buffer_.used + size <= buffer_.capacity || buffer_.data == nullptr; ++n) {
      std::vector<uint8_t> record(size, n);
      EXPECT_EQ(RecordBufferAppend(&buffer_, record.data(), size), 0);
      expected.insert(expected.end(), record.begin(), record.end());
    }
    return expected;
  }

  std::vector<uint8_t> Contents() const {
    return std::vector<uint8_t>(buffer_.data, buffer_.data + buffer_.used);
  }

  RecordBuffer buffer_;
  RecordBufferAllocator previousAllocator_ = nullptr;
};

}  // namespace

TEST_F(RecordBufferTest, FirstBlockHoldsAtLeast16KilobytesOrTheWholeRecord) {
  char small[10] = "record";
  EXPECT_EQ(RecordBufferAppend(&buffer_, small, sizeof small), 0);
  EXPECT_EQ(buffer_.capacity, 16384u);

  RecordBuffer large;
  RecordBufferInit(&large, false);
  std::vector<uint8_t> record(20000, 7);
  EXPECT_EQ(RecordBufferAppend(&large, record.data(), 20000), 0);
  EXPECT_EQ(large.capacity, 20000u);
  EXPECT_EQ(RecordBufferCount(&large), 1u);
  RecordBufferDestroy(&large);
}

TEST_F(RecordBufferTest, GrowHereAddsOneMegabyteAndKeepsEveryRecord) {
  buffer_.growHere = 1;
  std::vector<uint8_t> expected = FillBlock(1000);
  uint32_t count = RecordBufferCount(&buffer_);
  std::vector<uint8_t> extra(1000, 0xEE);
  EXPECT_EQ(RecordBufferAppend(&buffer_, extra.data(), 1000), 0);
  EXPECT_EQ(buffer_.capacity, 16384u + 1048576u);
  EXPECT_EQ(RecordBufferCount(&buffer_), count + 1);
  expected.insert(expected.end(), extra.begin(), extra.end());
  EXPECT_EQ(Contents(), expected);
  EXPECT_EQ(g_allocatingThread, GetCurrentThreadId());
}

TEST_F(RecordBufferTest, WithoutMainWindowAGuiBufferGrowsOnTheCallingThread) {
  ASSERT_EQ(g_mainWindow, nullptr);
  std::vector<uint8_t> expected = FillBlock(500);
  std::vector<uint8_t> extra(700, 0xAB);
  EXPECT_EQ(RecordBufferAppend(&buffer_, extra.data(), 700), 0);
  expected.insert(expected.end(), extra.begin(), extra.end());
  EXPECT_EQ(Contents(), expected);
  EXPECT_EQ(buffer_.capacity, 16384u + 1048576u);
  EXPECT_EQ(g_allocatingThread, GetCurrentThreadId());
}

TEST_F(RecordBufferTest, WorkerGrowsAGuiBufferOnTheMainWindowThread) {
  MainWindowStandIn mainWindow;
  std::vector<uint8_t> expected;
  WorkerThread worker([&] {
    for (uint32_t n = 0; n < 40; ++n) {
      std::vector<uint8_t> record(1000, static_cast<uint8_t>(n));
      if (RecordBufferAppend(&buffer_, record.data(), 1000) != 0) return;
      expected.insert(expected.end(), record.begin(), record.end());
    }
  });
  ASSERT_TRUE(mainWindow.PumpUntil([&] { return worker.Finished(); }));
  EXPECT_EQ(RecordBufferCount(&buffer_), 40u);
  EXPECT_EQ(Contents(), expected);
  EXPECT_EQ(g_allocations, 2);
  EXPECT_EQ(g_allocatingThread, GetCurrentThreadId());
  EXPECT_EQ(mainWindow.CallsRun(), 1);
}

TEST_F(RecordBufferTest, FailedGrowthKeepsTheRecords) {
  std::vector<uint8_t> expected = FillBlock(1000);
  uint32_t count = RecordBufferCount(&buffer_);
  uint8_t* block = buffer_.data;
  SetRecordBufferAllocator(RefuseAllocation);
  std::vector<uint8_t> extra(1000, 0xCC);
  EXPECT_EQ(RecordBufferAppend(&buffer_, extra.data(), 1000), 1);
  EXPECT_EQ(buffer_.data, block);
  EXPECT_EQ(buffer_.capacity, 16384u);
  EXPECT_EQ(RecordBufferCount(&buffer_), count);
  EXPECT_EQ(Contents(), expected);

  SetRecordBufferAllocator(AllocateAndNote);
  EXPECT_EQ(RecordBufferAppend(&buffer_, extra.data(), 1000), 0);
  EXPECT_EQ(RecordBufferCount(&buffer_), count + 1);
}

TEST_F(RecordBufferTest, RecordTooLargeForAnyBlockFailsAndKeepsTheRecords) {
  char record[4] = "abc";
  ASSERT_EQ(RecordBufferAppend(&buffer_, record, 4), 0);
  EXPECT_EQ(RecordBufferAppend(&buffer_, nullptr, 0xFFFFFFF0u), 1);
  EXPECT_EQ(RecordBufferCount(&buffer_), 1u);
  EXPECT_EQ(RecordBufferUsedBytes(&buffer_), 4u);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer_.data), "abc");
}

TEST_F(RecordBufferTest, AppendFromInsideTheBlockSurvivesAGrowth) {
  buffer_.growHere = 1;
  FillBlock(1000);
  uint32_t size = 1000;
  EXPECT_EQ(RecordBufferAppend(&buffer_, buffer_.data, size), 0);
  EXPECT_GT(buffer_.capacity, 16384u);
  std::vector<uint8_t> copied(buffer_.data + buffer_.used - size, buffer_.data + buffer_.used);
  EXPECT_EQ(copied, std::vector<uint8_t>(size, 1));
}

TEST_F(RecordBufferTest, RemoveBytesClosesTheGapAndCountsOneRecordLess) {
  RecordBufferAppend(&buffer_, "aaa", 3);
  RecordBufferAppend(&buffer_, "bbbb", 4);
  RecordBufferAppend(&buffer_, "cc", 2);
  RecordBufferRemoveBytes(&buffer_, 3, 4);
  EXPECT_EQ(RecordBufferCount(&buffer_), 2u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer_.data), buffer_.used), "aaacc");

  RecordBufferRemoveBytes(&buffer_, 3, 100);
  EXPECT_EQ(RecordBufferCount(&buffer_), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer_.data), buffer_.used), "aaa");

  // An offset past the used bytes removes nothing.
  RecordBufferRemoveBytes(&buffer_, 3, 1);
  EXPECT_EQ(RecordBufferCount(&buffer_), 1u);
  EXPECT_EQ(RecordBufferUsedBytes(&buffer_), 3u);
}

TEST_F(RecordBufferTest, ResetKeepsTheBlock) {
  RecordBufferAppend(&buffer_, "abc", 3);
  uint8_t* block = buffer_.data;
  RecordBufferReset(&buffer_);
  EXPECT_EQ(RecordBufferCount(&buffer_), 0u);
  EXPECT_EQ(RecordBufferUsedBytes(&buffer_), 0u);
  EXPECT_EQ(RecordBufferData(&buffer_), block);
  EXPECT_EQ(buffer_.capacity, 16384u);
}

TEST_F(RecordBufferTest, AppendStringStoresTheTerminatorAndTreatsNullAsEmpty) {
  EXPECT_EQ(RecordBufferAppendString(&buffer_, nullptr), -1);
  EXPECT_EQ(RecordBufferData(&buffer_), nullptr);

  EXPECT_EQ(RecordBufferAppendString(&buffer_, L"abc"), 0);
  EXPECT_EQ(RecordBufferUsedBytes(&buffer_), 8u);
  EXPECT_EQ(RecordBufferAppendString(&buffer_, nullptr), -1);
  EXPECT_EQ(RecordBufferCount(&buffer_), 2u);
  EXPECT_EQ(RecordBufferUsedBytes(&buffer_), 10u);
  EXPECT_STREQ(reinterpret_cast<wchar_t*>(buffer_.data), L"abc");
}

TEST_F(RecordBufferTest, CopyOutEndsInZeroBytesAndIsNullWhenEmpty) {
  EXPECT_EQ(RecordBufferCopyOut(&buffer_), nullptr);
  RecordBufferAppend(&buffer_, "xy", 2);
  uint8_t* copy = static_cast<uint8_t*>(RecordBufferCopyOut(&buffer_));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(memcmp(copy, "xy\0\0\0\0", 6), 0);
  FreeAndNull(&copy);
}

TEST(InlineTextBuffer, ReserveUsesTheInlineStorageUpTo8194Bytes) {
  InlineTextBuffer buffer;
  InitInlineTextBuffer(&buffer);
  EXPECT_EQ(ReserveInlineTextBuffer(&buffer, 0), nullptr);
  EXPECT_EQ(buffer.capacity, 0u);

  memset(buffer.inlineBytes, 0x55, sizeof buffer.inlineBytes);
  uint8_t* inlineData = static_cast<uint8_t*>(ReserveInlineTextBuffer(&buffer, 8194));
  EXPECT_EQ(inlineData, buffer.inlineBytes);
  EXPECT_EQ(buffer.capacity, 8194u);
  EXPECT_EQ(inlineData[8193], 0);

  uint8_t* heapData = static_cast<uint8_t*>(ReserveInlineTextBuffer(&buffer, 8195));
  ASSERT_NE(heapData, nullptr);
  EXPECT_NE(heapData, buffer.inlineBytes);
  EXPECT_EQ(buffer.capacity, 8195u);
  EXPECT_EQ(heapData[8194], 0);

  EXPECT_EQ(ReserveInlineTextBuffer(&buffer, 10), buffer.inlineBytes);
  ReleaseInlineTextBuffer(&buffer);
  EXPECT_EQ(buffer.data, nullptr);
  EXPECT_EQ(buffer.capacity, 0u);
}

TEST(InlineTextBuffer, PrepareReusesStorageLargeEnoughAndZeroesIt) {
  InlineTextBuffer buffer;
  InitInlineTextBuffer(&buffer);
  wchar_t* wide = PrepareInlineWideBuffer(&buffer, 5000);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(buffer.capacity, 10002u);
  CopyWideBounded(L"leftover text", wide, 5001);

  char* narrow = PrepareInlineTextBuffer(&buffer, 100);
  EXPECT_EQ(static_cast<void*>(narrow), static_cast<void*>(wide));
  EXPECT_EQ(narrow[0], 0);
  EXPECT_EQ(narrow[100], 0);

  wchar_t* larger = PrepareInlineWideBuffer(&buffer, 6000);
  ASSERT_NE(larger, nullptr);
  EXPECT_EQ(buffer.capacity, 12002u);
  EXPECT_EQ(larger[6000], 0);
  WideBufferFree(&buffer);
  EXPECT_EQ(buffer.data, nullptr);
}
