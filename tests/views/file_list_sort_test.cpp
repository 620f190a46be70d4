// The file list's sort keys: each key's value, the tie-break chain, the direction, the groups that come first
// whatever the direction, and the natural order of numbers in names.
#include "views/file_list_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/core/item_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/file_type_table.h"
#include "program_state_scope.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"
#include "views/view_hooks.h"

namespace {

using Labels = std::vector<std::wstring>;

constexpr uint64_t kHour = 36000000000ull;
constexpr uint64_t k2020 = 132223104000000000ull;  // 2020-01-01
constexpr uint64_t k1970 = 116444736000000000ull;  // before the earliest time a file can have

// A row of the test: its folder ('w' is C:\w, 'x' is C:\x), names and file data.
struct Row {
  wchar_t folder;
  const wchar_t* name;
  const wchar_t* newName = L"";
  uint64_t size = 0;
  uint16_t attributes = FILE_ATTRIBUTE_ARCHIVE;
  uint64_t written = k2020;
  int32_t typeName = 0;
};

FILETIME AsFileTime(uint64_t value) { return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)}; }

class FileListSort : public testing::Test {
 protected:
  FileListSort() : list_(static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)))) {
    ItemStoreInit(&list_->rows);
    ItemStoreInit(&list_->pathPool);
    state_->fileList = list_;
    AddPooledPath(list_, L"C:\\w", 0);
    AddPooledPath(list_, L"C:\\x", 0);
  }
  ~FileListSort() override {
    ItemStoreDestroy(&list_->rows);
    ItemStoreDestroy(&list_->pathPool);
    FreeAndNull(&list_);
  }

  void Add(const Row& wanted) const {
    FileListRow row = {};
    SetFileListRowName(&row, wanted.name);
    CopyWideBounded(wanted.newName, row.newName, kFileNameCapacity);
    row.folderIndex = wanted.folder == L'w' ? 1 : 2;
    row.info.attributes = wanted.attributes;
    row.info.size = wanted.size;
    row.info.lastWriteTime = AsFileTime(wanted.written);
    row.info.creationTime = AsFileTime(wanted.written + kHour);
    row.info.lastAccessTime = AsFileTime(wanted.written + 2 * kHour);
    row.typeNameIndex = wanted.typeName;
    ItemStoreAppend(&list_->rows, &row, row.length);
  }

  // The rows as "folder\name" after sorting by the key.
  Labels Sorted(int key, bool descending) const {
    ItemStoreSort(&list_->rows, static_cast<int16_t>(key), descending, FileListSortKey, nullptr);
    Labels labels;
    for (uint32_t i = 0; i < ItemStoreCount(&list_->rows); ++i) {
      const auto* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&list_->rows, i));
      labels.push_back(std::wstring(1, row->folderIndex == 1 ? L'w' : L'x') + L"\\" + row->currentName);
    }
    return labels;
  }

  ProgramStateScope state_;
  ItemListControl* list_;
};

struct OrderCase {
  const char* what;
  std::vector<Row> rows;
  int key;
  Labels ascending;  // the descending order is checked where it is not simply the reverse
  Labels descending;
};

}  // namespace

TEST_F(FileListSort, EachKeyOrdersByItsValueThenByItsTieBreaks) {
  const std::vector<Row> names = {{L'x', L"b.txt"}, {L'x', L"A.doc"}, {L'x', L"a.txt"}, {L'w', L"a.txt"}};
  const std::vector<OrderCase> cases = {
      {"name: stem, extension, folder; case does not count", names, kSortByName,
       {L"x\\A.doc", L"w\\a.txt", L"x\\a.txt", L"x\\b.txt"}, {L"x\\b.txt", L"x\\a.txt", L"w\\a.txt", L"x\\A.doc"}},
      {"extension: extension, stem, folder", names, kSortByExtension,
       {L"x\\A.doc", L"w\\a.txt", L"x\\a.txt", L"x\\b.txt"}, {}},
      {"new name: new stem, current extension, stem, folder",
       {{L'x', L"c.txt", L"n.txt"}, {L'x', L"b.doc", L"n.txt"}, {L'w', L"z.txt", L"m.txt"}, {L'x', L"a.txt", L"n.txt"}},
       kSortByNewName, {L"w\\z.txt", L"x\\b.doc", L"x\\a.txt", L"x\\c.txt"}, {}},
      {"size: an unknown size is 0; equal sizes by stem, reversed too",
       {{L'x', L"b.txt", L"", 5}, {L'x', L"c.txt", L"", kUnknownFileSize}, {L'x', L"a.txt", L"", 5},
        {L'x', L"d.txt", L"", 1}},
       kSortBySize, {L"x\\c.txt", L"x\\d.txt", L"x\\a.txt", L"x\\b.txt"},
       {L"x\\b.txt", L"x\\a.txt", L"x\\d.txt", L"x\\c.txt"}},
      {"last write: times before 1980 are 0",
       {{L'x', L"b.txt", L"", 0, 0x20, k2020}, {L'x', L"c.txt", L"", 0, 0x20, k1970}, {L'x', L"a.txt", L"", 0, 0x20, 0},
        {L'x', L"d.txt", L"", 0, 0x20, k2020 - kHour}},
       kSortByModified, {L"x\\a.txt", L"x\\c.txt", L"x\\d.txt", L"x\\b.txt"}, {}},
      {"creation time", {{L'x', L"b.txt", L"", 0, 0x20, k2020}, {L'x', L"a.txt", L"", 0, 0x20, k2020 + kHour}},
       kSortByCreated, {L"x\\b.txt", L"x\\a.txt"}, {}},
      {"attribute letters R A H S E C",
       {{L'x', L"a.txt", L"", 0, 0x21}, {L'x', L"b.txt", L"", 0, 0x20}, {L'x', L"c.txt", L"", 0, 0x22}},
       kSortByAttributes, {L"x\\b.txt", L"x\\c.txt", L"x\\a.txt"}, {}},
      {"folder: folder, stem", {{L'x', L"a.txt"}, {L'w', L"b.txt"}, {L'x', L"b.doc"}, {L'w', L"c.txt"}},
       kSortByFolder, {L"w\\b.txt", L"w\\c.txt", L"x\\a.txt", L"x\\b.doc"}, {}},
      {"type: an index never filled is an empty name",
       {{L'x', L"a.lnk", L"", 0, 0x20, k2020, kLinkTypeEntry}, {L'x', L"b.txt", L"", 0, 0x20, k2020, 0}},
       kSortByType, {L"x\\b.txt", L"x\\a.lnk"}, {}},
  };
  ASSERT_EQ(ConstructFileTypeTable(&g_fileTypes), 0);
  for (const OrderCase& c : cases) {
    ItemStoreReset(&list_->rows);
    for (const Row& row : c.rows) Add(row);
    EXPECT_EQ(Sorted(c.key, false), c.ascending) << c.what;
    const Labels reversed(c.ascending.rbegin(), c.ascending.rend());
    EXPECT_EQ(Sorted(c.key, true), c.descending.empty() ? reversed : c.descending) << c.what << ", descending";
  }
  DestroyFileTypeTable(&g_fileTypes);
}

