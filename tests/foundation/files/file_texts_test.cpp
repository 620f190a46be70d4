// Whole files in memory and 8-bit texts of unknown encoding.
#include "foundation/files/file_texts.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "foundation/core/memory.h"
#include "support/temp_folder.h"

namespace {

std::wstring Detect(const char* text, bool utf8, int capacity = 32) {
  wchar_t buffer[32] = L"?";
  ConvertNarrowToWideDetect(text, utf8, buffer, capacity);
  return buffer;
}

}  // namespace

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

TEST(FileTexts, NarrowTextIsDecodedByItsMarkOrTheOemCodePage) {
  EXPECT_EQ(Detect("\xEF\xBB\xBF" "caf\xC3\xA9", false), L"caf\u00e9");
  EXPECT_EQ(Detect("caf\xC3\xA9", true), L"caf\u00e9");
  EXPECT_EQ(Detect("caf\x82", false), L"caf\u00e9") << "OEM code page 437";
  EXPECT_EQ(Detect("abcdef", false, 4), L"abc");
  EXPECT_EQ(Detect(nullptr, false), L"");
}

TEST(FileTexts, ShortTextsGoToFilesAsUtf8) {
  TempFolder folder;
  const std::wstring path = folder / L"out.txt";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileWriteUtf8Text(file, L"caf\u00e9 ", "ignored"), 0);
  EXPECT_EQ(FileWriteUtf8Text(file, nullptr, "plain"), 0);
  EXPECT_EQ(FileWriteUtf8Text(file, nullptr, nullptr), 0);
  EXPECT_EQ(FileWriteUtf8Text(file, (std::wstring(1022, L'x') + L"\u00e9").c_str(), nullptr), 0);
  CloseHandle(file);
  EXPECT_EQ(ReadWholeFile(path), "caf\xC3\xA9 plain" + std::string(1022, 'x')) << "cut before a whole character";
}
