// Tree-view items inserted and read.
#include "foundation/win32/tree_views.h"

#include <gtest/gtest.h>

#include "support/test_window.h"

namespace {

constexpr DWORD kUntouchedError = 0x2468;

TreeItemFields Named(const wchar_t* text, LPARAM param) {
  return TreeItemFields{TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE, text, 3, 0, 0, 0, 0, param};
}

}  // namespace

TEST(TreeViews, ItemsAreInsertedAndRead) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  OwnedWindow owner(CreateTestPopup(0, 0, 200, 200));
  HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD, 0, 0, 200, 200, owner, nullptr, nullptr, nullptr);
  ASSERT_NE(tree, nullptr);
  SetLastError(kUntouchedError);
  EXPECT_EQ(TreeViewInsertItem(nullptr, nullptr, TVI_LAST, Named(L"x", 0)), nullptr);
  EXPECT_EQ(GetLastError(), kUntouchedError);
  HTREEITEM root = TreeViewInsertItem(tree, TVI_ROOT, TVI_LAST, Named(L"Alpha", 1));
  HTREEITEM beta = TreeViewInsertItem(tree, root, TVI_LAST, Named(L"beta", 2));
  HTREEITEM gamma = TreeViewInsertItem(tree, root, TVI_LAST, Named(L"Gämma", 3));
  ASSERT_NE(gamma, nullptr);

  TVITEMW read = {};
  read.mask = TVIF_PARAM | TVIF_IMAGE;
  read.hItem = beta;
  TreeView_GetItem(tree, &read);
  EXPECT_EQ(read.lParam, 2);
  EXPECT_EQ(read.iImage, 3);

  wchar_t text[16];
  EXPECT_EQ(TreeViewGetItemText(tree, gamma, text, 16), text);
  EXPECT_STREQ(text, L"Gämma");
  wchar_t cut[4];
  TreeViewGetItemText(tree, gamma, cut, 4);
  EXPECT_STREQ(cut, L"Gäm");
  const wchar_t* own = TreeViewGetItemText(tree, beta, nullptr, 0);
  ASSERT_NE(own, nullptr);
  EXPECT_STREQ(own, L"beta");
  EXPECT_EQ(TreeViewGetItemText(tree, nullptr, text, 16), nullptr);
  EXPECT_STREQ(text, L"");
}
