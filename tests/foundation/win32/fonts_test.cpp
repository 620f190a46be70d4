// The UI font with its fallbacks, and the font chooser answered by a watcher.
#include "foundation/win32/fonts.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/win32/theme.h"
#include "support/process_driver.h"
#include "support/test_window.h"

namespace {

LOGFONTW Describe(HFONT font) {
  LOGFONTW description = {};
  GetObjectW(font, sizeof description, &description);
  return description;
}

int CALLBACK TakeFirstTrueTypeFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
  if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == L'@') return 1;
  *reinterpret_cast<std::wstring*>(found) = font->lfFaceName;
  return 0;
}

// A face the chooser lists, so that it can preselect it.
std::wstring InstalledFace() {
  std::wstring face;
  LOGFONTW any = {};
  any.lfCharSet = DEFAULT_CHARSET;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &any, TakeFirstTrueTypeFamily, reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(nullptr, screen);
  return face;
}

int ScreenPixelsPerInch() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

TEST(Fonts, UiFontIsTheStockGuiFont) {
  HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW expected = Describe(stock);
  LOGFONTW description;
  HFONT held = nullptr;
  CreateUiFont(nullptr, &held, &description, false);
  EXPECT_EQ(held, stock);
  EXPECT_EQ(memcmp(&description, &expected, sizeof description), 0);

  LOGFONTW withoutHolder;
  CreateUiFont(nullptr, nullptr, &withoutHolder, false);
  EXPECT_EQ(memcmp(&withoutHolder, &expected, sizeof withoutHolder), 0);
  EXPECT_EQ(GetObjectType(stock), static_cast<DWORD>(OBJ_FONT));
}

TEST(Fonts, VisualStyleFontFallsBackToEightPointTahoma) {
  OwnedWindow window(CreateTestPopup(0, 0, 50, 50));
  LOGFONTW themed = {};
  bool hasThemeFont = GetThemeUiFont(window, &themed) && themed.lfHeight != 0;

  LOGFONTW description;
  HFONT held = nullptr;
  CreateUiFont(window, &held, &description, true);
  ASSERT_NE(held, nullptr);
  if (hasThemeFont) {
    EXPECT_EQ(description.lfHeight, themed.lfHeight);
    EXPECT_STREQ(description.lfFaceName, themed.lfFaceName);
  } else {
    EXPECT_EQ(description.lfHeight, -MulDiv(8, ScreenPixelsPerInch(), 72));
    EXPECT_STREQ(description.lfFaceName, L"Tahoma");
    EXPECT_EQ(description.lfWeight, 0);
    EXPECT_EQ(description.lfCharSet, 0);
  }
  LOGFONTW created = Describe(held);
  EXPECT_EQ(created.lfHeight, description.lfHeight);
  EXPECT_STREQ(created.lfFaceName, description.lfFaceName);
  EXPECT_NE(held, GetStockObject(DEFAULT_GUI_FONT));
  DeleteObject(held);

  // Neither holder nor description: nothing to hand out, and nothing breaks.
  CreateUiFont(window, nullptr, nullptr, true);
}

TEST(Fonts, ChooserCreatesTheAcceptedFontAndKeepsTheColour) {
  std::wstring face = InstalledFace();
  ASSERT_FALSE(face.empty());
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str());
  COLORREF color = RGB(0, 128, 0);
  HFONT chosen = nullptr;
  {
    DialogWatcher watcher(GetCurrentProcessId(), IDOK);
    chosen = RunChooseFontDialog(nullptr, font, &color, 0);
    EXPECT_EQ(watcher.Answered(), 1);
  }
  ASSERT_NE(chosen, nullptr);
  LOGFONTW description = Describe(chosen);
  EXPECT_EQ(description.lfWeight, FW_BOLD);
  EXPECT_STREQ(description.lfFaceName, face.c_str());
  EXPECT_EQ(color, RGB(0, 128, 0));
  DeleteObject(chosen);

  {
    DialogWatcher watcher(GetCurrentProcessId(), IDCANCEL);
    COLORREF untouched = RGB(1, 2, 3);
    EXPECT_EQ(RunChooseFontDialog(nullptr, font, &untouched, 0), nullptr);
    EXPECT_EQ(untouched, RGB(1, 2, 3));
  }
  DeleteObject(font);
}
