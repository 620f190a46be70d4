// File records, text files, folder making and the truncating delete.
#include "foundation/files/file_io.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/providers/local_delete.h"
#include "foundation/providers/providers.h"
#include "foundation/core/system_seams.h"
#include "foundation/files/text_files.h"
#include "foundation/core/threads.h"
#include "support/temp_folder.h"
#include "system_seams_scope.h"

namespace {

struct OpenRecord {
  BufferedFile file;
  OpenRecord() { InitBufferedFile(&file); }
  ~OpenRecord() { CloseBufferedFile(&file); }
};

std::vector<std::wstring> ReadWideLines(const std::wstring& path, std::vector<int>* results = nullptr) {
  OpenRecord record;
  EXPECT_EQ(TextFileOpen(&record.file, path.c_str()), 0);
  std::vector<std::wstring> lines;
  wchar_t line[64];
  for (int result = TextFileReadLineWide(&record.file, line, 64); result > 0;
       result = TextFileReadLineWide(&record.file, line, 64)) {
    lines.push_back(line);
    if (results) results->push_back(result);
  }
  return lines;
}

}  // namespace

TEST(TextFiles, TheFirstBytesTellTheType) {
  const struct {
    std::string bytes;
    TextType type;
  } cases[] = {
      {"\xFF\xFEx\0", kTextUtf16},          {"\xFE\xFF\0x", kTextUtf16BigEndian},
      {"\xEF\xBB\xBFx", kTextUtf8},         {"caf\xC3\xA9", kTextUtf8Unmarked},
      {"{\\rtf1 x", kTextRtf},              {std::string("a\0b\0", 4), kTextUtf16Unmarked},
      {std::string("a\0bc", 4), kTextBinary}, {"abc", kTextAnsi},
      {"\xF0\x9F\x98\x80", kTextAnsi},      {"", kTextAnsi},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectTextType(reinterpret_cast<const uint8_t*>(c.bytes.data()), static_cast<uint32_t>(c.bytes.size())),
              c.type)
        << c.bytes;
  }
}

TEST(TextFiles, LinesEndAtLfCrLfOrALoneCrInEveryEncoding) {
  TempFolder folder;
  std::vector<int> results;
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"a.txt", "a\r\nb\rc\nd"), &results),
            (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(results, (std::vector<int>{2, 2, 2, 2}));
  results.clear();
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"empty.txt", "\r\n\r\n"), &results),
            (std::vector<std::wstring>{L"", L""}));
  EXPECT_EQ(results, (std::vector<int>{1, 1}));
  const std::string utf16("\xFF\xFE" "a\0\r\0\n\0\xE9\0", 10);
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"u16.txt", utf16)), (std::vector<std::wstring>{L"a", L"\u00E9"}));
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"u8.txt", "\xEF\xBB\xBFx\xC3\xA9\ny")),
            (std::vector<std::wstring>{L"x\u00E9", L"y"}));
  // A line longer than the buffer is cut, and the next line starts after its end.
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"long.txt", std::string(100, 'x') + "\nz"))[1], L"z");

  // Line ends that the buffer's refills split from their lines, and UTF-16 of either byte order.
  const std::string filler(4095, 'x');
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"cr.txt", filler + "\r\nb"))[1], L"b");
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"cr2.txt", filler + "a\r\nb"))[1], L"b");
  const std::string big("\xFE\xFF\0a\0\r\0\n\0\xE9", 10);
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"be.txt", big)), (std::vector<std::wstring>{L"a", L"\u00E9"}));
  EXPECT_EQ(ReadWideLines(folder.WriteFile(L"un.txt", std::string("a\0\n\0b\0", 6))),
            (std::vector<std::wstring>{L"a", L"b"}));

  OpenRecord binary;
  ASSERT_EQ(TextFileOpen(&binary.file, folder.WriteFile(L"b.bin", std::string("a\0bc", 4)).c_str()), 0);
  wchar_t line[8];
  EXPECT_EQ(TextFileReadLineWide(&binary.file, line, 8), -259);
}

TEST(FileRecords, ReadsReportShortReads) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"f.bin", "0123456789");
  OpenRecord record;
  EXPECT_EQ(FileReadExact(&record.file, nullptr, 4), 259);
  ASSERT_EQ(FileOpenRead(&record.file, path.c_str()), 0);
  EXPECT_EQ(FileOpenRead(&record.file, path.c_str()), -1);
  char bytes[16] = {};
  EXPECT_EQ(FileReadExact(&record.file, bytes, 2), 0);
  EXPECT_EQ(std::string(bytes, 2), "01");
  EXPECT_EQ(FileReadExact(&record.file, bytes, 10), -8);
  EXPECT_EQ(FileReadExact(&record.file, bytes, 1), 259);
  ASSERT_EQ(FileLoadWhole(&record.file, nullptr), 0);
  EXPECT_EQ(record.file.wholeFile[10], 0) << "the copy ends in a zero byte";

  OpenRecord missing;
  EXPECT_EQ(FileOpenRead(&missing.file, (folder / L"none.bin").c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FileOpenRead(&missing.file, (folder / L"a?b").c_str()), ERROR_INVALID_NAME);
}

