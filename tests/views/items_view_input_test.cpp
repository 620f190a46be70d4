// Keyboard and mouse through posted messages: focus and selection by keys and clicks, check boxes, keys handed
// to the parent, one-click activation, drags, the selection rectangle and header clicks. Clicks give the control
// the focus, so these tests run alone.
#include <gtest/gtest.h>

#include <set>

#include "foundation/core/item_store.h"
#include "list_test_parent.h"
#include "views/items_view_layout.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_state.h"
#include "views/items_view_window.h"

namespace {

class ListInputInteractive : public testing::Test {
 protected:
  ItemListControl* FileList(int rows, uint32_t style = 0, uint32_t viewWord = 1) {
    ItemListControl* list = parent_.CreateList(viewWord, style, {{50, 100, 0, 0}, {51, 100, 1, 0}});
    AppendFileRows(list, rows);
    return list;
  }

  void Key(ItemListControl* list, WPARAM key, bool shift = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(list->window, WM_KEYDOWN, key, 0);
    Pump();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }

  void Mouse(ItemListControl* list, UINT message, POINT at, WPARAM keys = 0) {
    PostMessageW(list->window, message, keys, MAKELPARAM(at.x, at.y));
    Pump();
  }

  void Click(ItemListControl* list, POINT at, WPARAM keys = 0) {
    Mouse(list, WM_LBUTTONDOWN, at, keys | MK_LBUTTON);
    Mouse(list, WM_LBUTTONUP, at, keys);
  }

  static POINT RowPoint(const ItemListControl* list, int index, int part = kPartLabel) {
    RECT rect;
    GetItemPartRect(list, index, part, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }

  static std::set<int> Selected(const ItemListControl* list) {
    std::set<int> rows;
    for (int i = 0; i < static_cast<int>(ItemStoreCount(&list->rows)); ++i) {
      if (GetSelectedRecord(list, i)) rows.insert(i);
    }
    return rows;
  }

  static void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  ListTestParent parent_{400, 300};
};

}  // namespace

TEST_F(ListInputInteractive, KeysMoveTheFocusAndShiftExtendsTheSelection) {
  ItemListControl* list = FileList(100);
  struct Step {
    WPARAM key;
    bool shift;
    int focus;
    std::set<int> selected;
  };
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 3);
  int page = static_cast<int>(list->rowsPerPage);
  const Step steps[] = {
      {VK_PRIOR, false, 0, {0}},
      {VK_END, false, 99, {99}},
      {VK_HOME, false, 0, {0}},
      {VK_NEXT, false, page, {page}},
      {VK_DOWN, false, page + 1, {page + 1}},
      {VK_DOWN, true, page + 2, {page + 1, page + 2}},
      {VK_UP, false, page + 1, {page + 1}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.key);
    Key(list, step.key, step.shift);
    EXPECT_EQ(list->focusedIndex, step.focus);
    EXPECT_EQ(Selected(list), step.selected);
    RECT shown;
    EXPECT_EQ(GetItemPartRect(list, step.focus, kPartWhole, &shown), 1);
  }
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 95);
  Key(list, VK_NEXT);
  EXPECT_EQ(list->focusedIndex, 99);
}

TEST_F(ListInputInteractive, SpaceTogglesTheFocusedCheckBoxOnce) {
  ItemListControl* list =
      parent_.CreateList(5, GetListControlStyle(32) | 0x1004, {{5580, 150, 0, 0}, {41, 100, 1, 0}}, kChainListId);
  AppendPlainRows(list, 3);
  SendMessageW(list->window, LVM_SETSELECTIONMARK, 0, 1);
  parent_.ClearEvents();
  Key(list, VK_SPACE);
  ASSERT_EQ(parent_.Count(LVN_ITEMCHANGED), 1);
  EXPECT_EQ(parent_.Last(LVN_ITEMCHANGED)->oldState & LVIS_STATEIMAGEMASK, 0x1000u);
  EXPECT_EQ(parent_.Last(LVN_ITEMCHANGED)->newState & LVIS_STATEIMAGEMASK, 0x2000u);
  Key(list, VK_SPACE);
  ASSERT_EQ(parent_.Count(LVN_ITEMCHANGED), 2);
  EXPECT_EQ(parent_.Last(LVN_ITEMCHANGED)->newState & LVIS_STATEIMAGEMASK, 0x1000u);
  EXPECT_EQ(SendMessageW(list->window, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), 0x1000);

  // A click in the box toggles it without selecting the row.
  Click(list, RowPoint(list, 2, kPartCheckBox));
  EXPECT_EQ(SendMessageW(list->window, LVM_GETITEMSTATE, 2, LVIS_STATEIMAGEMASK), 0x2000);
  EXPECT_EQ(GetSelectedRecord(list, 2), nullptr);
}

TEST_F(ListInputInteractive, KeysTheControlDoesNotUseReachTheParent) {
  ItemListControl* list = FileList(3);
  Key(list, VK_RETURN);
  ASSERT_NE(parent_.Last(static_cast<int>(kPaneKey), true), nullptr);
  EXPECT_EQ(parent_.Last(static_cast<int>(kPaneKey), true)->key, VK_RETURN);
  PostMessageW(list->window, WM_CHAR, L'{', 0);
  PostMessageW(list->window, WM_CHAR, L'a', 0);
  Pump();
  EXPECT_EQ(parent_.Count(static_cast<int>(kPaneKey), true), 2);
  EXPECT_EQ(parent_.Last(static_cast<int>(kPaneKey), true)->key, L'{');
  Key(list, VK_F12);
  EXPECT_EQ(parent_.Count(static_cast<int>(kPaneKey), true), 2);
}

