// The path-name pool: full paths built up the parent chain, missing entries, cut paths and broken parents, and
// the full paths of rows.
#include "views/path_pool.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/text/bounded_text.h"
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

  std::wstring Path(uint32_t index, int capacity = 1024, int expectedResult = 0) const {
    wchar_t buffer[1024];
    EXPECT_EQ(GetPooledPath(list_, index, buffer, capacity) < 0, expectedResult < 0) << index;
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
  AddPooledPath(list_, L"broken", 9);
  EXPECT_EQ(Path(1), L"C:\\data\\");
  EXPECT_EQ(Path(3), L"C:\\data\\sub\\deeper");
  EXPECT_EQ(Path(5), L"D:/other/x");
  EXPECT_EQ(Path(6), L"broken") << "a parent after its entry is taken as a top folder";
  EXPECT_EQ(Path(0), L"");
  EXPECT_EQ(Path(7), L"");
  EXPECT_EQ(Path(3, 12, -1), L"C:\\data\\sub");
}

TEST_F(PathPool, LongNamesAreCutAndDeepChainsWalked) {
  AddPooledPath(list_, std::wstring(1500, L'n').c_str(), 0);
  EXPECT_EQ(Path(1).size(), 1023u);
  ItemStoreReset(&list_->pathPool);
  AddPooledPath(list_, L"R:", 0);
  std::wstring expected = L"R:";
  for (uint32_t depth = 1; depth < 200; ++depth) {
    AddPooledPath(list_, L"d", depth);
    expected += L"\\d";
  }
  EXPECT_EQ(Path(200), expected);
}

TEST_F(PathPool, RowPathsJoinTheFolderWithTheCurrentOrANewName) {
  AddPooledPath(list_, L"C:\\data", 0);
  std::wstring deep = L"C:\\data";
  for (uint32_t depth = 1; depth <= 6; ++depth) {
    AddPooledPath(list_, std::wstring(300, static_cast<wchar_t>(L'a' + depth)).c_str(), depth);
    deep += L"\\" + std::wstring(300, static_cast<wchar_t>(L'a' + depth));
  }
  FileListRow row{};
  CopyWideBounded(L"a.txt", row.currentName, kFileNameCapacity);
  struct Case {
    int32_t folder;
    const wchar_t* name;  // null: the current name
    int capacity;
    bool cut;
    std::wstring path;
  };
  const Case cases[] = {
      {1, nullptr, kLongPathCapacity, false, L"C:\\data\\a.txt"},
      {1, L"b.txt", kLongPathCapacity, false, L"C:\\data\\b.txt"},
      {7, nullptr, kLongPathCapacity, false, deep + L"\\a.txt"},
      {7, nullptr, kPathCapacity, true, (deep + L"\\a.txt").substr(0, kPathCapacity - 1)},
      {1, nullptr, 10, true, L"C:\\data\\a"},
  };
  std::wstring buffer(kLongPathCapacity, L'\0');
  for (const Case& c : cases) {
    row.folderIndex = c.folder;
    const int result = c.name ? GetRowPathWithName(list_, &row, c.name, buffer.data(), c.capacity)
                              : GetRowFullPath(list_, &row, buffer.data(), c.capacity);
    EXPECT_EQ(result < 0, c.cut) << c.folder;
    EXPECT_EQ(std::wstring(buffer.c_str()), c.path) << c.folder;
  }
  for (int32_t folder : {0, -1, 99}) {
    row.folderIndex = folder;
    EXPECT_EQ(GetRowFullPath(list_, &row, buffer.data(), kLongPathCapacity), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(buffer[0], L'\0');
  }
}
