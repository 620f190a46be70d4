// The local-disk provider's folder, attribute, time and icon slots, and the drives view.
#include "foundation/providers/local_disk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "foundation/files/shell_folders.h"
#include "foundation/providers/drives_view.h"
#include "foundation/win32/icons.h"
#include "provider_fixture.h"

namespace {

int CollectDrive(ProviderItem* item, void* context) {
  (*static_cast<std::map<wchar_t, ProviderItem>*>(context))[item->name[0]] = *item;
  return 0;
}

FILETIME MakeTime(uint64_t value) { return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)}; }

uint64_t LastWriteOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

TEST(LocalDiskPaths, FolderPathsAndSharesAreRecognisedByTheirForm) {
  struct Case {
    const wchar_t* path;
    bool folder;
    int insideShare;
  } cases[] = {{L"D:", false, 0},         {L"D:\\", true, 0},         {L"\\\\server", true, 0},
               {L"\\\\server\\share", true, 0}, {L"\\\\server\\share\\x", true, 1}, {L"\\\\\\x", false, 1},
               {L"rel\\x", false, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsLocalFolderPath(c.path), c.folder) << c.path;
    EXPECT_EQ(IsInsideShare(c.path), c.insideShare) << c.path;
  }
}

TEST_F(ProvidersTest, AnOpenFolderChangesToItsRootItsParentAndNewPaths) {
  ProviderFolder* folder = VfsOpenFolder(nullptr, 0, (folder_ / L"x").c_str(), nullptr);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(VfsChangeFolder(folder, L".."), 0);
  EXPECT_EQ(folder_.Path(), folder->path);
  EXPECT_EQ(VfsChangeFolder(folder, L"\\"), 0);
  EXPECT_STREQ(folder->path, L"C:\\");
  EXPECT_EQ(VfsChangeFolder(folder, L"D:\\data"), 0);
  EXPECT_STREQ(folder->path, L"D:\\data");
  EXPECT_EQ(VfsChangeFolder(folder, L""), kNotSupported);
  VfsCloseFolder(&folder, nullptr, true);
}

TEST_F(ProvidersTest, AttributesAndTimesAreReadAndSetThroughTheProvider) {
  const std::wstring path = folder_.WriteFile(L"f.txt", "12345");
  FileInfo info = {};
  const int32_t attributes = VfsGetAttributes(nullptr, path.c_str(), &info);
  ASSERT_GE(attributes, 0);
  EXPECT_EQ(info.size, 5u);
  EXPECT_EQ(info.attributes, static_cast<uint16_t>(attributes));
  EXPECT_EQ(VfsGetAttributes(nullptr, (folder_ / L"none").c_str(), &info), -1);

  EXPECT_EQ(VfsSetAttributes(nullptr, path.c_str(), FILE_ATTRIBUTE_READONLY), 0);
  EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(VfsSetAttributes(nullptr, path.c_str(), 0x8000), 0);

  const FILETIME in2020 = MakeTime(132223104000000000ull);
  const FILETIME in1970 = MakeTime(116444736000000000ull);
  EXPECT_EQ(VfsSetFileTimes(nullptr, path.c_str(), nullptr, nullptr, &in2020), 0);
  EXPECT_EQ(LastWriteOf(path), 132223104000000000ull);
  EXPECT_EQ(VfsSetFileTimes(nullptr, path.c_str(), nullptr, nullptr, &in1970), 0);
  EXPECT_EQ(LastWriteOf(path), 132223104000000000ull);
  EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(VfsSetFileTimes(nullptr, (folder_ / L"none").c_str(), nullptr, nullptr, &in2020), ERROR_FILE_NOT_FOUND);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ProvidersTest, IconsGoIntoImageListsAndPlainFoldersUseTheStandardIcon) {
  const std::wstring file = folder_.WriteFile(L"icon.txt", "x");
  HIMAGELIST list = CreateIconImageList(16, 4, kKeepBackground);
  ASSERT_NE(list, nullptr);
  EXPECT_GE(VfsAddIconToImageList(nullptr, file.c_str(), FILE_ATTRIBUTE_NORMAL, 16, list), 1);
  EXPECT_EQ(VfsAddIconToImageList(nullptr, folder_.Path().c_str(), FILE_ATTRIBUTE_DIRECTORY | 0xA000, 16, list), 3);
  EXPECT_EQ(VfsAddIconToImageList(nullptr, file.c_str(), 0, 16, nullptr), 0);
  ImageList_Destroy(list);
  HICON icon = VfsLoadIcon(nullptr, 0, file.c_str(), 16, 0);
  EXPECT_NE(icon, nullptr);
  if (icon) DestroyIcon(icon);
  wchar_t target[64];
  EXPECT_EQ(ReadReparseTarget(folder_.Path().c_str(), target, 64), ERROR_NOT_A_REPARSE_POINT);
}

