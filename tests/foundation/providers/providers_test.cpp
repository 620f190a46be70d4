// The provider table and its dispatch: choosing a provider, fixed results for missing and failing slots,
// user counts of open folders, the list of provider roots, and making folders with their parents.
#include "foundation/providers/providers.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "provider_fixture.h"
#include "support/caught_faults.h"

namespace {

constexpr int32_t kFakeKind = 9;
int g_renameCalls = 0;
uint32_t g_renameFlags = 0;

int CountRename(FileSystemProvider*, ProviderFolder*, const wchar_t*, const wchar_t*, uint32_t flags) {
  g_renameFlags = flags;
  return ++g_renameCalls, 0;
}

int ThrowOnRename(FileSystemProvider*, ProviderFolder*, const wchar_t*, const wchar_t*, uint32_t) {
  throw std::runtime_error("provider failure");
}

int32_t FaultOnAttributes(FileSystemProvider*, ProviderFolder*, const wchar_t*, FileInfo*) {
  volatile int* nowhere = nullptr;
  return *nowhere;
}

int FakeRoot(FileSystemProvider*, ProviderFolder*, wchar_t* target, int capacity) {
  wcsncpy(target, L"Q:\\", capacity);
  return 0;
}

// Record 2 as a provider of the drive Q: whose slots are the given ones.
FileSystemProvider* InstallFakeProvider() {
  FileSystemProvider* fake = &g_fileSystemProviders[2];
  *fake = {};
  fake->kind = kFakeKind;
  fake->slots.rootPath = FakeRoot;
  return fake;
}

int CountItem(ProviderItem* item, void* context) {
  static_cast<std::vector<ProviderItem>*>(context)->push_back(*item);
  return 0;
}

}  // namespace

TEST_F(ProvidersTest, MissingThrowingAndFaultingSlotsGiveTheirFixedResults) {
  ExpectCaughtFaults();
  FileSystemProvider* fake = InstallFakeProvider();
  fake->slots.rename = ThrowOnRename;
  fake->slots.getAttributes = FaultOnAttributes;
  ASSERT_EQ(FindProviderByPath(L"Q:\\a"), 2);
  EXPECT_EQ(FindProviderById(kFakeKind), 2);
  EXPECT_EQ(FindProviderById(0), -1);

  EXPECT_EQ(VfsRename(nullptr, L"Q:\\a", L"Q:\\b"), kNotSupported);
  EXPECT_EQ(VfsGetAttributes(nullptr, L"Q:\\a", nullptr), -1);
  EXPECT_FALSE(PathExists(L"Q:\\a"));
  EXPECT_EQ(VfsSetAttributes(nullptr, L"Q:\\a", 0), kNotSupported);
  EXPECT_EQ(VfsSetFileTimes(nullptr, L"Q:\\a", nullptr, nullptr, nullptr), kNotSupported);
  EXPECT_EQ(VfsCopy(nullptr, L"Q:\\a", L"Q:\\b", nullptr, nullptr, nullptr), kNotSupported);
  EXPECT_EQ(CreateDirectoryPath(nullptr, L"Q:\\a"), kNotSupported);
  EXPECT_EQ(VfsAddIconToImageList(nullptr, L"Q:\\a", 0, 16, nullptr), 0);
  EXPECT_EQ(VfsLoadIcon(nullptr, 0, L"Q:\\a", 16, 0), nullptr);
  EXPECT_EQ(VfsOpenFolder(nullptr, 0, L"Q:\\a", nullptr), nullptr);
  EXPECT_EQ(VfsEnumerate(nullptr, L"Q:\\a", CountItem, nullptr), kNotSupported);
}

