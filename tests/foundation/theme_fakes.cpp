#include "theme_fakes.h"

#include <vssym32.h>

FakeDarkSystem g_fakeDark;

namespace {

constexpr wchar_t kThemeNameProperty[] = L"FakeWindowTheme";
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
// The name is kept as a global atom in a property of the window.
HRESULT WINAPI FakeSetWindowTheme(HWND window, LPCWSTR name, LPCWSTR idList) {
  SetPropW(window, kThemeNameProperty,
           reinterpret_cast<HANDLE>(static_cast<uintptr_t>(name ? GlobalAddAtomW(name) : 0)));
  return g_real.setWindowTheme ? g_real.setWindowTheme(window, name, idList) : S_OK;
}
}  // namespace

const wchar_t* FakeWindowThemeOf(HWND window) {
  static wchar_t name[32];
  const auto atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(GetPropW(window, kThemeNameProperty)));
  return atom && GlobalGetAtomNameW(atom, name, 32) ? name : nullptr;
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
