// The Explorer context menus of the running program: the folder tree's menu of its selected folder (a right
// click on another node selects that node first), owned by the tree; the file list's menu from the keyboard at
// the focused row, and a message instead of it for rows of several folders. The test makes the menu's choice
// in place of the user; the shell's own "copy" verb tells which items the menu was for.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/ui_seams.h"
#include "program_fixture.h"
#include "shell_verb_ids.h"
#include "ui_seams_scope.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

namespace {

struct ShownMenu {
  HWND owner = nullptr;
  POINT at = {};
  bool hasOwnItem = false;
};

std::vector<ShownMenu> g_menus;
UINT g_choice = 0;

BOOL WINAPI RecordAndChoose(HMENU menu, UINT, int x, int y, HWND owner, LPTPMPARAMS) {
  const bool ownItem = GetMenuState(menu, IDM_OPEN_IN_FILE_MANAGER, MF_BYCOMMAND) != static_cast<UINT>(-1);
  g_menus.push_back({owner, {x, y}, ownItem});
  return static_cast<BOOL>(g_choice);
}

// The paths the clipboard's dropped-files list holds, lower-cased.
std::vector<std::wstring> ClipboardDropPaths(HWND window) {
  std::vector<std::wstring> paths;
  if (!OpenClipboard(window)) return paths;
  if (auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
    for (UINT i = 0; i < DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); ++i) {
      wchar_t path[MAX_PATH] = {};
      DragQueryFileW(drop, i, path, MAX_PATH);
      CharLowerW(path);
      paths.emplace_back(path);
    }
  }
  CloseClipboard();
  return paths;
}

std::wstring Lower(std::wstring text) {
  CharLowerW(text.data());
  return text;
}

class ContextMenusProgram : public ProgramFixture {
 protected:
  ContextMenusProgram() {
    g_uiSeams.trackPopupMenuEx = RecordAndChoose;
    g_menus.clear();
  }

  HWND Tree() const { return g_app->paneWindows[0]; }

  std::wstring SelectedTreeText() const {
    wchar_t text[MAX_PATH] = {};
    Gui([&] {
      TVITEMW item = {};
      item.mask = TVIF_TEXT;
      item.hItem = TreeView_GetSelection(Tree());
      item.pszText = text;
      item.cchTextMax = MAX_PATH;
      TreeView_GetItem(Tree(), &item);
    });
    return text;
  }

  // Screen point in the middle of the text of the selected node's child named `name`, or of the selected
  // node itself for an empty name; in that node's indent with `offNodes`.
  POINT PointOnTree(const std::wstring& name, bool offNodes) const {
    POINT point = {};
    Gui([&] {
      HTREEITEM item = TreeView_GetSelection(Tree());
      TreeView_Expand(Tree(), item, TVE_EXPAND);
      for (HTREEITEM child = TreeView_GetChild(Tree(), item); child && !name.empty();
           child = TreeView_GetNextSibling(Tree(), child)) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW query = {};
        query.mask = TVIF_TEXT;
        query.hItem = child;
        query.pszText = text;
        query.cchTextMax = MAX_PATH;
        TreeView_GetItem(Tree(), &query);
        if (name == text) item = child;
      }
      RECT rect = {};
      TreeView_GetItemRect(Tree(), item, &rect, TRUE);
      point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
      // In the indent left of a node nothing is hit.
      if (offNodes) point.x = 2;
      ClientToScreen(Tree(), &point);
    });
    return point;
  }

  UiSeamsScope seams_;
};

}  // namespace

