// List views of dialogs: columns captioned by UI texts from a column table or a list of text ids, the set-up's
// styles, and the subclass, which passes the list's last messages on and goes with it.
#include "foundation/ui/dialog_list_views.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/win32/column_layout.h"
#include "foundation/win32/list_views.h"
#include "program_state_scope.h"
#include "support/test_window.h"

namespace {

constexpr int kListId = 300;
const UiStringRecord kTexts[] = {{-1, L"US"}, {50, L"Name"}, {51, L"New name"}, {52, L"Size"}, {0, nullptr}};

struct ColumnSeen {
  std::wstring caption;
  int width;
  int format;
};

ColumnSeen ColumnOf(HWND list, int index) {
  wchar_t caption[64] = L"";
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.pszText = caption;
  column.cchTextMax = 64;
  SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
  return {caption, column.cx, column.fmt & LVCFMT_JUSTIFYMASK};
}

class DialogListViews : public testing::Test {
 protected:
  DialogListViews() {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    state_.UseTexts(kTexts);
  }
  // A list view 400 pixels wide in a hidden popup that the test owns.
  HWND NewList(HWND parent, DWORD style = LVS_REPORT) const {
    return CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 400, 200, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), GetModuleHandleW(nullptr), nullptr);
  }

  ProgramStateScope state_;
};

std::vector<UINT> g_lastMessages;
WNDPROC g_listProcedure;

LRESULT CALLBACK RecordLastMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY || message == WM_NCDESTROY) g_lastMessages.push_back(message);
  return CallWindowProcW(g_listProcedure, window, message, wParam, lParam);
}

}  // namespace

TEST_F(DialogListViews, ColumnsComeFromALayoutOrFromTextIds) {
  OwnedWindow parent(CreateTestPopup(0, 0, 400, 200));
  NewList(parent);
  // Size right-aligned and shown first, new name hidden, name 100 pixels wide; size takes the rest.
  ColumnLayout table[] = {{50, 100, 1, 0}, {51, 80, -1, 0}, {52, -1, 0, 1}, {0, 0, 0, 0}};
  HWND list = SetupDialogListViewById(parent, kListId, nullptr, table, LVS_EX_CHECKBOXES);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListViewColumnCount(list), 2);
  const ColumnSeen name = ColumnOf(list, 0);
  const ColumnSeen size = ColumnOf(list, 1);
  EXPECT_EQ(name.caption, L"Name");
  EXPECT_EQ(name.width, 100);
  EXPECT_EQ(size.caption, L"Size");
  EXPECT_EQ(size.format, LVCFMT_RIGHT);
  EXPECT_EQ(size.width, table[2].width) << "the resolved width is written back";
  EXPECT_GE(table[2].width, 100);
  int order[2] = {};
  SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(order));
  EXPECT_EQ(order[0], 1);
  const DWORD styles = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_EQ(styles & (LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_CHECKBOXES),
            static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_CHECKBOXES));

  OwnedWindow other(CreateTestPopup(0, 0, 400, 200));
  NewList(other);
  const int ids[] = {51, 52, 0};
  HWND byIds = SetupDialogListViewById(other, kListId, ids, nullptr, 0);
  EXPECT_EQ(ColumnOf(byIds, 0).width, 100);
  EXPECT_EQ(ColumnOf(byIds, 1).width, std::max(100, 400 - GetSystemMetrics(SM_CXVSCROLL) - 100));
}

TEST_F(DialogListViews, TheSubclassPassesTheLastMessagesOnAndLeavesWithTheList) {
  for (int round = 0; round < 100; ++round) {
    g_lastMessages.clear();
    OwnedWindow parent(CreateTestPopup(0, 0, 400, 200));
    HWND list = NewList(parent, LVS_LIST);
    g_listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordLastMessages)));
    ASSERT_NE(SetupDialogListViewById(parent, kListId, nullptr, nullptr, 0), nullptr);
    SendMessageW(list, WM_SIZE, 0, MAKELPARAM(300, 100));
    DestroyWindow(parent);
    ASSERT_EQ(g_lastMessages, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY})) << "round " << round;
  }
}
