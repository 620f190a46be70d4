// The path-name pool: entries, full paths built up the parent chain, cut paths and broken parents.
#include "views/path_pool.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/memory.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"

namespace {

class PathPool : public testing::Test {
 protected:
  PathPool() : list_(static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)))) {
    ItemStoreInit(&list_->pathPool);
  }
  ~PathPool() override {
    ItemStoreDestroy(&list_->pathPool);
    FreeAndNull(&list_);
  }

  std::wstring Path(uint32_t index, int capacity = 1024, int* result = nullptr) const {
    wchar_t buffer[1024];
    const int written = GetPooledPath(list_, index, buffer, capacity);
    if (result != nullptr) *result = written;
    return buffer;
  }

  ItemListControl* list_;
};

}  // namespace

TEST_F(PathPool, PathsRunUpTheParentChain) {
  EXPECT_EQ(AddPooledPath(list_, L"C:\\data\\", 0), 1u);
  EXPECT_EQ(AddPooledPath(list_, L"sub", 1), 2u);
  EXPECT_EQ(AddPooledPath(list_, L"deeper", 2), 3u);
  EXPECT_EQ(AddPooledPath(list_, L"D:/other", 0), 4u);
  EXPECT_EQ(AddPooledPath(list_, L"x", 4), 5u);
  EXPECT_EQ(Path(1), L"C:\\data\\");
  EXPECT_EQ(Path(3), L"C:\\data\\sub\\deeper");
  EXPECT_EQ(Path(5), L"D:/other/x");
  const PathPoolEntry* entry = reinterpret_cast<const PathPoolEntry*>(ItemStoreGet(&list_->pathPool, 1));
  EXPECT_EQ(entry->length, 2 * 3 + 8);
  EXPECT_EQ(entry->parent, 1u);
}

TEST_F(PathPool, NoEntryGivesAnEmptyPath) {
  AddPooledPath(list_, L"C:\\data", 0);
  int result = 7;
  EXPECT_EQ(Path(0, 1024, &result), L"");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Path(2, 1024, &result), L"");
  EXPECT_EQ(result, 0);
  wchar_t buffer[8] = L"old";
  EXPECT_EQ(GetPooledPath(nullptr, 1, buffer, 8), 0);
  EXPECT_STREQ(buffer, L"");
}

TEST_F(PathPool, PathThatDoesNotFitIsCutAndReported) {
  AddPooledPath(list_, L"C:\\data", 0);
  AddPooledPath(list_, L"subfolder", 1);
  int result = 0;
  EXPECT_EQ(Path(2, 12, &result), L"C:\\data\\sub");
  EXPECT_LT(result, 0);
}

TEST_F(PathPool, LongNamesAreCutAndDeepChainsWalked) {
  const std::wstring longName(1500, L'n');
  AddPooledPath(list_, longName.c_str(), 0);
  EXPECT_EQ(Path(1).size(), 1023u);
  ItemStoreReset(&list_->pathPool);
  AddPooledPath(list_, L"R:", 0);
  for (uint32_t depth = 1; depth < 200; ++depth) AddPooledPath(list_, L"d", depth);
  std::wstring expected = L"R:";
  for (int depth = 1; depth < 200; ++depth) expected += L"\\d";
  wchar_t buffer[1024];
  EXPECT_EQ(GetPooledPath(list_, 200, buffer, 1024), 0);
  EXPECT_EQ(buffer, expected);
}

TEST_F(PathPool, ParentAtOrAfterItsEntryIsTakenAsTop) {
  AddPooledPath(list_, L"C:\\data", 0);
  AddPooledPath(list_, L"self", 2);
  AddPooledPath(list_, L"later", 9);
  EXPECT_EQ(Path(2), L"self");
  EXPECT_EQ(Path(3), L"later");
}
