// Item-id lists, names and paths of shell items, drives, item-id lists of paths for a context menu, verbs on
// paths, and single files and folders by path.
#include "foundation/files/shell_items.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/files/file_entries.h"
#include "foundation/win32/system_functions.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

LPITEMIDLIST ParsePath(const std::wstring& path) {
  IShellFolder* desktop = GetShellDesktopFolder();
  LPITEMIDLIST pidl = nullptr;
  std::wstring copy = path;
  desktop->ParseDisplayName(nullptr, nullptr, copy.data(), nullptr, &pidl, nullptr);
  desktop->Release();
  return pidl;
}

std::wstring DoubleZeroList(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const auto& path : paths) list += path + L'\0';
  return list;
}

std::wstring ChildName(IShellFolder* folder, LPCITEMIDLIST child) {
  wchar_t name[MAX_PATH];
  GetItemFileName(folder, child, name, MAX_PATH);
  return name;
}

}  // namespace

TEST(ItemIdLists, WalkCloneJoinAndTurnBackIntoThePath) {
  TempFolder folder;
  const std::wstring path = folder.WriteFile(L"sub\\report.txt", "x");
  LPITEMIDLIST pidl = ParsePath(path);
  ASSERT_NE(pidl, nullptr);
  EXPECT_EQ(PidlSize(pidl), ILGetSize(pidl));
  LPITEMIDLIST first = PidlClone(pidl, true);
  LPITEMIDLIST joined = PidlConcat(first, ILGetNext(pidl));
  ASSERT_EQ(PidlSize(joined), PidlSize(pidl));
  EXPECT_EQ(memcmp(joined, pidl, PidlSize(pidl)), 0);
  wchar_t back[MAX_PATH];
  EXPECT_NE(PidlToPath(joined, back, MAX_PATH), 0);
  EXPECT_EQ(std::wstring(back), path);
  EXPECT_GT(GetDisplayNameOfPidl(pidl, SHGDN_INFOLDER, back, MAX_PATH), 0);
  EXPECT_EQ(std::wstring(back).rfind(L"report", 0), 0u) << back;
  FreeShellMemory(joined);
  FreeShellMemory(first);
  FreeShellMemory(pidl);
}

TEST(Drives, LettersInOrderEachAsARootAndAFinalZero) {
  wchar_t drives[128];
  const int used = EnumerateLogicalDrives(false, drives, 128);
  std::vector<std::wstring> roots;
  for (const wchar_t* root = drives; *root; root += wcslen(root) + 1) roots.push_back(root);
  ASSERT_FALSE(roots.empty());
  EXPECT_EQ(used, static_cast<int>(roots.size()) * 4 + 1);
  for (size_t i = 0; i < roots.size(); ++i) {
    EXPECT_EQ(roots[i].size(), 3u);
    EXPECT_EQ(roots[i].substr(1), L":\\");
    if (i > 0) {
      EXPECT_LT(roots[i - 1], roots[i]);
    }
  }
  wchar_t withShell[128];
  EXPECT_GE(EnumerateLogicalDrives(true, withShell, 128), used);
  wchar_t one[6];
  EXPECT_EQ(EnumerateLogicalDrives(false, one, 6), 5) << "drives that do not fit are left out";
  EXPECT_EQ(std::wstring(one), roots[0]);
}

TEST(ContextMenuItems, PathsOfOneFolderBecomeSortedChildren) {
  TempFolder folder;
  const std::wstring b = folder.WriteFile(L"b.txt", "b");
  const std::wstring a9 = folder.WriteFile(L"a9.txt", "a");
  const std::wstring a10 = folder.WriteFile(L"a10.txt", "a");
  const std::wstring list = DoubleZeroList({b, a9, a10});
  int count = 0;
  IShellFolder* parent = nullptr;
  LPITEMIDLIST* children = PathListToPidls(list.c_str(), &count, &parent);
  ASSERT_NE(children, nullptr);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(ChildName(parent, children[0]), L"a10.txt");
  EXPECT_EQ(ChildName(parent, children[1]), L"a9.txt");
  EXPECT_EQ(ChildName(parent, children[2]), L"b.txt");
  EXPECT_EQ(children[3], nullptr);
  parent->Release();
  FreeShellStringArray(children);
}

