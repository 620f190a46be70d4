// The panes in the running program: recycling the selected files, the parent folder and typed paths through the
// folder tree, showing and hiding the tree and the bars, file icons on and off; and the status bar's part widths
// and the help lines of menu items.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/ui/command_ids.h"
#include "program_fixture.h"
#include "shell/menu_help.h"
#include "shell/pane_layout.h"
#include "support/process_driver.h"
#include "views/address_bar.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/status_bar.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring ListingText() {
  return g_statusBar.parts ? g_statusBar.parts[kStatusProgressPart].text : L"";
}

class Panes : public ProgramFixture {
 protected:
  void SelectRows(const Names& names) const {
    Gui([&] {
      ItemListControl* files = g_app->fileList;
      for (uint32_t i = 0; i < ItemStoreCount(&files->rows); ++i) {
        const auto* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, i));
        const bool wanted = std::find(names.begin(), names.end(), row->currentName) != names.end();
        ItemsViewSetItemState(files, static_cast<int>(i), wanted ? kRowSelected : 0, kRowSelected);
      }
    });
  }
  // Until a listing has ended with the one file `name`: the folder listed before has one file as well, and a
  // new listing begins only after the tree has taken the folder.
  bool WaitForListingOf(const wchar_t* name) const {
    return WaitFor([&] {
      const ItemStore* rows = &g_app->fileList->rows;
      return g_app->busyCounter == 0 && ItemStoreCount(rows) == 1 &&
             wcscmp(reinterpret_cast<const FileListRow*>(ItemStoreGet(rows, 0))->currentName, name) == 0;
    });
  }
  std::wstring CurrentFolder() const {
    std::wstring folder;
    Gui([&] { folder = g_app->currentFolder; });
    return folder;
  }
};

}  // namespace

TEST(PaneLayout, TheLastPartFitsTheBarsHeightAndTheMiddleOneHalfTheRest) {
  struct Case {
    int width;
    int height;
    int partCount;
    std::vector<int32_t> widths;
  };
  const Case cases[] = {{600, 20, 3, {281, 280, 39}}, {601, 21, 3, {281, 280, 40}}, {30, 20, 3, {-4, -5, 39}},
                        {600, 20, 2, {280, 39}},       {600, 20, 1, {7}}};
  for (const Case& c : cases) {
    std::vector<int32_t> widths(c.partCount, 7);
    StatusBarLayoutCallback(c.width, c.height, widths.data(), c.partCount);
    EXPECT_EQ(widths, c.widths) << c.width << " " << c.partCount;
  }
}

TEST(MenuHelp, AnItemsHelpIsItsSecondPartOrItsMenuText) {
  struct Case {
    const wchar_t* text;
    bool popup;
    const wchar_t* hint;
  };
  const Case cases[] = {{L"&Edit path;Type a path into the address bar;Edit path", false,
                         L"Type a path into the address bar."},
                        {L"&Open...\tCtrl+O", false, L"Open."},
                        {L"&File", true, L""},
                        {L"Done;Already ends.;x", false, L"Already ends."},
                        {L"Nothing;;tip", false, L""},
                        {L"", false, L""}};
  for (const Case& c : cases) {
    wchar_t hint[128];
    MenuHelpText(c.text, c.popup, hint, 128);
    EXPECT_STREQ(hint, c.hint);
  }
}

TEST_F(Panes, RecyclingRemovesTheRowsOfTheFilesThatWentAndCountsAgain) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt", L"c.txt", L"d.txt"}, {}));
  SelectRows({L"a.txt", L"b.txt", L"d.txt"});
  const LONG changesBefore = g_app->fileList->rows.changes;
  DialogWatcher boxes(GetCurrentProcessId(), IDYES);
  SendMessageW(window_, WM_COMMAND, IDM_RECYCLE, 0);
  ASSERT_TRUE(WaitFor([] { return ItemStoreCount(&g_app->fileList->rows) == 1 && g_app->busyCounter == 0; }));
  EXPECT_EQ(ListedNames(), Names{L"c.txt"});
  EXPECT_EQ(Disk(), Names{L"c.txt"});
  EXPECT_EQ(g_app->fileList->rows.changes, changesBefore + 1) << "the rows leave in one pass";
  EXPECT_TRUE(WaitFor([] { return ListingText().rfind(L"Listed: 1 file, ", 0) == 0; })) << "the counts follow";
}

