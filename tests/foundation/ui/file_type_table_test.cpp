// The file-type name cache knows an extension once it has met it, on every thread and in any case.
#include "foundation/ui/file_type_table.h"

#include <gtest/gtest.h>

#include <thread>

TEST(FileTypeTable, AnExtensionMetOnceIsKnownOnEveryThreadInAnyCase) {
  FileTypeTable table;
  ASSERT_EQ(ConstructFileTypeTable(&table), 0);
  FileTypeTableSetFileWord(&table, L"File");
  EXPECT_EQ(FileTypeTableKnownIndex(&table, L"b.QVX", FILE_ATTRIBUTE_ARCHIVE), 0) << "not met yet";
  const int index = FileTypeTableIndexForPath(&table, L"a.qvx", FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_GT(index, kLinkTypeEntry);
  int known = -1;
  std::thread([&] { known = FileTypeTableKnownIndex(&table, L"C:\\x.y\\b.QVX", FILE_ATTRIBUTE_ARCHIVE); }).join();
  EXPECT_EQ(known, index);
  const struct {
    const wchar_t* path;
    uint32_t attributes;
    int index;
  } cases[] = {
      {L"c.qvx2", FILE_ATTRIBUTE_ARCHIVE, 0},
      {L"qvx", FILE_ATTRIBUTE_ARCHIVE, 0},  // no extension: another type
      {L"d.qvx", FILE_ATTRIBUTE_DIRECTORY, kFolderTypeEntry},
  };
  for (const auto& c : cases) EXPECT_EQ(FileTypeTableKnownIndex(&table, c.path, c.attributes), c.index) << c.path;
  EXPECT_EQ(FileTypeTableIndexForPath(&table, L"e.Qvx", FILE_ATTRIBUTE_ARCHIVE), index);
  DestroyFileTypeTable(&table);
}
