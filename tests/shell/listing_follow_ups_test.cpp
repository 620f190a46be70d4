// What follows a folder listing, and a sort of a long list: the rows sorted, then previewed once in their new
// order, so that the numbers of duplicate new names follow the order the run renames in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preview_fixture.h"
#include "engine/preview.h"
#include "foundation/core/jobs.h"
#include "shell/file_commands.h"
#include "shell/main_lists.h"
#include "views/file_list_columns.h"
#include "views/status_bar.h"

namespace {

using Names = std::vector<std::wstring>;

class ListingFollowUps : public PreviewFixture {
 protected:
  ListingFollowUps() {
    InitStatusBar(&g_statusBar, nullptr);
    files_->creation.sortKey = FileListSortKey;
  }
  ~ListingFollowUps() override { DestroyStatusBar(&g_statusBar); }

  Names Column(bool newNames) const {
    Names names;
    for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i) {
      names.push_back(newNames ? Row(i)->newName : Row(i)->currentName);
    }
    return names;
  }
};

}  // namespace

TEST_F(ListingFollowUps, RowsAreSortedThenPreviewedInTheirNewOrder) {
  // Listed as b.txt, a.txt, d.txt (sizes ascending); a.txt and b.txt both become c.txt, d.txt becomes a.txt.
  const struct {
    int key;
    int16_t direction;
    Names order;
    Names newNames;
    int passes;
  } cases[] = {
      {kSortByName, 0, {L"a.txt", L"b.txt", L"d.txt"}, {L"c.txt", L"c (2).txt", L"a.txt"}, 1},
      // d.txt is renamed first and would meet a.txt still there.
      {kSortByName, 1, {L"d.txt", L"b.txt", L"a.txt"}, {L"a (2).txt", L"c.txt", L"c (2).txt"}, 1},
      {kSortBySize, 0, {L"b.txt", L"a.txt", L"d.txt"}, {L"c.txt", L"c (2).txt", L"a.txt"}, 1},
      // Sorting by the new names needs them first; the sort moved rows, so they are numbered again.
      {kSortByNewName, 0, {L"d.txt", L"b.txt", L"a.txt"}, {L"a (2).txt", L"c.txt", L"c (2).txt"}, 2},
  };
  const uint32_t folder = AddFolder(L"C:\\one");
  ProbeSettings* probe = AddProbe();
  g_probeRecord.renames = {{L"a.txt", L"c.txt"}, {L"b.txt", L"c.txt"}, {L"d.txt", L"a.txt"}};
  for (const auto& c : cases) {
    ItemStoreReset(&files_->rows);
    for (const wchar_t* name : {L"b.txt", L"a.txt", L"d.txt"}) AddFile(folder, name);
    files_->sortKey = static_cast<uint16_t>(c.key);
    files_->sortDirection = c.direction;
    probe->prepared = 0;
    RunListingFollowUps(files_, L"C:\\one");
    EXPECT_EQ(Column(false), c.order) << "key " << c.key << ", direction " << c.direction;
    EXPECT_EQ(Column(true), c.newNames) << "key " << c.key << ", direction " << c.direction;
    EXPECT_EQ(probe->prepared, c.passes) << "preview passes; key " << c.key << ", direction " << c.direction;
  }
}

TEST_F(ListingFollowUps, AChainChangeWhileTheFolderIsListedIsPreviewedOnceByTheListingsPass) {
  const uint32_t folder = AddFolder(L"C:\\one");
  ProbeSettings* probe = AddProbe();
  for (const wchar_t* name : {L"b.txt", L"a.txt"}) AddFile(folder, name);
  ASSERT_TRUE(BeginExclusiveJob());
  MarkSettingsChanged(1);
  probe->prepared = 0;
  RunListingFollowUps(files_, L"C:\\one");
  EndExclusiveJob();
  RunDeferredPreview();
  EXPECT_EQ(probe->prepared, 1);
}

TEST_F(ListingFollowUps, ALongListIsSortedAsAJobThenPreviewedInItsNewOrder) {
  const uint32_t folder = AddFolder(L"C:\\one");
  AddProbe();
  g_probeRecord.renames = {{L"a.txt", L"c.txt"}, {L"b.txt", L"c.txt"}};
  for (const wchar_t* name : {L"b.txt", L"a.txt"}) AddFile(folder, name);
  for (int i = 0; i < 3000; ++i) AddFile(folder, (L"f" + std::to_wstring(i) + L".txt").c_str());
  files_->sortDirection = 0;
  SetSortChoice(nullptr, kSortByName);
  EXPECT_TRUE(IsJobBusy()) << "the sort runs as a job";
  for (int waited = 0; IsJobBusy() && waited < 30000; waited += 10) Sleep(10);
  ASSERT_FALSE(IsJobBusy());
  EXPECT_EQ(Column(false)[0] + L" " + Column(false)[1], L"a.txt b.txt");
  EXPECT_EQ(Column(true)[0] + L" " + Column(true)[1], L"c.txt c (2).txt") << "numbered in the new order";
}

TEST_F(ListingFollowUps, TheSelectedRowsOfALongListKeptAloneAreSortedAsAJob) {
  const uint32_t folder = AddFolder(L"C:\\one");
  AddProbe();
  g_probeRecord.renames = {{L"a.txt", L"c.txt"}, {L"b.txt", L"c.txt"}};
  for (const wchar_t* name : {L"x.txt", L"b.txt", L"a.txt"}) AddFile(folder, name);
  for (int i = 0; i < 3000; ++i) AddFile(folder, (L"f" + std::to_wstring(i) + L".txt").c_str());
  files_->sortKey = kSortByName;
  files_->sortDirection = 0;
  ItemsViewSelectItems(files_, -1, 1);
  ItemsViewSelectItems(files_, 0, 0);
  KeepSelectedFilesOnly();
  EXPECT_TRUE(IsJobBusy()) << "the sort runs as a job";
  for (int waited = 0; IsJobBusy() && waited < 30000; waited += 10) Sleep(10);
  ASSERT_FALSE(IsJobBusy());
  ASSERT_EQ(Column(false).size(), 3002u);
  EXPECT_EQ(Column(false)[0] + L" " + Column(false)[1], L"a.txt b.txt");
  EXPECT_EQ(Column(true)[0] + L" " + Column(true)[1], L"c.txt c (2).txt") << "numbered in the new order";
}
