// The theme object and dark mode: what the system offers, the dark decision, the colour slots in both states
// and after switching back, the window treatment, and the visual-style names.
#include "foundation/win32/theme.h"

#include <gtest/gtest.h>
#include <vssym32.h>

#include "foundation/win32/module_images.h"
#include "foundation/win32/scroll_bar_theme.h"
#include "support/test_window.h"
#include "theme_fakes.h"

namespace {

struct SlotSourceCase {
  int slot;
  int darkProperty;  // 0: a fixed colour
  COLORREF darkFixed;
};

const SlotSourceCase kSlotCases[] = {
    {kSlotButtonHighlight, TMT_BTNHIGHLIGHT, 0},
    {kSlotButtonText, TMT_TEXTCOLOR, 0},
    {kSlotButtonFace, TMT_FILLCOLOR, 0},
    {kSlotButtonShadow, TMT_BTNSHADOW, 0},
    {kSlotDarkShadow, TMT_DKSHADOW3D, 0},
    {kSlotMenuText, TMT_TEXTCOLOR, 0},
    {kSlotWindow, TMT_FILLCOLOR, 0},
    {kSlotWindowFrame, TMT_TEXTCOLOR, 0},
    {kSlotWindowText, TMT_TEXTCOLOR, 0},
    {kSlotGrayText, TMT_GRAYTEXT, 0},
    {kSlotHighlight, TMT_HIGHLIGHT, 0},
    {kSlotHighlightText, TMT_HIGHLIGHTTEXT, 0},
    {kSlotInfoBackground, TMT_INFOBK, 0},
    {kSlotInfoText, TMT_INFOTEXT, 0},
    {kSlotActiveCaption, 0, RGB(0, 0, 0)},
    {kSlotCaptionText, 0, RGB(255, 255, 255)},
    {kSlotInactiveCaption, TMT_FILLCOLOR, 0},
    {kSlotInactiveCaptionText, 0, RGB(128, 128, 128)},
};

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

void ExpectLightEverywhere() {
  for (const SlotSourceCase& c : kSlotCases) {
    EXPECT_EQ(GetThemeColorByIndex(c.slot), GetSysColor(SystemColorOfSlot(c.slot))) << c.slot;
    EXPECT_EQ(GetThemeBrushByIndex(c.slot), GetSysColorBrush(SystemColorOfSlot(c.slot))) << c.slot;
  }
  EXPECT_EQ(GetDialogBackgroundBrush(), GetSysColorBrush(COLOR_BTNFACE));
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(HandleCtlColorDark(dc), nullptr);
  DeleteDC(dc);
}

}  // namespace

TEST(ThemeObject, UnderWineNoDarkModeEntryIsBoundAndTheProgramStaysLight) {
  if (!UnderWine()) GTEST_SKIP() << "the system may have dark mode; this checks Wine, which has none";
  DarkThemeScope system(false);
  // Wine gives ordinal 104 to a named function of its own; calling it as the dark-mode entry would be wrong.
  EXPECT_FALSE(IsExportedByOrdinalOnly(g_theme->ThemeLibrary(), kRefreshColorPolicyOrdinal));
  EXPECT_EQ(g_theme->Dark().refreshColorPolicy, nullptr);
  EXPECT_EQ(SetDarkModePreference(kAskDarkAvailable), 0);
  for (int mode : {kAppModeDefault, kAppModeAllowDark, kAppModeForceDark, kAppModeForceLight}) {
    EXPECT_EQ(SetDarkModePreference(mode), 0) << mode;
  }
  EXPECT_FALSE(g_theme->scrollBarHookInstalled);
  ExpectLightEverywhere();
}

TEST(DarkMode, TheModeTheSystemAndHighContrastDecideTheFlag) {
  struct Case {
    int mode;
    bool systemDark;
    bool highContrast;
    bool dark;
  };
  const Case cases[] = {
      {kAppModeAllowDark, true, false, true},   {kAppModeAllowDark, false, false, false},
      {kAppModeDefault, true, false, true},     {kAppModeForceDark, false, false, true},
      {kAppModeForceLight, true, false, false}, {kAppModeForceDark, true, true, false},
      {kAppModeAllowDark, true, true, false},
  };
  for (const Case& c : cases) {
    DarkThemeScope scope;
    g_fakeDark.systemDark = c.systemDark;
    g_fakeDark.highContrast = c.highContrast;
    EXPECT_EQ(SetDarkModePreference(c.mode), c.dark ? 1 : 0) << c.mode << c.systemDark << c.highContrast;
    EXPECT_EQ(IsDarkModeOn(), c.dark);
    EXPECT_EQ(SetDarkModePreference(kAskDarkFlag), c.dark ? 1 : 0);
    EXPECT_EQ(g_fakeDark.preferredMode, c.mode);
    EXPECT_EQ(g_fakeDark.refreshCalls, 1);
    EXPECT_EQ(SetDarkModePreference(kAskDarkAvailable), 1);
  }
  // The stored display modes: light forces light, the middle one follows the system.
  EXPECT_EQ(AppModeOfDisplayMode(0), kAppModeForceLight);
  EXPECT_EQ(AppModeOfDisplayMode(1), kAppModeAllowDark);
  EXPECT_EQ(AppModeOfDisplayMode(2), kAppModeForceDark);
}