TEST_F(FileListSort, DevicesOfflineFilesAndFoldersComeFirstInEitherDirection) {
  Add({L'x', L"b.txt", L"", 3});
  Add({L'x', L"z-offline.txt", L"", 1, FILE_ATTRIBUTE_OFFLINE});
  Add({L'x', L"sub", L"", 0, FILE_ATTRIBUTE_DIRECTORY});
  Add({L'x', L"a.txt", L"", 9});
  Add({L'x', L"nul", L"", 0, 0x8});
  Add({L'x', L"y-offline.txt", L"", 2, FILE_ATTRIBUTE_OFFLINE});
  EXPECT_EQ(Sorted(kSortBySize, false),
            (Labels{L"x\\nul", L"x\\y-offline.txt", L"x\\z-offline.txt", L"x\\sub", L"x\\b.txt", L"x\\a.txt"}));
  // Offline files keep their name order when the direction turns; the others follow it.
  EXPECT_EQ(Sorted(kSortBySize, true),
            (Labels{L"x\\nul", L"x\\y-offline.txt", L"x\\z-offline.txt", L"x\\sub", L"x\\a.txt", L"x\\b.txt"}));
}

TEST_F(FileListSort, NumbersInNamesCompareByValueOnlyWithTheNaturalOrderOption) {
  Add({L'x', L"x10.txt"});
  Add({L'x', L"x2.txt"});
  ReplaceOptionWord(kOptionNaturalNumberOrder);
  EXPECT_EQ(Sorted(kSortByName, false), (Labels{L"x\\x2.txt", L"x\\x10.txt"}));
  ReplaceOptionWord(0);
  EXPECT_EQ(Sorted(kSortByName, false), (Labels{L"x\\x10.txt", L"x\\x2.txt"}));
}

TEST_F(FileListSort, FieldKeysSortByTheFieldsValueAndFoldersHaveNone) {
  // A field whose value is the number in the file's name; field 2 has no value for any file.
  g_viewHooks.fieldSortValue = [](int field, FileListRow* row, void* out, int) {
    if (field != 1) return static_cast<int>(kSortNoValue);
    const uint64_t value = wcstoull(row->currentName + 1, nullptr, 10);
    memcpy(out, &value, sizeof value);
    return static_cast<int>(kSortValueU64);
  };
  Add({L'x', L"f10.txt"});
  Add({L'x', L"f9.txt"});
  Add({L'x', L"folder", L"", 0, FILE_ATTRIBUTE_DIRECTORY});
  Add({L'x', L"f100.txt"});
  EXPECT_EQ(Sorted(kFieldSortKeyBase + 1, false), (Labels{L"x\\folder", L"x\\f9.txt", L"x\\f10.txt", L"x\\f100.txt"}));
  EXPECT_EQ(Sorted(kFieldSortKeyBase + 1, true), (Labels{L"x\\folder", L"x\\f100.txt", L"x\\f10.txt", L"x\\f9.txt"}));
  // Without values the rows fall back on their stems.
  EXPECT_EQ(Sorted(kFieldSortKeyBase + 2, false), (Labels{L"x\\folder", L"x\\f10.txt", L"x\\f100.txt", L"x\\f9.txt"}));
  g_viewHooks = ViewHooks{};
}
