// Copying on the local disk: through the system's copy, and by hand where the system has no CopyFileExW,
// with progress, cancel, the full-disk check and the remedy for a missing target folder.
#include "foundation/providers/local_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "provider_fixture.h"

namespace {

struct Progress {
  uint64_t bytes = 0;
  int calls = 0;
  int cancelAtCall = 0;  // 0: never
};

int CountProgress(int code, uint64_t* bytes, int, void* userData) {
  auto* progress = static_cast<Progress*>(userData);
  EXPECT_EQ(code, kProgressBytesCode);
  progress->bytes += *bytes;
  return ++progress->calls == progress->cancelAtCall;
}

uint64_t g_fakeFreeBytes = 0;

BOOL WINAPI FakeFreeSpace(LPCWSTR, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER totalFree) {
  available->QuadPart = g_fakeFreeBytes;
  total->QuadPart = g_fakeFreeBytes * 2;
  if (totalFree) totalFree->QuadPart = g_fakeFreeBytes;
  return TRUE;
}

// A kernel32 without CopyFileExW, and with a GetDiskFreeSpaceExW that reports g_fakeFreeBytes.
FARPROC WINAPI LookUpWithoutCopyEx(HMODULE module, LPCSTR name) {
  if (strcmp(name, "CopyFileExW") == 0) return nullptr;
  if (strcmp(name, "GetDiskFreeSpaceExW") == 0 && g_fakeFreeBytes)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(FakeFreeSpace));
  return GetProcAddress(module, name);
}

class CopyByHand : public ProvidersTest {
 protected:
  void SetUp() override {
    ProvidersTest::SetUp();
    g_fakeFreeBytes = 0;
    g_systemSeams.getProcAddress = LookUpWithoutCopyEx;
  }
};

std::string Pattern(size_t size) {
  std::string bytes(size, 0);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + 7);
  return bytes;
}

int Copy(const std::wstring& from, const std::wstring& to, Progress* progress) {
  return CopyOrMoveLocalFile(nullptr, nullptr, nullptr, from.c_str(), to.c_str(), nullptr, CountProgress, progress);
}

}  // namespace

TEST_F(ProvidersTest, TheSystemCopyReplacesTheTargetAndMakesAMissingFolder) {
  const std::string bytes = Pattern(100000);
  const std::wstring from = folder_.WriteFile(L"source.bin", bytes);
  folder_.WriteFile(L"target.bin", "old");
  Progress progress;
  EXPECT_EQ(Copy(from, folder_ / L"target.bin", &progress), 0);
  EXPECT_EQ(ReadWholeFile(folder_ / L"target.bin"), bytes);
  EXPECT_EQ(Copy(from, folder_ / L"new\\deeper\\target.bin", &progress), 0);
  EXPECT_EQ(ReadWholeFile(folder_ / L"new\\deeper\\target.bin"), bytes);
}

TEST_F(CopyByHand, CopiesEveryByteWithProgressTimesAndAttributes) {
  for (size_t size : {size_t{0}, size_t{4096}, size_t{700000}}) {
    const std::string bytes = Pattern(size);
    const std::wstring from = folder_.WriteFile(L"source.bin", bytes);
    FILETIME written = {0x12345678, 0x01D70000};
    HANDLE file = CreateFileW(from.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::wstring to = folder_ / (L"copy" + std::to_wstring(size));
    Progress progress;
    ASSERT_EQ(Copy(from, to, &progress), 0) << size;
    EXPECT_EQ(ReadWholeFile(to), bytes);
    EXPECT_EQ(progress.bytes, size);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(to.c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(CopyByHand, ACancelledCopyLeavesNoTarget) {
  const std::wstring from = folder_.WriteFile(L"big.bin", Pattern(1000000));
  Progress progress;
  progress.cancelAtCall = 2;
  EXPECT_EQ(Copy(from, folder_ / L"partial.bin", &progress), kCancelled);
  EXPECT_EQ(progress.calls, 2);
  EXPECT_FALSE(PathExists(folder_ / L"partial.bin"));
}

TEST_F(CopyByHand, ACopyOntoADriveWithTooLittleRoomGives112AndNoTarget) {
  const std::wstring from = folder_.WriteFile(L"big.bin", Pattern(50000));
  g_fakeFreeBytes = 1000;
  Progress progress;
  EXPECT_EQ(Copy(from, folder_ / L"full.bin", &progress), ERROR_DISK_FULL);
  EXPECT_FALSE(PathExists(folder_ / L"full.bin"));
  uint64_t freeBytes = 0, totalBytes = 0;
  uint32_t cluster = 0;
  EXPECT_NE(QueryDiskFreeSpace(folder_.Path().c_str(), &cluster, &freeBytes, &totalBytes), 0);
  EXPECT_EQ(freeBytes, 1000u);
  EXPECT_EQ(totalBytes, 2000u);
  EXPECT_GT(cluster, 0u);
}
