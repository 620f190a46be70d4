// Renaming on the local disk: plain renames, case-only renames, and each failure's remedy, with failures the
// test system cannot produce brought about through the rename seam. Throughout: a rename reported done is
// done, and a failed one leaves the file where it was.
#include "foundation/providers/local_rename.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "foundation/files/system_folders.h"
#include "provider_fixture.h"

namespace {

DWORD g_failCode = 0;
int g_failuresLeft = 0;
std::wstring g_oldPath;
std::wstring g_newPath;

// Fails the next g_failuresLeft renames with g_failCode.
BOOL WINAPI FailSomeRenames(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (g_failuresLeft > 0) {
    --g_failuresLeft;
    SetLastError(g_failCode);
    return FALSE;
  }
  return MoveFileExW(from, to, flags);
}

// A file system that keeps the old spelling of a case-only rename and refuses the way back from a temporary
// name to the new spelling.
BOOL WINAPI KeepSpellingAndRefuseTemporary(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (g_newPath == to && g_oldPath == from) return TRUE;
  if (g_newPath == to && std::wstring(from).find(L".~") != std::wstring::npos) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return MoveFileExW(from, to, flags);
}

// Another program puts a file at the new path just before the system's rename.
BOOL WINAPI TargetAppearsFirst(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (g_newPath == to) {
    HANDLE file = CreateFileW(to, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) ::WriteFile(file, "theirs", 6, &written, nullptr);
    CloseHandle(file);
  }
  return MoveFileExW(from, to, flags);
}

// A file system that will not respell a name in place: it calls the new spelling taken.
BOOL WINAPI CallTheNewSpellingTaken(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (g_newPath == to && g_oldPath == from) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  return MoveFileExW(from, to, flags);
}

// A file system that refuses the case-only rename outright.
BOOL WINAPI RefuseTheNewSpelling(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (g_newPath == to) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return MoveFileExW(from, to, flags);
}

int Rename(const std::wstring& from, const std::wstring& to, uint32_t flags = 0) {
  return RenameLocalFile(nullptr, nullptr, from.c_str(), to.c_str(), flags);
}

bool Holds(const std::vector<std::wstring>& names, const std::wstring& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// A fresh folder on the drive Z: (the host's root under Wine), removed afterwards; empty when there is none.
class OtherDriveFolder {
 public:
  OtherDriveFolder() {
    if (GetDriveTypeW(L"Z:\\") != DRIVE_FIXED) return;
    path_ = L"Z:\\tmp\\qvrx-rename-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(path_.c_str(), nullptr)) path_.clear();
  }
  ~OtherDriveFolder() {
    if (path_.empty()) return;
    for (const std::wstring& name : NamesOnDisk(path_)) DeleteFileW((path_ + L"\\" + name).c_str());
    RemoveDirectoryW(path_.c_str());
  }
  OtherDriveFolder(const OtherDriveFolder&) = delete;
  OtherDriveFolder& operator=(const OtherDriveFolder&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace

TEST_F(ProvidersTest, FilesAndFoldersAreRenamedWithinAndAcrossFoldersAndBeyondThePathLimit) {
  folder_.MakeFolder(L"other");
  folder_.MakeFolder(L"dir");
  std::wstring deep = folder_.Path();
  while (deep.size() < 280) deep += L"\\" + std::wstring(50, L'q');
  ASSERT_EQ(CreateDirectoryPath(nullptr, deep.c_str()), 0);
  struct Case {
    std::wstring from, to;
    bool folder;
  } cases[] = {{folder_ / L"a.txt", folder_ / L"b.txt", false},
               {folder_ / L"dir", folder_ / L"renamed dir", true},
               {folder_ / L"c.txt", folder_ / L"other\\c2.txt", false},
               {folder_ / L"d.txt", deep + L"\\d.txt", false},
               {folder_ / L"e.txt", deep + L"\\new\\sub\\e.txt", false}};
  for (const Case& c : cases) {
    if (!c.folder) folder_.WriteFile(c.from.substr(folder_.Path().size() + 1), "content");
    EXPECT_EQ(VfsRename(nullptr, c.from.c_str(), c.to.c_str()), 0) << c.to;
    EXPECT_FALSE(PathExists(c.from.c_str())) << c.from;
    EXPECT_TRUE(PathExists(c.to.c_str())) << c.to;
    if (!c.folder) {
      EXPECT_EQ(ReadWholeFile(L"\\\\?\\" + c.to), "content") << c.to;
    }
  }
}

TEST_F(ProvidersTest, CaseOnlyRenamesChangeTheSpellingOnDisk) {
  folder_.WriteFile(L"a.txt", "a");
  folder_.MakeFolder(L"folder");
  EXPECT_EQ(Rename(folder_ / L"a.txt", folder_ / L"A.txt"), 0);
  EXPECT_EQ(Rename(folder_ / L"folder", folder_ / L"FOLDER"), 0);
  const std::vector<std::wstring> names = NamesOnDisk(folder_.Path());
  EXPECT_EQ(names.size(), 2u);
  EXPECT_TRUE(Holds(names, L"A.txt"));
  EXPECT_TRUE(Holds(names, L"FOLDER"));
}

TEST_F(ProvidersTest, ACaseOnlyRenameIsReportedDoneOnlyWhenTheSpellingChangedAndLeavesNoTemporaryName) {
  for (auto seam : {KeepSpellingAndRefuseTemporary, RefuseTheNewSpelling}) {
    TempFolder folder;
    g_oldPath = folder.WriteFile(L"a.txt", "a");
    g_newPath = folder / L"A.txt";
    g_systemSeams.moveFileExW = seam;
    const int result = Rename(g_oldPath, g_newPath);
    const std::vector<std::wstring> names = NamesOnDisk(folder.Path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], result == 0 ? L"A.txt" : L"a.txt") << "result " << result;
  }
}

TEST_F(ProvidersTest, ASharingViolationLeavesTheCurrentFolderAndTriesAgain) {
  const std::wstring from = folder_.WriteFile(L"held.txt", "x");
  SetCurrentDirectoryW(folder_.Path().c_str());
  g_failCode = ERROR_SHARING_VIOLATION;
  g_failuresLeft = 1;
  g_systemSeams.moveFileExW = FailSomeRenames;
  EXPECT_EQ(Rename(from, folder_ / L"freed.txt"), 0);
  EXPECT_TRUE(PathExists(folder_ / L"freed.txt"));
  wchar_t current[MAX_PATH], windows[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  GetWindowsFolder(windows, MAX_PATH);
  EXPECT_EQ(std::wstring(current), std::wstring(windows).substr(0, 3));
}

TEST_F(ProvidersTest, AFileHeldOpenWithoutShareDeleteIsReportedNotRenamed) {
  const std::wstring from = folder_.WriteFile(L"locked.txt", "x");
  HANDLE held = CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_NE(Rename(from, folder_ / L"moved.txt"), 0);
  CloseHandle(held);
  EXPECT_TRUE(PathExists(from));
  EXPECT_FALSE(PathExists(folder_ / L"moved.txt"));
}

TEST_F(ProvidersTest, AReadOnlyTargetThatRefusesTheRenameIsMadeWritableOnce) {
  const std::wstring from = folder_.WriteFile(L"new.txt", "new");
  const std::wstring to = folder_.WriteFile(L"old.txt", "old");
  SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_READONLY);
  g_failCode = ERROR_ACCESS_DENIED;
  g_failuresLeft = 1;
  g_systemSeams.moveFileExW = FailSomeRenames;
  EXPECT_EQ(Rename(from, to), 0);
  EXPECT_FALSE(PathExists(from));
  EXPECT_EQ(ReadWholeFile(to), "new");
}

TEST_F(ProvidersTest, AnExistingTargetIsDeletedOnlyWhenItIsAFile) {
  const std::wstring from = folder_.WriteFile(L"from.txt", "from");
  const std::wstring file = folder_.WriteFile(L"file.txt", "file");
  g_failCode = ERROR_ALREADY_EXISTS;
  g_failuresLeft = 1;
  g_systemSeams.moveFileExW = FailSomeRenames;
  EXPECT_EQ(Rename(from, file), 0);
  EXPECT_EQ(ReadWholeFile(file), "from");

  const std::wstring folderTarget = folder_.MakeFolder(L"keep");
  folder_.WriteFile(L"keep\\inside.txt", "inside");
  g_failuresLeft = 1;
  EXPECT_NE(Rename(file, folderTarget), 0);
  EXPECT_EQ(ReadWholeFile(folder_ / L"keep\\inside.txt"), "inside");
  EXPECT_TRUE(PathExists(file));
}

TEST_F(ProvidersTest, AFileThatIsGoneMakesNoFolderNeitherItsOwnNorItsTarget) {
  folder_.MakeFolder(L"here");
  const struct {
    const wchar_t* from;
    const wchar_t* to;
  } cases[] = {{L"moved away\\a.txt", L"moved away\\a_.txt"},
               {L"moved away\\a.txt", L"made\\a.txt"},
               {L"here\\deleted.txt", L"here\\new\\deleted.txt"}};
  for (const auto& c : cases) {
    for (uint32_t flags : {0u, kRenameKeepExisting}) {
      SCOPED_TRACE(testing::Message() << c.to << " flags " << flags);
      EXPECT_NE(Rename(folder_ / c.from, folder_ / c.to, flags), 0);
      EXPECT_EQ(NamesOnDisk(folder_.Path()), std::vector<std::wstring>{L"here"});
      EXPECT_TRUE(NamesOnDisk(folder_ / L"here").empty());
    }
  }
}

TEST_F(ProvidersTest, BadNamesFailAtOnceAndLongPathsKeepTheRealCode) {
  const std::wstring from = folder_.WriteFile(L"x.txt", "x");
  EXPECT_EQ(Rename(from, folder_ / L"bad<name.txt"), ERROR_INVALID_NAME);
  const std::wstring longTarget = folder_ / (std::wstring(200, L'n') + L"\\" + std::wstring(100, L'm'));
  const int missingSource = Rename(folder_ / L"missing.txt", longTarget);
  EXPECT_NE(missingSource, 0);
  EXPECT_NE(missingSource, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_TRUE(PathExists(from));
  EXPECT_NE(Rename(folder_ / L"missing.txt", from), 0);
  EXPECT_EQ(ReadWholeFile(from), "x");
}

TEST_F(ProvidersTest, RenamingAcrossDrivesCopiesThenDeletesAndNeverLeavesTwoFiles) {
  OtherDriveFolder other;
  if (other.Path().empty()) GTEST_SKIP() << "no second fixed drive Z: to rename onto";
  const std::wstring from = folder_.WriteFile(L"travel.txt", "travelling");
  const std::wstring to = other.Path() + L"\\arrived.txt";
  EXPECT_EQ(Rename(from, to), 0);
  EXPECT_FALSE(PathExists(from));
  EXPECT_EQ(ReadWholeFile(to), "travelling");

  const std::wstring stuck = folder_.WriteFile(L"stuck.txt", "stuck");
  const std::wstring stuckTarget = other.Path() + L"\\stuck.txt";
  HANDLE held = CreateFileW(stuck.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_NE(Rename(stuck, stuckTarget), 0);
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(stuck), "stuck");
  EXPECT_FALSE(PathExists(stuckTarget));
}

TEST_F(ProvidersTest, AKeptTargetIsNeitherReplacedNorMadeWritableWhateverTheSystemAnswers) {
  const struct {
    const char* what;
    decltype(&MoveFileExW) seam;
    DWORD failCode;  // the system's answer to the first rename, when the seam fails it
    DWORD attributes;
    bool folder;
  } cases[] = {
      {"a file", MoveFileExW, 0, FILE_ATTRIBUTE_NORMAL, false},
      {"a file, told as 80", FailSomeRenames, ERROR_FILE_EXISTS, FILE_ATTRIBUTE_NORMAL, false},
      {"a read-only file refusing with 5", FailSomeRenames, ERROR_ACCESS_DENIED, FILE_ATTRIBUTE_READONLY, false},
      {"a folder", MoveFileExW, 0, FILE_ATTRIBUTE_NORMAL, true},
      {"a file that appears just before the rename", TargetAppearsFirst, 0, FILE_ATTRIBUTE_NORMAL, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring index = std::to_wstring(++n);
    const std::wstring from = folder_.WriteFile(L"mine" + index + L".txt", "mine");
    const std::wstring target = L"theirs" + index + L".txt";
    g_newPath = folder_ / target;
    const std::wstring theirs = folder_ / (c.folder ? target + L"\\inside.txt" : target);
    if (c.seam != TargetAppearsFirst) folder_.WriteFile(theirs.substr(folder_.Path().size() + 1), "theirs");
    SetFileAttributesW(g_newPath.c_str(), c.attributes);
    g_failCode = c.failCode;
    g_failuresLeft = c.failCode ? 1 : 0;
    g_systemSeams.moveFileExW = c.seam;
    EXPECT_EQ(Rename(from, g_newPath, kRenameKeepExisting), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadWholeFile(from), "mine");
    EXPECT_EQ(ReadWholeFile(theirs), "theirs");
    EXPECT_EQ(GetFileAttributesW(g_newPath.c_str()) & FILE_ATTRIBUTE_READONLY, c.attributes & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(g_newPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  g_systemSeams.moveFileExW = MoveFileExW;
  const std::wstring replaced = folder_ / L"theirs1.txt";
  EXPECT_EQ(Rename(folder_ / L"mine1.txt", replaced), 0) << "without the flag a rename replaces, as before";
  EXPECT_EQ(ReadWholeFile(replaced), "mine");
}

TEST_F(ProvidersTest, AKeptRenameStillRespellsTheFileItself) {
  for (auto seam : {MoveFileExW, CallTheNewSpellingTaken, KeepSpellingAndRefuseTemporary}) {
    TempFolder folder;
    g_oldPath = folder.WriteFile(L"a.txt", "a");
    g_newPath = folder / L"A.txt";
    g_systemSeams.moveFileExW = seam;
    const int result = Rename(g_oldPath, g_newPath, kRenameKeepExisting);
    const std::vector<std::wstring> names = NamesOnDisk(folder.Path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], result == 0 ? L"A.txt" : L"a.txt") << "result " << result;
    if (seam != KeepSpellingAndRefuseTemporary) {
      EXPECT_EQ(result, 0);
    }
  }
}

TEST_F(ProvidersTest, AKeptRenameAcrossDrivesCopiesOnlyOntoAFreeName) {
  OtherDriveFolder other;
  if (other.Path().empty()) GTEST_SKIP() << "no second fixed drive Z: to rename onto";
  const std::wstring from = folder_.WriteFile(L"travel.txt", "travelling");
  const std::wstring taken = other.Path() + L"\\taken.txt";
  HANDLE file = CreateFileW(taken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, "theirs", 6, &written, nullptr);
  CloseHandle(file);
  EXPECT_EQ(Rename(from, taken, kRenameKeepExisting), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadWholeFile(from), "travelling");
  EXPECT_EQ(ReadWholeFile(taken), "theirs");

  const std::wstring free = other.Path() + L"\\free.txt";
  EXPECT_EQ(Rename(from, free, kRenameKeepExisting), 0);
  EXPECT_FALSE(PathExists(from));
  EXPECT_EQ(ReadWholeFile(free), "travelling");
}
