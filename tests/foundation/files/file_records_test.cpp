// Records of buffered and mapped files: set-up, closing, the bounds of the mapped view, file end and times.
#include "foundation/files/file_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/core/memory.h"
#include "support/temp_folder.h"

namespace {

bool IsHandleOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE OpenForWriting(const std::wstring& path, DWORD access = GENERIC_READ | GENERIC_WRITE) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Maps a file as the file layer does: handle, read-only mapping, view of the whole file.
void MapFile(const std::wstring& path, MappedFile* file) {
  InitMappedFile(file);
  file->file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file->file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(file->file, &size));
  file->size = static_cast<uint64_t>(size.QuadPart);
  file->mapping = CreateFileMappingW(file->file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(file->mapping, nullptr);
  file->view = static_cast<const uint8_t*>(MapViewOfFile(file->mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(file->view, nullptr);
}

}  // namespace

TEST(BufferedFileRecord, StartsClosedWithAClearedReadState) {
  BufferedFile file;
  memset(&file, 0xAB, sizeof file);
  InitBufferedFile(&file);
  EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
  const uint8_t* state = reinterpret_cast<const uint8_t*>(&file.wholeFile);
  for (size_t i = 0; i < 4128; ++i) ASSERT_EQ(state[i], 0) << "byte " << i;
}

TEST(BufferedFileRecord, ClosingFreesTheCopyAndClosesTheHandleOnce) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"a.bin", "0123456789");
  BufferedFile file;
  InitBufferedFile(&file);
  file.handle = OpenForWriting(path);
  ASSERT_NE(file.handle, INVALID_HANDLE_VALUE);
  const HANDLE handle = file.handle;
  file.wholeFile = static_cast<uint8_t*>(AllocZeroed(11));
  file.wholeFileSize = 10;
  file.wholeFilePosition = 4;
  CloseBufferedFile(&file);
  EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(file.wholeFile, nullptr);
  EXPECT_EQ(file.wholeFileSize, 0u);
  EXPECT_EQ(file.wholeFilePosition, 0u);
  EXPECT_FALSE(IsHandleOpen(handle));
  CloseBufferedFile(&file);
  EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
  CloseBufferedFile(nullptr);
}

TEST(BufferedFileRecord, SetsTheEndAtTheCurrentPosition) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"a.bin", std::string(100, 'x'));
  BufferedFile file;
  InitBufferedFile(&file);
  EXPECT_EQ(BufferedFileSetEnd(&file), -1);
  file.handle = OpenForWriting(path);
  SetFilePointer(file.handle, 10, nullptr, FILE_BEGIN);
  EXPECT_EQ(BufferedFileSetEnd(&file), 0);
  CloseBufferedFile(&file);
  EXPECT_EQ(ReadWholeFile(path), std::string(10, 'x'));
  file.handle = OpenForWriting(path, GENERIC_READ);
  EXPECT_EQ(BufferedFileSetEnd(&file), -1);
  CloseBufferedFile(&file);
}

TEST(BufferedFileRecord, SetsOnlyTheTimesGiven) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"a.bin", "x");
  BufferedFile file;
  InitBufferedFile(&file);
  const FILETIME written = {0x12345670, 0x01C40000};  // 2004
  const FILETIME accessed = {0x76543210, 0x01D00000};  // 2014
  EXPECT_EQ(BufferedFileSetTimes(&file, nullptr, nullptr, &written), -1);
  file.handle = OpenForWriting(path);
  EXPECT_EQ(BufferedFileSetTimes(&file, nullptr, nullptr, &written), 0);
  FILETIME creation, access, write;
  ASSERT_TRUE(GetFileTime(file.handle, &creation, &access, &write));
  EXPECT_EQ(CompareFileTime(&write, &written), 0);
  EXPECT_EQ(BufferedFileSetTimes(&file, nullptr, &accessed, nullptr), 0);
  ASSERT_TRUE(GetFileTime(file.handle, &creation, &access, &write));
  EXPECT_EQ(CompareFileTime(&access, &accessed), 0);
  EXPECT_EQ(CompareFileTime(&write, &written), 0);
  EXPECT_EQ(BufferedFileSetTimes(&file, nullptr, nullptr, nullptr), 0);
  CloseBufferedFile(&file);
  // A handle that is no file at all makes the system refuse.
  file.handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(BufferedFileSetTimes(&file, nullptr, nullptr, &accessed), -1);
  CloseBufferedFile(&file);
}

TEST(MappedFileRecord, PointersStayInsideTheView) {
  TempFolder folder;
  MappedFile file;
  MapFile(folder.WriteFile(L"m.bin", "0123456789"), &file);
  ASSERT_EQ(file.size, 10u);
  EXPECT_EQ(MappedFilePointer(&file, 0, 10), file.view);
  EXPECT_EQ(*MappedFilePointer(&file, 3, 7), '3');
  EXPECT_EQ(MappedFilePointer(&file, 10, 0), file.view + 10);
  EXPECT_EQ(MappedFilePointer(&file, 4, 7), nullptr);
  EXPECT_EQ(MappedFilePointer(&file, 11, 0), nullptr);
  EXPECT_EQ(MappedFilePointer(&file, 0xFFFFFFFFull, 0), nullptr);
  EXPECT_EQ(MappedFilePointer(&file, 5, UINT64_MAX), nullptr);  // offset + length wraps
  EXPECT_EQ(MappedFilePointer(&file, UINT64_MAX, 2), nullptr);
  CloseMappedFile(&file);
  EXPECT_EQ(MappedFilePointer(&file, 0, 0), nullptr);
  EXPECT_EQ(MappedFilePointer(nullptr, 0, 0), nullptr);
}

TEST(MappedFileRecord, ClosingReleasesEverythingAndCanBeRepeated) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"m.bin", "abc");
  MappedFile file;
  MapFile(path, &file);
  const HANDLE handle = file.file;
  const HANDLE mapping = file.mapping;
  CloseMappedFile(&file);
  EXPECT_EQ(file.file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(file.mapping, INVALID_HANDLE_VALUE);
  EXPECT_EQ(file.view, nullptr);
  EXPECT_EQ(file.size, 0u);
  EXPECT_FALSE(IsHandleOpen(handle));
  EXPECT_FALSE(IsHandleOpen(mapping));
  CloseMappedFile(&file);
  // Once everything is closed the file can be deleted.
  EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(MappedFileRecord, SizeIn32BitsSaturates) {
  MappedFile file;
  InitMappedFile(&file);
  file.size = 0xFFFFFFFEull;
  EXPECT_EQ(MappedFileSize32(&file), 0xFFFFFFFEu);
  file.size = 5ull << 30;
  EXPECT_EQ(MappedFileSize32(&file), 0xFFFFFFFFu);
  EXPECT_EQ(MappedFileSize32(nullptr), 0u);
}

TEST(MappedFileRecord, SharedMemoryViewsAreUnmappedAndClosed) {
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"Local\\QvrxTestView");
  ASSERT_NE(mapping, nullptr);
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  const HANDLE held = mapping;
  CloseMappedFileView(&view, &mapping);
  EXPECT_EQ(view, nullptr);
  EXPECT_EQ(mapping, nullptr);
  EXPECT_FALSE(IsHandleOpen(held));
  CloseMappedFileView(&view, &mapping);
  // The name is gone with its last handle.
  HANDLE reopened = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Local\\QvrxTestView");
  EXPECT_EQ(reopened, nullptr);
  if (reopened) CloseHandle(reopened);
}