TEST_F(ListInputInteractive, ClicksSelectAndCtrlAndShiftChangeTheSelection) {
  ItemListControl* list = FileList(10);
  Click(list, RowPoint(list, 2));
  EXPECT_EQ(list->focusedIndex, 2);
  EXPECT_EQ(Selected(list), (std::set<int>{2}));
  Click(list, RowPoint(list, 4), MK_CONTROL);
  EXPECT_EQ(Selected(list), (std::set<int>{2, 4}));
  // Ctrl toggles the row off and still gives it the focus, where Shift then extends from.
  Click(list, RowPoint(list, 2), MK_CONTROL);
  EXPECT_EQ(Selected(list), (std::set<int>{4}));
  EXPECT_EQ(list->focusedIndex, 2);
  Click(list, RowPoint(list, 6), MK_SHIFT);
  EXPECT_EQ(Selected(list), (std::set<int>{2, 3, 4, 5, 6}));
  EXPECT_EQ(list->focusedIndex, 6);
  EXPECT_GE(parent_.Count(static_cast<int>(kPaneLeftDown), true), 4);

  // Empty space right of the columns clears the selection.
  RECT row;
  GetItemPartRect(list, 1, kPartWhole, &row);
  Click(list, POINT{row.right + 20, row.top + 2});
  EXPECT_TRUE(Selected(list).empty());
  EXPECT_EQ(list->captureState, 0);
}

TEST_F(ListInputInteractive, SelectionRectangleSelectsTheRowsItSpans) {
  ItemListControl* list = FileList(10);
  RECT first;
  GetItemPartRect(list, 1, kPartWhole, &first);
  int x = first.right + 30;
  Mouse(list, WM_LBUTTONDOWN, POINT{x, first.top + 2}, MK_LBUTTON);
  EXPECT_EQ(list->captureState, 2);
  Mouse(list, WM_MOUSEMOVE, POINT{x - 40, RowPoint(list, 4).y}, MK_LBUTTON);
  EXPECT_EQ(Selected(list), (std::set<int>{1, 2, 3, 4}));
  Mouse(list, WM_MOUSEMOVE, POINT{x - 40, RowPoint(list, 2).y}, MK_LBUTTON);
  EXPECT_EQ(Selected(list), (std::set<int>{1, 2}));
  Mouse(list, WM_LBUTTONUP, POINT{x - 40, RowPoint(list, 2).y});
  EXPECT_EQ(list->captureState, 0);
  EXPECT_EQ(Selected(list), (std::set<int>{1, 2}));
}

TEST_F(ListInputInteractive, OneClickModeActivatesAndDoubleClicksAreReported) {
  ItemListControl* list = FileList(5, kListOneClickActivate);
  Click(list, RowPoint(list, 3));
  ASSERT_EQ(parent_.Count(NM_CLICK), 1);
  ASSERT_EQ(parent_.Count(LVN_ITEMACTIVATE), 1);
  EXPECT_EQ(parent_.Last(LVN_ITEMACTIVATE)->item, 3);
  EXPECT_EQ(list->focusedIndex, 3);

  Mouse(list, WM_LBUTTONDBLCLK, RowPoint(list, 1), MK_LBUTTON);
  ASSERT_NE(parent_.Last(NM_DBLCLK), nullptr);
  EXPECT_EQ(parent_.Last(NM_DBLCLK)->item, 1);
}

TEST_F(ListInputInteractive, DragsStartAfterTheMouseMovesWithAButtonHeld) {
  ItemListControl* list = FileList(5, 0, 5);
  POINT press = RowPoint(list, 1);
  Mouse(list, WM_LBUTTONDOWN, press, MK_LBUTTON);
  Mouse(list, WM_MOUSEMOVE, POINT{press.x + 12, press.y + 3}, MK_LBUTTON);
  ASSERT_TRUE(parent_.PumpUntil([&] { return parent_.Count(LVN_BEGINDRAG) > 0; }));
  EXPECT_EQ(parent_.Last(LVN_BEGINDRAG)->item, 1);
  Mouse(list, WM_LBUTTONUP, POINT{press.x + 12, press.y + 3});

  // The chain's drag moves the step; moving the focused row takes it along.
  EXPECT_EQ(ItemsViewMoveFocus(list, 1), 2);
  EXPECT_EQ(list->focusedIndex, 2);
  EXPECT_EQ(std::wstring(reinterpret_cast<FileListRow*>(GetItemRecord(list, 2))->currentName), L"file1.txt");
  EXPECT_EQ(ItemsViewMoveFocus(list, -1), 1);

  Mouse(list, WM_RBUTTONDOWN, RowPoint(list, 3), MK_RBUTTON);
  EXPECT_EQ(parent_.Count(static_cast<int>(kPaneRightDown), true), 1);
  Mouse(list, WM_MOUSEMOVE, POINT{press.x, RowPoint(list, 4).y}, MK_RBUTTON);
  ASSERT_TRUE(parent_.PumpUntil([&] { return parent_.Count(LVN_BEGINRDRAG) > 0; }));
  EXPECT_EQ(parent_.Last(LVN_BEGINRDRAG)->item, 3);
}

TEST_F(ListInputInteractive, HeaderClicksNameTheColumnsTablePosition) {
  ItemListControl* list = parent_.CreateList(1, kListReorderColumns, {{50, 100, 1, 0}, {51, 120, 0, 0}});
  ASSERT_NE(list->header, nullptr);
  RECT item;
  SendMessageW(list->header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.left, 0);
  LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  PostMessageW(list->header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list->header, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(parent_.PumpUntil([&] { return parent_.Count(LVN_COLUMNCLICK) > 0; }));
  EXPECT_EQ(parent_.Last(LVN_COLUMNCLICK)->subItem, 1);
}
