#include "theme_fakes.h"

#include <vssym32.h>

#include <iterator>

FakeDarkSystem g_fakeDark;

namespace {

const HTHEME kFakeItemsView = reinterpret_cast<HTHEME>(static_cast<intptr_t>(0x7E57));

// The functions the fakes forward to for every other class.
VisualStyleFunctions g_real;

void WINAPI Refresh() { ++g_fakeDark.refreshCalls; }
bool WINAPI ShouldAppsUseDarkMode() { return g_fakeDark.systemDark; }
bool WINAPI AllowDarkModeForWindow(HWND window, bool allow) {
  g_fakeDark.allowedWindow = window;
  g_fakeDark.allowed = allow;
  return true;
}
int WINAPI SetPreferredAppMode(int mode) {
  const int previous = g_fakeDark.preferredMode;
  g_fakeDark.preferredMode = mode;
  return previous;
}
bool WINAPI IsDarkModeAllowedForWindow(HWND window) { return window == g_fakeDark.allowedWindow && g_fakeDark.allowed; }
BOOL WINAPI SetWindowCompositionAttribute(HWND, WindowCompositionAttributeData* data) {
  g_fakeDark.attribute = data->attribute;
  g_fakeDark.attributeValue = *static_cast<BOOL*>(data->data);
  return TRUE;
}
bool HighContrastOn() { return g_fakeDark.highContrast; }

HTHEME WINAPI FakeOpenThemeData(HWND window, LPCWSTR classList) {
  g_fakeDark.openedWindow = window;
  lstrcpynW(g_fakeDark.openedClasses, classList ? classList : L"", 64);
  if (classList && lstrcmpiW(classList, L"ItemsView") == 0) return kFakeItemsView;
  return g_real.openThemeData ? g_real.openThemeData(window, classList) : nullptr;
}
HRESULT WINAPI FakeCloseThemeData(HTHEME theme) {
  if (theme == kFakeItemsView) return S_OK;
  return g_real.closeThemeData ? g_real.closeThemeData(theme) : E_FAIL;
}
HRESULT WINAPI FakeGetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* colour) {
  if (theme != kFakeItemsView)
    return g_real.getThemeColor ? g_real.getThemeColor(theme, part, state, property, colour) : E_FAIL;
  if (property == kUnreadableProperty) return E_FAIL;
  *colour = FakeItemsViewColour(property);
  return S_OK;
}
HRESULT WINAPI FakeSetWindowTheme(HWND window, LPCWSTR name, LPCWSTR idList) {
  auto& record = g_fakeDark.themed[g_fakeDark.themedCount++ % kThemedWindowsKept];
  record.window = window;
  lstrcpynW(record.name, name ? name : L"", static_cast<int>(std::size(record.name)));
  return g_real.setWindowTheme ? g_real.setWindowTheme(window, name, idList) : S_OK;
}
}  // namespace

const wchar_t* FakeWindowThemeOf(HWND window) {
  const int kept = g_fakeDark.themedCount < kThemedWindowsKept ? g_fakeDark.themedCount : kThemedWindowsKept;
  for (int i = 1; i <= kept; ++i) {
    const auto& record = g_fakeDark.themed[(g_fakeDark.themedCount - i) % kThemedWindowsKept];
    if (record.window == window) return record.name;
  }
  return nullptr;
}

COLORREF FakeItemsViewColour(int property) {
  if (property == TMT_TEXTCOLOR) return RGB(228, 228, 228);
  if (property == TMT_FILLCOLOR) return RGB(32, 32, 40);
  // The system-colour properties: dark tones that differ from slot to slot.
  return RGB(property % 97, 40 + property % 31, 90 + property % 53);
}

DarkThemeScope::DarkThemeScope(bool available, int versionCode) : previous_(g_theme), own_(nullptr) {
  g_fakeDark = FakeDarkSystem{};
  g_fakeDark.preferredMode = -1;
  if (!g_theme || versionCode != 0) {
    own_ = new KTheme(L"UxTheme.dll", versionCode);
    g_theme = own_;
  }
  g_real = g_theme->Styles();
  VisualStyleFunctions styles = g_real;
  styles.openThemeData = FakeOpenThemeData;
  styles.closeThemeData = FakeCloseThemeData;
  styles.getThemeColor = FakeGetThemeColor;
  styles.setWindowTheme = FakeSetWindowTheme;
  const DarkModeFunctions dark = {Refresh,
                                  ShouldAppsUseDarkMode,
                                  AllowDarkModeForWindow,
                                  SetPreferredAppMode,
                                  IsDarkModeAllowedForWindow,
                                  SetWindowCompositionAttribute,
                                  HighContrastOn};
  g_theme->ReplaceFunctions(styles, available ? dark : g_theme->Dark());
}

DarkThemeScope::~DarkThemeScope() {
  if (own_) {
    delete own_;
    g_theme = previous_;
  } else {
    g_theme->RestoreBoundFunctions();
  }
}
