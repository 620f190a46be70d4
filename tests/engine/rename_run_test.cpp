// The rename run and undo on real files: every file gets exactly the name the preview shows, nothing existing
// is ever replaced, and undo brings every name back with its content.
#include "engine/rename_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/chain_list.h"
#include "engine/preview.h"
#include "engine/undo.h"
#include "foundation/core/jobs.h"
#include "module_steps.h"
#include "run_fixture.h"
#include "system_seams_scope.h"

namespace {

using Files = std::vector<std::wstring>;

struct Planned {
  uint32_t folder;
  std::wstring name;
  std::wstring renamed;
};

class RenameRun : public RunFixture {
 protected:
  // Lists the files, previews the probe's renames and gives what the disk holds before the run.
  Files Prepare(const std::vector<Planned>& files) {
    for (const Planned& file : files) AddDiskFile(file.folder, file.name, file.renamed);
    AddProbe();
    ComputeNewNames();
    return Disk();
  }
};

uint32_t g_stopAtPercent = 101;

// Another program puts a file at this path just before the system's rename.
std::wstring g_appearsAt;

BOOL WINAPI TargetAppearsFirst(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (g_appearsAt == to) {
    HANDLE file = CreateFileW(to, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) WriteFile(file, "theirs", 6, &written, nullptr);
    CloseHandle(file);
  }
  return MoveFileExW(from, to, flags);
}

// A rename onto this path fails as a file held open by another program makes it fail.
std::wstring g_failingPath;

BOOL WINAPI FailsAtFailingPath(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (g_failingPath != to) return MoveFileExW(from, to, flags);
  SetLastError(ERROR_SHARING_VIOLATION);
  return FALSE;
}

}  // namespace

