// Libraries loaded quietly, kernel32 functions looked up once (also when kernel32 lacks them), the common
// controls and the command line.
#include "foundation/win32/system_functions.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>

#include "support/temp_folder.h"
#include "system_seams_scope.h"

namespace {

// A kernel32 without the named function; every lookup is counted.
const char* g_missingFunction = nullptr;
int g_lookups = 0;

FARPROC WINAPI LookUpWithoutMissing(HMODULE module, LPCSTR name) {
  ++g_lookups;
  if (g_missingFunction && strcmp(name, g_missingFunction) == 0) return nullptr;
  return GetProcAddress(module, name);
}

// Each test starts from a freshly built loader and leaves one behind.
class KernelFunctions : public ::testing::Test {
 protected:
  void SetUp() override { InitOptionalKernelFunctions(); }
  void TearDown() override {
    RestoreSystemSeams();
    InitOptionalKernelFunctions();
  }

  static void WithoutFunction(const char* name) {
    g_missingFunction = name;
    g_lookups = 0;
    g_systemSeams.getProcAddress = LookUpWithoutMissing;
  }

  SystemSeamsScope seams_;
};

bool SnapshotHoldsThisProcess() {
  const OptionalKernelFunctions& k = g_kernelFunctions;
  HANDLE snapshot = k.createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = k.process32FirstW(snapshot, &entry); more && !found; more = k.process32NextW(snapshot, &entry))
    found = entry.th32ProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return found;
}

}  // namespace

TEST(Libraries, LoadQuietlyAndRestoreTheErrorMode) {
  const UINT mode = GetErrorMode();
  HMODULE version = LoadLibraryQuiet(L"version.dll");
  EXPECT_NE(version, nullptr);
  EXPECT_EQ(LoadLibraryQuiet(L"qvrx_no_such_library.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetErrorMode(), mode);
  EXPECT_EQ(LoadLibraryQuiet(nullptr), nullptr);
  FreeLibrary(version);
}

TEST(Libraries, FunctionsAreFoundByName) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  ASSERT_NE(user32, nullptr);
  EXPECT_EQ(GetProcAddressSafe(user32, "MessageBoxW"), GetProcAddress(user32, "MessageBoxW"));
  EXPECT_EQ(GetProcAddressSafe(nullptr, "MessageBoxW"), nullptr);
  EXPECT_EQ(GetProcAddressSafe(user32, nullptr), nullptr);
}

TEST_F(KernelFunctions, CopyFileExIsCalledWhenPresent) {
  TempFolder folder;
  const std::wstring source = folder.WriteFile(L"a.txt", "payload");
  const std::wstring target = folder / L"b.txt";
  EXPECT_NE(CallCopyFileEx(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(ReadWholeFile(target), "payload");
  // The system's own failure is passed on, not taken for a missing function.
  EXPECT_EQ(CallCopyFileEx(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS), 0);
}

TEST_F(KernelFunctions, AMissingFunctionGivesMinusOneAndIsLookedUpOnce) {
  WithoutFunction("CopyFileExW");
  TempFolder folder;
  const std::wstring source = folder.WriteFile(L"a.txt", "payload");
  const std::wstring target = folder / L"b.txt";
  EXPECT_EQ(CallCopyFileEx(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0), -1);
  EXPECT_EQ(CallCopyFileEx(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0), -1);
  EXPECT_EQ(g_lookups, 1);
  EXPECT_FALSE(PathExists(target));
  EXPECT_FALSE(IsKernelFunctionPresent(g_kernelFunctions.copyFileEx));
  // Another function of the loader is unaffected.
  ULARGE_INTEGER available, total, free;
  EXPECT_NE(CallGetDiskFreeSpaceEx(folder.Path().c_str(), &available, &total, &free), 0);
  EXPECT_GT(total.QuadPart, 0u);
}

TEST_F(KernelFunctions, DiskSpaceQueryGivesMinusOneWhenMissing) {
  WithoutFunction("GetDiskFreeSpaceExW");
  ULARGE_INTEGER available, total, free;
  EXPECT_EQ(CallGetDiskFreeSpaceEx(L"C:\\", &available, &total, &free), -1);
}

TEST_F(KernelFunctions, ToolhelpIsAvailableOnlyWithAllFiveFunctions) {
  WithoutFunction("Module32NextW");
  EXPECT_EQ(ResolveToolhelpFunctions(), 0);
  EXPECT_EQ(g_lookups, 5);
  RestoreSystemSeams();
  EXPECT_EQ(ResolveToolhelpFunctions(), 0);  // decided once
  EXPECT_EQ(g_lookups, 5);

  InitOptionalKernelFunctions();
  EXPECT_EQ(ResolveToolhelpFunctions(), 1);
  EXPECT_EQ(ResolveToolhelpFunctions(), 1);
  EXPECT_TRUE(SnapshotHoldsThisProcess());
}

TEST_F(KernelFunctions, KernelIsLoadedOnFirstUseWhenTheLoaderWasNotBuilt) {
  g_kernelFunctions = {};
  ULARGE_INTEGER available, total, free;
  EXPECT_NE(CallGetDiskFreeSpaceEx(L"C:\\", &available, &total, &free), 0);
  EXPECT_NE(g_kernelFunctions.kernel32, nullptr);
}

TEST(CommonControls, DateAndTimePickersCanBeCreated) {
  EXPECT_TRUE(InitCommonControlClasses());
  HWND picker = CreateWindowExW(0, DATETIMEPICK_CLASSW, L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  EXPECT_NE(picker, nullptr);
  DestroyWindow(picker);
}
