// The preview on rows of a real file list: the chain applied to every name, unusable names marked, duplicates
// within a folder numbered so that a run in list order never meets a taken name.
#include "engine/preview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/chain_list.h"
#include "engine/duplicate_names.h"
#include "engine/engine_hooks.h"
#include "engine/name_marks.h"
#include "foundation/core/jobs.h"
#include "foundation/text/bounded_text.h"
#include "main_window_stand_in.h"
#include "preview_fixture.h"

namespace {

using Names = std::vector<std::wstring>;

struct Move {
  uint32_t folder;
  std::wstring from;
  std::wstring to;
};

class Preview : public PreviewFixture {
 protected:
  // Lists the files (in folders 1 and 2) afresh and previews them, each renamed by the probe as given.
  void Run(const std::vector<Move>& moves) {
    ItemStoreReset(&files_->rows);
    ItemStoreReset(&files_->pathPool);
    AddFolder(L"C:\\one");
    AddFolder(L"C:\\two");
    for (const Move& move : moves) {
      AddFile(move.folder, move.from.c_str());
      g_probeRecord.renames[move.from] = move.to;
    }
    if (ItemStoreCount(&chain_->rows) == 0) AddProbe();
    ComputeNewNames();
  }

  Names NewNames() const {
    Names names;
    for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i) names.push_back(NewName(i));
    return names;
  }
};

int g_menuRefreshes = 0;
uint32_t g_lastPercent = 0;
int g_noticeUpdates = 0;

}  // namespace

TEST_F(Preview, DuplicatesWithinAFolderAreNumberedForARunInListOrder) {
  const std::wstring longName = std::wstring(248, L'r') + L".txt";  // no room for " (2)"
  const struct {
    const char* what;
    std::vector<Move> moves;
    Names expected;
  } cases[] = {
      {"three files to one name",
       {{1, L"a.txt", L"c.txt"}, {1, L"b.txt", L"C.TXT"}, {1, L"d.txt", L"c.txt"}},
       {L"c.txt", L"C (2).TXT", L"c (3).txt"}},
      {"folders apart", {{1, L"a.txt", L"c.txt"}, {2, L"b.txt", L"c.txt"}}, {L"c.txt", L"c.txt"}},
      {"name a later row still holds", {{1, L"a.txt", L"b.txt"}, {1, L"b.txt", L"x.txt"}}, {L"b (2).txt", L"x.txt"}},
      {"swap", {{1, L"a.txt", L"b.txt"}, {1, L"b.txt", L"a.txt"}}, {L"b (2).txt", L"a.txt"}},
      {"variant a later row still holds",
       {{1, L"x.txt", L"c.txt"}, {1, L"c (2).txt", L"q.txt"}, {1, L"c.txt", L"z.txt"}},
       {L"c (3).txt", L"q.txt", L"z.txt"}},
      {"no room for a number",
       {{1, L"a.txt", longName}, {1, L"b.txt", longName}},
       {longName, Marked(L"no free number for \"" + longName + L"\"").substr(0, 259)}},
  };
  for (const auto& entry : cases) {
    Run(entry.moves);
    EXPECT_EQ(NewNames(), entry.expected) << entry.what;
    EXPECT_EQ(g_app->problemCount, entry.expected.back()[0] == L'<' ? 1 : 0) << entry.what;
  }
}

TEST_F(Preview, ReorderingRecomputesForTheNewOrder) {
  Run({{1, L"a.txt", L"b.txt"}, {1, L"b.txt", L"a.txt"}});
  ItemStoreMove(&files_->rows, 1, -1);
  RecomputeAfterReorder();
  EXPECT_EQ(NewNames(), (Names{L"a (2).txt", L"b.txt"}));
}