TEST_F(RenameRun, EachFileTakesItsPreviewedNameAndUndoRestoresAll) {
  const struct {
    const char* what;
    std::vector<Planned> files;
    Files after;
  } cases[] = {
      {"three names taken by one",
       {{1, L"a.txt", L"c.txt"}, {1, L"b.txt", L"c.txt"}, {1, L"d.txt", L"c.txt"}},
       {L"one\\c (2).txt=b.txt", L"one\\c (3).txt=d.txt", L"one\\c.txt=a.txt"}},
      {"swap in one pass", {{1, L"a.txt", L"b.txt"}, {1, L"b.txt", L"a.txt"}},
       {L"one\\a.txt=b.txt", L"one\\b (2).txt=a.txt"}},
      {"a later row still holds the name", {{1, L"a.txt", L"b.txt"}, {1, L"b.txt", L"z.txt"}},
       {L"one\\b (2).txt=a.txt", L"one\\z.txt=b.txt"}},
      {"one name in two folders", {{1, L"a.txt", L"n.txt"}, {2, L"b.txt", L"n.txt"}, {1, L"same.txt", L""}},
       {L"one\\n.txt=a.txt", L"one\\same.txt=same.txt", L"two\\n.txt=b.txt"}},
      {"a change of case only", {{1, L"photo.JPG", L"photo.jpg"}}, {L"one\\photo.jpg=photo.JPG"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EmptyFolders();
    ClearList();
    const Files before = Prepare(c.files);
    ASSERT_TRUE(Run());
    EXPECT_EQ(Disk(), c.after);
    EXPECT_EQ(ItemStoreCount(&files_->rows), 0u) << "the list no longer matches the disk";
    const auto renamed = std::count_if(c.files.begin(), c.files.end(), [](const Planned& f) { return !f.renamed.empty(); });
    EXPECT_EQ(g_app->undoPairCount, renamed) << "a pair for each file renamed, none for a name left as it is";
    ASSERT_TRUE(Undo());
    EXPECT_EQ(Disk(), before);
    EXPECT_EQ(g_app->undoPairCount, 0);
    EXPECT_FALSE(Undo()) << "undo runs once";
    DeleteAllSteps();
  }
  EXPECT_EQ(boxes_.Answered(), 0);
}

TEST_F(RenameRun, ExistingFilesAreNeverReplaced) {
  temp_.WriteFile(L"one\\x.txt", "x");
  temp_.WriteFile(L"one\\Strasse.txt", "ss");
  temp_.WriteFile(L"one\\Straße.txt", "sz");
  temp_.WriteFile(L"one\\\u304b.txt", "hiragana");
  temp_.WriteFile(L"one\\\u30ab.txt", "katakana");
  const Files before = Disk();
  if (before.size() != 5) GTEST_SKIP() << "this file system holds some of these names as one";
  const std::wstring one = FolderPath(1) + L"\\";
  const struct {
    std::wstring from;
    std::wstring to;
  } cases[] = {{L"Strasse.txt", L"Straße.txt"}, {L"\u304b.txt", L"\u30ab.txt"}, {L"Strasse.txt", L"x.txt"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    EXPECT_EQ(RenameItemFile(nullptr, (one + c.from).c_str(), (one + c.to).c_str()), ERROR_ALREADY_EXISTS);
    EXPECT_NE(boxes_.LastText().find(one + c.to), std::wstring::npos);
  }
  EXPECT_EQ(Disk(), before);
  EXPECT_EQ(RenameItemFile(nullptr, (one + L"x.txt").c_str(), (one + L"x.txt").c_str()), 0);
  EXPECT_EQ(boxes_.Answered(), 3);
}

TEST_F(RenameRun, ANameEndingInADotOrABlankIsRenamedAndUndoneItselfNotItsTwin) {
  const struct {
    const wchar_t* twin;
    const wchar_t* literal;
    const wchar_t* step;
  } cases[] = {{L"notes", L"notes.", L"<Ext,->"}, {L"x.txt", L"x.txt ", L"<Ext,\"txt\">"},
               {L"TRAIL", L"trail.", L"<Case,n,2>"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::wstring(c.literal) + L"|");
    EmptyFolders();
    ClearList();
    DeleteAllSteps();
    temp_.WriteFile(std::wstring(L"one\\") + c.twin, std::string(c.twin, c.twin + wcslen(c.twin)));
    temp_.WriteFile(std::wstring(L"one\\") + c.literal, std::string(c.literal, c.literal + wcslen(c.literal)));
    const Files before = Disk();
    if (before.size() != 2) GTEST_SKIP() << "this file system holds the twins as one";
    ListFolder(1);
    AddStep(c.step);
    ComputeNewNames();
    Files expected;
    for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i)
      expected.push_back(L"one\\" + NewName(i) + L"=" + std::wstring(Row(i)->currentName));
    std::sort(expected.begin(), expected.end());
    ASSERT_TRUE(Run());
    EXPECT_EQ(Disk(), expected) << "each file takes the name its own row previews";
    ASSERT_TRUE(Undo());
    EXPECT_EQ(Disk(), before);
  }
  EXPECT_EQ(boxes_.Answered(), 0);
}

TEST_F(RenameRun, UnusableNamesRefuseTheRun) {
  const Files before = Prepare({{1, L"a.txt", L"a?.txt"}, {1, L"b.txt", L"b\t.txt"}, {1, L"c.txt", L"d.txt"}});
  EXPECT_EQ(g_app->problemCount, 2);
  EXPECT_FALSE(Run());
  EXPECT_EQ(Disk(), before);
}

TEST_F(RenameRun, ExistingTargetStopsTheRunAndKeepsTheRowsAndTheUndo) {
  temp_.WriteFile(L"one\\x.txt", "unlisted");
  const Files before = Prepare({{1, L"a.txt", L"a2.txt"}, {1, L"b.txt", L"x.txt"}, {1, L"c.txt", L"c2.txt"}});
  ASSERT_TRUE(Run());
  EXPECT_EQ(Disk(), (Files{L"one\\a2.txt=a.txt", L"one\\b.txt=b.txt", L"one\\c.txt=c.txt", L"one\\x.txt=unlisted"}));
  EXPECT_NE(boxes_.LastText().find(FolderPath(1) + L"\\x.txt"), std::wstring::npos);
  ASSERT_EQ(ItemStoreCount(&files_->rows), 3u);
  EXPECT_EQ(std::wstring(Row(0)->currentName), L"a2.txt") << "the list shows what the disk holds";
  EXPECT_EQ(NewName(0), L"a2.txt") << "and previews it anew";
  EXPECT_EQ(std::wstring(Row(1)->currentName) + L">" + NewName(1), L"b.txt>x.txt");
  EXPECT_EQ(std::wstring(Row(2)->currentName) + L">" + NewName(2), L"c.txt>c2.txt");
  EXPECT_EQ(g_app->undoPairCount, 1);
  // The run again: the renamed row has nothing left to do, the same target stops it, and the first run's pair
  // is still there to undo.
  ASSERT_TRUE(Run());
  EXPECT_EQ(boxes_.Answered(), 2);
  EXPECT_EQ(g_app->undoPairCount, 1);
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), before);
}

