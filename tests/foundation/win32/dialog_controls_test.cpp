// Dialog-control wrappers against the controls of a real dialog.
#include "foundation/win32/dialog_controls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "support/dialog_template.h"
#include "support/test_window.h"

namespace {

constexpr DWORD kUntouchedError = 0x4321;

enum ControlId { kCheck = 201, kCombo = 202, kList = 203, kEdit = 204, kListView = 205, kScroll = 206 };

// A dialog with one control of each kind the wrappers speak to.
class DialogControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    DialogTemplate layout(L"Controls", 300, 200);
    layout.AddControl(L"BUTTON", L"Check", kCheck, BS_AUTO3STATE, 5, 5, 60, 12);
    layout.AddControl(L"COMBOBOX", L"", kCombo, CBS_DROPDOWN | WS_VSCROLL, 5, 20, 100, 80);
    layout.AddControl(L"LISTBOX", L"", kList, LBS_NOTIFY | WS_BORDER, 5, 40, 100, 60);
    layout.AddControl(L"EDIT", L"", kEdit, WS_BORDER | ES_AUTOHSCROLL, 5, 105, 100, 12);
    layout.AddControl(L"SysListView32", L"", kListView, LVS_REPORT | LVS_SHOWSELALWAYS, 110, 5, 180, 100);
    layout.AddControl(L"SCROLLBAR", L"", kScroll, SBS_HORZ, 110, 110, 180, 10);
    dialog_ = layout.Create(nullptr);
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override { DestroyWindow(dialog_); }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }

  void FillListView() {
    HWND list = Item(kListView);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 80;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    const wchar_t* names[] = {L"alpha", L"beta", L"gamma"};
    const wchar_t* notes[] = {L"one", L"two", L"three"};
    for (int i = 0; i < 3; ++i) {
      LVITEMW item = {};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = i;
      item.pszText = const_cast<wchar_t*>(names[i]);
      item.lParam = 100 + i;
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      LVITEMW note = {};
      note.iSubItem = 1;
      note.pszText = const_cast<wchar_t*>(notes[i]);
      SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&note));
    }
    ListView_SetCheckState(list, 1, TRUE);
    ListView_SetItemState(list, 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  }

  std::wstring Cell(int item, int column) const {
    wchar_t text[64] = L"";
    ListView_GetItemText(Item(kListView), item, column, text, 64);
    return text;
  }

  LPARAM Param(int item) const {
    LVITEMW read = {};
    read.mask = LVIF_PARAM;
    read.iItem = item;
    ListView_GetItem(Item(kListView), &read);
    return read.lParam;
  }

  int Focused() const { return ListView_GetNextItem(Item(kListView), -1, LVNI_FOCUSED); }

  HWND dialog_ = nullptr;
};

}  // namespace

TEST_F(DialogControlsTest, MissingDialogsAndControlsSendNothing) {
  uint32_t flags = 0xF0;
  wchar_t text[8] = L"old";
  SetLastError(kUntouchedError);
  CheckDlgButtonOn(nullptr, kCheck);
  EXPECT_EQ(IsDlgButtonCheckedById(nullptr, kCheck), 0);
  EXPECT_EQ(ComboAddString(nullptr, L"x"), 0);
  EXPECT_EQ(ComboGetCount(nullptr), 0);
  EXPECT_EQ(ComboGetSelectedDataById(nullptr, kCombo), 0);
  EXPECT_EQ(ComboAddStringWithDataById(nullptr, kCombo, L"x", 1), -1);
  EXPECT_EQ(ListBoxGetCount(nullptr), 0);
  EXPECT_EQ(ListBoxGetItemText(nullptr, 0, text, 8), 0);
  EXPECT_STREQ(text, L"");
  LimitDlgItemText(nullptr, kEdit, 5);
  ListViewDeleteFocusedById(nullptr, kListView);
  ListViewMoveFocusedUpById(nullptr, kListView);
  FillIconSizeCombo(nullptr, nullptr, 16);
  SetFlagIfDlgButtonChecked(nullptr, kCheck, &flags, 0x10);
  EXPECT_EQ(GetLastError(), kUntouchedError);
  EXPECT_EQ(flags, 0xE0u);
}

TEST_F(DialogControlsTest, CheckBoxesSetAndClearFlagBits) {
  CheckDlgButtonOn(dialog_, kCheck);
  EXPECT_EQ(IsDlgButtonCheckedById(dialog_, kCheck), BST_CHECKED);
  uint32_t flags = 0x100;
  SetFlagIfDlgButtonChecked(dialog_, kCheck, &flags, 0x3);
  EXPECT_EQ(flags, 0x103u);

  CheckDlgButtonOff(dialog_, kCheck);
  EXPECT_EQ(IsDlgButtonCheckedById(dialog_, kCheck), BST_UNCHECKED);
  SetFlagIfDlgButtonChecked(dialog_, kCheck, &flags, 0x2);
  EXPECT_EQ(flags, 0x101u);

  CheckDlgButtonIndeterminate(dialog_, kCheck);
  EXPECT_EQ(IsDlgButtonCheckedById(dialog_, kCheck), BST_INDETERMINATE);

  // A missing box counts as unchecked.
  SetFlagIfDlgButtonChecked(dialog_, 999, &flags, 0x100);
  EXPECT_EQ(flags, 0x1u);
}

