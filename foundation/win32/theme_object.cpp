#include "foundation/win32/theme_object.h"

#include <vssym32.h>

#include <initializer_list>
#include <new>

#include "foundation/core/windows_version.h"
#include "foundation/win32/fonts.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/module_images.h"
#include "foundation/win32/system_functions.h"

KTheme* g_theme = nullptr;

namespace {

constexpr wchar_t kItemsViewClass[] = L"ItemsView";

// Where a slot's colour comes from: in dark mode an "ItemsView" property, or a fixed colour where the
// property is 0; otherwise a system colour.
struct SlotSource {
  int darkProperty;
  COLORREF darkFixed;
  int systemIndex;
};

constexpr SlotSource kSlotSources[kThemeSlotCount] = {
    {TMT_BTNHIGHLIGHT, 0, COLOR_BTNHIGHLIGHT},
    {TMT_TEXTCOLOR, 0, COLOR_BTNTEXT},
    {TMT_FILLCOLOR, 0, COLOR_BTNFACE},
    {TMT_BTNSHADOW, 0, COLOR_BTNSHADOW},
    {TMT_DKSHADOW3D, 0, COLOR_3DDKSHADOW},
    {TMT_TEXTCOLOR, 0, COLOR_MENUTEXT},
    {TMT_FILLCOLOR, 0, COLOR_WINDOW},
    {TMT_TEXTCOLOR, 0, COLOR_WINDOWFRAME},
    {TMT_TEXTCOLOR, 0, COLOR_WINDOWTEXT},
    {TMT_GRAYTEXT, 0, COLOR_GRAYTEXT},
    {TMT_HIGHLIGHT, 0, COLOR_HIGHLIGHT},
    {TMT_HIGHLIGHTTEXT, 0, COLOR_HIGHLIGHTTEXT},
    {TMT_INFOBK, 0, COLOR_INFOBK},
    {TMT_INFOTEXT, 0, COLOR_INFOTEXT},
    {0, RGB(0, 0, 0), COLOR_ACTIVECAPTION},
    {0, RGB(255, 255, 255), COLOR_CAPTIONTEXT},
    {TMT_FILLCOLOR, 0, COLOR_INACTIVECAPTION},
    {0, RGB(128, 128, 128), COLOR_INACTIVECAPTIONTEXT},
};

// Through the generic function type, which converts to any other without a warning.
template <typename Function>
void Bind(HMODULE module, const char* name, Function* slot) {
  *slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddressSafe(module, name)));
}

template <typename Function>
void BindOrdinal(HMODULE module, WORD ordinal, Function* slot) {
  Bind(module, MAKEINTRESOURCEA(ordinal), slot);
}

VisualStyleFunctions BindVisualStyles(HMODULE library) {
  VisualStyleFunctions styles = {};
  Bind(library, "OpenThemeData", &styles.openThemeData);
  Bind(library, "CloseThemeData", &styles.closeThemeData);
  Bind(library, "GetThemeFont", &styles.getThemeFont);
  Bind(library, "GetThemeColor", &styles.getThemeColor);
  Bind(library, "DrawThemeBackground", &styles.drawThemeBackground);
  Bind(library, "GetThemeBackgroundContentRect", &styles.getThemeBackgroundContentRect);
  Bind(library, "GetThemeMargins", &styles.getThemeMargins);
  Bind(library, "IsThemeActive", &styles.isThemeActive);
  Bind(library, "SetWindowTheme", &styles.setWindowTheme);
  return styles;
}

bool SystemHighContrastOn() {
  HIGHCONTRASTW contrast = {};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// A system whose library has another (named) function at one of the ordinals does not have the dark-mode
// entry there; calling it would call that function with the wrong arguments.
bool HasDarkModeOrdinals(HMODULE library) {
  for (WORD ordinal : {kRefreshColorPolicyOrdinal, kShouldAppsUseDarkModeOrdinal, kAllowDarkModeForWindowOrdinal,
                       kSetPreferredAppModeOrdinal, kIsDarkModeAllowedForWindowOrdinal}) {
    if (!IsExportedByOrdinalOnly(library, ordinal)) return false;
  }
  return true;
}

bool AllPresent(const DarkModeFunctions& dark) {
  return dark.refreshColorPolicy && dark.shouldAppsUseDarkMode && dark.allowDarkModeForWindow &&
         dark.setPreferredAppMode && dark.isDarkModeAllowedForWindow && dark.setWindowCompositionAttribute &&
         dark.isHighContrastOn;
}

}  // namespace

int SystemColorOfSlot(int slot) {
  return slot >= 0 && slot < kThemeSlotCount ? kSlotSources[slot].systemIndex : COLOR_WINDOW;
}

static_assert(sizeof(HIGHCONTRASTW) == 16, "the high-contrast record is 16 bytes");

KTheme::KTheme(const wchar_t* themeLibraryName, int versionCode)
    : versionCode_(versionCode != 0 ? versionCode : GetWindowsVersionCodeCached()),
      themeLibrary_(LoadLibraryQuiet(themeLibraryName)),
      windowLibrary_(LoadLibraryQuiet(L"user32.dll")),
      styles_(BindVisualStyles(themeLibrary_)),
      dark_() {
  Bind(windowLibrary_, "TrackMouseEvent", &trackMouseEvent);
  Bind(windowLibrary_, "SetMenuInfo", &setMenuInfo);
  BindDarkModeFunctions();
  boundStyles_ = styles_;
  boundDark_ = dark_;
}