// Another program puts a folder where a listed file was, or the reverse, between the preview and the run.
TEST_F(RenameRun, ARunRenamesOnlyTheKindOfEntryItListed) {
  const struct {
    const char* what;
    uint16_t listed;
    bool folderOnDisk;
  } cases[] = {{"a folder where a file was listed", FILE_ATTRIBUTE_ARCHIVE, true},
               {"a file where a folder was listed", FILE_ATTRIBUTE_DIRECTORY, false},
               {"a folder listed as a folder", FILE_ATTRIBUTE_DIRECTORY, true}};
  const std::wstring entry = FolderPath(1) + L"\\f.txt";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EmptyFolders();
    RemoveDirectoryW(entry.c_str());
    ClearList();
    DeleteAllSteps();
    const int boxesBefore = boxes_.Answered();
    AddDiskFile(1, L"a.txt", L"a2.txt");
    AddFile(1, L"f.txt", c.listed);
    g_probeRecord.renames[L"f.txt"] = L"f.bak";
    AddDiskFile(1, L"c.txt", L"c2.txt");
    AddProbe();
    ComputeNewNames();
    if (c.folderOnDisk) {
      temp_.MakeFolder(L"one\\f.txt");
    } else {
      temp_.WriteFile(L"one\\f.txt", "f.txt");
    }
    const bool refused = ((c.listed & FILE_ATTRIBUTE_DIRECTORY) != 0) != c.folderOnDisk;
    ASSERT_TRUE(Run());
    EXPECT_EQ(PathExists(entry), refused);
    EXPECT_EQ(ItemStoreCount(&files_->rows), refused ? 3u : 0u);
    const Files disk = Disk();
    EXPECT_EQ(std::count(disk.begin(), disk.end(), L"one\\c.txt=c.txt"), refused ? 1 : 0) << "the run stops there";
    EXPECT_EQ(boxes_.Answered(), boxesBefore + (refused ? 1 : 0));
    if (refused) {
      EXPECT_NE(boxes_.LastText().find(entry), std::wstring::npos);
    }
    ASSERT_TRUE(Undo());
    EXPECT_TRUE(PathExists(entry));
    EXPECT_TRUE(PathExists(FolderPath(1) + L"\\a.txt"));
  }
  RemoveDirectoryW(entry.c_str());
}

TEST_F(RenameRun, AfterAnUndoTheRowsShowWhatTheDiskHolds) {
  temp_.WriteFile(L"one\\x.txt", "unlisted");
  const Files before = Prepare({{1, L"a.txt", L"a2.txt"}, {1, L"b.txt", L"x.txt"}, {1, L"c.txt", L"c2.txt"}});
  ASSERT_TRUE(Run());
  ASSERT_EQ(std::wstring(Row(0)->currentName), L"a2.txt");
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), before);
  ASSERT_EQ(ItemStoreCount(&files_->rows), 3u);
  EXPECT_EQ(std::wstring(Row(0)->currentName) + L">" + NewName(0), L"a.txt>a2.txt") << "and previews it anew";
  // The rows name the files on disk: the next run renames them.
  DeleteFileW((FolderPath(1) + L"\\x.txt").c_str());
  ASSERT_TRUE(Run());
  EXPECT_EQ(Disk(), (Files{L"one\\a2.txt=a.txt", L"one\\c2.txt=c.txt", L"one\\x.txt=b.txt"}));
  EXPECT_EQ(boxes_.Answered(), 1);

  // An undo that passes over a file: only the rows of the files renamed back change.
  ClearList();
  for (const wchar_t* name : {L"a2.txt", L"c2.txt", L"x.txt"}) AddFile(1, name);
  g_probeRecord.renames = {};
  ComputeNewNames();
  temp_.WriteFile(L"one\\b.txt", "in the way");
  ASSERT_TRUE(Undo());
  EXPECT_EQ(g_app->undoPairCount, 1) << "the second pair was not undone";
  Files names;
  for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i) names.push_back(Row(i)->currentName);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Files{L"a.txt", L"c.txt", L"x.txt"}));
}

