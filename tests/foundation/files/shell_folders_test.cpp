// Placeholders of stored paths, dot segments, parents and roots, special folders and the maker's folder.
#include "foundation/files/shell_folders.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "support/temp_folder.h"

namespace {

std::wstring Expand(const wchar_t* path) {
  wchar_t target[2048];
  ExpandPathPlaceholdersRelative(path, target, 2048);
  return target;
}

std::wstring Compact(const std::wstring& path) {
  wchar_t target[2048];
  CompactPathPlaceholders(path.c_str(), target, 2048);
  return target;
}

std::wstring AppData() {
  wchar_t folder[MAX_PATH];
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, CSIDL_APPDATA, FALSE));
  return folder;
}

std::wstring Parent(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

TEST(PathPlaceholders, ExpandToTheProgramFolderAppDataAndTheEnvironment) {
  const std::wstring program = ExecutableFolder();
  EXPECT_EQ(Expand(L"%MY_PATH%\\lang"), program + L"\\lang");
  EXPECT_EQ(Expand(L"%my_path%"), program);
  EXPECT_EQ(Expand(L"%HALVANE_PATH%\\x\\..\\y"), program + L"\\y");
  EXPECT_EQ(Expand(L"..\\data"), Parent(program) + L"\\data");
  EXPECT_EQ(Expand(L"%APPDATA%\\q"), AppData() + L"\\q");
  SetEnvironmentVariableW(L"QVRX_TEST_X", L"C:\\tmp\\a");
  EXPECT_EQ(Expand(L"%QVRX_TEST_X%\\b"), L"C:\\tmp\\a\\b");
  EXPECT_EQ(Expand(L"%QVRX_UNSET_VARIABLE%\\b"), L"%QVRX_UNSET_VARIABLE%\\b");
  EXPECT_EQ(Expand(L"D:\\plain\\.\\path"), L"D:\\plain\\.\\path") << "paths without placeholder stay as given";
}

TEST(PathPlaceholders, CompactPrefersTheProgramFolderThenAppDataThenVariables) {
  const std::wstring program = ExecutableFolder();
  EXPECT_EQ(Compact(program + L"\\lang\\x.lng"), L"%MY_PATH%\\lang\\x.lng");
  EXPECT_EQ(Compact(AppData() + L"\\q"), L"%APPDATA%\\q");
  SetEnvironmentVariableW(L"QVRX_TEST_DRIVE", L"D:\\qvrx-test-drive");
  EXPECT_EQ(Compact(L"D:\\qvrx-test-drive\\sub"), L"%QVRX_TEST_DRIVE%\\sub");
  SetEnvironmentVariableW(L"QVRX_TEST_DRIVE", nullptr);
  EXPECT_EQ(Compact(L"D:\\qvrx-test-drive\\sub"), L"D:\\qvrx-test-drive\\sub");
  EXPECT_EQ(Compact(L"%X%\\y"), L"%X%\\y");
  TempFolder temporary;
  const std::wstring inTemp = temporary / L"f.txt";
  const std::wstring compacted = Compact(inTemp);
  EXPECT_EQ(compacted.rfind(L"%TEMP%\\", 0), 0u) << compacted;
  EXPECT_EQ(Expand(compacted.c_str()), inTemp);
  // Expanding what was compacted gives the path back.
  EXPECT_EQ(Expand(Compact(program + L"\\a\\b.txt").c_str()), program + L"\\a\\b.txt");
}

TEST(PathPlaceholders, TheProgramFolderWinsOverAVariableThatHoldsIt) {
  // A program installed inside another known folder still compacts to its own folder.
  const std::wstring program = ExecutableFolder();
  SetEnvironmentVariableW(L"QVRX_TEST_PARENT", Parent(program).c_str());
  EXPECT_EQ(Compact(program + L"\\x"), L"%MY_PATH%\\x");
  EXPECT_EQ(Compact(Parent(program) + L"\\other"), L"%QVRX_TEST_PARENT%\\other");
  SetEnvironmentVariableW(L"QVRX_TEST_PARENT", nullptr);
}

TEST(PathParts, DotSegmentsResolve) {
  const struct {
    const wchar_t* path;
    const wchar_t* resolved;
  } cases[] = {
      {L"D:\\a\\b\\..\\c", L"D:\\a\\c"}, {L"D:\\a\\.\\c", L"D:\\a\\c"},   {L"D:\\a\\b\\..", L"D:\\a"},
      {L"D:\\..\\x", L"D:\\x"},           {L"..\\x", L"x"},               {L"a\\..\\b", L"b"},
      {L"D:\\a\\b.\\c", L"D:\\a\\b.\\c"}, {L"D:/a/b/../c", L"D:/a/c"},    {L"D:\\a\\...\\c", L"D:\\a\\...\\c"},
      {L"\\\\?\\D:\\a\\..", L"\\\\?\\D:\\a\\.."},
  };
  for (const auto& c : cases) {
    wchar_t path[64];
    wcscpy_s(path, c.path);
    ResolveDotSegments(path, 64);
    EXPECT_EQ(std::wstring(path), c.resolved) << c.path;
  }
}

TEST(PathParts, CuttingToTheParentStopsAtTheRoot) {
  const struct {
    const wchar_t* path;
    const wchar_t* parent;
    int result;
  } cases[] = {
      {L"D:\\a\\b.txt", L"D:\\a", 0},     {L"D:\\a", L"D:\\", 0},          {L"D:\\", L"D:\\", -1},
      {L"D:", L"D:", -1},                 {L"D:\\a\\", L"D:\\", 0},        {L"\\\\srv\\sh\\a", L"\\\\srv\\sh", 0},
      {L"\\\\srv\\sh", L"\\\\srv\\sh", -1}, {L"x\\y\\z", L"x", 0},          {L"", L"", 0},
  };
  for (const auto& c : cases) {
    wchar_t path[64];
    wcscpy_s(path, c.path);
    EXPECT_EQ(CutToParentFolder(path), c.result) << c.path;
    EXPECT_EQ(std::wstring(path), c.parent) << c.path;
  }
}

TEST(PathParts, ComparisonsGoThroughTheExpandedForm) {
  const std::wstring program = ExecutableFolder();
  EXPECT_TRUE(ComparePathsWithPlaceholders(L"%MY_PATH%\\A.txt", (program + L"/a.TXT").c_str()));
  EXPECT_FALSE(ComparePathsWithPlaceholders(L"%MY_PATH%\\a.txt", L"%MY_PATH%\\b.txt"));
  EXPECT_TRUE(IsSameRoot(L"c:\\x", L"C:/y/z"));
  EXPECT_TRUE(IsSameRoot(L"%MY_PATH%", program.c_str()));
  EXPECT_FALSE(IsSameRoot(L"C:\\x", L"Z:\\x"));
}

TEST(SpecialFolders, TheMakersFolderLiesUnderAppData) {
  wchar_t folder[MAX_PATH];
  const int length = GetUserDataFolder("x", folder, MAX_PATH);
  EXPECT_EQ(length, static_cast<int>(wcslen(folder)));
  EXPECT_EQ(std::wstring(folder), AppData() + L"\\Tallowby\\x");
  GetUserDataFolder(nullptr, folder, MAX_PATH);
  EXPECT_EQ(std::wstring(folder), AppData() + L"\\Tallowby");
  wchar_t small[8] = L"stale";
  EXPECT_EQ(GetUserDataFolder("x", small, 8), 0) << "a cut folder would name another place";
  EXPECT_EQ(small[0], 0);

  wchar_t path[MAX_PATH];
  EXPECT_GT(GetSpecialFolderPath(CSIDL_APPDATA, path, MAX_PATH), 0);
  EXPECT_EQ(std::wstring(path), AppData());
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DRIVES, path, MAX_PATH), 0) << "the computer folder has no path";
  EXPECT_GT(GetSpecialFolderDisplayName(CSIDL_DRIVES, path, MAX_PATH), 0);
}

TEST(SpecialFolders, EnvironmentVariablesAreVisitedUntilTheVisitorStops) {
  SetEnvironmentVariableW(L"QVRX_TEST_VISIT", L"found");
  struct Visit {
    int calls;
    std::wstring value;
  } visit = {0, L""};
  EnumEnvironmentVariables(
      [](const wchar_t* name, const wchar_t* value, void* data) {
        auto* v = static_cast<Visit*>(data);
        ++v->calls;
        if (wcscmp(name, L"QVRX_TEST_VISIT") != 0) return 0;
        v->value = value;
        return 1;
      },
      &visit);
  EXPECT_EQ(visit.value, L"found");
  const int callsUntilFound = visit.calls;
  visit = {0, L""};
  EnumEnvironmentVariables([](const wchar_t*, const wchar_t*, void* data) { return ++static_cast<Visit*>(data)->calls; },
                           &visit);
  EXPECT_EQ(visit.calls, 1);
  EXPECT_GE(callsUntilFound, 1);
}
