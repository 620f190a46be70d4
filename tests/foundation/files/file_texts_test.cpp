// Whole files in memory.
#include "foundation/files/file_texts.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "foundation/core/memory.h"
#include "support/temp_folder.h"

TEST(FileTexts, WholeFilesEndInATerminatorOfEitherWidth) {
  TempFolder folder;
  const std::wstring odd = folder.WriteFile(L"odd.txt", std::string("a\0b", 3));
  uint32_t size = 0;
  uint8_t* block = ReadWholeFile(odd.c_str(), &size);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 3), std::string("a\0b", 3));
  EXPECT_EQ(wcslen(reinterpret_cast<wchar_t*>(block)), 2u) << "an odd byte count still ends in a wide zero";
  FreeAndNull(&block);

  const std::wstring empty = folder.WriteFile(L"empty.txt", "");
  block = ReadWholeFile(empty.c_str(), nullptr);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[0], 0);
  FreeAndNull(&block);

  EXPECT_EQ(ReadWholeFile((folder / L"missing.txt").c_str(), &size), nullptr);
  EXPECT_EQ(ReadWholeFile(folder.Path().c_str(), &size), nullptr) << "a folder";
}
