// The main window as the user sees and works it: the files with their new names beside them, the chain with
// its check boxes and a marked name on its colour (kept as a picture among the test artefacts); the keys and
// the mouse on the real lists, through posted input messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "program_fixture.h"
#include "shell/chain_drag.h"
#include "shell/status_notices.h"
#include "views/items_view.h"
#include "views/items_view_rows.h"
#include "views/items_view_state.h"
#include "views/folder_listing.h"
#include "views/status_bar.h"
#include "window_image.h"

namespace {

using Names = std::vector<std::wstring>;

constexpr COLORREF kMarkedBackground = 0x8080FF;

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Where a row's part lies in a picture of the main window with its frame.
RECT PartInWindow(HWND main, const ItemListControl* list, int row, int part) {
  RECT rect = {};
  GetItemPartRect(list, row, part, &rect);
  MapWindowPoints(list->window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  RECT frame = {};
  GetWindowRect(main, &frame);
  OffsetRect(&rect, -frame.left, -frame.top);
  return rect;
}

int CountColour(const WindowImage& image, const RECT& rect, COLORREF colour) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) count += image.At(x, y) == colour ? 1 : 0;
  }
  return count;
}

POINT PartMiddle(const ItemListControl* list, int row, int part) {
  RECT rect = {};
  GetItemPartRect(list, row, part, &rect);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class MainWindowView : public ProgramFixture {
 protected:
  // The main window with its panes as a picture.
  void Picture(WindowImage* image) const {
    Gui([&] { RenderWindowTree(window_, image); });
  }
  SIZE WindowSize() const {
    RECT frame = {};
    GetWindowRect(window_, &frame);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
  }
  // The selection part of the status bar: its text, and whether it shows an icon.
  std::wstring SelectionPart(bool* icon) const {
    std::wstring text;
    Gui([&] {
      text = g_statusBar.parts[kStatusSelectionPart].text;
      *icon = g_statusBar.parts[kStatusSelectionPart].icon != nullptr;
    });
    return text;
  }
  ItemListControl* Chain() const { return g_app->chainList; }
  ItemListControl* Files() const { return g_app->fileList; }
};

using MainWindowInteractive = MainWindowView;

}  // namespace

TEST_F(MainWindowView, ShowsTheFilesWithTheirNewNamesTheChainWithCheckBoxesAndMarkedNamesOnTheirColour) {
  ASSERT_TRUE(Start({L"alpha.txt", L"beta.txt"}, {"<Case,n,2>", "<Ext,\"x?y\">"}));
  EXPECT_EQ(NewNames()[0].substr(0, 1), L"<");
  const SIZE size = WindowSize();
  WindowImage marked(size.cx, size.cy);
  Picture(&marked);
  EXPECT_TRUE(marked.SavePng(ArtifactPath(L"main_window_marked.png")));
  RECT row;
  RECT box;
  Gui([&] {
    row = PartInWindow(window_, Files(), 1, kPartWhole);
    box = PartInWindow(window_, Chain(), 0, kPartCheckBox);
  });
  EXPECT_GT(CountColour(marked, row, kMarkedBackground), (row.right - row.left) * (row.bottom - row.top) / 2);
  EXPECT_TRUE(marked.AnyOtherThan(box, marked.At(box.right + 2, box.top)));
  bool icon = false;
  EXPECT_EQ(SelectionPart(&icon), L"2 new names cannot be used");
  EXPECT_TRUE(icon);
  // Folders the listing could not list are told beside them.
  Gui([] {
    g_app->unlistedFolders = 3;
    UpdateProblemCountNotice();
  });
  EXPECT_EQ(SelectionPart(&icon), L"2 new names cannot be used - 3 folders could not be listed");
  Gui([] { g_app->unlistedFolders = 0; });

  // Without the marking step the names are usable and the rows lose the colour.
  Gui([&] { ItemsViewSetItemCheck(Chain(), 1, 0); });
  EXPECT_EQ(Sorted(NewNames()), (Names{L"ALPHA.txt", L"BETA.txt"}));
  WindowImage plain(size.cx, size.cy);
  Picture(&plain);
  EXPECT_TRUE(plain.SavePng(ArtifactPath(L"main_window_plain.png")));
  EXPECT_EQ(CountColour(plain, row, kMarkedBackground), 0);
  EXPECT_NE(SelectionPart(&icon), L"2 new names cannot be used");
  EXPECT_FALSE(icon) << "the selection counts come back";
  Gui([] {
    g_app->unlistedFolders = 3;
    UpdateProblemCountNotice();
  });
  EXPECT_EQ(SelectionPart(&icon), L"3 folders could not be listed") << "shown without unusable names too";
  EXPECT_TRUE(icon);
  Gui([] { g_app->unlistedFolders = 0; });
}