TEST_F(ContextMenusProgram, TheFolderTreesMenuIsTheShellsMenuOfTheFolderPointedAtOrSelected) {
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"QvrxTestClipboardTurn");
  ASSERT_NE(WaitForSingleObject(turn, 60000), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  const std::wstring sub = temp_.MakeFolder(L"files\\sub");
  temp_.WriteFile(L"files\\sub\\inner.txt", "inner");
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {}));
  ASSERT_EQ(SelectedTreeText(), L"files");
  const UINT copyId = ShellCommandOfVerb(FilesFolder(), L"copy");
  ASSERT_NE(copyId, 0u) << "the shell's menu of a folder offers copy";

  struct Case {
    const wchar_t* pointedAt;  // null: the keyboard's menu
    bool offNodes;
    bool shown;
    const wchar_t* selectedAfter;
    std::wstring copied;
  };
  const Case cases[] = {
      {nullptr, false, true, L"files", FilesFolder()},
      {L"", true, false, L"files", L""},
      {L"sub", false, true, L"sub", sub},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pointed at " << (c.pointedAt ? c.pointedAt : L"(keys)"));
    g_menus.clear();
    g_choice = copyId;
    Gui([] { EmptyClipboard(); });
    const LPARAM position = c.pointedAt ? [&] {
      const POINT point = PointOnTree(c.pointedAt, c.offNodes);
      return MAKELPARAM(point.x, point.y);
    }()
                                        : static_cast<LPARAM>(-1);
    // The tree hands the message on to the main window, as it does after a right click or the menu key.
    SendMessageW(Tree(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Tree()), position);
    ASSERT_EQ(g_menus.size(), c.shown ? 1u : 0u);
    EXPECT_EQ(SelectedTreeText(), c.selectedAfter);
    if (!c.shown) continue;
    EXPECT_EQ(g_menus[0].owner, Tree()) << "the tree relays the shell menu's drawing";
    EXPECT_TRUE(g_menus[0].hasOwnItem);
    Gui([] { OleFlushClipboard(); });
    EXPECT_EQ(ClipboardDropPaths(window_), std::vector<std::wstring>{Lower(c.copied)});
  }
  EXPECT_EQ(Disk(), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"sub"}));
  EXPECT_EQ(Close(), 0);
  OleUninitialize();
  ReleaseMutex(turn);
  CloseHandle(turn);
}

TEST_F(ContextMenusProgram, TheFileListsKeyboardMenuOpensAtTheFocusedRowAndRowsOfSeveralFoldersAreToldWhyNot) {
  temp_.WriteFile(L"files\\sub\\inner.txt", "inner");
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {}));
  SendMessageW(window_, WM_COMMAND, IDM_SUBFOLDERS, 0);  // subfolders listed too
  ASSERT_TRUE(WaitFor([] {
    const ItemStore* rows = &g_app->fileList->rows;
    for (uint32_t i = 0; i < ItemStoreCount(rows); ++i)
      if (wcscmp(reinterpret_cast<const FileListRow*>(ItemStoreGet(rows, i))->currentName, L"inner.txt") == 0)
        return g_app->busyCounter == 0;
    return false;
  }));
  struct Case {
    std::vector<std::wstring> selected;  // the last one is focused
    bool shown;
  };
  const Case cases[] = {
      {{L"b.txt"}, true},
      {{L"a.txt", L"b.txt"}, true},
      {{L"a.txt", L"inner.txt"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.selected.size() << " selected, focused " << c.selected.back());
    g_menus.clear();
    g_choice = 0;
    POINT expected = {};
    HWND list = nullptr;
    Gui([&] {
      ItemListControl* files = g_app->fileList;
      list = files->window;
      ItemsViewSelectItems(files, -1, 0);
      for (uint32_t i = 0; i < ItemStoreCount(&files->rows); ++i) {
        const auto* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, i));
        for (const std::wstring& name : c.selected) {
          if (name != row->currentName) continue;
          ItemsViewSelectItems(files, static_cast<int>(i), 1);
          if (name == c.selected.back()) ItemsViewSetItemState(files, static_cast<int>(i), kRowFocused, kRowFocused);
        }
      }
      RECT rect = {LVIR_LABEL, 0, 0, 0};
      SendMessageW(list, LVM_GETITEMRECT, files->focusedIndex, reinterpret_cast<LPARAM>(&rect));
      expected = {rect.left, rect.bottom};
      ClientToScreen(list, &expected);
    });
    DialogWatcher boxes(GetCurrentProcessId(), IDOK);
    SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    ASSERT_EQ(g_menus.size(), c.shown ? 1u : 0u);
    EXPECT_EQ(boxes.Answered(), c.shown ? 0 : 1) << "a menu or a word why not";
    if (!c.shown) continue;
    EXPECT_EQ(g_menus[0].owner, window_);
    EXPECT_EQ(g_menus[0].at.x, expected.x);
    EXPECT_EQ(g_menus[0].at.y, expected.y);
  }
  EXPECT_EQ(Close(), 0);
}
