// The list's look beyond its rows: its window class background and its header follow the theme, light and dark
// (dark mode through the theme's fakes, as Wine has none), and the menus it owns are the program's owner-drawn
// ones.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <vssym32.h>

#include "foundation/core/app_state.h"
#include "foundation/win32/menus.h"
#include "foundation/win32/theme.h"
#include "list_test_parent.h"
#include "program_state_scope.h"
#include "theme_fakes.h"
#include "window_image.h"

namespace {

// A version code with visual styles, so that the windows are given their visual-style names.
constexpr int kStyledVersionCode = 21;
constexpr COLORREF kUntouched = RGB(1, 2, 3);

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH description = {};
  GetObjectW(brush, sizeof description, &description);
  return description.lbColor;
}

// The list's answer to its header's custom draw at a stage, and the text colour the header's DC has afterwards.
LRESULT HeaderDraw(const ItemListControl* list, DWORD stage, HDC dc) {
  NMCUSTOMDRAW draw = {{list->header, 0, static_cast<UINT>(NM_CUSTOMDRAW)}, stage, dc, {}, 0, 0, 0};
  return SendMessageW(list->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
}

bool OwnerDrawn(HMENU menu, int position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  return GetMenuItemInfoW(menu, position, TRUE, &info) && (info.fType & MFT_OWNERDRAW);
}

// The list's look in the theme's state: its dark flag, the class background, the header's visual style and
// its captions' colour, and dark mode allowed (for the header, the last window given it) only when dark.
void ExpectLook(const ItemListControl* list, bool dark) {
  EXPECT_EQ(list->dark, dark ? 1 : 0);
  const HBRUSH background = reinterpret_cast<HBRUSH>(GetClassLongPtrW(list->window, GCLP_HBRBACKGROUND));
  EXPECT_EQ(BrushColour(background), dark ? FakeItemsViewColour(TMT_FILLCOLOR) : GetSysColor(COLOR_WINDOW));
  EXPECT_STREQ(FakeWindowThemeOf(list->header), dark ? L"ItemsView" : L"Explorer");
  EXPECT_EQ(g_fakeDark.allowedWindow != nullptr && g_fakeDark.allowed, dark);

  WindowImage image(4, 4);
  SetTextColor(image.Dc(), kUntouched);
  EXPECT_EQ(HeaderDraw(list, CDDS_PREPAINT, image.Dc()), dark ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT);
  EXPECT_EQ(HeaderDraw(list, CDDS_ITEMPREPAINT, image.Dc()), CDRF_DODEFAULT);
  EXPECT_EQ(GetTextColor(image.Dc()), dark ? FakeItemsViewColour(TMT_TEXTCOLOR) : kUntouched);
}

}  // namespace

TEST(ListTheme, TheClassBackgroundTheHeaderAndItsCaptionsFollowTheThemeToDarkAndBack) {
  for (bool startsDark : {false, true}) {
    SCOPED_TRACE(startsDark ? "dark, then light" : "light, then dark");
    DarkThemeScope theme(true, kStyledVersionCode);
    SetDarkModePreference(startsDark ? kAppModeForceDark : kAppModeForceLight);
    ListTestParent parent(300, 200);
    ItemListControl* list = parent.CreateList(1, 0, {{50, 150, 0, 0}, {51, 100, 1, 0}});
    ASSERT_NE(list->header, nullptr);
    ExpectLook(list, startsDark);
    SetDarkModePreference(startsDark ? kAppModeForceLight : kAppModeForceDark);
    SendMessageW(list->window, WM_THEMECHANGED, 0, 0);
    ExpectLook(list, !startsDark);
  }
}

TEST(ListMenus, ThePopupsTheListOwnsAreMeasuredDrawnAndKeyedByTheProgram) {
  ProgramStateScope state;
  ListTestParent parent(300, 200);
  ItemListControl* list = parent.CreateList(1, 0, {{50, 150, 0, 0}});
  MenuItemData items[] = {{1, 0, 0, nullptr, L"&Open\tCtrl+O", nullptr}, {2, 0, 0, nullptr, L"&Save", nullptr}};
  struct Case {
    LPARAM popupParam;
    uint32_t options;
    bool ownerDrawn;
  };
  const Case cases[] = {
      {MAKELPARAM(0, TRUE), 0, false},  // the window menu stays the system's
      {0, kOptionSystemMenus, false},   // so do all menus when the options ask for the system's
      {0, 0, true},
  };
  for (const Case& c : cases) {
    HMENU popup = CreatePopupMenu();
    for (MenuItemData& item : items) {
      AppendMenuItem(popup, item.commandId, item.text, MFT_STRING, 0, reinterpret_cast<ULONG_PTR>(&item), nullptr);
    }
    state->options.Change(~0u, c.options);
    SendMessageW(list->window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), c.popupParam);
    EXPECT_EQ(OwnerDrawn(popup, 0) && OwnerDrawn(popup, 1), c.ownerDrawn) << c.popupParam << " " << c.options;
    EXPECT_EQ(SendMessageW(list->window, WM_MENUCHAR, MAKEWPARAM(L's', MF_POPUP), reinterpret_cast<LPARAM>(popup)),
              MAKELRESULT(1, MNC_EXECUTE));
    DestroyMenu(popup);
  }

  MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 1, 0, 0, reinterpret_cast<ULONG_PTR>(&items[0])};
  EXPECT_EQ(SendMessageW(list->window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), TRUE);
  EXPECT_EQ(measure.itemHeight, items[0].measure & 0xFF);
  EXPECT_GT(measure.itemWidth, items[0].measure >> 16);

  WindowImage image(200, 24);
  DRAWITEMSTRUCT draw = {
      ODT_MENU, 0, 2, 0, 0, nullptr, image.Dc(), RECT{0, 0, 200, 24}, reinterpret_cast<ULONG_PTR>(&items[1])};
  EXPECT_EQ(SendMessageW(list->window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), TRUE);
  EXPECT_EQ(image.At(195, 12), BrushColour(GetDialogBackgroundBrush()));
}
