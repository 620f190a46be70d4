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
#include "foundation/bounded_text.h"
#include "main_window_stand_in.h"
#include "preview_fixture.h"

namespace {

class Preview : public PreviewFixture {
 protected:
  // One folder with the given files, each renamed by the probe as the pairs say.
  void RenameInOneFolder(const std::vector<std::pair<std::wstring, std::wstring>>& pairs) {
    const uint32_t folder = AddFolder(L"C:\\data");
    for (const auto& [from, to] : pairs) {
      AddFile(folder, from.c_str());
      g_probeRecord.renames[from] = to;
    }
    AddProbe();
    ComputeNewNames();
  }

  std::vector<std::wstring> NewNames() const {
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i) names.push_back(NewName(i));
    return names;
  }

  using Names = std::vector<std::wstring>;
};

int g_menuRefreshes = 0;
int g_noticeUpdates = 0;

}  // namespace

TEST_F(Preview, NamesTakenByEarlierRowsAreNumbered) {
  RenameInOneFolder({{L"a.txt", L"c.txt"}, {L"b.txt", L"C.TXT"}, {L"d.txt", L"c.txt"}});
  EXPECT_EQ(NewNames(), (Names{L"c.txt", L"C (2).TXT", L"c (3).txt"}));
  EXPECT_EQ(g_app->problemCount, 0);
}

TEST_F(Preview, FilesInDifferentFoldersMayShareANewName) {
  const uint32_t first = AddFolder(L"C:\\one");
  const uint32_t second = AddFolder(L"C:\\two");
  AddFile(first, L"a.txt");
  AddFile(second, L"b.txt");
  g_probeRecord.renames = {{L"a.txt", L"c.txt"}, {L"b.txt", L"c.txt"}};
  AddProbe();
  ComputeNewNames();
  EXPECT_EQ(NewNames(), (Names{L"c.txt", L"c.txt"}));
}

TEST_F(Preview, NamesStillHeldByLaterRowsAreNumbered) {
  RenameInOneFolder({{L"a.txt", L"b.txt"}, {L"b.txt", L"x.txt"}});
  EXPECT_EQ(NewNames(), (Names{L"b (2).txt", L"x.txt"}));
}

TEST_F(Preview, SwapRenamesBothInOnePassInListOrder) {
  RenameInOneFolder({{L"a.txt", L"b.txt"}, {L"b.txt", L"a.txt"}});
  EXPECT_EQ(NewNames(), (Names{L"b (2).txt", L"a.txt"}));
}

TEST_F(Preview, VariantAvoidsTheCurrentNameOfALaterRow) {
  // Row 1 still holds "c (2).txt" when row 0 is renamed.
  RenameInOneFolder({{L"x.txt", L"c.txt"}, {L"c (2).txt", L"q.txt"}, {L"c.txt", L"z.txt"}});
  EXPECT_EQ(NewNames(), (Names{L"c (3).txt", L"q.txt", L"z.txt"}));
}

TEST_F(Preview, ReorderingRecomputesForTheNewOrder) {
  RenameInOneFolder({{L"a.txt", L"b.txt"}, {L"b.txt", L"a.txt"}});
  ItemStoreMove(&files_->rows, 1, -1);
  RecomputeAfterReorder();
  EXPECT_EQ(NewNames(), (Names{L"a (2).txt", L"b.txt"}));
}

TEST_F(Preview, UnusableNamesAreMarkedAndCounted) {
  const std::wstring longName(256, L'n');
  const struct {
    const wchar_t* to;
    std::wstring marked;
  } cases[] = {
      {L"report?.txt", Marked(L"invalid character ?")},
      {L"a:b", Marked(L"invalid character :")},
      {L"tab\there.txt", Marked(L"invalid character U+0009")},
      {L"line\nbreak", Marked(L"invalid character U+000A")},
      {L"dotted.", Marked(L"invalid character .")},
      {L"blank ", Marked(L"invalid character U+0020")},
      {L"", Marked(L"empty")},
      {longName.c_str(), Marked(L"too long")},
  };
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  for (size_t i = 0; i < std::size(cases); ++i) pairs.push_back({L"f" + std::to_wstring(i) + L".txt", cases[i].to});
  RenameInOneFolder(pairs);
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(NewName(static_cast<uint32_t>(i)), cases[i].marked) << i;
  EXPECT_EQ(g_app->problemCount, static_cast<LONG>(std::size(cases)));
}

TEST_F(Preview, NamesTheFileAlreadyHoldsAreNotMarked) {
  const uint32_t folder = AddFolder(L"C:\\data");
  AddFile(folder, L"odd.");
  AddFile(folder, L"plain.txt");
  AddProbe(0, L"", false);
  ComputeNewNames();
  EXPECT_EQ(NewName(0), L"odd.");
  EXPECT_EQ(g_app->problemCount, 0);
}

TEST_F(Preview, NamesGrownPastWhatAFolderEntryHoldsAreMarkedNotCut) {
  const uint32_t folder = AddFolder(L"C:\\data");
  AddFile(folder, L"short.txt");
  AddProbe(0, std::wstring(246, L'x').c_str());  // 251 characters: still fits
  ComputeNewNames();
  EXPECT_EQ(WideLength(Row(0)->newName), 255u);
  ProbeSettings* grow = AddProbe(0, L"y");
  ComputeNewNames();
  EXPECT_EQ(NewName(0), Marked(L"too long"));
  // Far beyond any buffer: the walk ends and the name is still marked.
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
  RenameInOneFolder({{L"a.txt", L"a?.txt"}});
  EXPECT_EQ(NewName(0), std::wstring(errorText) + L", invalid character");
}

