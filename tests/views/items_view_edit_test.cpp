// In-place renaming (F2 through the parent, the slow second click, double clicks, veto) and info tips. The editor
// commits when it loses the focus, so these tests run alone.
#include <gtest/gtest.h>

#include "foundation/core/app_state.h"
#include "foundation/win32/window_wrappers.h"
#include "list_test_parent.h"
#include "views/items_view.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_state.h"
#include "views/items_view_tips.h"
#include "views/items_view_window.h"

namespace {

class ListEditingInteractive : public testing::Test {
 protected:
  ItemListControl* FileList(uint32_t viewWord = 0x201, uint32_t style = 0) {
    ItemListControl* list = parent_.CreateList(viewWord, style, {{50, 120, 0, 0}, {51, 120, 1, 0}});
    AppendFileRows(list, 5);
    return list;
  }

  static void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  static void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0) {
    PostMessageW(window, message, wParam, lParam);
    Pump();
  }

  // F2 reaches the parent, which opens the editor on the focused row.
  HWND Rename(ItemListControl* list) {
    Post(list->window, WM_KEYDOWN, VK_F2);
    return list->editor;
  }

  static std::wstring TextOf(HWND window) {
    wchar_t text[300];
    GetWindowTextSafe(window, text, 300);
    return text;
  }

  static LPARAM LabelPoint(const ItemListControl* list, int index) {
    RECT label;
    GetItemPartRect(list, index, kPartLabel, &label);
    return MAKELPARAM(label.left + 10, (label.top + label.bottom) / 2);
  }

  ListTestParent parent_{400, 300};
};

}  // namespace

TEST_F(ListEditingInteractive, OnlyAChangedNonEmptyNameIsReported) {
  ItemListControl* list = FileList();
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 2);
  HWND editor = Rename(list);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(TextOf(editor), L"file2.txt");
  EXPECT_EQ(SendMessageW(editor, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the name shows from its first character";
  ASSERT_NE(parent_.Last(LVN_BEGINLABELEDITW), nullptr);
  EXPECT_EQ(parent_.Last(LVN_BEGINLABELEDITW)->item, 2);
  Post(editor, WM_KEYDOWN, VK_RETURN);
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(list->editor, nullptr);

  struct Case {
    const wchar_t* typed;
    WPARAM key;
    int reports;
  };
  for (Case c : {Case{L"x.txt", VK_RETURN, 1}, Case{L"y.txt", VK_ESCAPE, 1}, Case{L"", VK_RETURN, 1},
                 Case{L"file2.txt", VK_RETURN, 1}}) {
    SCOPED_TRACE(c.typed);
    editor = Rename(list);
    ASSERT_NE(editor, nullptr);
    SetWindowTextW(editor, c.typed);
    Post(editor, WM_KEYDOWN, c.key);
    EXPECT_EQ(list->editor, nullptr);
    EXPECT_EQ(parent_.Count(LVN_ENDLABELEDITW), c.reports);
  }
  EXPECT_EQ(parent_.Last(LVN_ENDLABELEDITW)->text, L"x.txt");
  EXPECT_EQ(parent_.Last(LVN_ENDLABELEDITW)->item, 2);

  parent_.beginEditAnswer = 1;
  EXPECT_EQ(Rename(list), nullptr);
  EXPECT_EQ(list->pendingRenameIndex, -1);
}

TEST_F(ListEditingInteractive, ANameTheParentRefusesKeepsTheEditorOpenOnItWhenTypedAndConfirmed) {
  ItemListControl* list = FileList();
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 2);
  // The parent refuses "bad" with a message box, which takes the focus while it is shown.
  parent_.endEditAnswer = [&](const std::wstring& text) -> LRESULT {
    if (text != L"bad") return 1;
    SetFocus(list->window);
    return kEndEditKeepOpen;
  };
  HWND editor = Rename(list);
  ASSERT_NE(editor, nullptr);
  // Enter in the editor, and Enter as the keyboard hook hands it on.
  const std::pair<UINT, WPARAM> confirmations[] = {{WM_KEYDOWN, VK_RETURN}, {kEditorCommitMessage, 0}};
  int asked = 0;
  for (const auto& [message, wParam] : confirmations) {
    SetWindowTextW(editor, L"bad");
    Post(editor, message, wParam);
    EXPECT_EQ(parent_.Count(LVN_ENDLABELEDITW), ++asked) << "asked once, also when the focus left meanwhile";
    EXPECT_EQ(list->editor, editor);
    EXPECT_EQ(TextOf(editor), L"bad");
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(list->pendingRenameIndex, 2);
  }
  // Mended, the name is taken and the editor closes.
  SetWindowTextW(editor, L"good.txt");
  Post(editor, WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(list->editor, nullptr);
  EXPECT_EQ(parent_.Last(LVN_ENDLABELEDITW)->text, L"good.txt");

  // Committed by anything else (the rows may move under it), a refused name closes the editor.
  editor = Rename(list);
  ASSERT_NE(editor, nullptr);
  SetWindowTextW(editor, L"bad");
  ItemsViewEndEdit(list, true);
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(list->editor, nullptr);
  EXPECT_EQ(parent_.Last(LVN_ENDLABELEDITW)->text, L"bad");
}

TEST_F(ListEditingInteractive, ListsWithoutRenameByClickOpenNoEditor) {
  ItemListControl* chain = FileList(5);
  SendMessageW(chain->window, LVM_SETSELECTIONMARK, 0, 1);
  EXPECT_EQ(Rename(chain), nullptr);
}

TEST_F(ListEditingInteractive, SlowSecondClickOnTheFocusedLabelRenames) {
  ItemListControl* list = FileList();
  Post(list->window, WM_LBUTTONDOWN, MK_LBUTTON, LabelPoint(list, 1));
  Post(list->window, WM_LBUTTONUP, 0, LabelPoint(list, 1));
  Post(list->window, WM_LBUTTONDOWN, MK_LBUTTON, LabelPoint(list, 1));
  Post(list->window, WM_LBUTTONUP, 0, LabelPoint(list, 1));
  EXPECT_EQ(list->editor, nullptr);
  ASSERT_TRUE(parent_.PumpUntil([&] { return list->editor != nullptr; }));
  EXPECT_EQ(TextOf(list->editor), L"file1.txt");

  // Typing widens the editor with its text.
  RECT before;
  GetWindowRect(list->editor, &before);
  SendMessageW(list->editor, EM_SETSEL, 9, 9);
  for (wchar_t c : std::wstring(L".backup.old")) SendMessageW(list->editor, WM_CHAR, c, 0);
  RECT after;
  GetWindowRect(list->editor, &after);
  EXPECT_GT(after.right - after.left, before.right - before.left);

  // A click on another row commits the edit.
  Post(list->window, WM_LBUTTONDOWN, MK_LBUTTON, LabelPoint(list, 3));
  Post(list->window, WM_LBUTTONUP, 0, LabelPoint(list, 3));
  EXPECT_EQ(list->editor, nullptr);
  ASSERT_NE(parent_.Last(LVN_ENDLABELEDITW), nullptr);
  EXPECT_EQ(parent_.Last(LVN_ENDLABELEDITW)->text, L"file1.txt.backup.old");
}

TEST_F(ListEditingInteractive, DoubleClickOpensNoEditor) {
  ItemListControl* list = FileList();
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 1);
  Post(list->window, WM_LBUTTONDOWN, MK_LBUTTON, LabelPoint(list, 1));
  Post(list->window, WM_LBUTTONUP, 0, LabelPoint(list, 1));
  Post(list->window, WM_LBUTTONDBLCLK, MK_LBUTTON, LabelPoint(list, 1));
  Post(list->window, WM_LBUTTONUP, 0, LabelPoint(list, 1));
  EXPECT_EQ(parent_.Count(NM_DBLCLK), 1);
  EXPECT_FALSE(parent_.PumpUntil([&] { return list->editor != nullptr; }, 1000));
}

