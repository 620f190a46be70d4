#include "foundation/theme.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "foundation/windows_version.h"

namespace {

constexpr int kFirstThemedVersionCode = 14;
constexpr int kLastVersionWithoutThemeFont = 7;
constexpr int kAeroWizardContentPart = 3;

}  // namespace

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
