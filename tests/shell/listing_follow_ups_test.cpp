// What follows a folder listing: the rows sorted, then previewed once in their new order, so that the numbers
// of duplicate new names follow the order the run renames in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preview_fixture.h"
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
