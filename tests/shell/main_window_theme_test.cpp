// The main window's look: its owner-drawn menus with their icons (the opened main menu kept as a picture among
// the test artefacts), the display-mode commands with and without dark mode, and colour changes of the system
// reaching the lists.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <vssym32.h>

#include <memory>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/command_ids.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/theme.h"
#include "program_fixture.h"
#include "theme_fakes.h"
#include "views/items_view.h"
#include "window_image.h"

namespace {

constexpr UINT_PTR kMenuTimer = 0x7E1;

bool OwnerDrawn(HMENU menu, int position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  return GetMenuItemInfoW(menu, position, TRUE, &info) && (info.fType & MFT_OWNERDRAW);
}

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH description = {};
  GetObjectW(brush, sizeof description, &description);
  return description.lbColor;
}

class MainWindowTheme : public ProgramFixture {
 protected:
  // Chooses a display mode by its command; the window that shows afterwards (a new one after a restart, once
  // it has listed the folder again).
  HWND ChooseDisplayMode(int command) {
    HWND before = window_;
    SendMessageW(before, WM_COMMAND, static_cast<WPARAM>(command), 0);
    if (IsWindow(before)) return before;
    window_ = InProcessProgram::WaitForMainWindow(before);
    if (window_ &&
        !WaitFor([] { return g_app->fileList && ItemStoreCount(&g_app->fileList->rows) == 1 && !IsJobBusy(); })) {
      return nullptr;
    }
    return window_;
  }
  // What the window's lists, menus and class background show.
  void ExpectLook(bool dark) const {
    Gui([&] {
      EXPECT_EQ(IsDarkModeOn(), dark);
      EXPECT_EQ((g_app->options & kOptionSystemMenus) != 0, dark);
      EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(window_, GCLP_HBRBACKGROUND)), GetDialogBackgroundBrush());
      const COLORREF fill = dark ? FakeItemsViewColour(TMT_FILLCOLOR) : GetSysColor(COLOR_BTNFACE);
      EXPECT_EQ(BrushColour(GetDialogBackgroundBrush()), fill);
      const COLORREF listFill = dark ? FakeItemsViewColour(TMT_FILLCOLOR) : GetSysColor(COLOR_WINDOW);
      EXPECT_EQ(static_cast<COLORREF>(SendMessageW(g_app->fileList->window, LVM_GETBKCOLOR, 0, 0)), listFill);
      EXPECT_EQ(g_app->fileList->dark, dark ? 1 : 0);
      EXPECT_EQ(BrushColour(reinterpret_cast<HBRUSH>(GetClassLongPtrW(g_app->fileList->window, GCLP_HBRBACKGROUND))),
                listFill);
      // Dark mode offers the appearance menu; its menus are the system's, which follow the dark mode.
      HMENU bar = GetMenu(window_);
      EXPECT_NE(GetMenuState(bar, IDM_DISPLAY_MENU, MF_BYCOMMAND), 0xFFFFFFFFu);
      EXPECT_EQ(OwnerDrawn(bar, 0), !dark);
    });
  }
};

using MainMenuInteractive = MainWindowTheme;

// What the menu timer does while the file menu is open: the first tick moves to the first item, the next ones
// take the picture and close the menu once the screen shows it, or at the deadline (a busy machine can take
// seconds to bring the highlight to the screen).
struct OpenMenu {
  HWND owner;
  HMENU menu;
  int ticks;
  ULONGLONG deadline;
  RECT area;  // the window and the menu, on the screen
  RECT items[2];
  WindowImage* image;
  COLORREF fill;    // of the menu
  COLORREF chosen;  // of the chosen item: the highlight blended into the fill
};

constexpr ULONGLONG kMenuOnScreenMs = 30000;

OpenMenu* g_openMenu = nullptr;

// The colour right of an item's text in the picture.
COLORREF ItemEnd(const OpenMenu& open, int item) {
  const RECT& rect = open.items[item];
  return open.image->At(rect.right - open.area.left - 4, (rect.top + rect.bottom) / 2 - open.area.top);
}

bool MenuOnScreen(const OpenMenu& open) { return ItemEnd(open, 0) == open.chosen && ItemEnd(open, 1) == open.fill; }

