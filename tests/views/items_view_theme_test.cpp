// The list's look beyond its rows: its window class background and its header follow the theme, light and dark
// (dark mode through the theme's fakes, as Wine has none), its header's items look as the system draws them, and
// the menus it owns are the program's owner-drawn ones.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include "foundation/core/app_state.h"
#include "foundation/win32/menus.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/theme_object.h"
#include "views/header_item_paint.h"
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
  EXPECT_EQ(HeaderDraw(list, CDDS_PREPAINT, image.Dc()), CDRF_NOTIFYITEMDRAW);
  EXPECT_EQ(HeaderDraw(list, CDDS_ITEMPREPAINT, image.Dc()), CDRF_DODEFAULT);
  EXPECT_EQ(GetTextColor(image.Dc()), dark ? FakeItemsViewColour(TMT_TEXTCOLOR) : kUntouched);
}

// The system's visual styles as the program's theme object for the scope, the one before it afterwards.
class SystemStylesInUse {
 public:
  SystemStylesInUse() : styles_(L"UxTheme.dll", kStyledVersionCode), previous_(g_theme) { g_theme = &styles_; }
  ~SystemStylesInUse() { g_theme = previous_; }
  SystemStylesInUse(const SystemStylesInUse&) = delete;
  SystemStylesInUse& operator=(const SystemStylesInUse&) = delete;
  bool Active() const { return styles_.IsThemeActive(kStyledVersionCode); }

 private:
  KTheme styles_;
  KTheme* previous_;
};

// A header as the system draws it, beside the list's: the same style, font, visual style and items.
HWND CopyHeader(HWND header, HWND parent) {
  RECT rect = {};
  GetClientRect(header, &rect);
  HWND copy = CreateWindowExW(0, WC_HEADERW, nullptr, static_cast<DWORD>(GetWindowLongPtrW(header, GWL_STYLE)), 0, 0,
                              rect.right, rect.bottom, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(copy, WM_SETFONT, SendMessageW(header, WM_GETFONT, 0, 0), FALSE);
  SetWindowTheme(copy, L"Explorer", nullptr);
  for (int i = 0; i < Header_GetItemCount(header); ++i) {
    wchar_t text[64] = {};
    HDITEMW item = {};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH | HDI_BITMAP;
    item.pszText = text;
    item.cchTextMax = 64;
    Header_GetItem(header, i, &item);
    Header_InsertItem(copy, i, &item);
  }
  return copy;
}

// A shown window's pixels as it painted them.
void ReadWindow(HWND window, WindowImage* image) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  BitBlt(image->Dc(), 0, 0, image->Width(), image->Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
}

int DifferentPixels(const WindowImage& a, const WindowImage& b) {
  int count = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) count += a.At(x, y) != b.At(x, y);
  }
  return count;
}

}  // namespace