TEST_F(Panes, RecyclingLeavesANameTheShellWouldTakeForItsTwin) {
  ASSERT_TRUE(Start({L"notes", L"notes."}, {}));
  SelectRows({L"notes."});
  DialogWatcher boxes(GetCurrentProcessId(), IDYES);
  SendMessageW(window_, WM_COMMAND, IDM_RECYCLE, 0);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Disk(), (Names{L"notes", L"notes."}));
  EXPECT_EQ(ListedNames().size(), 2u);
}

TEST_F(Panes, TheParentAndTypedPathsAreOpenedThroughTheTree) {
  ASSERT_TRUE(Start({L"a.txt"}, {}));
  temp_.WriteFile(L"files\\sub\\inner.txt", "x");
  const std::wstring sub = temp_ / L"files\\sub";
  SendMessageW(window_, kNavigateToPathMessage, 0, reinterpret_cast<LPARAM>(sub.c_str()));
  ASSERT_TRUE(WaitForListingOf(L"inner.txt")) << "the subfolder is listed";
  EXPECT_EQ(CurrentFolder(), sub);
  std::wstring shown;
  Gui([&] { shown = g_addressBar.path; });
  EXPECT_EQ(shown, sub);

  SendMessageW(window_, WM_COMMAND, IDM_FOLDER_UP, 0);
  ASSERT_TRUE(WaitForListingOf(L"a.txt")) << "the parent is listed again";
  EXPECT_EQ(CurrentFolder(), FilesFolder());
}

TEST_F(Panes, ATypedPathThroughDotsOpensTheFolderItNamesInTheTreeTheBarAndTheList) {
  temp_.WriteFile(L"files\\sub\\inner.txt", "x");
  temp_.WriteFile(L"files\\other\\o.txt", "o");
  ASSERT_TRUE(Start({L"a.txt"}, {}));
  const std::wstring other = temp_ / L"files\\other";
  for (const std::wstring& typed : {temp_ / L"files\\sub\\..\\other", temp_ / L"files/./sub/../other/"}) {
    SCOPED_TRACE(testing::Message() << typed);
    for (const std::wstring& path : {FilesFolder(), typed}) {
      const std::wstring listed = path == typed ? L"o.txt" : L"a.txt";
      SendMessageW(window_, kNavigateToPathMessage, 0, reinterpret_cast<LPARAM>(path.c_str()));
      ASSERT_TRUE(WaitFor([&] { return g_app->busyCounter == 0 && ListedNames() == Names{listed}; }));
    }
    EXPECT_EQ(CurrentFolder(), other);
    std::wstring shown;
    wchar_t selected[MAX_PATH] = {};
    Gui([&] {
      shown = g_addressBar.path;
      TVITEMW item = {};
      item.mask = TVIF_TEXT;
      item.hItem = TreeView_GetSelection(g_app->paneWindows[0]);
      item.pszText = selected;
      item.cchTextMax = MAX_PATH;
      TreeView_GetItem(g_app->paneWindows[0], &item);
    });
    EXPECT_EQ(shown, other);
    EXPECT_STREQ(selected, L"other");
  }
}