void CALLBACK OnMenuTimer(HWND window, UINT, UINT_PTR, DWORD) {
  OpenMenu& open = *g_openMenu;
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (open.ticks++ == 0) {
    PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    return;
  }
  RECT menu = {};
  GetWindowRect(popup, &menu);
  UnionRect(&open.area, &open.area, &menu);
  for (int i = 0; i < 2; ++i) GetMenuItemRect(nullptr, open.menu, static_cast<UINT>(i), &open.items[i]);
  delete open.image;
  open.image = new WindowImage(open.area.right - open.area.left, open.area.bottom - open.area.top);
  CaptureScreen(open.area, open.image);
  if (!MenuOnScreen(open) && GetTickCount64() < open.deadline) {
    // Under Wine the screen can show the main window over the open menu while the system's window order has
    // the menu on top; a change of that order stacks the menu on the screen anew.
    for (HWND place : {HWND_NOTOPMOST, HWND_TOPMOST}) {
      SetWindowPos(popup, place, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return;
  }
  KillTimer(window, kMenuTimer);
  EndMenu();
}

}  // namespace

TEST_F(MainMenuInteractive, OpensOwnerDrawnWithItsIconsAndTheChosenItemHighlighted) {
  ASSERT_TRUE(Start({L"alpha.txt"}, {"<Case,n,2>"}));
  OpenMenu open = {};
  Gui([&] {
    HMENU bar = GetMenu(window_);
    ASSERT_TRUE(OwnerDrawn(bar, 0));
    open.owner = window_;
    open.menu = GetSubMenu(bar, 0);
    open.fill = BrushColour(GetDialogBackgroundBrush());
    open.chosen = BlendColors(GetThemeColorByIndex(kSlotHighlight), open.fill, 5);
    GetWindowRect(window_, &open.area);
    RECT title = {};
    GetMenuItemRect(window_, bar, 0, &title);
    g_openMenu = &open;
    open.deadline = GetTickCount64() + kMenuOnScreenMs;
    SetForegroundWindow(window_);
    SetTimer(window_, kMenuTimer, 300, OnMenuTimer);
    TrackPopupMenuEx(open.menu, TPM_LEFTALIGN | TPM_TOPALIGN, title.left, title.bottom, window_, nullptr);
    g_openMenu = nullptr;
  });
  ASSERT_NE(open.image, nullptr);
  const std::unique_ptr<WindowImage> image(open.image);
  EXPECT_TRUE(image->SavePng(ArtifactPath(L"main_menu_open.png")));
  Gui([&] { EXPECT_TRUE(OwnerDrawn(open.menu, 0)); });
  // Right of the texts: the chosen first item on the blended highlight, the second on the menu fill.
  const COLORREF fill = open.fill;
  EXPECT_EQ(ItemEnd(open, 0), open.chosen);
  EXPECT_EQ(ItemEnd(open, 1), fill);
  const auto at = [&](const RECT& item, int dx, int dy) {
    return image->At(item.left - open.area.left + dx, item.top - open.area.top + dy);
  };
  const RECT& second = open.items[1];
  // The second item's icon stands on the fill in its icon column.
  bool iconDrawn = false;
  for (int y = 4; y < second.bottom - second.top - 4; ++y) {
    for (int x = 4; x < 16; ++x) iconDrawn |= at(second, x, y) != fill;
  }
  EXPECT_TRUE(iconDrawn);
}

TEST_F(MainWindowTheme, ADarkSystemRestartsTheWindowDarkAndLightAgainWithEveryCacheLight) {
  DarkThemeScope dark;
  ASSERT_TRUE(Start({L"alpha.txt"}, {"<Case,n,2>"}));
  HWND light = window_;
  HWND darkWindow = ChooseDisplayMode(IDM_DISPLAY_DARK);
  ASSERT_NE(darkWindow, nullptr);
  EXPECT_NE(darkWindow, light);
  ExpectLook(true);
  // The mode that is already stored changes nothing.
  EXPECT_EQ(ChooseDisplayMode(IDM_DISPLAY_DARK), darkWindow);
  Gui([] { EXPECT_EQ(g_app->restartCounter, 0); });
  HWND lightAgain = ChooseDisplayMode(IDM_DISPLAY_LIGHT);
  ASSERT_NE(lightAgain, nullptr);
  EXPECT_NE(lightAgain, darkWindow);
  ExpectLook(false);
  Gui([] { EXPECT_EQ(ProfileGetInt(&g_settingsStore, "QVRX", "DM", -1), 0); });
  Close();
}

TEST_F(MainWindowTheme, ASystemColourChangeReachesTheLists) {
  ASSERT_TRUE(Start({L"alpha.txt"}, {"<Case,n,2>"}));
  Gui([&] {
    for (const ItemListControl* list : {g_app->chainList, g_app->fileList}) {
      SendMessageW(list->window, LVM_SETBKCOLOR, 0, RGB(1, 2, 3));
      SendMessageW(list->window, LVM_SETTEXTCOLOR, 0, RGB(4, 5, 6));
    }
    SendMessageW(window_, WM_SYSCOLORCHANGE, 0, 0);
    for (const ItemListControl* list : {g_app->chainList, g_app->fileList}) {
      EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list->window, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));
      EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list->window, LVM_GETTEXTCOLOR, 0, 0)),
                GetSysColor(COLOR_WINDOWTEXT));
    }
  });
}