TEST_F(ProvidersTest, RenameOfIdenticalTextsTouchesNothingButCaseChangesGoToTheProvider) {
  InstallFakeProvider()->slots.rename = CountRename;
  g_renameCalls = 0;
  EXPECT_EQ(VfsRename(nullptr, L"Q:\\t\\a.txt", L"Q:\\t\\a.txt"), 0);
  EXPECT_EQ(g_renameCalls, 0);
  EXPECT_EQ(VfsRename(nullptr, L"Q:\\t\\a.txt", L"Q:\\t\\A.txt"), 0);
  EXPECT_EQ(g_renameCalls, 1);
  EXPECT_EQ(g_renameFlags, 0u) << "a plain rename may replace";
  EXPECT_EQ(VfsRename(nullptr, L"Q:\\t\\a.txt", L"Q:\\t\\b.txt", kRenameKeepExisting), 0);
  EXPECT_EQ(g_renameFlags, kRenameKeepExisting);
  EXPECT_EQ(VfsRename(nullptr, L"", L"Q:\\x"), ERROR_INVALID_PARAMETER);
}

TEST_F(ProvidersTest, ProvidersAreChosenByRootDisplayNameOrPathForm) {
  const std::wstring computer = g_fileSystemProviders[kDrivesViewIndex].displayName;
  struct Case {
    const wchar_t* path;
    int index;
  } cases[] = {{L"C:\\x\\y", 0}, {L"\\\\server\\share\\x", 0}, {computer.c_str(), 1}, {L"relative\\x", -1},
               {nullptr, 0}};
  for (const Case& c : cases) EXPECT_EQ(FindProviderByPath(c.path), c.index) << (c.path ? c.path : L"(null)");
  EXPECT_EQ(ProviderIndexOf(nullptr, L""), -1);
}

TEST_F(ProvidersTest, FoldersStayAllocatedWhileTheirProviderHasOtherUsers) {
  EXPECT_EQ(VfsOpenFolder(nullptr, 0, L"D:", nullptr), nullptr);
  ProviderFolder* first = VfsOpenFolder(nullptr, 0, L"C:\\", nullptr);
  ProviderFolder* second = VfsOpenFolder(nullptr, kLocalDiskKind, L"C:\\windows", nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(g_fileSystemProviders[0].userCount, 2);

  wchar_t text[8] = L"x";
  VfsCloseFolder(&first, text, false);
  EXPECT_EQ(text[0], 0);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(g_fileSystemProviders[0].userCount, 1);
  VfsCloseFolder(&second, nullptr, false);
  EXPECT_EQ(second, nullptr);
  VfsCloseFolder(&first, nullptr, true);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(g_fileSystemProviders[0].userCount, 0);
}

TEST_F(ProvidersTest, WithoutAPathEveryNamedProviderIsOneRootItem) {
  std::vector<ProviderItem> items;
  EXPECT_EQ(VfsEnumerate(nullptr, nullptr, CountItem, &items), kNotSupported);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].info.attributes, kProviderRootAttributes);
  EXPECT_STREQ(items[0].name, g_fileSystemProviders[kDrivesViewIndex].displayName);
  EXPECT_EQ(items[0].folderPath, nullptr);
  EXPECT_EQ(VfsEnumerate(nullptr, nullptr, nullptr, nullptr), kNotSupported);
}

TEST_F(ProvidersTest, NoFolderIsMadeBelowAFile) {
  const std::wstring file = folder_.WriteFile(L"taken", "x");
  const std::wstring below = file + L"\\sub\\leaf";
  EXPECT_EQ(CreateDirectoryPath(nullptr, below.c_str()), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(PathExists(below.c_str()));
  EXPECT_EQ(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(ProviderPaths, PrefixesAreCutOnlyWhereTheyBeginThePath) {
  wchar_t name[] = L"Net";
  FileSystemProvider provider = {};
  provider.displayName = name;
  EXPECT_STREQ(StripProviderPrefix(&provider, L"\\\\\\net\\x"), L"\\x");
  EXPECT_STREQ(StripProviderPrefix(&provider, L"\\\\net\\x"), L"\\\\net\\x");
}
