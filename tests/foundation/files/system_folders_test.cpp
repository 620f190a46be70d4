// The Windows folder with its fallback, and the temporary folder of the run.
#include "foundation/files/system_folders.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

TEST(SystemFolders, WindowsFolderExistsOrFallsBackToTheDriveRoot) {
  wchar_t folder[MAX_PATH];
  const int length = GetWindowsFolder(folder, MAX_PATH);
  EXPECT_EQ(length, static_cast<int>(wcslen(folder)));
  const DWORD attributes = GetFileAttributesW(folder);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  // A buffer too small for the real folder gets the fallback rather than a cut path.
  wchar_t small[4];
  EXPECT_EQ(GetWindowsFolder(small, 4), 3);
  EXPECT_EQ(std::wstring(small), L"C:\\");
  EXPECT_EQ(GetWindowsFolder(nullptr, 4), 0);
}

TEST(SystemFolders, TemporaryFolderIsNamedForTheProgram) {
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, system), 0u);
  wchar_t folder[MAX_PATH];
  const int length = GetTempFolderPath(folder, MAX_PATH);
  std::wstring expected = system;
  if (expected.back() != L'\\') expected += L'\\';
  expected += L"foundation_tests";
  EXPECT_EQ(std::wstring(folder), expected);
  EXPECT_EQ(length, static_cast<int>(expected.size()));
}

TEST(SystemFolders, TheRunsOwnTemporaryFolderWins) {
  wchar_t folder[MAX_PATH];
  SetTempFolderForRun(L"D:\\run\\temp");
  EXPECT_EQ(GetTempFolderPath(folder, MAX_PATH), 11);
  EXPECT_EQ(std::wstring(folder), L"D:\\run\\temp");
  SetTempFolderForRun(nullptr);
  GetTempFolderPath(folder, MAX_PATH);
  EXPECT_NE(std::wstring(folder).find(L"foundation_tests"), std::wstring::npos);
}

TEST(SystemFolders, ATemporaryFolderThatDoesNotFitIsEmpty) {
  wchar_t folder[4] = L"x";
  EXPECT_EQ(GetTempFolderPath(folder, 4), 0);
  EXPECT_EQ(folder[0], 0);
}