// The steps rename a name once more each time they are applied: the rows the stopped run renamed must not get
// them again, and one undo must bring back the names from before both runs.
TEST_F(RenameRun, ARunAfterAStopGoesOnWithTheRowsLeftAndOneUndoCoversBothRuns) {
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) AddDiskFile(1, name);
  temp_.WriteFile(L"one\\x_.txt", "unlisted");
  AddStep(L"<Ins,n,r,0,\"_\">");
  AddStep(L"<Sbst,n,\"b\",\"x\">");
  ComputeNewNames();
  ASSERT_TRUE(Run());
  EXPECT_EQ(Disk(), (Files{L"one\\a_.txt=a.txt", L"one\\b.txt=b.txt", L"one\\c.txt=c.txt", L"one\\x_.txt=unlisted"}));
  ASSERT_EQ(ItemStoreCount(&files_->rows), 3u);
  EXPECT_EQ(std::wstring(Row(0)->currentName) + L">" + NewName(0), L"a_.txt>a_.txt") << "renamed once is done";
  EXPECT_EQ(NewName(2), L"c_.txt");
  ASSERT_TRUE(MoveFileW((FolderPath(1) + L"\\x_.txt").c_str(), (FolderPath(2) + L"\\x_.txt").c_str()));
  ASSERT_TRUE(Run());
  EXPECT_EQ(Disk(), (Files{L"one\\a_.txt=a.txt", L"one\\c_.txt=c.txt", L"one\\x_.txt=b.txt", L"two\\x_.txt=unlisted"}));
  EXPECT_EQ(g_app->undoPairCount, 3) << "the second run's pairs follow the first run's";
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), (Files{L"one\\a.txt=a.txt", L"one\\b.txt=b.txt", L"one\\c.txt=c.txt", L"two\\x_.txt=unlisted"}));
  EXPECT_EQ(boxes_.Answered(), 1);

  // A chain changed after the stop applies to the renamed rows again; the run still adds to the same undo.
  ClearList();
  for (const wchar_t* name : {L"a.txt", L"b.txt"}) AddFile(1, name);
  temp_.WriteFile(L"one\\x_.txt", "unlisted");
  ComputeNewNames();
  ASSERT_TRUE(Run());
  DeleteAllSteps();
  AddStep(L"<Ins,n,r,0,\"-\">");
  MarkSettingsChanged(1);
  EXPECT_EQ(std::wstring(Row(0)->currentName) + L">" + NewName(0), L"a_.txt>a_-.txt");
  ASSERT_TRUE(Run());
  const Files bothFolders = {L"one\\a.txt=a.txt", L"one\\b.txt=b.txt", L"one\\c.txt=c.txt", L"one\\x_.txt=unlisted",
                             L"two\\x_.txt=unlisted"};
  EXPECT_EQ(Disk(), (Files{L"one\\a_-.txt=a.txt", L"one\\b-.txt=b.txt", L"one\\c.txt=c.txt",
                           L"one\\x_.txt=unlisted", L"two\\x_.txt=unlisted"}));
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), bothFolders);

  // A new listing is another list: its run starts an undo of its own.
  ClearList();
  for (const wchar_t* name : {L"a.txt", L"b.txt"}) AddFile(1, name);
  DeleteAllSteps();
  AddStep(L"<Ins,n,r,0,\"_\">");
  AddStep(L"<Sbst,n,\"b\",\"x\">");
  ComputeNewNames();
  ASSERT_TRUE(Run());
  ClearList();
  AddFile(1, L"c.txt");
  ComputeNewNames();
  ASSERT_TRUE(Run());
  EXPECT_EQ(g_app->undoPairCount, 1);
  EXPECT_EQ(boxes_.Answered(), 3);
}