TEST(FileRecords, SizesOfFilesBeyondFourGigabytes) {
  TempFolder folder;
  const std::wstring path = folder / L"sparse.bin";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER end;
  end.QuadPart = 5368709120LL;
  ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  OpenRecord record;
  ASSERT_EQ(FileOpenRead(&record.file, path.c_str()), 0);
  EXPECT_EQ(FileGetSize64(&record.file), 5368709120ull);
  EXPECT_EQ(FileLoadWhole(&record.file, nullptr), -2) << "a file larger than a 32-bit size is refused";
}

TEST(FileMappings, EmptyFilesHaveNoViewAndNamedMemoryKnowsItExisted) {
  TempFolder folder;
  MappedFile mapped;
  InitMappedFile(&mapped);
  EXPECT_EQ(MapWholeFile(&mapped, folder.WriteFile(L"empty", "").c_str()), 0);
  EXPECT_EQ(mapped.view, nullptr);
  ASSERT_EQ(MapWholeFile(&mapped, folder.WriteFile(L"full", "abc").c_str()), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped.view), 3), "abc");
  CloseMappedFile(&mapped);
  EXPECT_EQ(MapWholeFile(&mapped, (folder / L"none").c_str()), ERROR_FILE_NOT_FOUND);

  const std::wstring name = L"qvrx-test-memory-" + std::to_wstring(GetCurrentProcessId());
  void* first = nullptr;
  HANDLE firstMapping = nullptr;
  void* second = nullptr;
  HANDLE secondMapping = nullptr;
  EXPECT_EQ(CreateNamedSharedMemory(&first, &firstMapping, 1053, name.c_str()), 0);
  EXPECT_EQ(CreateNamedSharedMemory(&second, &secondMapping, 1053, name.c_str()), 1);
  static_cast<char*>(first)[7] = 'q';
  EXPECT_EQ(static_cast<char*>(second)[7], 'q');
  CloseMappedFileView(&first, &firstMapping);
  CloseMappedFileView(&second, &secondMapping);
}

TEST(Folders, MakingAFolderMakesItsParentsButNotOverAFile) {
  TempFolder folder;
  EXPECT_EQ(CreateDirectoryPath(nullptr, (folder / L"a\\b\\c").c_str()), 0);
  EXPECT_NE(GetFileAttributesW((folder / L"a\\b\\c").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(CreateDirectoryPath(nullptr, (folder / L"a\\b").c_str()), 0);
  folder.WriteFile(L"file", "x");
  EXPECT_EQ(CreateDirectoryPath(nullptr, (folder / L"file").c_str()), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(CreateDirectoryPath(nullptr, L"relative\\x"), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(RemoveFolder((folder / L"a\\b\\c\\").c_str()), 0);
  EXPECT_FALSE(PathExists(folder / L"a\\b\\c"));
  // The folder this process stands in can be removed as well.
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_EQ(SetCurrentDirectoryLong((folder / L"a\\b").c_str()), 0);
  EXPECT_EQ(RemoveFolder((folder / L"a\\b").c_str()), 0);
  EXPECT_FALSE(PathExists(folder / L"a\\b"));
  SetCurrentDirectoryW(before);
  EXPECT_EQ(RemoveFolder(L""), ERROR_INVALID_PARAMETER);
}

TEST(Folders, TruncatingDeleteRemovesReadOnlyFiles) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"r.txt", "content");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(TruncateAndDeleteFile(path.c_str()), 0);
  EXPECT_FALSE(PathExists(path));
  EXPECT_EQ(TruncateAndDeleteFile(path.c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ClearReadOnly(path.c_str()), ERROR_FILE_NOT_FOUND);
}

TEST(Folders, RecyclingWithoutAWindowAsksNothing) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"gone.txt", "x");
  const std::wstring list = path + L'\0';
  EXPECT_EQ(DeleteToRecycleBin(nullptr, list.c_str(), 0, false), 0);
  EXPECT_FALSE(PathExists(path));
}

TEST(Paths, FullPaths) {
  wchar_t path[MAX_PATH] = L"x.txt";
  MakeFullPath(path, MAX_PATH);
  EXPECT_TRUE(iswalpha(path[0]) && path[1] == L':') << path;
}
