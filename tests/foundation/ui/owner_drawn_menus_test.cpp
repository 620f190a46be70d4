// Owner-drawn menus: what a pop-up and a menu bar measure into their items, the menu background, and the
// colours an item is drawn in, light and dark.
#include "foundation/ui/owner_drawn_menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/text/bounded_text.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/icons.h"
#include "foundation/win32/theme.h"
#include "theme_fakes.h"
#include "window_image.h"

namespace {

constexpr int kIconSize = 24;

MenuItemData Item(uint16_t id, const wchar_t* text, uint32_t flags = 0) {
  MenuItemData item = {};
  item.commandId = id;
  item.flags = flags;
  CopyWideBounded(text, item.text, 60);
  return item;
}

// The menu font on the screen's DC, as the menus measure with it.
struct MenuFont {
  MenuFont() : dc(GetDC(nullptr)) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font = CreateFontIndirectW(&metrics.lfMenuFont);
    previous = SelectObject(dc, font);
  }
  ~MenuFont() {
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
  }
  int Width(const wchar_t* text) const { return MeasureTextWidth(dc, text, -1); }
  int Height() const {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
  }
  HDC dc;
  HFONT font;
  HGDIOBJ previous;
};

UINT ItemType(HMENU menu, int position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return info.fType;
}

COLORREF MenuFill() {
  LOGBRUSH brush = {};
  GetObjectW(GetDialogBackgroundBrush(), sizeof brush, &brush);
  return brush.lbColor;
}

}  // namespace

TEST(OwnerDrawnMenus, APopupMeasuresOneHeightTheWidestLabelAndTheWidestAcceleratorModulo256) {
  DarkThemeScope theme(false);
  const MenuFont font;
  // An accelerator text wider than a byte can hold.
  const std::wstring longShortcut = L"Ctrl+" + std::wstring(45, L'W');
  ASSERT_GT(font.Width(longShortcut.c_str()), 255);
  for (const std::wstring& shortcut : {std::wstring(L"Ctrl+O"), longShortcut}) {
    MenuIconHelper helper = {CreateIconImageList(kIconSize, 0, kKeepBackground), nullptr, nullptr};
    std::vector<MenuItemData> items = {Item(1, (L"Open\t" + shortcut).c_str()), Item(0xFFFF, L""), Item(2, L"Save")};
    HMENU popup = CreatePopupMenu();
    AppendMenuItem(popup, 1, items[0].text, MFT_STRING, 0, reinterpret_cast<ULONG_PTR>(&items[0]), nullptr);
    AppendMenuItem(popup, 0xFFFF, nullptr, 0, 0, reinterpret_cast<ULONG_PTR>(&items[1]), nullptr);
    AppendMenuItem(popup, 2, items[2].text, MFT_STRING, 0, reinterpret_cast<ULONG_PTR>(&items[2]), nullptr);
    MakePopupMenuOwnerDrawn(&helper, popup);

    const int textHeight = font.Height();
    const uint32_t height = static_cast<uint32_t>(std::max(kIconSize, textHeight + 2) + 4);
    const uint32_t label = static_cast<uint32_t>(std::max(font.Width(L"Open"), font.Width(L"Save")));
    const uint32_t accelerator = static_cast<uint32_t>(font.Width(shortcut.c_str())) & 0xFF;
    for (int position = 0; position < 3; ++position) EXPECT_TRUE(ItemType(popup, position) & MFT_OWNERDRAW);
    EXPECT_EQ(items[1].measure, static_cast<uint32_t>(textHeight / 2 + 2));
    for (int i : {0, 2}) EXPECT_EQ(items[i].measure, label << 16 | accelerator << 8 | height) << i;

    MEASUREITEMSTRUCT measured = {};
    measured.CtlType = ODT_MENU;
    measured.itemData = reinterpret_cast<ULONG_PTR>(&items[0]);
    MeasureOwnerDrawnMenuItem(&helper, &measured);
    EXPECT_EQ(measured.itemWidth, accelerator + label + kIconSize + 26);
    EXPECT_EQ(measured.itemHeight, height);
    DestroyMenu(popup);
    DestroyMenuIconHelper(&helper);
  }
}

TEST(OwnerDrawnMenus, AMenuBarMeasuresTextItemsAndTakesTheMenuBackground) {
  DarkThemeScope theme(false);
  const MenuFont font;
  MenuItemData items[] = {Item(10, L"&File"), Item(11, L"&Edit")};
  HMENU bar = CreateMenu();
  for (MenuItemData& item : items) {
    AppendMenuItem(bar, item.commandId, item.text, MFT_STRING, 0, reinterpret_cast<ULONG_PTR>(&item), nullptr);
  }
  MenuIconHelper helper = {};
  MakeMenuOwnerDrawn(&helper, nullptr, bar);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(ItemType(bar, i) & MFT_OWNERDRAW);
    EXPECT_EQ(items[i].measure, static_cast<uint32_t>(font.Width(items[i].text)) << 16);
  }
  MENUINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = MIM_BACKGROUND;
  GetMenuInfo(bar, &info);
  EXPECT_EQ(info.hbrBack, GetDialogBackgroundBrush());
  DestroyMenu(bar);
}

