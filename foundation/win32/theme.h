// The program's look as its windows and dialogs ask for it, through the theme object (theme_object.h): the dark
// flag and how it is decided, the colour slots and brushes, dark title bars, windows and list views, the answer
// to the dialogs' WM_CTLCOLOR* messages, visual-style names of windows, the themed check box and the UI font.
// Without the theme object everything is drawn in the system's colours without visual styles.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include "foundation/win32/theme_object.h"

// The first Windows version code (the theme object's) whose windows take visual-style names.
constexpr int kFirstThemedVersionCode = 14;

// The modes of SetDarkModePreference: the preferred application modes of the system, then two questions.
constexpr int kAppModeDefault = 0;
constexpr int kAppModeAllowDark = 1;  // follow the system
constexpr int kAppModeForceDark = 2;
constexpr int kAppModeForceLight = 3;
constexpr int kAskDarkFlag = 4;
constexpr int kAskDarkAvailable = 5;

// Modes 0 to 3 hand the preferred mode to the system and decide the dark flag: never with high contrast on,
// always for mode 2, never for mode 3, and for modes 0 and 1 as the system asks applications; modes 1 and 2
// install the scroll-bar redirection. Without dark mode the flag stays false. Mode 4 only returns the flag,
// mode 5 whether dark mode is available. The result is the flag (or the availability).
int SetDarkModePreference(int mode);
bool IsDarkModeOn();
// The preferred mode of the user's display mode: 0 light forces light, 1 follows the system, 2 forces dark.
int AppModeOfDisplayMode(int displayMode);

// Allows or denies dark mode for the window by the dark flag, sets its title bar and updates it.
void ApplyDarkModeToWindow(HWND window);
// The same after emptying the colour slots; every dialog calls it when it opens.
void ApplyWindowTheme(HWND window);
// The dark title bar (composition attribute 26, value 1) when dark mode is allowed for the window and the
// program runs dark; else the normal one (value 0). Nothing without dark mode.
void SetDarkTitleBar(HWND window);

// The cached colour and brush of a slot (ThemeSlot); the brushes belong to the system or the theme object.
COLORREF GetThemeColorByIndex(int slot);
HBRUSH GetThemeBrushByIndex(int slot);
// Empties the slots; they are read again on next use. A change of the dark flag empties them too.
void ClearThemeColorCache();

// The class background of the program's windows and the dialogs' background: the button-face slot (the
// "ItemsView" fill colour in dark mode, else the system's COLOR_BTNFACE brush).
HBRUSH GetDialogBackgroundBrush();
// The answer to WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORDLG and WM_CTLCOLORSTATIC: in dark mode the
// DC gets the dark text and fill colours and the fill brush is returned; otherwise null (default handling).
HBRUSH HandleCtlColorDark(HDC dc);

// A header in dark mode: dark mode allowed for it, and the "ItemsView" visual style, whose header is dark.
void ApplyDarkModeToHeader(HWND header);
// The answer to a dark header's NM_CUSTOMDRAW: its items are announced, and each caption takes the text colour
// (the dark visual style leaves them light).
LRESULT DrawDarkHeaderItem(NMCUSTOMDRAW* draw, COLORREF text);

// SetWindowTheme with the sub-application name and no id list on version codes from 14 on; else -1.
HRESULT SetWindowThemeIfSupported(HWND window, const wchar_t* subApplicationName);
// The same with "Explorer".
HRESULT SetExplorerTheme(HWND window);

// A 16 x 16 check box at the rectangle's top left, set or clear: the visual style's (class "BUTTON", part 3)
// when visual styles are active on version codes from 14 on, else the classic frame control.
void DrawCheckBox(HWND window, HDC dc, const RECT& box, bool checked);

// The visual-style UI font (class "AEROWIZARD", part 3, font property 210) on version codes above 7 while
// visual styles are active; false when there is none. The LOGFONTW is left alone then.
bool GetThemeUiFont(HWND window, LOGFONTW* font);
// The UI font of the owner-drawn controls and its cell height (the stock GUI font and its height without the
// theme object).
HFONT GetCachedUiFont();
int GetUiFontCellSize();

// A visual-style class opened for a window while visual styles are active on at least the version code;
// closed when the object goes. Without a theme every drawing call fails.
class OpenedTheme {
 public:
  OpenedTheme(HWND window, const wchar_t* classList, int minimumVersionCode);
  ~OpenedTheme();
  OpenedTheme(const OpenedTheme&) = delete;
  OpenedTheme& operator=(const OpenedTheme&) = delete;

  explicit operator bool() const { return theme_ != nullptr; }
  HTHEME Handle() const { return theme_; }
  bool Draw(HDC dc, int part, int state, const RECT& rect) const;
  // The part's content rectangle inside `rect`; false (and `content` unchanged) without one.
  bool ContentRect(HDC dc, int part, int state, const RECT& rect, RECT* content) const;
  // The part's sizing margins, the edges its image keeps whole when it is stretched; false without them.
  bool SizingMargins(HDC dc, int part, int state, MARGINS* margins) const;

 private:
  HTHEME theme_;
};
