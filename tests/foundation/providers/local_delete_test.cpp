// Deleting on the local disk: the plain delete spares other hard links, read-only files go too, the wipe
// overwrites, renames and deletes (and a cancelled wipe keeps the file), and the recycle bin takes files.
#include "foundation/providers/local_delete.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "provider_fixture.h"

namespace {

std::vector<std::wstring> g_renameTargets;

BOOL WINAPI RecordRenames(LPCWSTR from, LPCWSTR to, DWORD flags) {
  g_renameTargets.push_back(to);
  return MoveFileExW(from, to, flags);
}

struct WipeProgress {
  uint64_t bytes = 0;
  int cancelAtCall = 0;
  int calls = 0;
};

int CountWipe(int, uint64_t* bytes, int, void* userData) {
  auto* progress = static_cast<WipeProgress*>(userData);
  progress->bytes += *bytes;
  return ++progress->calls == progress->cancelAtCall;
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

}  // namespace

TEST_F(ProvidersTest, DeletingOneHardLinkLeavesTheOthersWhole) {
  const std::wstring first = folder_.WriteFile(L"l1", std::string(5000, 'k'));
  const std::wstring second = folder_ / L"l2";
  ASSERT_TRUE(CreateHardLinkW(second.c_str(), first.c_str(), nullptr));
  EXPECT_EQ(DeleteLocalFile(nullptr, nullptr, second.c_str(), kDeleteFile, nullptr, nullptr), 0);
  EXPECT_FALSE(PathExists(second));
  EXPECT_EQ(ReadWholeFile(first).size(), 5000u);
}

TEST_F(ProvidersTest, PlainDeleteTakesReadOnlyFilesFoldersAndIgnoresUnknownTypes) {
  const std::wstring readOnly = folder_.WriteFile(L"ro.txt", "x");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(DeleteLocalFile(nullptr, nullptr, readOnly.c_str(), kDeleteFile, nullptr, nullptr), 0);
  EXPECT_FALSE(PathExists(readOnly));
  const std::wstring sub = folder_.MakeFolder(L"sub");
  folder_.WriteFile(L"sub\\inner.txt", "x");
  EXPECT_EQ(DeleteLocalFile(nullptr, nullptr, sub.c_str(), kDeleteFile, nullptr, nullptr), 0);
  EXPECT_FALSE(PathExists(sub));
  const std::wstring kept = folder_.WriteFile(L"kept.txt", "x");
  EXPECT_EQ(DeleteLocalFile(nullptr, nullptr, kept.c_str(), 7, nullptr, nullptr), 0);
  EXPECT_TRUE(PathExists(kept));
}

TEST_F(ProvidersTest, AWipeOverwritesRenamesToAtSignsAndDeletes) {
  const std::wstring path = folder_.WriteFile(L"a.b.txt", std::string(10000, 's'));
  folder_.WriteFile(L"@.@.@@@", "taken");
  g_systemSeams.moveFileExW = RecordRenames;
  WipeProgress progress;
  EXPECT_EQ(DeleteLocalFile(nullptr, nullptr, path.c_str(), kDeleteWipe, CountWipe, &progress), 0);
  EXPECT_EQ(progress.bytes, 10000u);
  EXPECT_EQ(progress.calls, 3);
  ASSERT_EQ(g_renameTargets.size(), 1u);
  EXPECT_EQ(NameOf(g_renameTargets[0]), L"@.@.@@@1");
  EXPECT_FALSE(PathExists(path));
  EXPECT_FALSE(PathExists(g_renameTargets[0]));
  EXPECT_EQ(ReadWholeFile(folder_ / L"@.@.@@@"), "taken");
}

TEST_F(ProvidersTest, ACancelledWipeKeepsTheFileUnderItsNameAndSize) {
  const std::wstring path = folder_.WriteFile(L"keep.bin", std::string(10000, 'k'));
  WipeProgress progress;
  progress.cancelAtCall = 1;
  EXPECT_EQ(WipeFile(path.c_str(), CountWipe, &progress), kCancelled);
  const std::string left = ReadWholeFile(path);
  ASSERT_EQ(left.size(), 10000u);
  EXPECT_EQ(left[0], '\xAA');
  EXPECT_EQ(left[9999], 'k');
}

TEST_F(ProvidersTest, RecyclingRemovesTheFileFromItsFolder) {
  const std::wstring path = folder_.WriteFile(L"recycled.txt", "x");
  EXPECT_EQ(DeleteLocalFile(nullptr, nullptr, path.c_str(), kDeleteToRecycleBin, nullptr, nullptr), 0);
  EXPECT_FALSE(PathExists(path));
}