// No file is ever replaced: a pair whose file is gone or whose old name another file holds now is passed over,
// named in one list with its reason, and kept for a later undo; every other pair is renamed back.
TEST_F(RenameRun, UndoPassesOverAFileGoneOrAnOldNameTakenAndTriesThemAgainLater) {
  const Files before = Prepare({{1, L"1.txt", L"a.txt"}, {1, L"2.txt", L"b.txt"}, {1, L"3.txt", L"c.txt"},
                                {1, L"4.txt", L"d.txt"}, {1, L"5.txt", L"e.txt"}});
  ASSERT_TRUE(Run());
  ASSERT_TRUE(MoveFileW((FolderPath(1) + L"\\d.txt").c_str(), (FolderPath(2) + L"\\d.txt").c_str()));
  temp_.WriteFile(L"one\\2.txt", "new");
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), (Files{L"one\\1.txt=1.txt", L"one\\2.txt=new", L"one\\3.txt=3.txt", L"one\\5.txt=5.txt",
                           L"one\\b.txt=2.txt", L"two\\d.txt=4.txt"}));
  EXPECT_EQ(boxes_.Answered(), 1) << "one list of the files not renamed back";
  const std::wstring list = boxes_.LastText();
  EXPECT_NE(list.find(L"not found:\n" + FolderPath(1) + L"\\d.txt\n\nname taken:\n" + FolderPath(1) +
                      L"\\b.txt -> 2.txt"),
            std::wstring::npos)
      << Narrow(list);
  EXPECT_EQ(g_app->undoPairCount, 2) << "their pairs stay";

  DeleteFileW((FolderPath(1) + L"\\2.txt").c_str());
  ASSERT_TRUE(Undo());
  EXPECT_EQ(g_app->undoPairCount, 1);
  EXPECT_EQ(boxes_.Answered(), 2);
  ASSERT_TRUE(MoveFileW((FolderPath(2) + L"\\d.txt").c_str(), (FolderPath(1) + L"\\d.txt").c_str()));
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), before);
  EXPECT_EQ(g_app->undoPairCount, 0);
  EXPECT_EQ(boxes_.Answered(), 2);
}

// Undo renames back only the kind of entry the run renamed: another kind at its new path is passed over as not
// found, and the pair stays.
TEST_F(RenameRun, UndoPassesOverAnEntryOfTheOtherKindAtItsNewPath) {
  AddDiskFile(1, L"a.txt", L"a2.txt");
  temp_.MakeFolder(L"one\\f");
  AddFile(1, L"f", FILE_ATTRIBUTE_DIRECTORY);
  g_probeRecord.renames[L"f"] = L"g";
  AddProbe();
  ComputeNewNames();
  ASSERT_TRUE(Run());
  ASSERT_TRUE(DeleteFileW((FolderPath(1) + L"\\a2.txt").c_str()));
  temp_.MakeFolder(L"one\\a2.txt");
  ASSERT_TRUE(RemoveDirectoryW((FolderPath(1) + L"\\g").c_str()));
  temp_.WriteFile(L"one\\g", "g");
  ASSERT_TRUE(Undo());
  EXPECT_FALSE(PathExists(FolderPath(1) + L"\\a.txt"));
  EXPECT_FALSE(PathExists(FolderPath(1) + L"\\f"));
  EXPECT_NE(boxes_.LastText().find(L"not found:\n" + FolderPath(1) + L"\\a2.txt\n" + FolderPath(1) + L"\\g"),
            std::wstring::npos)
      << Narrow(boxes_.LastText());
  EXPECT_EQ(g_app->undoPairCount, 2) << "their pairs stay";
  RemoveDirectoryW((FolderPath(1) + L"\\a2.txt").c_str());
}

