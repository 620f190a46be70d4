// Dialog controls drawn by the program, because the system's buttons, check boxes, radio buttons and combo
// boxes do not follow dark mode: in dark mode push buttons become owner-drawn (their dialog answers
// WM_DRAWITEM with RedrawOwnerDrawnButton), and check boxes, radio buttons and combo boxes are subclassed and
// painted with the visual-style parts on the theme's colours. A dialog calls these when it opens; outside dark
// mode they leave the controls to the system (combo boxes unless asked otherwise). Every subclassed control
// tracks the mouse: the control under it is the hover window and is drawn hot. GUI thread only.
#pragma once
#include <windows.h>

// The two combo-box painters: the text 1 pixel in with a focus rectangle on the item, or the text after room
// of the UI font's cell size with a focus rectangle around the text.
constexpr int kComboPaintPlain = 0;
constexpr int kComboPaintIndented = 1;

// Push buttons, in dark mode (nothing on version codes 1 to 7): owner-draw style, the "Explorer" style, dark
// mode allowed and the title-bar attribute set, updated and subclassed for hover tracking.
void ApplyDarkModeToControl(HWND button);
void ApplyDarkModeToDlgItem(HWND dialog, int id);

// The WM_DRAWITEM answer for buttons: 0 for other control types; else the button's text (128 characters) and
// icon painted with DrawOwnerDrawnButton, and 1.
int RedrawOwnerDrawnButton(const DRAWITEMSTRUCT* item);
// The dark-mode messages of a dialog that paints its buttons and colours itself: WM_DRAWITEM of a button
// (RedrawOwnerDrawnButton) and the four WM_CTLCOLOR messages (HandleCtlColorDark). True when the message was
// one of them; `result` is then the dialog procedure's answer.
bool AnswerDarkDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
// Paints a push button double-buffered on the dialog background: the visual-style button (classic frame
// without visual styles) in the item's state, the icon (32 pixels, may be null) and the text in the UI font,
// embossed when disabled, and the focus rectangle.
void DrawOwnerDrawnButton(const DRAWITEMSTRUCT* item, const wchar_t* text, HICON icon);
// Paints a small push button with a right-pointing triangle (menu buttons).
void DrawArrowButton(const DRAWITEMSTRUCT* item);

// In dark mode: the radio button (by id) painted by the program, with hover.
void SubclassButtonForHover(HWND dialog, int id);
// In dark mode: the check box (by id, or every id of a zero-terminated list) painted by the program.
void SubclassDlgItemForPaint(HWND dialog, int id);
void SubclassDlgItemsForPaint(HWND dialog, const int* ids);

// Combo boxes (nothing on version codes 1 to 7 or when the combo's parts cannot be read): in dark mode the
// "Explorer" style and the dark window treatment; then, unless only dark mode was asked for and it is off,
// painted by the program with the painter of the variant.
void ApplyDarkModeToCombo(HWND combo, int variant, bool onlyWhenDark);
void ApplyDarkModeToComboById(HWND dialog, int id, int variant, bool onlyWhenDark);

// A right-pointing triangle seven pixels high from (x, y): rows of 1, 2, 3, 4, 3, 2, 1 pixels from x.
void DrawRightTriangle(HDC dc, int x, int y, COLORREF colour);
// The text in the UI font, transparent, on one line vertically centred; with focus a focus rectangle one pixel
// left and two pixels right of the text.
void DrawTextWithFocus(const wchar_t* text, HDC dc, const RECT& rect, COLORREF colour, bool focus);
