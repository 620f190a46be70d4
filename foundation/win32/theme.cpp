#include "foundation/win32/theme.h"

#include <commctrl.h>
#include <vssym32.h>

#include "foundation/win32/gdi.h"
#include "foundation/win32/scroll_bar_theme.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kFirstThemeFontVersionCode = 8;
constexpr int kAeroWizardContentPart = 3;
constexpr int kCheckBoxSize = 16;

bool DarkAvailable() { return g_theme && g_theme->DarkAvailable(); }

bool DarkWanted(int mode, const DarkModeFunctions& dark) {
  if (dark.isHighContrastOn()) return false;
  if (mode == kAppModeForceDark) return true;
  if (mode == kAppModeForceLight) return false;
  return dark.shouldAppsUseDarkMode();
}

}  // namespace

int SetDarkModePreference(int mode) {
  if (!g_theme) return 0;
  if (mode == kAskDarkAvailable) return g_theme->DarkAvailable() ? 1 : 0;
  if (mode < kAppModeDefault || mode > kAppModeForceLight || !g_theme->DarkAvailable()) return IsDarkModeOn();
  const DarkModeFunctions& dark = g_theme->Dark();
  dark.setPreferredAppMode(mode);
  dark.refreshColorPolicy();
  g_theme->SetDark(DarkWanted(mode, dark));
  if (mode == kAppModeAllowDark || mode == kAppModeForceDark) InstallScrollBarThemeHook();
  return IsDarkModeOn();
}

bool IsDarkModeOn() { return g_theme && g_theme->IsDark(); }

int AppModeOfDisplayMode(int displayMode) {
  return displayMode == kAppModeAllowDark || displayMode == kAppModeForceDark ? displayMode : kAppModeForceLight;
}

void ApplyDarkModeToWindow(HWND window) {
  if (!window) return;
  if (DarkAvailable()) g_theme->Dark().allowDarkModeForWindow(window, IsDarkModeOn());
  SetDarkTitleBar(window);
  UpdateWindow(window);
}

void ApplyWindowTheme(HWND window) {
  ClearThemeColorCache();
  ApplyDarkModeToWindow(window);
}

void SetDarkTitleBar(HWND window) {
  if (!window || !DarkAvailable()) return;
  const DarkModeFunctions& dark = g_theme->Dark();
  BOOL value = IsDarkModeOn() && dark.isDarkModeAllowedForWindow(window) ? TRUE : FALSE;
  WindowCompositionAttributeData data = {kUseDarkModeColorsAttribute, &value, sizeof value};
  dark.setWindowCompositionAttribute(window, &data);
}

COLORREF GetThemeColorByIndex(int slot) {
  return g_theme ? g_theme->SlotColor(slot) : GetSysColor(SystemColorOfSlot(slot));
}

HBRUSH GetThemeBrushByIndex(int slot) {
  return g_theme ? g_theme->SlotBrush(slot) : GetSysColorBrush(SystemColorOfSlot(slot));
}

void ClearThemeColorCache() {
  if (g_theme) g_theme->ClearSlots();
}

HBRUSH GetDialogBackgroundBrush() { return GetThemeBrushByIndex(kSlotButtonFace); }

HBRUSH HandleCtlColorDark(HDC dc) {
  if (!IsDarkModeOn() || !dc) return nullptr;
  SetTextColor(dc, GetThemeColorByIndex(kSlotButtonText));
  SetBkColor(dc, GetThemeColorByIndex(kSlotButtonFace));
  return GetThemeBrushByIndex(kSlotButtonFace);
}

void ApplyDarkModeToHeader(HWND header) {
  ApplyDarkModeToWindow(header);
  SetWindowThemeIfSupported(header, L"ItemsView");
}

LRESULT DrawDarkHeaderItem(NMCUSTOMDRAW* draw, COLORREF text) {
  if (draw->dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->dwDrawStage == CDDS_ITEMPREPAINT) SetTextColor(draw->hdc, text);
  return CDRF_DODEFAULT;
}

HRESULT SetWindowThemeIfSupported(HWND window, const wchar_t* subApplicationName) {
  if (!g_theme || g_theme->VersionCode() < kFirstThemedVersionCode || !g_theme->Styles().setWindowTheme) return -1;
  return g_theme->Styles().setWindowTheme(window, subApplicationName, nullptr);
}

HRESULT SetExplorerTheme(HWND window) { return SetWindowThemeIfSupported(window, L"Explorer"); }

void DrawCheckBox(HWND window, HDC dc, const RECT& box, bool checked) {
  if (!dc) return;
  RECT square = {box.left, box.top, box.left + kCheckBoxSize, box.top + kCheckBoxSize};
  const OpenedTheme theme(window, L"BUTTON", kFirstThemedVersionCode);
  if (theme.Draw(dc, BP_CHECKBOX, checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, square)) return;
  InflateRect(&square, -1, -1);
  DrawFrameControl(dc, &square, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
}

bool GetThemeUiFont(HWND window, LOGFONTW* font) {
  const auto getFont = g_theme ? g_theme->Styles().getThemeFont : nullptr;
  const OpenedTheme theme(window, L"AEROWIZARD", kFirstThemeFontVersionCode);
  LOGFONTW themed;
  if (!font || !getFont || !theme ||
      FAILED(getFont(theme.Handle(), nullptr, kAeroWizardContentPart, 0, TMT_FONT, &themed))) {
    return false;
  }
  *font = themed;
  return true;
}

HFONT GetCachedUiFont() { return g_theme ? g_theme->UiFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int GetUiFontCellSize() {
  return g_theme ? g_theme->UiFontCellSize()
                 : static_cast<int>(GetFontCellSize(GetDesktopWindow(), GetCachedUiFont()) & 0xFFFF);
}

OpenedTheme::OpenedTheme(HWND window, const wchar_t* classList, int minimumVersionCode)
    : theme_(g_theme && g_theme->IsThemeActive(minimumVersionCode) ? g_theme->OpenThemeData(window, classList)
                                                                   : nullptr) {}

OpenedTheme::~OpenedTheme() {
  if (theme_) g_theme->CloseThemeData(theme_);
}

bool OpenedTheme::Draw(HDC dc, int part, int state, const RECT& rect) const {
  return theme_ && SUCCEEDED(g_theme->DrawThemeBackground(theme_, dc, part, state, &rect, nullptr));
}

bool OpenedTheme::SizingMargins(HDC dc, int part, int state, MARGINS* margins) const {
  const auto sizingMargins = g_theme ? g_theme->Styles().getThemeMargins : nullptr;
  return theme_ && sizingMargins &&
         SUCCEEDED(sizingMargins(theme_, dc, part, state, TMT_SIZINGMARGINS, nullptr, margins));
}

bool OpenedTheme::ContentRect(HDC dc, int part, int state, const RECT& rect, RECT* content) const {
  const auto contentRect = g_theme ? g_theme->Styles().getThemeBackgroundContentRect : nullptr;
  return theme_ && contentRect && SUCCEEDED(contentRect(theme_, dc, part, state, &rect, content));
}