TEST_F(Preview, UnusableNamesAreMarkedAndCounted) {
  const std::wstring tooLong(256, L'n');
  const struct {
    const wchar_t* to;
    std::wstring marked;
  } cases[] = {
      {L"report?.txt", Marked(L"invalid character ?")}, {L"a:b", Marked(L"invalid character :")},
      {L"tab\there", Marked(L"invalid character U+0009")}, {L"line\nbreak", Marked(L"invalid character U+000A")},
      {L"dotted.", Marked(L"invalid character .")},        {L"blank ", Marked(L"invalid character U+0020")},
      {L"", Marked(L"empty")},                             {tooLong.c_str(), Marked(L"too long")},
      {L"con.txt", Marked(L"device")},                     {L"Lpt3 .log", Marked(L"device")},
  };
  std::vector<Move> moves;
  for (const auto& entry : cases) moves.push_back({1, L"f" + std::to_wstring(moves.size()) + L".txt", entry.to});
  Run(moves);
  for (uint32_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(NewName(i), cases[i].marked) << i;
  EXPECT_EQ(g_app->problemCount, static_cast<LONG>(std::size(cases)));
}

TEST_F(Preview, NamesGrownPastWhatAFolderEntryHoldsAreMarkedNotCut) {
  AddProbe(0, std::wstring(246, L'x').c_str());
  Run({{1, L"short.txt", L"short.txt"}});
  EXPECT_EQ(WideLength(Row(0)->newName), 255u);
  ProbeSettings* grow = AddProbe(0, L"y");
  ComputeNewNames();
  EXPECT_EQ(NewName(0), Marked(L"too long"));
  // Beyond even the steps' buffer: the walk ends, the name is still marked.
  CopyWideBounded(std::wstring(1000, L'z').c_str(), grow->suffix, 1100);
  ComputeNewNames();
  EXPECT_EQ(NewName(0), Marked(L"too long"));
  EXPECT_EQ(g_app->problemCount, 1);
}

TEST_F(Preview, ErrorTextIsCutAndTheCharacterLeftOutWhenLong) {
  const std::wstring word(200, L'E');
  const UiStringRecord texts[] = {{-1, L"US"}, {10010, word.c_str()}, {13191, L"invalid character"}, {0, nullptr}};
  g_app->uiStrings = reinterpret_cast<const UiStringTable*>(texts);
  wchar_t errorText[kPreviewErrorTextCapacity];
  BuildPreviewErrorText(errorText, kPreviewErrorTextCapacity);
  EXPECT_EQ(std::wstring(errorText), L"<" + word.substr(0, 125) + L">");
  Run({{1, L"a.txt", L"a?.txt"}});
  EXPECT_EQ(NewName(0), std::wstring(errorText) + L", invalid character");
}

TEST_F(Preview, FailingStepKeepsTheEarlierStepsResult) {
  AddStep(L"<Case,n,2>");
  AddProbe();
  AddStep(L"<Ext,\"bak\">");
  g_probeRecord.failures = {L"B.txt"};
  Run({{1, L"a.txt", L"a.txt"}, {1, L"b.txt", L"b.txt"}});
  g_probeRecord.renames = {{L"A.txt", L"first"}};
  ComputeNewNames();
  EXPECT_EQ(NewNames(), (Names{L"first.bak", L"B.bak"}));
}

TEST_F(Preview, OnlyCheckedStepsArePreparedOncePerPassAndApplied) {
  ProbeSettings* unchecked = AddProbe(0, L"-off", false);
  ProbeSettings* checked = AddProbe(0, L"-on");
  Run({{1, L"a.txt", L"a.txt"}, {1, L"b.txt", L"b.txt"}, {1, L"c.txt", L"c.txt"}});
  EXPECT_EQ(unchecked->prepared, 0);
  EXPECT_EQ(checked->prepared, 1);
  EXPECT_EQ(NewNames(), (Names{L"a.txt-on", L"b.txt-on", L"c.txt-on"}));
  // Without a checked step every name stays, and a name the file already holds is never marked.
  reinterpret_cast<ChainListRow*>(ItemStoreGet(&chain_->rows, 1))->state = 0;
  g_app->problemCount = 5;
  Run({{1, L"odd.", L"x"}, {1, L"B.txt", L"x"}});
  EXPECT_EQ(NewNames(), (Names{L"odd.", L"B.txt"}));
  EXPECT_EQ(g_app->problemCount, 0);
}

TEST_F(Preview, StepsGetTheContextTheirFlagsAskFor) {
  const uint32_t top = AddFolder(L"C:\\data");
  AddFile(AddFolder(L"sub", top), L"a.txt");
  AddFile(0, L"orphan.txt");
  ProbeSettings* step = AddProbe(kApplyNeedsPath);
  wchar_t name[kApplyPartCapacity] = L"a.txt";
  EXPECT_EQ(ApplyChainToName(1, Row(0), name, kApplyPartCapacity), 0);
  EXPECT_EQ(g_probeRecord.lastPath, L"C:\\data\\sub\\a.txt");
  EXPECT_EQ(ApplyChainToName(1, Row(1), name, kApplyPartCapacity), 0);
  EXPECT_EQ(g_probeRecord.lastPath, L"(null)");
  step->header.flags = kApplyNeedsFileInfo;
  EXPECT_EQ(ApplyChainToName(1, Row(0), name, kApplyPartCapacity), 0);
  EXPECT_EQ(g_probeRecord.lastContext, &Row(0)->info);
}

TEST_F(Preview, AStepSeesTheWholePathOfAFileListedDeepDown) {
  uint32_t folder = AddFolder(L"C:\\data");
  std::wstring path = L"C:\\data";
  for (const wchar_t letter : {L'p', L'q', L'r', L's'}) {
    folder = AddFolder(std::wstring(300, letter).c_str(), folder);
    path += L"\\" + std::wstring(300, letter);
  }
  AddFile(folder, L"a.txt");
  AddProbe(kApplyNeedsPath);
  wchar_t name[kApplyPartCapacity] = L"a.txt";
  EXPECT_EQ(ApplyChainToName(1, Row(0), name, kApplyPartCapacity), 0);
  EXPECT_EQ(g_probeRecord.lastPath, path + L"\\a.txt");
}

// A busy job's worker (a listing at its end) computes the pass itself and shows its progress; any other
// worker's pass runs on the GUI thread.
TEST_F(Preview, PassOfABusyJobsWorkerRunsThereAndOthersOnTheGuiThread) {
  MainWindowStandIn mainWindow;
  g_jobNotices = JobNotices{};
  g_jobNotices.setProgressPercent = [](uint32_t percent) { g_lastPercent = percent; };
  Run({{1, L"a.txt", L"b.txt"}, {1, L"c.txt", L"d.txt"}});
  for (const bool busy : {false, true}) {
    g_app->busyCounter = busy ? 1 : 0;
    g_probeRecord.applyThread = 0;
    g_lastPercent = 0;
    DWORD workerThread = 0;
    WorkerThread worker([&] {
      workerThread = GetCurrentThreadId();
      ComputeNewNames();
    });
    ASSERT_TRUE(mainWindow.PumpUntil([&] { return worker.Finished(); }));
    EXPECT_EQ(g_probeRecord.applyThread, busy ? workerThread : GetCurrentThreadId()) << busy;
    EXPECT_EQ(g_lastPercent, busy ? 100u : 0u) << busy;
    EXPECT_EQ(NewNames(), (Names{L"b.txt", L"d.txt"}));
  }
  g_app->busyCounter = 0;
  g_jobNotices = JobNotices{};
}

// On a job's worker a Stop pressed during the pass ends it: the rows after it keep their names, so a run
// leaves them alone. A Stop that came before the job's first pass (during a listing's walk) still leaves the
// listed rows previewed.
TEST_F(Preview, AStopDuringAJobsPassEndsItAndTheRestKeepTheirNames) {
  const struct {
    LONG stopsBefore;
    const wchar_t* stopAt;
    Names expected;
  } cases[] = {
      {0, L"", {L"A", L"B", L"C", L"D"}},
      {0, L"b.txt", {L"A", L"B", L"c.txt", L"d.txt"}},
      {1, L"", {L"A", L"B", L"C", L"D"}},
      {1, L"c.txt", {L"A", L"B", L"C", L"d.txt"}},
  };
  for (const auto& c : cases) {
    Run({{1, L"a.txt", L"A"}, {1, L"b.txt", L"B"}, {1, L"c.txt", L"C"}, {1, L"d.txt", L"D"}});
    g_probeRecord.stopAt = c.stopAt;
    g_app->busyCounter = 1;
    g_app->cancelCounter = c.stopsBefore;
    WorkerThread worker([] { ComputeNewNames(); });
    worker.Join();
    EXPECT_EQ(NewNames(), c.expected) << "case " << (&c - cases);
  }
  g_app->busyCounter = 0;
  g_app->cancelCounter = 0;
}

TEST_F(Preview, ChangesMarkTheChainAndRecomputeUnlessSuspendedOrBusy) {
  g_engineHooks = EngineHooks{};
  g_engineHooks.updateMenuStates = [] { ++g_menuRefreshes; };
  g_engineHooks.updateProblemCountNotice = [] { ++g_noticeUpdates; };
  AddFile(AddFolder(L"C:\\data"), L"a.txt");
  g_probeRecord.renames[L"a.txt"] = L"a?";
  AddProbe();
  SuspendRecomputation();
  MarkSettingsChanged(1);
  EXPECT_EQ(g_app->settingsChanged, 1);
  EXPECT_EQ(NewName(0), L"");
  ResumeRecomputation();
  g_app->busyCounter = 1;
  MarkSettingsChanged(0);
  EXPECT_EQ(NewName(0), L"");
  g_app->busyCounter = 0;
  g_app->settingsChanged = 7;
  MarkSettingsChanged(1);
  EXPECT_EQ(g_app->settingsChanged, 7);
  EXPECT_EQ(NewName(0), Marked(L"invalid character ?"));
  EXPECT_EQ(g_menuRefreshes, 1);
  EXPECT_EQ(g_noticeUpdates, 1);
  MarkSettingsChanged(0);
  EXPECT_EQ(g_menuRefreshes, 1) << "the problem count did not change";
  EXPECT_EQ(g_noticeUpdates, 2);
  g_engineHooks = EngineHooks{};
}

// A listing computes its preview before it lowers the busy counter: a chain change that comes in between must
// still reach the preview once the job has ended.
TEST_F(Preview, AChangeWhileBusyIsShownWhenTheJobEnds) {
  AddFile(AddFolder(L"C:\\data"), L"a.txt");
  g_probeRecord.renames[L"a.txt"] = L"b.txt";
  g_app->busyCounter = 1;
  AddProbe();
  MarkSettingsChanged(1);
  RunDeferredPreview();
  EXPECT_EQ(NewName(0), L"") << "nothing changes under a busy job";
  g_app->busyCounter = 0;
  RunDeferredPreview();
  EXPECT_EQ(NewName(0), L"b.txt");
  g_probeRecord.renames[L"a.txt"] = L"c.txt";
  RunDeferredPreview();
  EXPECT_EQ(NewName(0), L"b.txt") << "a job without a change meanwhile recomputes nothing";
}

// A chain change whose pass would hold the GUI thread long (here a step that reads each of 1 100 files) runs
// the pass as a job, with progress; a short one runs at once.
TEST_F(Preview, ALongPassAfterAChangeRunsAsAJob) {
  MainWindowStandIn mainWindow;
  g_jobNotices = JobNotices{};
  g_jobNotices.setProgressPercent = [](uint32_t percent) { g_lastPercent = percent; };
  g_lastPercent = 0;
  const uint32_t folder = AddFolder(L"C:\\data");
  for (int i = 0; i < 1100; ++i) AddFile(folder, (L"f" + std::to_wstring(i) + L".txt").c_str());
  ProbeSettings* probe = AddProbe(0, L"-1");
  MarkSettingsChanged(1);
  EXPECT_FALSE(IsJobBusy());
  EXPECT_EQ(NewName(1099), L"f1099-1.txt") << "a pass of one cheap step is short";
  probe->header.flags = kApplyNeedsPath;
  CopyWideBounded(L"-2", probe->suffix, 1100);
  MarkSettingsChanged(1);
  EXPECT_TRUE(IsJobBusy());
  ASSERT_TRUE(mainWindow.PumpUntil([] { return !IsJobBusy(); }));
  EXPECT_NE(g_probeRecord.applyThread, GetCurrentThreadId());
  EXPECT_EQ(g_lastPercent, 100u);
  EXPECT_EQ(NewName(1099), L"f1099-2.txt");
  g_jobNotices = JobNotices{};
}

TEST_F(Preview, VariantsFollowTheNameForm) {
  const struct {
    const wchar_t* name;
    uint16_t attributes;
    const wchar_t* variant;
  } cases[] = {
      {L"report.txt", FILE_ATTRIBUTE_ARCHIVE, L"report (2).txt"},
      {L".htaccess", FILE_ATTRIBUTE_ARCHIVE, L"(2).htaccess"},
      {L"archive.tar.gz", FILE_ATTRIBUTE_ARCHIVE, L"archive.tar (2).gz"},
      {L"Photos.2020", FILE_ATTRIBUTE_DIRECTORY, L"Photos.2020 (2)"},
      {L"", FILE_ATTRIBUTE_ARCHIVE, L"#2"},
  };
  const uint32_t folder = AddFolder(L"C:\\data");
  for (const auto& entry : cases) AddFile(folder, L"x", entry.attributes);
  for (uint32_t i = 0; i < std::size(cases); ++i) {
    wchar_t name[kFileNameCapacity];
    CopyWideBounded(cases[i].name, name, kFileNameCapacity);
    EXPECT_EQ(MakeUniqueNumberedName(std::size(cases), L"<Error>", i, name, kFileNameCapacity), 0);
    EXPECT_EQ(std::wstring(name), cases[i].variant);
  }
}