TEST_F(DialogControlsTest, ComboEntriesCarryTheirData) {
  EXPECT_EQ(ComboAddStringWithDataById(dialog_, kCombo, L"first", 11), 0);
  EXPECT_EQ(ComboAddStringWithDataById(dialog_, kCombo, L"second", 22), 1);
  EXPECT_EQ(ComboAddStringWithData(Item(kCombo), L"third", 33), 2);
  EXPECT_EQ(ComboAddStringWithDataById(dialog_, 999, L"lost", 44), -1);
  EXPECT_EQ(ComboGetCount(Item(kCombo)), 3);
  EXPECT_EQ(ComboGetCurSelById(dialog_, kCombo), CB_ERR);
  EXPECT_EQ(ComboSetCurSelById(dialog_, kCombo, 1), 1);
  EXPECT_EQ(ComboGetCurSel(Item(kCombo)), 1);
  EXPECT_EQ(ComboGetSelectedDataById(dialog_, kCombo), 22);
  EXPECT_EQ(ComboGetItemDataById(dialog_, kCombo, 2), 33);
  EXPECT_EQ(ComboGetItemData(Item(kCombo), 0), 11);
}

TEST_F(DialogControlsTest, ListBoxTextsAreCutToTheCallersBuffer) {
  HWND list = Item(kList);
  std::wstring longText(300, L'x');
  longText[0] = L'A';
  EXPECT_EQ(ListBoxAddStringWithData(list, L"short", 5), 0);
  EXPECT_EQ(ListBoxAddStringWithData(list, longText.c_str(), 300), 1);
  EXPECT_EQ(ListBoxGetCount(list), 2);
  EXPECT_EQ(ListBoxGetItemData(list, 1), 300);
  EXPECT_EQ(ListBoxSetCurSel(list, 1), 1);
  EXPECT_EQ(ListBoxGetCurSel(list), 1);

  wchar_t text[10];
  EXPECT_EQ(ListBoxGetItemText(list, 0, text, 10), 5);
  EXPECT_STREQ(text, L"short");
  EXPECT_EQ(ListBoxGetItemText(list, 1, text, 10), 9);
  EXPECT_STREQ(text, L"Axxxxxxxx");
  wchar_t exact[6];
  EXPECT_EQ(ListBoxGetItemText(list, 0, exact, 6), 5);
  EXPECT_STREQ(exact, L"short");
  EXPECT_EQ(ListBoxGetItemText(list, 0, exact, 5), 4);
  EXPECT_STREQ(exact, L"shor");
  EXPECT_EQ(ListBoxGetItemText(list, 7, text, 10), 0);
  EXPECT_STREQ(text, L"");
}

TEST_F(DialogControlsTest, EditLimit) {
  LimitDlgItemText(dialog_, kEdit, 5);
  HWND edit = Item(kEdit);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 5);
  EditLimitText(edit, 12);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 12);
}

TEST_F(DialogControlsTest, FocusedListViewItemMovesWithItsTextsDataAndCheck) {
  FillListView();
  HWND list = Item(kListView);
  ListViewMoveFocusedUpById(dialog_, kListView);
  EXPECT_EQ(Cell(0, 0), L"beta");
  EXPECT_EQ(Cell(0, 1), L"two");
  EXPECT_EQ(Param(0), 101);
  EXPECT_TRUE(ListView_GetCheckState(list, 0));
  EXPECT_EQ(Cell(1, 0), L"alpha");
  EXPECT_EQ(Cell(1, 1), L"one");
  EXPECT_EQ(Param(1), 100);
  EXPECT_FALSE(ListView_GetCheckState(list, 1));
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(ListView_GetSelectedCount(list), 1u);

  // At the top nothing moves.
  ListViewMoveFocusedUpById(dialog_, kListView);
  EXPECT_EQ(Cell(0, 0), L"beta");

  ListViewMoveFocusedDownById(dialog_, kListView);
  ListViewMoveFocusedDownById(dialog_, kListView);
  EXPECT_EQ(Cell(2, 0), L"beta");
  EXPECT_EQ(Cell(1, 0), L"gamma");
  EXPECT_EQ(Focused(), 2);
  ListViewMoveFocusedDownById(dialog_, kListView);
  EXPECT_EQ(Cell(2, 0), L"beta");

  ListViewDeleteFocusedById(dialog_, kListView);
  EXPECT_EQ(ListView_GetItemCount(list), 2);
  EXPECT_EQ(Cell(0, 0), L"alpha");
  EXPECT_EQ(Cell(1, 0), L"gamma");
}

TEST_F(DialogControlsTest, WithoutFocusTheSelectedItemMoves) {
  FillListView();
  HWND list = Item(kListView);
  ListView_SetItemState(list, 1, 0, LVIS_FOCUSED | LVIS_SELECTED);
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_EQ(Focused(), -1);
  // A selected item 0 gives way to a later selected one.
  ListViewMoveFocusedUpById(dialog_, kListView);
  EXPECT_EQ(Cell(1, 0), L"gamma");
  EXPECT_EQ(Cell(2, 0), L"beta");
}

TEST_F(DialogControlsTest, IconSizeComboListsSizesAndSelectsTheCurrentOne) {
  HWND combo = Item(kCombo);
  FillIconSizeCombo(combo, nullptr, 10);
  ASSERT_EQ(ComboGetCount(combo), 5);
  wchar_t text[16];
  SendMessageW(combo, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"64x64");
  EXPECT_EQ(ComboGetItemData(combo, 4), 64);
  EXPECT_EQ(ComboGetCurSel(combo), 0);

  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  const int sizes[] = {20, 40, 0};
  FillIconSizeCombo(combo, sizes, 40);
  EXPECT_EQ(ComboGetCount(combo), 2);
  EXPECT_EQ(ComboGetCurSel(combo), 1);
  EXPECT_EQ(ComboGetSelectedDataById(dialog_, kCombo), 40);
}