// The list draws its header's items from backgrounds it keeps (the system's header draws each one anew, slowly
// under Wine) and the header paints through a bitmap: what shows must be what the system's header shows, and a
// background is drawn once per height and state, the narrower ones cut from it. The two headers are read back
// from the screen's windows, which another test's window must not cover.
TEST(ListThemeInteractive, HeaderItemsLookAsTheSystemDrawsThemAndEachBackgroundIsDrawnOnce) {
  SystemStylesInUse styles;
  if (!styles.Active()) GTEST_SKIP() << "no visual style is active";
  ListTestParent parent(400, 120);
  ItemListControl* list = parent.CreateList(1, 0, {{50, 140, 0, 0}, {51, 90, 1, 1}, {52, 40, 2, 0}});
  ASSERT_NE(list->header, nullptr);
  HBITMAP mark = CreateBitmap(8, 8, 1, 32, nullptr);
  struct Item {
    const wchar_t* text;
    int format;
    HBITMAP bitmap;
  } items[] = {{L"Name", HDF_STRING | HDF_BITMAP, mark},  // a bitmap before the caption, like the sort arrow
               {L"Size", HDF_STRING | HDF_RIGHT, nullptr},
               {L"Attributes", HDF_STRING, nullptr}};  // cut with an ellipsis
  HDC markDc = CreateCompatibleDC(nullptr);
  HGDIOBJ previousMark = SelectObject(markDc, mark);
  const RECT markRect = {0, 0, 8, 8};
  FillRect(markDc, &markRect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(markDc, previousMark);
  DeleteDC(markDc);
  for (int i = 0; i < 3; ++i) {
    HDITEMW item = {};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_BITMAP;
    item.pszText = const_cast<wchar_t*>(items[i].text);
    item.hbm = items[i].bitmap;
    item.fmt = items[i].format;
    Header_SetItem(list->header, i, &item);
  }
  RECT rect = {};
  GetClientRect(list->header, &rect);
  HWND systemParent = CreateWindowExW(WS_EX_NOACTIVATE, L"STATIC", nullptr, WS_POPUP, 20, 200, rect.right, rect.bottom,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND system = CopyHeader(list->header, systemParent);
  ShowWindow(system, SW_SHOWNA);
  ShowWindow(systemParent, SW_SHOWNA);
  ShowWindow(parent.Window(), SW_SHOWNA);
  WindowImage drawn(rect.right, rect.bottom);
  WindowImage expected(rect.right, rect.bottom);
  // The second paint draws the whole header from kept backgrounds, the third only a part of it (across an item
  // and the header's own background after the last), which the header paints through a bitmap of that part.
  const RECT part = {rect.right / 3, 2, rect.right - 20, rect.bottom - 1};
  for (int paint = 1; paint <= 3; ++paint) {
    SCOPED_TRACE(paint);
    InvalidateRect(list->header, paint == 3 ? &part : nullptr, TRUE);
    ReadWindow(list->header, &drawn);
    ReadWindow(system, &expected);
    EXPECT_EQ(DifferentPixels(drawn, expected), 0);
    EXPECT_EQ(HeaderBackgroundsDrawn(list->headerBackgrounds), 1);
  }
  EXPECT_EQ(drawn.At(12, rect.bottom / 2), RGB(0, 0, 0)) << "the bitmap is drawn";
  DestroyWindow(systemParent);
  DestroyWindow(parent.Window());
  DeleteObject(mark);
}

// A background cut from a wide one is what the visual style draws at that width, in every state, down to the
// widths where the part's edges meet and it is drawn whole; and cutting spares most of the drawing.
TEST(ListTheme, HeaderBackgroundsCutFromAWideOneAreWhatTheStyleDraws) {
  SystemStylesInUse styles;
  if (!styles.Active()) GTEST_SKIP() << "no visual style is active";
  HWND header = CreateWindowExW(0, WC_HEADERW, nullptr, WS_POPUP, 0, 0, 300, 24, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  HDITEMW item = {};
  item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH;
  item.pszText = const_cast<wchar_t*>(L"");
  item.fmt = HDF_STRING;
  item.cxy = 100;
  Header_InsertItem(header, 0, &item);
  HTHEME theme = OpenThemeData(header, L"Header");
  HeaderBackgrounds* backgrounds = nullptr;
  constexpr int kHeight = 23;
  const int widths[] = {2, 5, 9, 16, 40, 90, 255, 256, 300};
  const struct {
    UINT itemState;
    int state;
  } states[] = {{0, HIS_NORMAL}, {CDIS_HOT, HIS_HOT}, {CDIS_SELECTED, HIS_PRESSED}};
  for (const auto& state : states) {
    for (int width : widths) {
      SCOPED_TRACE(testing::Message() << "state " << state.state << ", width " << width);
      WindowImage drawn(width, kHeight);
      WindowImage expected(width, kHeight);
      const RECT rect = {0, 0, width, kHeight};
      NMCUSTOMDRAW draw = {{header, 0, static_cast<UINT>(NM_CUSTOMDRAW)}, CDDS_ITEMPREPAINT, drawn.Dc(), rect, 0,
                           state.itemState, 0};
      EXPECT_EQ(DrawHeaderItem(&backgrounds, &draw, RGB(0, 0, 0)), CDRF_SKIPDEFAULT);
      FillRect(expected.Dc(), &rect, GetThemeBrushByIndex(kSlotButtonFace));
      DrawThemeBackground(theme, expected.Dc(), HP_HEADERITEM, state.state, &rect, nullptr);
      EXPECT_EQ(DifferentPixels(drawn, expected), 0);
    }
  }
  EXPECT_LT(HeaderBackgroundsDrawn(backgrounds), static_cast<int>(std::size(states) * std::size(widths)) / 2);
  FreeHeaderBackgrounds(&backgrounds);
  CloseThemeData(theme);
  DestroyWindow(header);
}

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
