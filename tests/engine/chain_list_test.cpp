// The chain list's rows and the editing of steps.
#include "engine/chain_list.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/text/bounded_text.h"
#include "preview_fixture.h"

namespace {

class ChainList : public PreviewFixture {
 protected:
  const ChainListRow* ChainRow(int n) const {
    return reinterpret_cast<const ChainListRow*>(ItemStoreGet(&chain_->rows, static_cast<uint32_t>(n)));
  }
  std::wstring Description(int n) const { return ChainRow(n)->text; }
  std::wstring Comment(int n) const { return ChainRow(n)->text + ChainRow(n)->descriptionLength; }
};

}  // namespace

TEST_F(ChainList, RowsHoldDescriptionFirstCommentLineAndTheirStep) {
  ProbeSettings* first = AddProbe();
  ProbeSettings* last = AddProbe(0, L"", false);
  ModuleInstance* middle = CreateDefaultModule(kProbeModule);
  ASSERT_EQ(InsertStepIntoList(middle, 1, true), 1);
  EXPECT_EQ(GetStepInstance(0), &first->header);
  EXPECT_EQ(GetStepInstance(1), middle);
  EXPECT_EQ(GetStepInstance(2), &last->header);
  EXPECT_EQ(GetStepInstance(3), nullptr);
  EXPECT_EQ(ChainRow(1)->state, kRowChecked);
  EXPECT_EQ(ChainRow(2)->state, 0);
  EXPECT_EQ(Description(1), L"probe");
  EXPECT_EQ(Comment(1), L"first line");
  EXPECT_EQ(ChainRow(1)->length, 13 + 2 * 6 + 2 * 11);
  FreeStepInstanceCallback(ItemStoreGet(&chain_->rows, 2));
  EXPECT_EQ(g_probeRecord.freed, 1);
  EXPECT_EQ(GetStepInstance(2), nullptr);
}

TEST_F(ChainList, RefreshKeepsTheStateMarksTheChainAndBoundsTheTexts) {
  ProbeSettings* settings = AddProbe(0, L"", false);
  CopyWideBounded(L"renamed", settings->description, 64);
  EXPECT_EQ(RefreshStepText(&settings->header, 0), 0);
  EXPECT_EQ(Description(0), L"renamed");
  EXPECT_EQ(ChainRow(0)->state, 0);
  EXPECT_EQ(g_app->settingsChanged, 1);
  EXPECT_EQ(g_app->chainColumnFitCounter, 1);
  EXPECT_EQ(RefreshStepText(&settings->header, 1), 1413);
  // A description longer than the row holds still leaves the comment its terminator.
  g_moduleDescriptors[kProbeModule].describe = [](const ModuleInstance*, wchar_t* text, int capacity) {
    CopyWideBounded(std::wstring(3000, L'd').c_str(), text, capacity);
  };
  ASSERT_EQ(RefreshStepText(&settings->header, 0), 0);
  EXPECT_EQ(ChainRow(0)->length, sizeof(ChainListRow));
  EXPECT_EQ(Comment(0), L"");
}

TEST_F(ChainList, EditShowsTheFocusedFileAsTheStepsBeforeLeaveIt) {
  const uint32_t folder = AddFolder(L"C:\\data");
  AddFile(folder, L"other.txt");
  AddFile(folder, L"photo.jpg");
  files_->focusedIndex = 1;
  AddStep(L"<Case,n,2>");
  AddProbe(kApplyNeedsFileInfo);
  AddStep(L"<Ext,\"bak\">");
  EXPECT_EQ(EditStep(nullptr, 1), 1);
  EXPECT_EQ(g_probeRecord.dialogSample, L"PHOTO.jpg");
  EXPECT_EQ(static_cast<const FileInfo*>(g_probeRecord.dialogContext)->size, 1001u);
  EXPECT_EQ(Description(1), L"edited");
  EXPECT_EQ(g_app->settingsChanged, 1);
  EXPECT_EQ(NewName(1), L"PHOTO-e.bak");
}

TEST_F(ChainList, EditNeedsAFocusedStepAConfirmationAndNoRun) {
  ProbeSettings* settings = AddProbe();
  EditSelectedStep(nullptr);
  EXPECT_EQ(g_probeRecord.dialogShown, 0);
  chain_->focusedIndex = 0;
  g_probeRecord.dialogConfirms = false;
  EditSelectedStep(nullptr);
  EXPECT_EQ(g_probeRecord.dialogShown, 1);
  EXPECT_EQ(g_probeRecord.dialogSample, L"");
  EXPECT_EQ(g_probeRecord.dialogContext, nullptr);
  EXPECT_EQ(Description(0), L"probe");
  EXPECT_EQ(g_app->settingsChanged, 0);
  InterlockedIncrement(&g_app->busyCounter);
  EXPECT_TRUE(ChainChangesRefused());
  g_probeRecord.dialogConfirms = true;
  EXPECT_EQ(EditStep(nullptr, 0), 0);
  EXPECT_EQ(g_probeRecord.dialogShown, 1);
  InterlockedDecrement(&g_app->busyCounter);
  // A dialog that hands back another record: the row takes it, the old one is freed.
  g_probeRecord.dialogReplacesRecord = true;
  EXPECT_EQ(EditStep(nullptr, 0), 1);
  EXPECT_NE(GetStepInstance(0), &settings->header);
  EXPECT_EQ(g_probeRecord.freed, 1);
  EXPECT_EQ(Description(0), L"edited");
}

TEST_F(ChainList, MovingTheFocusedStepMarksTheChainUnlessBusy) {
  ProbeSettings* first = AddProbe();
  ProbeSettings* second = AddProbe();
  MoveSelectedStep(nullptr, 1);
  EXPECT_EQ(GetStepInstance(0), &first->header) << "nothing without a focused step";
  chain_->focusedIndex = 0;
  InterlockedIncrement(&g_app->busyCounter);
  MoveSelectedStep(nullptr, 1);
  EXPECT_EQ(GetStepInstance(0), &first->header);
  InterlockedDecrement(&g_app->busyCounter);
  MoveSelectedStep(nullptr, 1);
  EXPECT_EQ(GetStepInstance(0), &second->header);
  EXPECT_EQ(chain_->focusedIndex, 1);
  EXPECT_EQ(g_app->settingsChanged, 1);
}