// A folder without files has no selection: the selection counts of the folder before it go with its rows.
TEST_F(MainWindowView, AFolderWithoutFilesShowsNoSelectionOfTheFolderBefore) {
  ASSERT_TRUE(Start({L"alpha.txt"}, {}));
  bool icon = false;
  ASSERT_TRUE(WaitFor([] { return g_app->selectionStatistics.files == 1; }));
  EXPECT_NE(SelectionPart(&icon), L"") << "the one selected file is counted";
  const std::wstring empty = temp_.MakeFolder(L"empty");
  Gui([&] { SetCurrentFolder(empty.c_str()); });
  ASSERT_TRUE(WaitFor([&] {
    return empty == g_app->currentFolder && !IsJobBusy() && ItemStoreCount(&Files()->rows) == 0 &&
           g_app->selectionChangeCount == 0;
  }));
  EXPECT_EQ(SelectionPart(&icon), L"");
  EXPECT_FALSE(icon);
}

TEST_F(MainWindowInteractive, SpaceTogglesTheFocusedStepAndThePreviewFollows) {
  ASSERT_TRUE(Start({L"alpha.txt"}, {"<Case,n,2>"}));
  Gui([&] {
    SetFocus(Chain()->window);
    ItemsViewFocusItem(Chain(), 0, false);
  });
  for (const wchar_t* expected : {L"alpha.txt", L"ALPHA.txt"}) {
    PostMessageW(Chain()->window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(WaitFor([&] { return NewNames() == Names{expected}; }));
  }
}

TEST_F(MainWindowInteractive, F2RenamesTheFocusedFileInPlace) {
  ASSERT_TRUE(Start({L"report.txt"}, {"<Case,n,2>"}));
  Gui([&] {
    SetFocus(Files()->window);
    ItemsViewFocusItem(Files(), 0, false);
  });
  PostMessageW(Files()->window, WM_KEYDOWN, VK_F2, 0);
  HWND editor = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (editor = Files()->editor) != nullptr; }));
  DWORD start = 1;
  DWORD end = 0;
  SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 6u) << "the name is selected without its extension";
  SetWindowTextW(editor, L"summary.txt");
  PostMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitFor([&] { return Files()->editor == nullptr; }));
  EXPECT_EQ(ListedNames(), Names{L"summary.txt"});
  EXPECT_EQ(Disk(), Names{L"summary.txt"});
  EXPECT_TRUE(WaitFor([&] { return NewNames() == Names{L"SUMMARY.txt"}; }));
}

TEST_F(MainWindowInteractive, AStepDraggedToAnotherPlaceReordersTheChainAndThePreviewFollows) {
  ASSERT_TRUE(Start({L"alpha.txt"}, {"<Ext,\"one\">", "<Ext,\"two\">"}));
  EXPECT_EQ(NewNames(), Names{L"alpha.two"});
  POINT from = {};
  POINT to = {};
  Gui([&] {
    from = PartMiddle(Chain(), 0, kPartLabel);
    to = PartMiddle(Chain(), 1, kPartLabel);
  });
  HWND chain = Chain()->window;
  PostMessageW(chain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  PostMessageW(chain, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + 3, from.y + 4));
  PostMessageW(chain, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  ASSERT_TRUE(WaitFor([] { return ChainStepDragActive(); }));
  PostMessageW(chain, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  EXPECT_TRUE(WaitFor([&] { return !ChainStepDragActive() && NewNames() == Names{L"alpha.one"}; }));
}
