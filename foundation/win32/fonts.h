// The program's UI font and the font chooser.
#pragma once
#include <windows.h>

// The UI font's description and, with a holder, the font itself.
//  - With `themeFont`, the visual-style font (when a theme is active and has one).
//  - Without it, the stock DEFAULT_GUI_FONT: its description goes into `font`, the stock font itself into
//    the holder (or it is deleted without a holder).
//  - When that leaves no height, 8-point "Tahoma" at the window's DPI.
// With a holder and a height, the holder receives CreateFontIndirectW of the description (the stock font in
// the second case). Both `holder` and `font` may be null.
void CreateUiFont(HWND window, HFONT* holder, LOGFONTW* font, bool themeFont);

// The font chooser, preset with the font (and the colour, with effects, when one is given), screen fonts
// plus `extraFlags`. On OK the colour is written back and the chosen font created; null on cancel.
HFONT RunChooseFontDialog(HWND owner, HFONT font, COLORREF* color, DWORD extraFlags);