TEST(DarkMode, SlotsTakeTheItemsViewColoursAndEveryCacheIsLightAgainAfterwards) {
  DarkThemeScope scope;
  g_fakeDark.systemDark = true;
  ASSERT_EQ(SetDarkModePreference(kAppModeAllowDark), 1);
  for (const SlotSourceCase& c : kSlotCases) {
    COLORREF expected = c.darkProperty ? FakeItemsViewColour(c.darkProperty) : c.darkFixed;
    // A property the class cannot give falls back to the slot's system colour.
    if (c.darkProperty == kUnreadableProperty) expected = GetSysColor(SystemColorOfSlot(c.slot));
    EXPECT_EQ(GetThemeColorByIndex(c.slot), expected) << c.slot;
    LOGBRUSH brush = {};
    ASSERT_TRUE(GetObjectW(GetThemeBrushByIndex(c.slot), sizeof brush, &brush)) << c.slot;
    EXPECT_EQ(brush.lbColor, expected) << c.slot;
  }
  EXPECT_EQ(GetDialogBackgroundBrush(), GetThemeBrushByIndex(kSlotButtonFace));
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(HandleCtlColorDark(dc), GetThemeBrushByIndex(kSlotButtonFace));
  EXPECT_EQ(GetTextColor(dc), FakeItemsViewColour(TMT_TEXTCOLOR));
  EXPECT_EQ(GetBkColor(dc), FakeItemsViewColour(TMT_FILLCOLOR));
  DeleteDC(dc);

  ASSERT_EQ(SetDarkModePreference(kAppModeForceLight), 0);
  ExpectLightEverywhere();
  // A window class still holding the dark background keeps a brush that is alive.
  g_fakeDark.systemDark = true;
  SetDarkModePreference(kAppModeForceDark);
  HBRUSH darkBackground = GetDialogBackgroundBrush();
  SetDarkModePreference(kAppModeForceLight);
  LOGBRUSH kept = {};
  EXPECT_TRUE(GetObjectW(darkBackground, sizeof kept, &kept));
}

TEST(DarkMode, WindowsAndTitleBarsFollowTheFlag) {
  DarkThemeScope scope;
  OwnedWindow window(CreateTestPopup(0, 0, 50, 50));
  for (bool dark : {true, false}) {
    SetDarkModePreference(dark ? kAppModeForceDark : kAppModeForceLight);
    ApplyWindowTheme(window);
    EXPECT_EQ(g_fakeDark.allowedWindow, window.get());
    EXPECT_EQ(g_fakeDark.allowed, dark);
    EXPECT_EQ(g_fakeDark.attribute, kUseDarkModeColorsAttribute);
    EXPECT_EQ(g_fakeDark.attributeValue, dark ? TRUE : FALSE);
  }
}

TEST(ScrollBarTheme, TheHookOpensTheDarkScrollBarOnlyWhileDarkAndNotPaused) {
  DarkThemeScope scope;
  // Under Wine the common controls do not import the opener by ordinal: nothing is patched and nothing claimed.
  if (UnderWine()) {
    SetDarkModePreference(kAppModeForceDark);
    EXPECT_FALSE(g_theme->scrollBarHookInstalled);
  }
  g_theme->scrollBarHookInstalled = true;
  struct Case {
    bool dark;
    bool paused;
    const wchar_t* classes;
    bool redirected;
  };
  const Case cases[] = {{true, false, L"scrollbar", true},
                        {true, false, L"Button", false},
                        {false, false, L"ScrollBar", false},
                        {true, true, L"ScrollBar", false}};
  for (const Case& c : cases) {
    SetDarkModePreference(c.dark ? kAppModeForceDark : kAppModeForceLight);
    SetScrollBarRedirection(!c.paused);
    OwnedWindow window(CreateTestPopup(0, 0, 10, 10));
    HTHEME theme = OpenThemeDataScrollBarHook(window, c.classes);
    EXPECT_STREQ(g_fakeDark.openedClasses, c.redirected ? L"Explorer::ScrollBar" : c.classes) << c.classes;
    EXPECT_EQ(g_fakeDark.openedWindow, c.redirected ? nullptr : window.get());
    if (theme) g_theme->CloseThemeData(theme);
  }
  EXPECT_FALSE(SetScrollBarRedirection(true));
  EXPECT_TRUE(SetScrollBarRedirection(false));
}
