// Toolbars from the system's button form, from the compact 5-byte table and from bitmap strips.
#include "foundation/win32/toolbars.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/test_window.h"

namespace {

constexpr int kToolbarId = 77;

HINSTANCE Shell32() { return LoadLibraryW(L"shell32.dll"); }

TBBUTTON Button(int command, int image, BYTE style, BYTE state = TBSTATE_ENABLED) {
  TBBUTTON button = {};
  button.idCommand = command;
  button.iBitmap = image;
  button.fsStyle = style;
  button.fsState = state;
  return button;
}

TBBUTTON ButtonAt(HWND toolbar, int index) {
  TBBUTTON button = {};
  SendMessageW(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
  return button;
}

int ButtonCount(HWND toolbar) { return static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0)); }

int IconWidth(HIMAGELIST list) {
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(list, &width, &height);
  return width;
}

class ToolbarsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    parent_ = CreateTestPopup(0, 0, 400, 200, true);
  }
  void TearDown() override { DestroyWindow(parent_); }
  HWND parent_ = nullptr;
};

}  // namespace

// The window shows its toolbar before the icons are loaded: the buttons and their size come first, the icons
// afterwards, ending as the toolbar that loads them at once.
TEST_F(ToolbarsTest, ToolbarForLaterIconsGetsTheIconsAToolbarLoadingThemAtOnceHas) {
  const TBBUTTON buttons[] = {Button(1, 0, BTNS_BUTTON), Button(0, 0, BTNS_SEP), Button(3, I_IMAGENONE, BTNS_BUTTON),
                              Button(9999, 0, BTNS_BUTTON), Button(4, 7, BTNS_CHECK), Button(5, 0, BTNS_BUTTON, 0)};
  ToolbarPlacement placement = {parent_, CCS_NODIVIDER, kToolbarId, Shell32()};
  ToolbarWindow made = CreateToolbarForLaterIcons(placement, buttons, 24);
  ASSERT_NE(made.toolbar, nullptr);
  EXPECT_EQ(ButtonCount(made.toolbar), 5);
  EXPECT_EQ(ImageList_GetImageCount(made.images), 0);
  EXPECT_EQ(IconWidth(made.images), 24);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(made.toolbar, TB_GETIMAGELIST, 0, 0)), made.images);
  EXPECT_NE(GetWindowLongW(made.toolbar, GWL_STYLE) & WS_VISIBLE, 0);

  LoadToolbarButtonIcons(made, Shell32(), 24);
  EXPECT_EQ(ImageList_GetImageCount(made.images), 2);
  // Separator aside; a missing icon gives -1 and takes no place.
  const int images[][2] = {{0, 0}, {2, I_IMAGENONE}, {3, -1}, {4, 1}};
  for (const auto& [button, image] : images) EXPECT_EQ(ButtonAt(made.toolbar, button).iBitmap, image) << button;
  EXPECT_EQ(ButtonAt(made.toolbar, 4).idCommand, 4);
  DestroyToolbar(&made);
}

TEST_F(ToolbarsTest, CompactTableGivesEnabledButtonsSeparatorsAndIcons) {
  const ToolbarIconRow rows[] = {{10, 1, BTNS_BUTTON}, {-1, 0, 0}, {11, 4, BTNS_CHECK}, {12, 0, BTNS_BUTTON},
                                 {0, 0, 0}};
  const unsigned char bytes[] = {10, 0, 1, 0, BTNS_BUTTON, 0xFF, 0xFF, 0, 0, 0};
  EXPECT_EQ(memcmp(rows, bytes, sizeof bytes), 0);

  ToolbarPlacement placement = {parent_, 0, kToolbarId, Shell32()};
  ToolbarWindow made = CreateToolbarFromIconTable(placement, rows, 16);
  ASSERT_NE(made.toolbar, nullptr);
  ASSERT_EQ(ButtonCount(made.toolbar), 4);
  TBBUTTON first = ButtonAt(made.toolbar, 0);
  EXPECT_EQ(first.idCommand, 10);
  EXPECT_EQ(first.iBitmap, 0);
  EXPECT_EQ(first.fsState & TBSTATE_ENABLED, TBSTATE_ENABLED);
  TBBUTTON separator = ButtonAt(made.toolbar, 1);
  EXPECT_EQ(separator.idCommand, 0);
  EXPECT_NE(separator.fsStyle & BTNS_SEP, 0);
  TBBUTTON check = ButtonAt(made.toolbar, 2);
  EXPECT_EQ(check.idCommand, 11);
  EXPECT_EQ(check.iBitmap, 1);
  EXPECT_EQ(check.fsStyle, BTNS_CHECK);
  EXPECT_EQ(ButtonAt(made.toolbar, 3).iBitmap, I_IMAGENONE);
  EXPECT_EQ(ImageList_GetImageCount(made.images), 2);
  DestroyToolbar(&made);
}

