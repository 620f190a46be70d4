#include "foundation/theme.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "foundation/windows_version.h"

namespace {

constexpr int kFirstThemedVersionCode = 14;
constexpr int kLastVersionWithoutThemeFont = 7;
constexpr int kAeroWizardContentPart = 3;
constexpr int kCheckBoxSize = 16;

}  // namespace

COLORREF GetThemeColorByIndex(int index) { return GetSysColor(index); }

void DrawCheckBox(HWND window, HDC dc, const RECT& box, bool checked) {
  if (!dc) return;
  RECT square = {box.left, box.top, box.left + kCheckBoxSize, box.top + kCheckBoxSize};
  HTHEME theme = IsThemeActive() ? OpenThemeData(window, L"BUTTON") : nullptr;
  if (theme) {
    DrawThemeBackground(theme, dc, BP_CHECKBOX, checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &square, nullptr);
    CloseThemeData(theme);
    return;
  }
  InflateRect(&square, -1, -1);
  DrawFrameControl(dc, &square, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
}

HBRUSH GetDialogBackgroundBrush() { return GetSysColorBrush(COLOR_BTNFACE); }

bool IsDarkModeOn() { return false; }

void ApplyDarkModeToWindow(HWND window) {
  if (window) UpdateWindow(window);
}

HRESULT SetWindowThemeIfSupported(HWND window, const wchar_t* subApplicationName) {
  if (GetWindowsVersionCodeCached() < kFirstThemedVersionCode) return -1;
  return SetWindowTheme(window, subApplicationName, nullptr);
}

bool GetThemeUiFont(HWND window, LOGFONTW* font) {
  if (!font || GetWindowsVersionCodeCached() <= kLastVersionWithoutThemeFont || !IsThemeActive()) return false;
  HTHEME theme = OpenThemeData(window, L"AEROWIZARD");
  if (!theme) return false;
  LOGFONTW themed;
  bool found = SUCCEEDED(GetThemeFont(theme, nullptr, kAeroWizardContentPart, 0, TMT_FONT, &themed));
  CloseThemeData(theme);
  if (found) *font = themed;
  return found;
}

bool SetScrollBarRedirection(bool) { return false; }
