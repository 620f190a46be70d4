// A folder of 1 000 files through the engine's own path: listed, previewed with a real chain (Case upper,
// Ext "bak"), renamed, checked on disk, undone and checked again with every file's content.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "engine/chain_list.h"
#include "engine/preview.h"
#include "run_fixture.h"

namespace {

constexpr unsigned kFiles = 1000;

std::wstring Numbered(const wchar_t* pattern, unsigned number) {
  wchar_t name[64];
  swprintf(name, 64, pattern, number);
  return name;
}

class RenameEndToEnd : public RunFixture {
 protected:
  // The new name on disk and the old name it holds as content.
  std::map<std::wstring, std::wstring> RenamedOnDisk() const {
    std::map<std::wstring, std::wstring> files;
    for (const std::wstring& file : Disk()) {
      const size_t equals = file.find(L'=');
      files[file.substr(4, equals - 4)] = file.substr(equals + 1);
    }
    return files;
  }

  // Lists the files written, previews the chain, runs and undoes, and gives what the run left on disk.
  std::map<std::wstring, std::wstring> RunAndUndo() {
    ListFolder(1);
    EXPECT_EQ(ItemStoreCount(&files_->rows), kFiles);
    AddStep(L"<Case,n,2>");
    AddStep(L"<Ext,\"bak\">");
    ComputeNewNames();
    EXPECT_EQ(g_app->problemCount, 0);
    const std::vector<std::wstring> before = Disk();
    EXPECT_TRUE(Run());
    const std::map<std::wstring, std::wstring> renamed = RenamedOnDisk();
    EXPECT_TRUE(Undo());
    EXPECT_EQ(Disk(), before);
    EXPECT_EQ(boxes_.Answered(), 0);
    return renamed;
  }
};

}  // namespace

TEST_F(RenameEndToEnd, DistinctNames) {
  for (unsigned i = 0; i < kFiles; ++i) AddDiskFile(1, Numbered(L"file%04u.txt", i));
  ClearList();
  std::map<std::wstring, std::wstring> expected;
  for (unsigned i = 0; i < kFiles; ++i) expected[Numbered(L"FILE%04u.bak", i)] = Numbered(L"file%04u.txt", i);
  EXPECT_EQ(RunAndUndo(), expected);
}

TEST_F(RenameEndToEnd, HalfTheNamesCollide) {
  for (unsigned i = 0; i < kFiles; ++i)
    AddDiskFile(1, Numbered(i % 2 == 0 ? L"photo%04u.jpg" : L"photo%04u.png", i / 2));
  ClearList();
  const std::map<std::wstring, std::wstring> renamed = RunAndUndo();
  ASSERT_EQ(renamed.size(), kFiles);
  for (unsigned k = 0; k < kFiles / 2; ++k) {
    const std::set<std::wstring> pair = {renamed.at(Numbered(L"PHOTO%04u.bak", k)),
                                         renamed.at(Numbered(L"PHOTO%04u (2).bak", k))};
    EXPECT_EQ(pair, (std::set<std::wstring>{Numbered(L"photo%04u.jpg", k), Numbered(L"photo%04u.png", k)}));
  }
}