TEST(OwnerDrawnMenus, ItemsAreDrawnInTheMenuFillTheBlendedHighlightAndTheShadowLightAndDark) {
  const uint16_t icons[] = {101, 101, 0};
  for (bool dark : {false, true}) {
    DarkThemeScope theme;
    SetDarkModePreference(dark ? kAppModeForceDark : kAppModeForceLight);
    MenuIconHelper helper = {};
    MenuIconsLoadImageList(&helper, GetModuleHandleW(nullptr), 0, icons, 16, false);
    const COLORREF fill = MenuFill();
    const COLORREF highlight = GetThemeColorByIndex(kSlotHighlight);
    const COLORREF shadow = GetThemeColorByIndex(kSlotButtonShadow);
    struct Case {
      MenuItemData item;
      UINT state;
      POINT sample;
      COLORREF expected;
    };
    const uint32_t popupMeasure = 40u << 16 | 24;
    const Case cases[] = {
        {Item(101, L"Open"), 0, {190, 12}, fill},
        {Item(101, L"Open"), ODS_SELECTED, {190, 12}, BlendColors(highlight, fill, 5)},
        {Item(101, L"Open"), ODS_SELECTED, {0, 12}, BlendColors(highlight, fill, 2)},
        {Item(0xFFFF, L"", MFT_SEPARATOR), 0, {60, 12}, shadow},
        {Item(0xFFFF, L"", MFT_SEPARATOR), 0, {10, 12}, fill},
        {Item(141, L"Name"), ODS_CHECKED, {1, 12}, BlendColors(highlight, fill, 1)},
        {Item(141, L"Name"), ODS_CHECKED | ODS_GRAYED, {2, 3}, BlendColors(shadow, fill, 4)},
        {Item(10, L"File"), ODS_HOTLIGHT, {0, 12}, BlendColors(highlight, fill, 3)},
        {Item(10, L"File"), ODS_HOTLIGHT, {2, 2}, BlendColors(highlight, fill, 7)},
        {Item(10, L"File"), ODS_HOTLIGHT | ODS_INACTIVE, {2, 2}, fill},
    };
    for (const Case& c : cases) {
      MenuItemData item = c.item;
      item.measure = item.commandId == 10 ? 0 : popupMeasure;
      WindowImage image(200, 24);
      DRAWITEMSTRUCT draw = {};
      draw.CtlType = ODT_MENU;
      draw.itemID = item.commandId;
      draw.itemState = c.state;
      draw.hDC = image.Dc();
      draw.rcItem = RECT{0, 0, 200, 24};
      draw.itemData = reinterpret_cast<ULONG_PTR>(&item);
      EXPECT_EQ(DrawOwnerDrawnMenuItem(&helper, &draw, nullptr), 1);
      EXPECT_EQ(image.At(c.sample.x, c.sample.y), c.expected)
          << dark << " " << item.commandId << " state " << c.state << " at " << c.sample.x << "," << c.sample.y;
      // The command's icon, or a check mark for a checked item without one.
      if (item.commandId == 101 || item.commandId == 141) {
        EXPECT_TRUE(image.AnyOtherThan(RECT{5, 6, 17, 18}, image.At(3, 20))) << item.commandId;
      }
    }
    // An item whose icon its owner gives: asked at the menu's icon size and drawn.
    MenuItemData owned = Item(32001, L"Window", kMenuItemIconFromOwner);
    owned.measure = popupMeasure;
    WindowImage image(200, 24);
    DRAWITEMSTRUCT draw = {
        ODT_MENU, 0, 32001, 0, 0, nullptr, image.Dc(), RECT{0, 0, 200, 24}, reinterpret_cast<ULONG_PTR>(&owned)};
    const MenuIconCallback callback = [](const MenuItemData* item, int size) {
      EXPECT_EQ(item->commandId, 32001);
      EXPECT_EQ(size, 16);
      return static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102), IMAGE_ICON, size, size, 0));
    };
    EXPECT_EQ(DrawOwnerDrawnMenuItem(&helper, &draw, callback), 1);
    EXPECT_TRUE(image.AnyOtherThan(RECT{5, 6, 17, 18}, fill));
    DRAWITEMSTRUCT withoutData = {};
    withoutData.CtlType = ODT_MENU;
    EXPECT_EQ(DrawOwnerDrawnMenuItem(&helper, &withoutData, nullptr), 0);
    DestroyMenuIconHelper(&helper);
  }
}
