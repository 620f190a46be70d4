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
