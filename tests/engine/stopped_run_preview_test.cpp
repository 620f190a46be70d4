// The preview after a rename run that an existing file stopped: the rows it renamed keep their names, and the
// files not yet renamed show, and a run started again gives them, exactly the names of the preview the run was
// started from, also with the steps that count files (a counter, the lines of a text list, a CSV sequence).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/chain_list.h"
#include "engine/preview.h"
#include "engine/rename_run.h"
#include "run_fixture.h"

namespace {

using Names = std::vector<std::wstring>;

struct CountingChain {
  const char* what;
  std::vector<std::wstring> steps;  // "%LIST%" stands for the list file's path
  std::string list;                 // the list file's bytes; empty for none
  Names previewed;                  // the new names of a.txt .. e.txt
};

class StoppedRunPreview : public RunFixture {
 protected:
  // Lists a.txt .. e.txt of folder one and previews the chain.
  void Prepare(const CountingChain& chain) {
    const std::wstring list = chain.list.empty() ? L"" : temp_.WriteFile(L"list.txt", chain.list);
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt"}) AddDiskFile(1, name);
    for (std::wstring step : chain.steps) {
      const size_t at = step.find(L"%LIST%");
      if (at != std::wstring::npos) step.replace(at, 6, list);
      AddStep(step.c_str());
    }
    ComputeNewNames();
  }

  // "current>new" of every row.
  Names Rows() const {
    Names rows;
    for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i) {
      rows.push_back(Row(i)->currentName + (L">" + NewName(i)));
    }
    return rows;
  }

  // Another program's file in folder one.
  void PutInTheWay(const std::wstring& name) { temp_.WriteFile(L"one\\" + name, "theirs"); }
  // That file goes to folder two.
  void TakeAway(const std::wstring& name) {
    ASSERT_TRUE(MoveFileW((FolderPath(1) + L"\\" + name).c_str(), (FolderPath(2) + L"\\" + name).c_str()));
  }
};

std::vector<CountingChain> CountingChains() {
  const std::string names = "one.txt\r\ntwo.txt\r\nthree.txt\r\nfour.txt\r\n";
  return {
      {"counter", {L"<Enum,n,0,1,1,3x0>", L"<Ins,n,l,3,\"_\">"}, "",
       {L"001_a.txt", L"002_b.txt", L"003_c.txt", L"004_d.txt", L"005_e.txt"}},
      {"text list", {L"<Text,%LIST%>"}, names, {L"one.txt", L"two.txt", L"three.txt", L"four.txt", L"e.txt"}},
      {"CSV sequence", {L"<CSV,%LIST%>"}, names, {L"one.txt", L"two.txt", L"three.txt", L"four.txt", L"e.txt"}},
  };
}

}  // namespace

TEST_F(StoppedRunPreview, TheFilesNotYetRenamedKeepTheNamesOfThePreviewTheRunWasStartedFrom) {
  for (const CountingChain& chain : CountingChains()) {
    SCOPED_TRACE(chain.what);
    ClearList();
    DeleteAllSteps();
    EmptyFolders();
    const Names& n = chain.previewed;
    Prepare(chain);
    ASSERT_EQ(Rows(),
              (Names{L"a.txt>" + n[0], L"b.txt>" + n[1], L"c.txt>" + n[2], L"d.txt>" + n[3], L"e.txt>" + n[4]}));
    const std::vector<std::wstring> before = Disk();
    const int boxesBefore = boxes_.Answered();

    // Files appear at the new names of c and then d: each stops a run there.
    PutInTheWay(n[2]);
    PutInTheWay(n[3]);
    ASSERT_TRUE(Run());
    EXPECT_EQ(Rows(), (Names{n[0] + L">" + n[0], n[1] + L">" + n[1], L"c.txt>" + n[2], L"d.txt>" + n[3],
                             L"e.txt>" + n[4]}))
        << "the rows renamed are done; the others show the names they had before the run";
    EXPECT_EQ(g_app->problemCount, 0);

    // The run again, the way to c now free: it renames c and stops at d, whose name is still the first one.
    TakeAway(n[2]);
    ASSERT_TRUE(Run());
    EXPECT_EQ(Rows(), (Names{n[0] + L">" + n[0], n[1] + L">" + n[1], n[2] + L">" + n[2], L"d.txt>" + n[3],
                             L"e.txt>" + n[4]}));

    TakeAway(n[3]);
    ASSERT_TRUE(Run());
    EXPECT_EQ(ItemStoreCount(&files_->rows), 0u) << "a run to the end empties the list";
    Names renamed = {L"one\\" + n[0] + L"=a.txt", L"one\\" + n[1] + L"=b.txt", L"one\\" + n[2] + L"=c.txt",
                     L"one\\" + n[3] + L"=d.txt", L"one\\" + n[4] + L"=e.txt", L"two\\" + n[2] + L"=theirs",
                     L"two\\" + n[3] + L"=theirs"};
    std::sort(renamed.begin(), renamed.end());
    EXPECT_EQ(Disk(), renamed);
    EXPECT_EQ(boxes_.Answered(), boxesBefore + 2) << "each stop said that the file exists";
    // One undo brings back every name of the three runs.
    ASSERT_TRUE(Undo());
    Names restored = before;
    restored.push_back(L"two\\" + n[2] + L"=theirs");
    restored.push_back(L"two\\" + n[3] + L"=theirs");
    std::sort(restored.begin(), restored.end());
    EXPECT_EQ(Disk(), restored);
  }
}

// A chain changed after the stop applies to every row again, as before: the counting starts from the first row.
TEST_F(StoppedRunPreview, AChainChangedAfterTheStopCountsEveryRowAgain) {
  Prepare(CountingChains()[0]);
  PutInTheWay(L"003_c.txt");
  ASSERT_TRUE(Run());
  DeleteAllSteps();
  AddStep(L"<Enum,n,0,1,1,3x0>");
  MarkSettingsChanged(1);
  EXPECT_EQ(Rows(), (Names{L"001_a.txt>001001_a.txt", L"002_b.txt>002002_b.txt", L"c.txt>003c.txt",
                           L"d.txt>004d.txt", L"e.txt>005e.txt"}));
}