TEST(ContextMenuItems, PathsShareOneFolderIgnoringCaseAndTheKindOfSeparator) {
  struct Case {
    std::vector<std::wstring> paths;
    bool oneFolder;
  };
  const Case cases[] = {
      {{L"C:\\a\\x.txt", L"c:\\A\\y.txt"}, true},
      {{L"C:/a/x.txt", L"C:\\a\\y.txt"}, true},
      {{L"C:\\a\\x.txt", L"C:\\a\\sub\\y.txt"}, false},
      {{L"C:\\a\\sub\\y.txt", L"C:\\a\\x.txt"}, false},
      {{L"D:\\x"}, true},
      {{}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathsShareOneFolder(DoubleZeroList(c.paths).c_str()), c.oneFolder) << c.paths.size();
  }
}

TEST(ContextMenuItems, PathsOfSeveralFoldersAreRefused) {
  // Child ids are relative to their own folder: handed to the first path's folder, a verb would act on
  // same-named files there.
  TempFolder folder;
  const std::wstring list =
      DoubleZeroList({folder.WriteFile(L"a\\f.txt", "1"), folder.WriteFile(L"b\\f.txt", "2")});
  int count = 7;
  IShellFolder* parent = nullptr;
  EXPECT_EQ(PathListToPidls(list.c_str(), &count, &parent), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(parent, nullptr);
  EXPECT_EQ(InvokeShellVerbOnPaths(nullptr, "delete", list.c_str()), 5);
  EXPECT_TRUE(PathExists(folder / L"a\\f.txt"));
  EXPECT_TRUE(PathExists(folder / L"b\\f.txt"));
  const std::wstring one = DoubleZeroList({folder / L"a\\f.txt"});
  EXPECT_EQ(InvokeShellVerbOnPaths(nullptr, "no-such-verb", one.c_str()), 5);
}

TEST(ShellExecution, MissingFilesAreReported) {
  TempFolder folder;
  // The shell may tell the user in a box of its own.
  DialogWatcher watcher(GetCurrentProcessId(), IDOK);
  EXPECT_EQ(ShellExecuteWithVerb(nullptr, "open", (folder / L"missing.qzq").c_str()),
            static_cast<uint32_t>(SE_ERR_FNF));
  EXPECT_FALSE(ShellOpenFile(nullptr, (folder / L"missing.qzq").c_str(), nullptr, L"", SW_SHOW));
  EXPECT_FALSE(ShellOpenFile(nullptr, L"", nullptr, nullptr, SW_SHOW));
}

TEST(FileEntries, FoldersTimesAndFreeNames) {
  TempFolder folder;
  const std::wstring file = folder.WriteFile(L"x.txt", "x");
  EXPECT_EQ(IsExistingFolder(folder.Path().c_str()), 1);
  EXPECT_EQ(IsExistingFolder(file.c_str()), 0);
  EXPECT_EQ(IsExistingFolder(L""), 0);

  BY_HANDLE_FILE_INFORMATION information;
  ASSERT_TRUE(GetFindData(INVALID_HANDLE_VALUE, file.c_str(), &information));
  EXPECT_EQ(information.nFileSizeLow, 1u);

  wchar_t unique[MAX_PATH];
  EXPECT_EQ(MakeUniqueFileName(L"free.txt", file.c_str(), unique, MAX_PATH), 1);
  EXPECT_EQ(std::wstring(unique), folder / L"free.txt");
  folder.WriteFile(L"1.txt", "taken");
  EXPECT_EQ(MakeUniqueFileName(L"C:\\elsewhere\\x.txt", file.c_str(), unique, MAX_PATH), 2);
  EXPECT_EQ(std::wstring(unique), folder / L"2.txt");
  EXPECT_EQ(MakeUniqueFileName(nullptr, file.c_str(), unique, MAX_PATH), 1) << "without a name no extension";
  EXPECT_EQ(std::wstring(unique), folder / L"1");
}

TEST(ContextMenuItems, AVerbRunsOnTheItemsOfOneFolder) {
  // "copy" puts the files on the clipboard, which every test process shares: take turns through the mutex.
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"QvrxTestClipboardTurn");
  ASSERT_NE(WaitForSingleObject(turn, 60000), static_cast<DWORD>(WAIT_TIMEOUT));
  OleInitialize(nullptr);
  TempFolder folder;
  const std::wstring list = DoubleZeroList({folder.WriteFile(L"one.txt", "1"), folder.WriteFile(L"two.txt", "2")});
  const int result = InvokeShellVerbOnPaths(nullptr, "COPY", list.c_str());
  UINT files = 0;
  if (OpenClipboard(nullptr)) {
    if (HANDLE drop = GetClipboardData(CF_HDROP)) files = DragQueryFileW(static_cast<HDROP>(drop), 0xFFFFFFFF, nullptr, 0);
    CloseClipboard();
  }
  OleUninitialize();
  ReleaseMutex(turn);
  CloseHandle(turn);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(files, 2u);
}
