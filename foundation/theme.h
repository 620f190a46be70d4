// The colours, brushes and visual styles the program's own windows share, as far as the window wrappers need
// them. Until the theme object with dark mode exists, the program always draws in the system's normal colours.
#pragma once
#include <windows.h>

// The class background brush of the program's own windows: the system's COLOR_BTNFACE brush.
HBRUSH GetDialogBackgroundBrush();

// The colour of a theme slot. The slots are numbered like the system colours (COLOR_WINDOW, COLOR_HIGHLIGHT,
// ...); each is that system colour until dark mode supplies its own.
COLORREF GetThemeColorByIndex(int index);

// A 16 x 16 check box at the rectangle's top left, set or clear: the visual style's when one is active for the
// window, else the classic frame control.
void DrawCheckBox(HWND window, HDC dc, const RECT& box, bool checked);

// Whether the program runs dark. Dark mode needs the theme object's dark-mode functions; without them it is off.
bool IsDarkModeOn();

// Gives a window the dark or normal look by the dark flag and updates it.
void ApplyDarkModeToWindow(HWND window);

// SetWindowTheme with the sub-application name and no id list on version codes from 14 (Vista) on; else -1.
HRESULT SetWindowThemeIfSupported(HWND window, const wchar_t* subApplicationName);

// The visual-style UI font (class "AEROWIZARD", part 3, font property 210) on version codes above 7 while
// visual styles are active; false when there is none. The LOGFONTW is left alone then.
bool GetThemeUiFont(HWND window, LOGFONTW* font);

// Switches the dark-mode redirection of common-control scroll bars on or off; returns whether it was on.
// The redirection is installed by the theme object; without it there is nothing to switch and it stays off.
bool SetScrollBarRedirection(bool on);