TEST_F(ListEditingInteractive, ChangingTheRowsCancelsTheEditor) {
  ItemListControl* list = FileList();
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 0);
  HWND editor = Rename(list);
  ASSERT_NE(editor, nullptr);
  SetWindowTextW(editor, L"other.txt");
  FileListRow row = MakeFileRow(L"new.txt", L"new.txt");
  ItemsViewInsertRecord(list, &row, -1, row.currentName);
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(parent_.Count(LVN_ENDLABELEDITW), 0);
}

TEST_F(ListEditingInteractive, InfoTipsShowTextsThatDoNotFit) {
  ItemListControl* list = parent_.CreateList(1, kListInfoTips, {{50, 200, 0, 0}, {51, 30, 1, 0}});
  AppendFileRows(list, 3);
  EXPECT_EQ(list->tooltip, nullptr) << "the tooltip waits for the first hover";
  ItemsViewActivateTooltip(list, true);
  ASSERT_NE(list->tooltip, nullptr);
  RECT row;
  GetItemPartRect(list, 1, kPartWhole, &row);
  int y = (row.top + row.bottom) / 2;
  EXPECT_STREQ(ItemsViewTipAt(list, POINT{215, y}), L"renamed1.txt");
  EXPECT_STREQ(ItemsViewTipAt(list, POINT{20, y}), L"");
  // The parent is asked for the main column's tip.
  EXPECT_EQ(parent_.Count(static_cast<int>(TTN_GETDISPINFOW)), 1);
  ItemsViewApplyStyle(list, 0);
  EXPECT_EQ(list->tooltip, nullptr);
}

namespace {

int g_tipUpdates = 0;
WNDPROC g_tooltipProcedure = nullptr;

LRESULT CALLBACK CountTipUpdates(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TTM_UPDATETIPTEXTW) ++g_tipUpdates;
  return CallWindowProcW(g_tooltipProcedure, window, message, wParam, lParam);
}

}  // namespace

TEST_F(ListEditingInteractive, TheTipIsAskedAgainForEachCellOfTheHotRow) {
  ItemListControl* list = parent_.CreateList(1, kListInfoTips, {{50, 200, 0, 0}, {51, 30, 1, 0}});
  AppendFileRows(list, 3);
  // The pointer hovers only over a list that is on the screen; the first hover (on the first row) makes the tip.
  SetWindowPos(parent_.Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RECT first;
  GetItemPartRect(list, 0, kPartWhole, &first);
  SendMessageW(list->window, WM_MOUSEMOVE, 0, MAKELPARAM(20, (first.top + first.bottom) / 2));
  ASSERT_NE(list->tooltip, nullptr);
  g_tooltipProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list->tooltip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountTipUpdates)));
  RECT row;
  GetItemPartRect(list, 1, kPartWhole, &row);
  const int y = (row.top + row.bottom) / 2;
  const struct {
    int x;
    bool asked;
  } moves[] = {{215, true}, {220, false}, {20, true}, {30, false}, {215, true}};
  for (const auto& move : moves) {
    g_tipUpdates = 0;
    SendMessageW(list->window, WM_MOUSEMOVE, 0, MAKELPARAM(move.x, y));
    EXPECT_EQ(g_tipUpdates > 0, move.asked) << "at x " << move.x;
  }
  SetWindowLongPtrW(list->tooltip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tooltipProcedure));
}
