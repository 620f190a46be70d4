// The theme object: the process-wide holder of what the program's look depends on. It binds the visual-style
// functions of UxTheme and three window functions of user32 by name (older systems lack some of them), and
// UxTheme's undocumented dark-mode entries by ordinal only where the system has them; it keeps the dark flag
// and the colour slots the program paints with, and the UI font of the owner-drawn controls. One object lives
// for the whole process; it is built last at start and destroyed first at exit. Without it the program draws
// in the system's colours without visual styles.
#pragma once
#include <windows.h>
#include <uxtheme.h>

#include <cstdint>

#include "foundation/win32/platform_declarations.h"

// The visual-style functions, looked up by name; each may be null.
struct VisualStyleFunctions {
  decltype(&::OpenThemeData) openThemeData;
  decltype(&::CloseThemeData) closeThemeData;
  decltype(&::GetThemeFont) getThemeFont;
  decltype(&::GetThemeColor) getThemeColor;
  decltype(&::DrawThemeBackground) drawThemeBackground;
  decltype(&::GetThemeBackgroundContentRect) getThemeBackgroundContentRect;
  decltype(&::GetThemeMargins) getThemeMargins;
  decltype(&::IsThemeActive) isThemeActive;
  decltype(&::SetWindowTheme) setWindowTheme;
};

// What dark mode needs: UxTheme's five ordinal entries, user32's SetWindowCompositionAttribute, and the
// high-contrast question (which a test answers for the system). Dark mode is available only when all are there.
struct DarkModeFunctions {
  RefreshColorPolicyFunction refreshColorPolicy;                  // ordinal 104
  ShouldAppsUseDarkModeFunction shouldAppsUseDarkMode;            // ordinal 132
  AllowDarkModeForWindowFunction allowDarkModeForWindow;          // ordinal 133
  SetPreferredAppModeFunction setPreferredAppMode;                // ordinal 135
  IsDarkModeAllowedForWindowFunction isDarkModeAllowedForWindow;  // ordinal 137
  SetWindowCompositionAttributeFunction setWindowCompositionAttribute;
  bool (*isHighContrastOn)();
};

// The colour slots of the program's own painting; each is a system colour, or in dark mode a colour of the
// visual-style class "ItemsView" (or a fixed one).
enum ThemeSlot : int {
  kSlotButtonHighlight,
  kSlotButtonText,
  kSlotButtonFace,
  kSlotButtonShadow,
  kSlotDarkShadow,
  kSlotMenuText,
  kSlotWindow,
  kSlotWindowFrame,
  kSlotWindowText,
  kSlotGrayText,
  kSlotHighlight,
  kSlotHighlightText,
  kSlotInfoBackground,
  kSlotInfoText,
  kSlotActiveCaption,
  kSlotCaptionText,
  kSlotInactiveCaption,
  kSlotInactiveCaptionText,
  kThemeSlotCount
};

// The system colour (COLOR_...) a slot has outside dark mode.
int SystemColorOfSlot(int slot);

// Dark-mode entries exist from this Windows build on.
constexpr uint32_t kFirstDarkModeBuild = 18362;

class KTheme {
 public:
  // Binds the functions of the named visual-style library (a missing one leaves them all null). The version
  // code is the system's unless one is given.
  explicit KTheme(const wchar_t* themeLibraryName = L"UxTheme.dll", int versionCode = 0);
  virtual ~KTheme();
  KTheme(const KTheme&) = delete;
  KTheme& operator=(const KTheme&) = delete;

  int VersionCode() const { return versionCode_; }
  HMODULE ThemeLibrary() const { return themeLibrary_; }
  HMODULE WindowLibrary() const { return windowLibrary_; }
  const VisualStyleFunctions& Styles() const { return styles_; }
  const DarkModeFunctions& Dark() const { return dark_; }

  // The bound function, or E_FAIL (null for OpenThemeData) when it is missing.
  HTHEME OpenThemeData(HWND window, const wchar_t* classList) const;
  HRESULT CloseThemeData(HTHEME theme) const;
  HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip) const;
  // True when the function is bound, the version code is at least the given one and visual styles are active.
  bool IsThemeActive(int minimumVersionCode) const;

  // user32's functions, looked up by name; each may be null.
  decltype(&::TrackMouseEvent) trackMouseEvent = nullptr;
  decltype(&::SetMenuInfo) setMenuInfo = nullptr;

  bool DarkAvailable() const { return darkAvailable_; }
  bool IsDark() const { return darkFlag_; }
  // A new dark flag empties the colour slots, so that nothing of the other state is painted again.
  void SetDark(bool dark);

  // The slot's colour and brush, read on first use.
  COLORREF SlotColor(int slot);
  HBRUSH SlotBrush(int slot);
  void ClearSlots();

  // The UI font of the owner-drawn controls and its cell height, created on first use.
  HFONT UiFont();
  int UiFontCellSize();

  // The scroll-bar redirection: installed once, paused while a dialog with the system's scroll bars is open.
  bool scrollBarHookInstalled = false;
  bool scrollBarRedirectionPaused = false;

  // Tests put tables of their own in place of the bound ones (dark availability follows them), and the bound
  // ones back.
  void ReplaceFunctions(const VisualStyleFunctions& styles, const DarkModeFunctions& dark);
  void RestoreBoundFunctions();

 private:
  struct Slot {
    COLORREF color;
    HBRUSH brush;
    bool filled;
  };
  // Brushes of colours the system has no brush for, one per colour; they live until the object goes, as
  // window classes keep using a brush after the slots are emptied.
  static constexpr int kBrushPoolSize = 48;
  struct PooledBrush {
    COLORREF color;
    HBRUSH brush;
  };

  void BindDarkModeFunctions();
  void FillSlot(int slot);
  bool ReadItemsViewColor(int property, COLORREF* color) const;
  HBRUSH BrushOfColor(COLORREF color);

  int versionCode_;
  HMODULE themeLibrary_;   // UxTheme.dll, or null
  HMODULE windowLibrary_;  // user32.dll, or null
  VisualStyleFunctions styles_;
  DarkModeFunctions dark_;
  VisualStyleFunctions boundStyles_;
  DarkModeFunctions boundDark_;
  bool darkAvailable_ = false;
  bool darkFlag_ = false;
  Slot slots_[kThemeSlotCount] = {};
  PooledBrush brushes_[kBrushPoolSize] = {};
  int brushCount_ = 0;
  HFONT uiFont_ = nullptr;
  uint16_t uiFontCellSize_ = 0;
};

// The program's one theme object; null before start-up has built it and after exit has destroyed it.
extern KTheme* g_theme;

// Builds g_theme; false when there was no memory for it.
bool ConstructThemeObject();
// Destroys g_theme, which frees both libraries, the brushes and the font.
void DestroyThemeObject();