TEST_F(ToolbarsTest, BitmapStripGivesNormalAndHotImages) {
  HINSTANCE controls = GetModuleHandleW(L"comctl32.dll");
  HBITMAP strip = LoadBitmapW(controls, MAKEINTRESOURCEW(120));
  if (!strip) GTEST_SKIP() << "the common controls carry no standard bitmap 120 here";
  BITMAP size = {};
  GetObjectW(strip, sizeof size, &size);
  DeleteObject(strip);

  TBBUTTON buttons[] = {Button(1, 0, BTNS_BUTTON), Button(2, 1, BTNS_BUTTON), Button(0, 0, 0, 0)};
  ToolbarPlacement placement = {parent_, 0, kToolbarId, controls};
  ToolbarWindow made = CreateToolbarFromBitmap(placement, buttons, 120, 121, 15, 16);
  ASSERT_NE(made.toolbar, nullptr);
  EXPECT_EQ(ButtonCount(made.toolbar), 2);
  ASSERT_NE(made.images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(made.images), size.bmWidth / 16);
  ASSERT_NE(made.hotImages, nullptr);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(made.toolbar, TB_GETHOTIMAGELIST, 0, 0)), made.hotImages);
  DestroyToolbar(&made);

  ToolbarWindow sameHot = CreateToolbarFromBitmap(placement, buttons, 120, 120, 15, 16);
  EXPECT_EQ(sameHot.hotImages, nullptr);
  DestroyToolbar(&sameHot);
}

TEST_F(ToolbarsTest, SystemStandardBitmapsAreLoadedByTheToolbar) {
  TBBUTTON buttons[] = {Button(STD_FILENEW, STD_FILENEW, BTNS_BUTTON), Button(0, 0, 0, 0)};
  ToolbarPlacement placement = {parent_, 0, kToolbarId, HINST_COMMCTRL};
  ToolbarWindow made = CreateToolbarFromBitmap(placement, buttons, IDB_STD_SMALL_COLOR, 0, 15, 16);
  ASSERT_NE(made.toolbar, nullptr);
  EXPECT_EQ(made.images, nullptr);
  HIMAGELIST loaded = reinterpret_cast<HIMAGELIST>(SendMessageW(made.toolbar, TB_GETIMAGELIST, 0, 0));
  ASSERT_NE(loaded, nullptr);
  EXPECT_GT(ImageList_GetImageCount(loaded), STD_FILENEW);
  EXPECT_EQ(GetWindowLongPtrW(made.toolbar, GWLP_HINSTANCE), GetWindowLongPtrW(parent_, GWLP_HINSTANCE));
  DestroyToolbar(&made);
}

TEST_F(ToolbarsTest, NoParentNoToolbar) {
  const ToolbarIconRow rows[] = {{10, 1, 0}, {0, 0, 0}};
  ToolbarPlacement placement = {nullptr, 0, kToolbarId, Shell32()};
  ToolbarWindow made = CreateToolbarFromIconTable(placement, rows, 16);
  EXPECT_EQ(made.toolbar, nullptr);
  EXPECT_EQ(made.images, nullptr);
  DestroyToolbar(&made);
  DestroyToolbar(nullptr);
}