TEST_F(Panes, TheUsersListColoursOutliveAChangeOfTheSystemColours) {
  ASSERT_TRUE(Start({L"a.txt"}, {}, "Color=255,65535,1\r\n"));
  const auto colours = [this] {
    std::vector<COLORREF> shown;
    Gui([&] {
      for (const ItemListControl* list : {g_app->chainList, g_app->fileList})
        shown.insert(shown.end(), {list->textColour, list->backgroundColour});
    });
    return shown;
  };
  const std::vector<COLORREF> own = {255, 65535, 255, 65535};
  ASSERT_EQ(colours(), own);
  for (const UINT message : {WM_SYSCOLORCHANGE, WM_THEMECHANGED}) {
    SendMessageW(window_, message, 0, 0);
    EXPECT_EQ(colours(), own) << message;
  }
}

TEST_F(Panes, TheTreeTheBarsAndTheFileIconsShowAndHide) {
  ASSERT_TRUE(Start({L"a.txt"}, {}));
  EXPECT_TRUE(WaitFor([] {
    const LRESULT images = SendMessageW(g_app->paneWindows[0], TVM_GETIMAGELIST, TVSIL_NORMAL, 0);
    // The folder icons, then those of the nodes the shell draws.
    return ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(images)) >= 3;
  })) << "the start's filling gives the tree its folder icons";
  struct Case {
    int command;
    uint32_t bit;
  };
  for (const Case& c : {Case{IDM_FOLDER_TREE, kOptionFolderTreeHidden}, Case{IDM_ADDRESS_BAR, kOptionAddressBarHidden},
                        Case{IDM_STATUS_BAR, kOptionStatusBarHidden}, Case{IDM_FILE_ICONS, kOptionFileIconsOff}}) {
    for (bool set : {true, false}) {
      // The new tree of IDM_FILE_ICONS lists the folder again, and IDM_FILE_ICONS waits while that runs.
      ASSERT_TRUE(WaitUntilIdle());
      SendMessageW(window_, WM_COMMAND, c.command, 0);
      Gui([&] { EXPECT_EQ((g_app->options & c.bit) != 0, set) << c.command; });
    }
  }
  Gui([] {
    EXPECT_TRUE(IsWindowVisible(g_app->paneWindows[0]));
    EXPECT_TRUE(g_addressBar.shown && IsWindowVisible(g_addressBar.window));
    EXPECT_TRUE(g_statusBar.shown && IsWindowVisible(g_statusBar.window));
    EXPECT_NE(g_app->fileList->imageList, nullptr);
  });
  ASSERT_TRUE(WaitUntilIdle());
  SendMessageW(window_, WM_COMMAND, IDM_FILE_ICONS, 0);
  Gui([] {
    EXPECT_EQ(g_app->fileList->imageList, nullptr) << "without file icons the list has no image list";
    EXPECT_EQ(SendMessageW(g_app->paneWindows[0], TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0) << "nor the new tree";
  });
  EXPECT_TRUE(WaitFor([] { return g_app->busyCounter == 0 && ItemStoreCount(&g_app->fileList->rows) == 1; }));
}

TEST_F(Panes, WithTheTreeHiddenTheListsKeepWorkingAndTakeTheFocus) {
  // The folder tree hidden (0x4) from the start.
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {}, "Opt=36\r\n"));
  EXPECT_EQ(ListedNames(), (Names{L"a.txt", L"b.txt"}));
  Gui([&] {
    EXPECT_FALSE(IsWindowVisible(g_app->paneWindows[0]));
    SetFocus(nullptr);
    SendMessageW(window_, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), g_app->fileList->window) << "a hidden tree cannot hold the focus";
  });
  temp_.WriteFile(L"files\\sub\\inner.txt", "x");
  const std::wstring sub = temp_ / L"files\\sub";
  SendMessageW(window_, kNavigateToPathMessage, 0, reinterpret_cast<LPARAM>(sub.c_str()));
  ASSERT_TRUE(WaitFor([] { return g_app->busyCounter == 0 && ItemStoreCount(&g_app->fileList->rows) == 1; }));
  EXPECT_EQ(ListedNames(), Names{L"inner.txt"});
}