TEST_F(Preview, FailingStepKeepsTheEarlierStepsResult) {
  const uint32_t folder = AddFolder(L"C:\\data");
  AddFile(folder, L"a.txt");
  AddFile(folder, L"b.txt");
  AddStep(L"<Case,n,2>");
  AddProbe();
  AddStep(L"<Ext,\"bak\">");
  g_probeRecord.renames = {{L"A.txt", L"first"}};
  g_probeRecord.failures = {L"B.txt"};
  ComputeNewNames();
  EXPECT_EQ(NewNames(), (Names{L"first.bak", L"B.bak"}));
}

TEST_F(Preview, OnlyCheckedStepsArePreparedOncePerPassAndApplied) {
  const uint32_t folder = AddFolder(L"C:\\data");
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) AddFile(folder, name);
  ProbeSettings* unchecked = AddProbe(0, L"-off", false);
  ProbeSettings* checked = AddProbe(0, L"-on");
  ComputeNewNames();
  EXPECT_EQ(unchecked->prepared, 0);
  EXPECT_EQ(checked->prepared, 1);
  EXPECT_EQ(NewNames(), (Names{L"a-on.txt", L"b-on.txt", L"c-on.txt"}));
}

TEST_F(Preview, WithoutCheckedStepsNamesStayAndNothingIsAProblem) {
  const uint32_t folder = AddFolder(L"C:\\data");
  AddFile(folder, L"a.txt");
  AddFile(folder, L"B.txt");
  AddProbe(0, L"-off", false);
  g_app->problemCount = 5;
  ComputeNewNames();
  EXPECT_EQ(NewNames(), (Names{L"a.txt", L"B.txt"}));
  EXPECT_EQ(g_app->problemCount, 0);
}

TEST_F(Preview, StepsGetTheContextTheirFlagsAskFor) {
  const uint32_t top = AddFolder(L"C:\\data");
  const uint32_t sub = AddFolder(L"sub", top);
  AddFile(sub, L"a.txt");
  AddFile(0, L"orphan.txt");
  AddProbe(kApplyNeedsPath);
  wchar_t name[kApplyPartCapacity] = L"a.txt";
  EXPECT_EQ(ApplyChainToName(1, Row(0), name, kApplyPartCapacity), 0);
  EXPECT_EQ(g_probeRecord.lastPath, L"C:\\data\\sub\\a.txt");
  EXPECT_EQ(ApplyChainToName(1, Row(1), name, kApplyPartCapacity), 0);
  EXPECT_EQ(g_probeRecord.lastPath, L"(null)");
  reinterpret_cast<ProbeSettings*>(GetStepInstance(0))->header.flags = kApplyNeedsFileInfo;
  EXPECT_EQ(ApplyChainToName(1, Row(0), name, kApplyPartCapacity), 0);
  EXPECT_EQ(g_probeRecord.lastContext, &Row(0)->info);
}

TEST_F(Preview, PassFromAWorkerRunsOnTheGuiThread) {
  MainWindowStandIn mainWindow;
  RenameInOneFolder({{L"a.txt", L"b.txt"}});
  g_probeRecord.applyThread = 0;
  WorkerThread worker([] { ComputeNewNames(); });
  ASSERT_TRUE(mainWindow.PumpUntil([&] { return worker.Finished(); }));
  EXPECT_EQ(g_probeRecord.applyThread, GetCurrentThreadId());
}

TEST_F(Preview, ChangesMarkTheChainAndRecomputeUnlessSuspendedOrBusy) {
  g_engineHooks = EngineHooks{[] { ++g_menuRefreshes; }, [] { ++g_noticeUpdates; }};
  const uint32_t folder = AddFolder(L"C:\\data");
  AddFile(folder, L"a.txt");
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

TEST_F(Preview, VariantsFollowTheNameForm) {
  const uint32_t folder = AddFolder(L"C:\\data");
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
  for (const auto& entry : cases) AddFile(folder, L"x", entry.attributes);
  for (uint32_t i = 0; i < std::size(cases); ++i) {
    wchar_t name[kFileNameCapacity];
    CopyWideBounded(cases[i].name, name, kFileNameCapacity);
    const uint32_t rows = static_cast<uint32_t>(std::size(cases));
    EXPECT_EQ(MakeUniqueNumberedName(rows, L"<Error>", i, name, kFileNameCapacity), 0);
    EXPECT_EQ(std::wstring(name), cases[i].variant);
  }
}

TEST_F(Preview, NameWithoutRoomForANumberIsMarked) {
  const std::wstring base = std::wstring(248, L'r') + L".txt";  // 252 characters
  RenameInOneFolder({{L"a.txt", base}, {L"b.txt", base}});
  EXPECT_EQ(NewName(0), base);
  EXPECT_EQ(NewName(1), Marked(L"no free number for \"" + base + L"\"").substr(0, 259));
  EXPECT_EQ(g_app->problemCount, 1);
}
