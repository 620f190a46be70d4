// File creation with its retries and whole-file writes that survive an interruption.
#include "foundation/providers/file_creation.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/core/system_seams.h"
#include "foundation/core/threads.h"
#include "foundation/files/file_io.h"
#include "foundation/providers/providers.h"
#include "support/temp_folder.h"
#include "system_seams_scope.h"

namespace {

BOOL WINAPI WriteFileBreakingOff(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  // Half of the bytes reach the file, then the disk is full.
  ::WriteFile(file, data, size / 2, written, overlapped);
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

const wchar_t* g_refusedOnce = nullptr;

// Refuses the first attempt to create `g_refusedOnce` anew, as a file in the way would.
HANDLE WINAPI RefuseFirstCreate(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE from) {
  if (g_refusedOnce != nullptr && disposition == CREATE_ALWAYS && wcsstr(path, g_refusedOnce) != nullptr) {
    g_refusedOnce = nullptr;
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileW(path, access, share, security, disposition, flags, from);
}

}  // namespace

TEST(FileCreation, MissingFoldersAreMadeAndHiddenFilesStayHidden) {
  TempFolder folder;
  const std::wstring path = folder / L"t\\n1\\n2\\f.txt";
  HANDLE handle = INVALID_HANDLE_VALUE;
  ASSERT_EQ(FileCreateUtf16(&handle, nullptr, path.c_str()), 0);
  EXPECT_EQ(FileWriteHandle(handle, L"x\r\n", 6), 0);
  CloseHandleSafe(handle);
  EXPECT_EQ(ReadWholeFile(path), std::string("\xFF\xFEx\0\r\0\n\0", 8));

  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  handle = INVALID_HANDLE_VALUE;
  ASSERT_EQ(FileCreateWithEncoding(nullptr, &handle, path.c_str(), 7), 0);
  CloseHandleSafe(handle);
  EXPECT_EQ(ReadWholeFile(path), "\xEF\xBB\xBF");
  EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  HANDLE notClosed = reinterpret_cast<HANDLE>(1);
  EXPECT_EQ(FileCreateForWrite(&notClosed, nullptr, path.c_str()), -1);
}

TEST(FileCreation, AFileInTheWayGoesWithoutEmptyingItsOtherLinks) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"in the way.txt", "shared content");
  const std::wstring link = folder / L"link.txt";
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), path.c_str(), nullptr));
  HANDLE handle = INVALID_HANDLE_VALUE;
  {
    SystemSeamsScope scope;
    g_systemSeams.createFileW = RefuseFirstCreate;
    g_refusedOnce = L"in the way.txt";
    ASSERT_EQ(FileCreateForWrite(&handle, nullptr, path.c_str()), 0);
  }
  EXPECT_EQ(FileWriteHandle(handle, "new", 3), 0);
  CloseHandleSafe(handle);
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(ReadWholeFile(link), "shared content");
}

TEST(WholeFiles, AWriteThatBreaksOffLeavesTheOldFile) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"settings.ini", "old text");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  const std::string replacement(100000, 'n');
  {
    SystemSeamsScope scope;
    g_systemSeams.writeFile = WriteFileBreakingOff;
    EXPECT_EQ(WriteWholeFile(path.c_str(), replacement.data(), static_cast<uint32_t>(replacement.size())),
              ERROR_DISK_FULL);
  }
  EXPECT_EQ(ReadWholeFile(path), "old text");
  EXPECT_FALSE(PathExists(path + L".new~")) << "no half-written file stays behind";

  ASSERT_EQ(WriteWholeFile(path.c_str(), replacement.data(), static_cast<uint32_t>(replacement.size())), 0);
  EXPECT_EQ(ReadWholeFile(path), replacement);
  EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_FALSE(PathExists(path + L".new~"));
}

TEST(WholeFiles, AFolderThatTakesNoNewFileLeavesTheOldFileWhole) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"settings.ini", "old text");
  folder.MakeFolder(L"settings.ini.new~");
  EXPECT_NE(WriteWholeFile(path.c_str(), "new", 3), 0);
  EXPECT_EQ(ReadWholeFile(path), "old text") << "never rewritten in place";
}

TEST(WholeFiles, FailuresAreReported) {
  TempFolder folder;
  folder.WriteFile(L"blocker", "a file where a folder should be");
  EXPECT_NE(WriteWholeFile((folder / L"blocker\\x.ini").c_str(), "x", 1), 0);
  EXPECT_EQ(FileWriteAll(INVALID_HANDLE_VALUE, nullptr, "x", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(FileWriteAll(INVALID_HANDLE_VALUE, nullptr, "", 0), ERROR_INVALID_HANDLE);
}