KTheme::~KTheme() {
  for (int i = 0; i < brushCount_; ++i) DeleteObject(brushes_[i].brush);
  if (uiFont_) DeleteObject(uiFont_);
  if (themeLibrary_) FreeLibrary(themeLibrary_);
  if (windowLibrary_) FreeLibrary(windowLibrary_);
}

void KTheme::BindDarkModeFunctions() {
  dark_.isHighContrastOn = SystemHighContrastOn;
  Bind(windowLibrary_, "SetWindowCompositionAttribute", &dark_.setWindowCompositionAttribute);
  if (GetWindowsBuildNumber() >= kFirstDarkModeBuild && HasDarkModeOrdinals(themeLibrary_)) {
    BindOrdinal(themeLibrary_, kRefreshColorPolicyOrdinal, &dark_.refreshColorPolicy);
    BindOrdinal(themeLibrary_, kShouldAppsUseDarkModeOrdinal, &dark_.shouldAppsUseDarkMode);
    BindOrdinal(themeLibrary_, kAllowDarkModeForWindowOrdinal, &dark_.allowDarkModeForWindow);
    BindOrdinal(themeLibrary_, kSetPreferredAppModeOrdinal, &dark_.setPreferredAppMode);
    BindOrdinal(themeLibrary_, kIsDarkModeAllowedForWindowOrdinal, &dark_.isDarkModeAllowedForWindow);
  }
  darkAvailable_ = AllPresent(dark_);
}

HTHEME KTheme::OpenThemeData(HWND window, const wchar_t* classList) const {
  return styles_.openThemeData ? styles_.openThemeData(window, classList) : nullptr;
}

HRESULT KTheme::CloseThemeData(HTHEME theme) const {
  return styles_.closeThemeData ? styles_.closeThemeData(theme) : E_FAIL;
}

HRESULT KTheme::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                    const RECT* clip) const {
  return styles_.drawThemeBackground ? styles_.drawThemeBackground(theme, dc, part, state, rect, clip) : E_FAIL;
}

bool KTheme::IsThemeActive(int minimumVersionCode) const {
  return styles_.isThemeActive && versionCode_ >= minimumVersionCode && styles_.isThemeActive();
}

void KTheme::SetDark(bool dark) {
  if (dark == darkFlag_) return;
  darkFlag_ = dark;
  ClearSlots();
}

COLORREF KTheme::SlotColor(int slot) {
  if (slot < 0 || slot >= kThemeSlotCount) return GetSysColor(SystemColorOfSlot(slot));
  if (!slots_[slot].filled) FillSlot(slot);
  return slots_[slot].color;
}

HBRUSH KTheme::SlotBrush(int slot) {
  if (slot < 0 || slot >= kThemeSlotCount) return GetSysColorBrush(SystemColorOfSlot(slot));
  if (!slots_[slot].filled) FillSlot(slot);
  return slots_[slot].brush;
}

void KTheme::ClearSlots() {
  for (Slot& slot : slots_) slot = Slot{};
}

bool KTheme::ReadItemsViewColor(int property, COLORREF* color) const {
  HTHEME theme = OpenThemeData(nullptr, kItemsViewClass);
  if (!theme) return false;
  const bool read = styles_.getThemeColor && SUCCEEDED(styles_.getThemeColor(theme, 0, 0, property, color));
  CloseThemeData(theme);
  return read;
}

void KTheme::FillSlot(int slot) {
  const SlotSource& source = kSlotSources[slot];
  COLORREF color = source.darkFixed;
  const bool dark = darkFlag_ && (source.darkProperty == 0 || ReadItemsViewColor(source.darkProperty, &color));
  if (dark) {
    slots_[slot] = Slot{color, BrushOfColor(color), true};
  } else {
    slots_[slot] = Slot{GetSysColor(source.systemIndex), GetSysColorBrush(source.systemIndex), true};
  }
  // A full pool leaves the system's brush in the slot rather than none.
  if (!slots_[slot].brush) slots_[slot].brush = GetSysColorBrush(source.systemIndex);
}

HBRUSH KTheme::BrushOfColor(COLORREF color) {
  for (int i = 0; i < brushCount_; ++i) {
    if (brushes_[i].color == color) return brushes_[i].brush;
  }
  if (brushCount_ == kBrushPoolSize) return nullptr;
  HBRUSH brush = CreateSolidBrush(color);
  if (brush) brushes_[brushCount_++] = PooledBrush{color, brush};
  return brush;
}

HFONT KTheme::UiFont() {
  if (!uiFont_) {
    CreateUiFont(nullptr, &uiFont_, nullptr, true);
    uiFontCellSize_ = static_cast<uint16_t>(GetFontCellSize(GetDesktopWindow(), uiFont_) & 0xFFFF);
  }
  return uiFont_;
}

int KTheme::UiFontCellSize() {
  UiFont();
  return uiFontCellSize_;
}

void KTheme::ReplaceFunctions(const VisualStyleFunctions& styles, const DarkModeFunctions& dark) {
  styles_ = styles;
  dark_ = dark;
  darkAvailable_ = AllPresent(dark_);
  ClearSlots();
}

void KTheme::RestoreBoundFunctions() {
  styles_ = boundStyles_;
  dark_ = boundDark_;
  darkAvailable_ = AllPresent(dark_);
  darkFlag_ = false;
  ClearSlots();
}

bool ConstructThemeObject() {
  if (!g_theme) g_theme = new (std::nothrow) KTheme();
  return g_theme != nullptr;
}

void DestroyThemeObject() {
  delete g_theme;
  g_theme = nullptr;
}
