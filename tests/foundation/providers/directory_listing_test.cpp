// Listing local folders: every entry exactly once with its data, empty and missing folders, stopping, long
// paths, the process-wide switch to the plain search, and the shell namespace for unreachable folders.
#include "foundation/providers/directory_listing.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "provider_fixture.h"

namespace {

struct Listing {
  std::map<std::wstring, ProviderItem> items;
  int duplicates = 0;
  size_t stopAfter = 0;
};

int Collect(ProviderItem* item, void* context) {
  auto* listing = static_cast<Listing*>(context);
  if (!listing->items.emplace(item->name, *item).second) ++listing->duplicates;
  return listing->stopAfter && listing->items.size() >= listing->stopAfter;
}

int g_basicSearches = 0;
int g_plainSearches = 0;

HANDLE WINAPI RejectBasicSearch(LPCWSTR, FINDEX_INFO_LEVELS, void*, FINDEX_SEARCH_OPS, void*, DWORD) {
  ++g_basicSearches;
  SetLastError(ERROR_INVALID_PARAMETER);
  return INVALID_HANDLE_VALUE;
}

HANDLE WINAPI CountPlainSearch(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
  ++g_plainSearches;
  return FindFirstFileW(pattern, data);
}

bool IsFolderPattern(LPCWSTR pattern) {
  const std::wstring text = pattern;
  return text.size() >= 4 && text.compare(text.size() - 4, 4, L"\\*.*") == 0;
}

// The network answer for listing patterns; single entries are still found.
HANDLE WINAPI UnreachableBasicSearch(LPCWSTR pattern, FINDEX_INFO_LEVELS level, void* data, FINDEX_SEARCH_OPS op,
                                     void* filter, DWORD flags) {
  if (!IsFolderPattern(pattern)) return FindFirstFileExW(pattern, level, data, op, filter, flags);
  SetLastError(ERROR_BAD_NETPATH);
  return INVALID_HANDLE_VALUE;
}

HANDLE WINAPI UnreachablePlainSearch(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
  if (!IsFolderPattern(pattern)) return FindFirstFileW(pattern, data);
  SetLastError(ERROR_BAD_NETPATH);
  return INVALID_HANDLE_VALUE;
}

// A file of `size` bytes, made without the test folder's parent checks (many of them are made).
void WriteSmallFile(const std::wstring& path, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const char bytes[8] = {};
  DWORD written = 0;
  WriteFile(file, bytes, size, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

// Two thousand entries take the system's search several refills of its buffer.
TEST_F(ProvidersTest, TwoThousandFilesAreEachListedOnceWithTheirData) {
  constexpr int kFiles = 2000;
  for (int i = 0; i < kFiles; ++i) WriteSmallFile(folder_ / (L"f" + std::to_wstring(i) + L".dat"), i % 7);
  folder_.MakeFolder(L"sub");
  Listing listing;
  ASSERT_EQ(VfsEnumerate(nullptr, folder_.Path().c_str(), Collect, &listing), 0);
  EXPECT_EQ(listing.duplicates, 0);
  ASSERT_EQ(listing.items.size(), static_cast<size_t>(kFiles + 1));
  for (int i = 0; i < kFiles; i += 997) {
    const ProviderItem& item = listing.items.at(L"f" + std::to_wstring(i) + L".dat");
    EXPECT_EQ(item.info.size, static_cast<uint64_t>(i % 7));
    EXPECT_EQ(item.info.attributes & FILE_ATTRIBUTE_DIRECTORY, 0);
    EXPECT_NE(item.info.lastWriteTime.dwHighDateTime, 0u);
  }
  EXPECT_TRUE(listing.items.at(L"sub").info.attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(listing.items.count(L"."), 0u);
}

TEST_F(ProvidersTest, EmptyMissingAndStoppedListings) {
  Listing empty;
  EXPECT_EQ(VfsEnumerate(nullptr, folder_.Path().c_str(), Collect, &empty), 0);
  EXPECT_TRUE(empty.items.empty());

  Listing missing;
  EXPECT_EQ(VfsEnumerate(nullptr, (folder_ / L"gone").c_str(), Collect, &missing), ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(missing.items.empty());

  for (int i = 0; i < 5; ++i) folder_.WriteFile(L"s" + std::to_wstring(i), "");
  Listing stopped;
  stopped.stopAfter = 2;
  EXPECT_EQ(VfsEnumerate(nullptr, folder_.Path().c_str(), Collect, &stopped), 0);
  EXPECT_EQ(stopped.items.size(), 2u);
}

TEST_F(ProvidersTest, FoldersBeyondTheOldPathLimitAreListed) {
  std::wstring deep = folder_.Path();
  while (deep.size() < 300) deep += L"\\" + std::wstring(40, L'd');
  ASSERT_EQ(CreateDirectoryPath(nullptr, deep.c_str()), 0);
  ASSERT_GT(deep.size(), 260u);
  const std::wstring file = deep + L"\\inner.txt";
  HANDLE created = CreateFileW((L"\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  CloseHandle(created);
  Listing listing;
  EXPECT_EQ(VfsEnumerate(nullptr, deep.c_str(), Collect, &listing), 0);
  EXPECT_EQ(listing.items.count(L"inner.txt"), 1u);
  FileInfo info = {};
  EXPECT_GE(VfsGetAttributes(nullptr, file.c_str(), &info), 0);
}

TEST_F(ProvidersTest, ARejectedBasicSearchIsGivenUpForTheRestOfTheProcess) {
  g_systemSeams.findFirstFileExW = RejectBasicSearch;
  g_systemSeams.findFirstFileW = CountPlainSearch;
  folder_.WriteFile(L"one.txt", "1");
  for (int round = 1; round <= 2; ++round) {
    Listing listing;
    EXPECT_EQ(VfsEnumerate(nullptr, folder_.Path().c_str(), Collect, &listing), 0);
    EXPECT_EQ(listing.items.size(), 1u);
    EXPECT_EQ(g_basicSearches, 1);
    EXPECT_EQ(g_plainSearches, round);
  }
}

TEST_F(ProvidersTest, FoldersTheFileFunctionsCannotReachAreListedThroughTheShell) {
  folder_.WriteFile(L"alpha.txt", "12345");
  folder_.MakeFolder(L"beta");
  g_systemSeams.findFirstFileExW = UnreachableBasicSearch;
  g_systemSeams.findFirstFileW = UnreachablePlainSearch;
  Listing listing;
  EXPECT_EQ(VfsEnumerate(nullptr, folder_.Path().c_str(), Collect, &listing), 0);
  ASSERT_EQ(listing.items.size(), 2u);
  EXPECT_EQ(listing.items.at(L"alpha.txt").info.size, 5u);
  EXPECT_TRUE(listing.items.at(L"beta").info.attributes & FILE_ATTRIBUTE_DIRECTORY);

  Listing missing;
  EXPECT_EQ(VfsEnumerate(nullptr, (folder_ / L"gone").c_str(), Collect, &missing), ERROR_BAD_NETPATH);
}
