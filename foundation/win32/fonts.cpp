#include "foundation/win32/fonts.h"

#include <commdlg.h>

#include "foundation/text/bounded_text.h"
#include "foundation/win32/scroll_bar_theme.h"
#include "foundation/win32/theme.h"

static_assert(sizeof(CHOOSEFONTW) == 104, "the font chooser record is 104 bytes");

namespace {

constexpr int kFallbackPointSize = 8;
constexpr int kPointsPerInch = 72;
constexpr int kLargestChosenSize = 8192;

int PixelsPerInchY(HWND window) {
  HDC dc = GetDC(window);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(window, dc);
  return dpi;
}

void DescribeFallbackFont(HWND window, LOGFONTW* font) {
  ZeroMemory(font, sizeof *font);
  font->lfHeight = -MulDiv(kFallbackPointSize, PixelsPerInchY(window), kPointsPerInch);
  CopyWideString(L"Tahoma", font->lfFaceName, LF_FACESIZE);
}

// The stock GUI font into the description and the holder; false when the system has none.
bool TakeStockFont(HFONT* holder, LOGFONTW* font) {
  HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!stock) return false;
  if (GetObjectW(stock, sizeof *font, font) != sizeof *font) ZeroMemory(font, sizeof *font);
  if (holder) {
    *holder = stock;
  } else {
    DeleteObject(stock);
  }
  return true;
}

}  // namespace

void CreateUiFont(HWND window, HFONT* holder, LOGFONTW* font, bool themeFont) {
  LOGFONTW local;
  LOGFONTW* description = font ? font : &local;
  ZeroMemory(description, sizeof *description);
  if (themeFont) {
    GetThemeUiFont(window, description);
  } else if (TakeStockFont(holder, description)) {
    return;
  }
  if (description->lfHeight == 0) DescribeFallbackFont(window, description);
  if (holder && description->lfHeight != 0) *holder = CreateFontIndirectW(description);
}

HFONT RunChooseFontDialog(HWND owner, HFONT font, COLORREF* color, DWORD extraFlags) {
  LOGFONTW description = {};
  if (!font || GetObjectW(font, sizeof description, &description) != sizeof description) {
    ZeroMemory(&description, sizeof description);
  }
  CHOOSEFONTW chooser = {};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpLogFont = &description;
  chooser.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | extraFlags;
  if (color) {
    chooser.Flags |= CF_EFFECTS;
    chooser.rgbColors = *color;
  }
  chooser.nSizeMax = kLargestChosenSize;
  // The font list's scroll bars are the system's own while the chooser is open.
  const bool redirected = SetScrollBarRedirection(false);
  BOOL chosen = ChooseFontW(&chooser);
  if (redirected) SetScrollBarRedirection(true);
  if (!chosen) return nullptr;
  if (color) *color = chooser.rgbColors;
  return CreateFontIndirectW(&description);
}