TEST_F(ProvidersTest, FileIconsAreKeptByTypeExceptTheFilesOwnAndOnlyWhileTheListKeepsThem) {
  for (const wchar_t* name : {L"one.exe", L"two.exe"}) {
    ASSERT_TRUE(CopyFileW((ExecutableFolder() + L"\\QVRX.exe").c_str(), (folder_ / name).c_str(), FALSE));
  }
  HIMAGELIST list = CreateIconImageList(16, 4, kKeepBackground);
  ASSERT_NE(list, nullptr);
  std::map<std::wstring, int> images;
  // Files that do not exist are never read: only their names' types count.
  for (const wchar_t* name : {L"a.txt", L"b.TXT", L"c.jpg", L"one.exe", L"two.exe", L"missing.exe", L"gone.exe",
                              L"noext", L"other"}) {
    images[name] = VfsAddIconToImageList(nullptr, (folder_ / name).c_str(), FILE_ATTRIBUTE_NORMAL, 16, list);
    EXPECT_GE(images[name], 1) << name;
  }
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    bool shared;
  } cases[] = {{L"a.txt", L"b.TXT", true},       {L"a.txt", L"c.jpg", false},       {L"missing.exe", L"gone.exe", true},
               {L"one.exe", L"two.exe", false},  {L"one.exe", L"missing.exe", false}, {L"noext", L"other", true}};
  for (const Case& c : cases) EXPECT_EQ(images[c.a] == images[c.b], c.shared) << c.a << " " << c.b;
  ImageList_Remove(list, -1);
  EXPECT_EQ(VfsAddIconToImageList(nullptr, (folder_ / L"a.txt").c_str(), FILE_ATTRIBUTE_NORMAL, 16, list), 1)
      << "an emptied list gets the type's icon again";
  ImageList_Destroy(list);
}

TEST_F(ProvidersTest, TheDrivesViewListsDrivesAndHandsAChosenDriveToTheLocalDisk) {
  std::map<wchar_t, ProviderItem> drives;
  ProviderFolder* view = VfsOpenFolder(nullptr, kDrivesViewKind, nullptr, nullptr);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(VfsEnumerate(view, view->path, CollectDrive, &drives), 0);
  ASSERT_EQ(drives.count(L'C'), 1u);
  const ProviderItem& c = drives.at(L'C');
  EXPECT_EQ(c.info.attributes, kProviderRootAttributes);
  EXPECT_EQ(c.info.creationTime.dwLowDateTime, static_cast<DWORD>(L'd'));
  EXPECT_STREQ(c.shortName, L"C:\\");
  EXPECT_EQ(std::wstring(c.name).substr(0, 2), L"C:");
  EXPECT_GT(c.info.size, 0u);

  EXPECT_EQ(VfsChangeFolder(view, L"not a drive"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(VfsChangeFolder(view, L"C:"), 0);
  EXPECT_EQ(view->providerIndex, kLocalDiskIndex);
  EXPECT_STREQ(view->path, L"C:\\");
  EXPECT_EQ(g_fileSystemProviders[kLocalDiskIndex].userCount, 1);
  EXPECT_EQ(g_fileSystemProviders[kDrivesViewIndex].userCount, 0);
  VfsCloseFolder(&view, nullptr, false);
  EXPECT_EQ(view, nullptr);
}

TEST(DrivesView, DriveTypesHaveTheirLetters) {
  struct Case {
    UINT type;
    wchar_t drive;
    wchar_t letter;
  } cases[] = {{DRIVE_REMOVABLE, L'a', L'y'}, {DRIVE_REMOVABLE, L'E', L'o'}, {DRIVE_FIXED, L'C', L'd'},
               {DRIVE_CDROM, L'D', L'r'},     {DRIVE_RAMDISK, L'R', L'm'},   {DRIVE_REMOTE, L'N', L'n'},
               {DRIVE_NO_ROOT_DIR, L'Q', L'n'}, {DRIVE_UNKNOWN, L'Q', L'o'}};
  for (const Case& c : cases) EXPECT_EQ(DriveTypeLetter(c.type, c.drive), c.letter) << c.type;
}