TEST_F(RenameRun, AFileThatAppearsAtANewNameJustBeforeTheRenameIsKeptByRunAndUndo) {
  SystemSeamsScope seams;
  Prepare({{1, L"a.txt", L"a2.txt"}, {1, L"b.txt", L"x.txt"}, {1, L"c.txt", L"c2.txt"}});
  g_systemSeams.moveFileExW = TargetAppearsFirst;
  g_appearsAt = FolderPath(1) + L"\\x.txt";
  ASSERT_TRUE(Run());
  EXPECT_EQ(Disk(), (Files{L"one\\a2.txt=a.txt", L"one\\b.txt=b.txt", L"one\\c.txt=c.txt", L"one\\x.txt=theirs"}));
  EXPECT_NE(boxes_.LastText().find(g_appearsAt), std::wstring::npos);
  g_appearsAt = FolderPath(1) + L"\\a.txt";
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), (Files{L"one\\a.txt=theirs", L"one\\a2.txt=a.txt", L"one\\b.txt=b.txt", L"one\\c.txt=c.txt",
                           L"one\\x.txt=theirs"}));
  EXPECT_NE(boxes_.LastText().find(L"name taken:\n" + FolderPath(1) + L"\\a2.txt -> a.txt"), std::wstring::npos);
  EXPECT_EQ(g_app->undoPairCount, 1) << "the pair stays to undo";
  EXPECT_EQ(boxes_.Answered(), 2);
}

TEST_F(RenameRun, StoppedRunEmptiesTheListAndUndoCoversWhatWasRenamed) {
  const Files before = Prepare({{1, L"1.txt", L"a.txt"}, {1, L"2.txt", L"b.txt"}, {1, L"3.txt", L"c.txt"},
                                {1, L"4.txt", L"d.txt"}, {1, L"5.txt", L"e.txt"}});
  g_stopAtPercent = 40;
  g_jobNotices.setProgressPercent = [](uint32_t percent) {
    if (percent >= g_stopAtPercent) InterlockedExchange(&g_app->cancelCounter, 1);
  };
  ASSERT_TRUE(Run());
  EXPECT_EQ(Disk(), (Files{L"one\\3.txt=3.txt", L"one\\4.txt=4.txt", L"one\\5.txt=5.txt", L"one\\a.txt=1.txt",
                           L"one\\b.txt=2.txt"}));
  EXPECT_EQ(ItemStoreCount(&files_->rows), 0u);
  g_stopAtPercent = 101;
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), before);
}

TEST_F(RenameRun, UndoCoversTheLastRunAndResumesAfterAnError) {
  const Files before = Prepare({{1, L"1.txt", L"a.txt"}, {1, L"2.txt", L"b.txt"}, {1, L"3.txt", L"c.txt"}});
  ASSERT_TRUE(Run());
  ClearList();
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) AddFile(1, name);
  g_probeRecord.renames = {{L"a.txt", L"x.txt"}, {L"b.txt", L"y.txt"}, {L"c.txt", L"z.txt"}};
  ComputeNewNames();
  ASSERT_TRUE(Run());
  const Files afterFirstRun = {L"one\\a.txt=1.txt", L"one\\b.txt=2.txt", L"one\\c.txt=3.txt"};
  // A rename back that fails stops the undo at the second pair: the third is undone, the first two stay to undo.
  SystemSeamsScope seams;
  g_systemSeams.moveFileExW = FailsAtFailingPath;
  g_failingPath = FolderPath(1) + L"\\b.txt";
  ASSERT_TRUE(Undo());
  EXPECT_EQ(g_app->undoPairCount, 2);
  EXPECT_EQ(boxes_.Answered(), 1);
  EXPECT_NE(boxes_.LastText().find(FolderPath(1) + L"\\y.txt"), std::wstring::npos);
  g_failingPath.clear();
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Disk(), afterFirstRun);
  EXPECT_FALSE(Undo());
  EXPECT_NE(Disk(), before);
}

TEST_F(RenameRun, BusyJobsRefuseAnotherJobAndChainChanges) {
  Prepare({{1, L"a.txt", L"b.txt"}});
  ASSERT_TRUE(Run());
  InterlockedIncrement(&g_app->busyCounter);
  EXPECT_FALSE(StartRenameRun(window_.Window()));
  EXPECT_FALSE(StartUndo(window_.Window()));
  EXPECT_TRUE(ChainChangesRefused());
  EXPECT_EQ(EditStep(nullptr, 0), 0);
  InterlockedDecrement(&g_app->busyCounter);
  EXPECT_TRUE(Undo());
}
