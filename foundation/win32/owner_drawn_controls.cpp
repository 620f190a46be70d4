#include "foundation/win32/owner_drawn_controls.h"

#include <commctrl.h>
#include <oleacc.h>
#include <vssym32.h>

#include "foundation/win32/gdi.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

static_assert(sizeof(TRACKMOUSEEVENT) == 24, "the mouse-tracking record is 24 bytes");
static_assert(sizeof(COMBOBOXINFO) == 64, "the combo-box record is 64 bytes");

namespace {

constexpr int kLastOldVersionCode = 7;
constexpr int kFirstStyledVersionCode = 8;
constexpr int kControlTextCapacity = 128;
constexpr int kContentInset = 3;
constexpr int kButtonIconSize = 32;
constexpr int kIconTextOffset = 33;
constexpr int kTextRightMargin = 4;
constexpr int kGlyphTextGap = 3;
constexpr int kSmallestArrowButtonWidth = 6;
constexpr int kSmallestArrowButtonHeight = 10;
constexpr int kTriangleHalfHeight = 3;
constexpr int kTriangleWidth = 4;
constexpr int kChevronRows = 5;
constexpr int kChevronTipBelowCentre = 3;
constexpr int kSmallestChevronButtonWidth = 10;
constexpr int kSmallestChevronButtonHeight = 12;

// The kinds of subclass; each keeps the procedure of the first control it replaced.
enum SubclassKind { kHoverButton, kRadioButton, kCheckBox, kComboPlain, kComboIndented, kSubclassKinds };

WNDPROC g_previous[kSubclassKinds] = {};
HWND g_hoverWindow = nullptr;

// Messages after which the system has drawn the control itself; the program's painting follows.
constexpr UINT kSelfDrawingMessages[] = {WM_SETFOCUS,  WM_KILLFOCUS,     WM_ENABLE,        WM_SETTEXT, WM_LBUTTONDOWN,
                                         WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_KEYDOWN,       WM_KEYUP,   BM_SETCHECK,
                                         BM_SETSTATE,  CB_SETCURSEL,     WM_CAPTURECHANGED};

bool OldSystem() { return !g_theme || g_theme->VersionCode() <= kLastOldVersionCode; }

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

bool DrawsItself(UINT message) {
  for (UINT drawing : kSelfDrawingMessages) {
    if (drawing == message) return true;
  }
  return false;
}

void Redraw(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void TrackHover(HWND window, UINT message) {
  if (message == WM_MOUSEMOVE && g_hoverWindow != window) {
    g_hoverWindow = window;
    TRACKMOUSEEVENT tracking = {sizeof tracking, TME_LEAVE, window, 0};
    if (g_theme && g_theme->trackMouseEvent) g_theme->trackMouseEvent(&tracking);
    Redraw(window);
  } else if ((message == WM_MOUSELEAVE || message == WM_KILLFOCUS || message == WM_DESTROY) &&
             g_hoverWindow == window) {
    g_hoverWindow = nullptr;
    Redraw(window);
  }
}

COLORREF ControlTextColour(HWND window) {
  return GetThemeColorByIndex(IsWindowEnabled(window) ? kSlotButtonText : kSlotGrayText);
}

// Push-button states of the visual style: 1 normal, 2 hot, 3 pressed, 4 disabled, 5 default, 6 focused.
int PushButtonState(const DRAWITEMSTRUCT* item) {
  if (item->itemState & (ODS_GRAYED | ODS_DISABLED)) return PBS_DISABLED;
  if (item->itemState & ODS_SELECTED) return PBS_PRESSED;
  if (item->hwndItem && item->hwndItem == g_hoverWindow) return PBS_HOT;
  if (item->itemState & ODS_DEFAULT) return PBS_DEFAULTED;
  if ((item->itemState & ODS_FOCUS) && GetForegroundWindow() == GetParent(item->hwndItem)) {
    return PBS_DEFAULTED_ANIMATING;
  }
  return PBS_NORMAL;
}

bool ShowsFocus(const DRAWITEMSTRUCT* item) {
  return (item->itemState & ODS_FOCUS) && !(item->itemState & ODS_NOFOCUSRECT) && PushButtonState(item) != PBS_DISABLED;
}

// The button's face on the dialog background; the focus rectangle of the style's content (the rectangle inset
// without visual styles) goes into `focus`.
void DrawButtonFace(const DRAWITEMSTRUCT* item, HDC dc, const RECT& rect, int state, RECT* focus) {
  FillRect(dc, &rect, GetDialogBackgroundBrush());
  const OpenedTheme theme(item->hwndItem, L"BUTTON", kFirstStyledVersionCode);
  *focus = rect;
  InflateRect(focus, -kContentInset, -kContentInset);
  if (theme.Draw(dc, BP_PUSHBUTTON, state, rect)) {
    theme.ContentRect(dc, BP_PUSHBUTTON, state, rect, focus);
    return;
  }
  UINT frame = DFCS_BUTTONPUSH;
  if (state == PBS_PRESSED) frame |= DFCS_PUSHED;
  if (state == PBS_DISABLED) frame |= DFCS_INACTIVE;
  RECT face = rect;
  DrawFrameControl(dc, &face, DFC_BUTTON, frame);
}

RECT ButtonTextRect(const RECT& content, bool withIcon) {
  const int cell = GetUiFontCellSize();
  RECT text = content;
  if (withIcon) text.left += kIconTextOffset;
  text.right -= kTextRightMargin;
  text.top = content.top + (Height(content) - cell) / 2;
  text.bottom = text.top + cell;
  return text;
}

void DrawButtonText(HDC dc, const wchar_t* text, RECT rect, UINT format, bool disabled) {
  HGDIOBJ font = SelectObject(dc, GetCachedUiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetThemeColorByIndex(disabled ? kSlotButtonHighlight : kSlotButtonText));
  DrawTextSafe(dc, text, -1, &rect, format);
  if (disabled) {
    // Embossed: the grey text one pixel up and left of its light copy.
    OffsetRect(&rect, -1, -1);
    SetTextColor(dc, GetThemeColorByIndex(kSlotGrayText));
    DrawTextSafe(dc, text, -1, &rect, format);
  }
  SelectObject(dc, font);
}

void DrawButtonContent(const DRAWITEMSTRUCT* item, HDC dc, RECT content, const wchar_t* text, HICON icon,
                       bool disabled) {
  const bool withText = text && text[0];
  const int iconTop = content.top + (Height(content) - kButtonIconSize) / 2;
  if (icon) {
    const int iconLeft = withText ? content.left : content.left + (Width(content) - kButtonIconSize) / 2;
    DrawIconScaled(dc, iconLeft, iconTop, icon, kButtonIconSize, kButtonIconSize);
  }
  if (!withText) return;
  UINT format = DT_SINGLELINE | DT_VCENTER | (icon ? 0 : DT_CENTER);
  if (item->itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;
  DrawButtonText(dc, text, ButtonTextRect(content, icon != nullptr), format, disabled);
}

// The focus mark of a push button: on the style's content, else around the text; a square in the middle of
// a button without text.
void DrawButtonFocus(HDC dc, const RECT& rect, RECT focus, const wchar_t* text, bool themed, bool withIcon) {
  if (!text || !text[0]) {
    const int x = (rect.left + rect.right - kButtonIconSize) / 2;
    const int y = (rect.top + rect.bottom - kButtonIconSize) / 2;
    focus = RECT{x, y, x + kButtonIconSize, y + kButtonIconSize};
  } else if (!themed) {
    focus = ButtonTextRect(focus, withIcon);
    InflateRect(&focus, 2, 1);
  }
  DrawFocusRect(dc, &focus);
}

bool HasVisualStyles(HWND window) {
  const OpenedTheme theme(window, L"BUTTON", kFirstStyledVersionCode);
  return static_cast<bool>(theme);
}

// Check-box and radio-button states: 1-4 unchecked (normal, hot, pressed, disabled), 5-8 checked, 9-12
// indeterminate.
int CheckState(HWND window) {
  const LRESULT check = SendWindowMessage(window, BM_GETCHECK, 0, 0);
  const int base = check == BST_CHECKED ? 4 : check == BST_INDETERMINATE ? 8 : 0;
  if (!IsWindowEnabled(window)) return base + 4;
  if (SendWindowMessage(window, BM_GETSTATE, 0, 0) & BST_PUSHED) return base + 3;
  return base + (g_hoverWindow == window ? 2 : 1);
}

void PaintCheckOrRadio(HWND window, HDC dc, int part) {
  RECT client = {};
  GetClientRect(window, &client);
  FillRect(dc, &client, GetDialogBackgroundBrush());
  const OpenedTheme theme(window, L"BUTTON", kFirstStyledVersionCode);
  const int glyph = GetUiFontCellSize();
  const int top = (client.bottom - glyph) / 2;
  theme.Draw(dc, part, CheckState(window), RECT{0, top, glyph, top + glyph});
  wchar_t text[kControlTextCapacity];
  GetWindowTextSafe(window, text, kControlTextCapacity);
  const RECT textRect = {glyph + kGlyphTextGap, 0, client.right, client.bottom};
  const bool focus = (SendWindowMessage(window, BM_GETSTATE, 0, 0) & BST_FOCUS) != 0;
  DrawTextWithFocus(text, dc, textRect, ControlTextColour(window), focus);
}

int ComboButtonState(HWND combo, const COMBOBOXINFO& info) {
  if (!IsWindowEnabled(combo)) return PBS_DISABLED;
  if (info.stateButton & STATE_SYSTEM_PRESSED) return PBS_PRESSED;
  return g_hoverWindow == combo ? PBS_HOT : PBS_NORMAL;
}

// A downward chevron whose tip is at (x, y).
void DrawChevron(HDC dc, int x, int y, COLORREF colour) {
  SetPixelV(dc, x, y, colour);
  for (int row = 1; row < kChevronRows; ++row) {
    SetPixelV(dc, x - row, y - row, colour);
    SetPixelV(dc, x + row, y - row, colour);
  }
}

void DrawComboButton(HWND combo, HDC dc, const COMBOBOXINFO& info) {
  RECT button = info.rcButton;
  InflateRect(&button, 1, 1);
  const OpenedTheme theme(combo, L"BUTTON", kFirstStyledVersionCode);
  if (!theme.Draw(dc, BP_PUSHBUTTON, ComboButtonState(combo, info), button)) {
    FillRect(dc, &button, GetDialogBackgroundBrush());
  }
  if (Width(button) >= kSmallestChevronButtonWidth && Height(button) >= kSmallestChevronButtonHeight) {
    DrawChevron(dc, (button.left + button.right) / 2, (button.top + button.bottom) / 2 + kChevronTipBelowCentre,
                GetThemeColorByIndex(kSlotGrayText));
  }
}

void DrawComboText(HWND combo, HDC dc, const COMBOBOXINFO& info, int variant) {
  wchar_t text[kControlTextCapacity];
  GetWindowTextSafe(combo, text, kControlTextCapacity);
  const bool focus = GetFocus() == combo;
  const COLORREF colour = ControlTextColour(combo);
  RECT rect = info.rcItem;
  if (variant == kComboPaintIndented) {
    rect.left += GetUiFontCellSize();
    DrawTextWithFocus(text, dc, rect, colour, focus);
    return;
  }
  rect.left += 1;
  HGDIOBJ font = SelectObject(dc, GetCachedUiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextSafe(dc, text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
  SelectObject(dc, font);
  if (focus) DrawFocusRect(dc, &info.rcItem);
}

void PaintCombo(HWND combo, HDC dc, int variant) {
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  RECT client = {};
  DoubleBuffer buffer = {};
  if (!SendWindowMessage(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info)) ||
      !GetClientRect(combo, &client) || !BeginDoubleBuffer(&buffer, dc, client)) {
    return;
  }
  HDC memory = buffer.memoryDc;
  FillRectSolid(memory, client, GetThemeColorByIndex(kSlotWindow));
  DrawComboButton(combo, memory, info);
  DrawComboText(combo, memory, info, variant);
  const bool hot = IsWindowEnabled(combo) && g_hoverWindow == combo;
  FrameRect(memory, &client, GetThemeBrushByIndex(hot ? kSlotHighlight : kSlotDarkShadow));
  EndDoubleBuffer(&buffer);
}

// Whether the program paints this kind now; check boxes and radio buttons stay the system's without styles.
bool PaintsKind(SubclassKind kind, HWND window) {
  return (kind != kRadioButton && kind != kCheckBox) || HasVisualStyles(window);
}

void PaintKind(SubclassKind kind, HWND window, HDC dc) {
  switch (kind) {
    case kRadioButton:
      PaintCheckOrRadio(window, dc, BP_RADIOBUTTON);
      break;
    case kCheckBox:
      PaintCheckOrRadio(window, dc, BP_CHECKBOX);
      break;
    case kComboPlain:
      PaintCombo(window, dc, kComboPaintPlain);
      break;
    case kComboIndented:
      PaintCombo(window, dc, kComboPaintIndented);
      break;
    default:
      break;
  }
}

LRESULT PaintedControlProc(SubclassKind kind, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TrackHover(window, message);
  if (kind != kHoverButton && PaintsKind(kind, window)) {
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PRINTCLIENT) {
      PaintKind(kind, window, reinterpret_cast<HDC>(wParam));
      return 0;
    }
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintKind(kind, window, dc);
      EndPaint(window, &paint);
      return 0;
    }
  }
  const LRESULT result = CallPreviousWindowProc(g_previous[kind], window, message, wParam, lParam);
  if (kind != kHoverButton && DrawsItself(message) && IsWindowSafe(window)) {
    Redraw(window);
    UpdateWindow(window);
  }
  return result;
}

template <SubclassKind Kind>
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PaintedControlProc(Kind, window, message, wParam, lParam);
}

constexpr WNDPROC kSubclassProcs[kSubclassKinds] = {SubclassProc<kHoverButton>, SubclassProc<kRadioButton>,
                                                    SubclassProc<kCheckBox>, SubclassProc<kComboPlain>,
                                                    SubclassProc<kComboIndented>};

void Subclass(HWND window, SubclassKind kind) {
  if (!IsWindowSafe(window) || OldSystem()) return;
  SubclassWindow(window, kSubclassProcs[kind], &g_previous[kind]);
  Redraw(window);
}

}  // namespace

void ApplyDarkModeToControl(HWND button) {
  if (!IsWindowSafe(button) || OldSystem()) return;
  if (IsDarkModeOn()) AddWindowStyle(button, BS_OWNERDRAW);
  SetExplorerTheme(button);
  ApplyDarkModeToWindow(button);
  Subclass(button, kHoverButton);
}

void ApplyDarkModeToDlgItem(HWND dialog, int id) { ApplyDarkModeToControl(GetDialogItem(dialog, id)); }

int RedrawOwnerDrawnButton(const DRAWITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_BUTTON) return 0;
  wchar_t text[kControlTextCapacity];
  GetWindowTextSafe(item->hwndItem, text, kControlTextCapacity);
  const auto icon = reinterpret_cast<HICON>(SendWindowMessage(item->hwndItem, BM_GETIMAGE, IMAGE_ICON, 0));
  DrawOwnerDrawnButton(item, text, icon);
  return 1;
}

bool AnswerDarkDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (message) {
    case WM_DRAWITEM:
      *result = RedrawOwnerDrawnButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      *result = reinterpret_cast<INT_PTR>(HandleCtlColorDark(reinterpret_cast<HDC>(wParam)));
      return true;
    default:
      return false;
  }
}

void DrawOwnerDrawnButton(const DRAWITEMSTRUCT* item, const wchar_t* text, HICON icon) {
  DoubleBuffer buffer = {};
  if (!item || !BeginDoubleBuffer(&buffer, item->hDC, item->rcItem)) return;
  HDC dc = buffer.memoryDc;
  const RECT rect = {0, 0, Width(item->rcItem), Height(item->rcItem)};
  const int state = PushButtonState(item);
  RECT focus;
  DrawButtonFace(item, dc, rect, state, &focus);
  RECT content = rect;
  InflateRect(&content, -kContentInset, -kContentInset);
  if (state == PBS_PRESSED) OffsetRect(&content, 1, 1);
  DrawButtonContent(item, dc, content, text, icon, state == PBS_DISABLED);
  if (ShowsFocus(item)) DrawButtonFocus(dc, rect, focus, text, HasVisualStyles(item->hwndItem), icon != nullptr);
  EndDoubleBuffer(&buffer);
}

void DrawArrowButton(const DRAWITEMSTRUCT* item) {
  if (!item) return;
  const RECT& rect = item->rcItem;
  const int state = PushButtonState(item);
  RECT focus;
  DrawButtonFace(item, item->hDC, rect, state, &focus);
  if (Width(rect) >= kSmallestArrowButtonWidth && Height(rect) >= kSmallestArrowButtonHeight) {
    const int x = (rect.left + rect.right - kTriangleWidth) / 2;
    const int y = (rect.top + rect.bottom) / 2 - kTriangleHalfHeight;
    DrawRightTriangle(item->hDC, x, y, GetThemeColorByIndex(state == PBS_DISABLED ? kSlotGrayText : kSlotButtonText));
  }
  if ((item->itemState & ODS_FOCUS) && !(item->itemState & ODS_NOFOCUSRECT)) DrawFocusRect(item->hDC, &focus);
}

void SubclassButtonForHover(HWND dialog, int id) {
  if (IsDarkModeOn()) Subclass(GetDialogItem(dialog, id), kRadioButton);
}

void SubclassDlgItemForPaint(HWND dialog, int id) {
  if (IsDarkModeOn()) Subclass(GetDialogItem(dialog, id), kCheckBox);
}

void SubclassDlgItemsForPaint(HWND dialog, const int* ids) {
  for (const int* id = ids; id && *id != 0; ++id) SubclassDlgItemForPaint(dialog, *id);
}

void ApplyDarkModeToCombo(HWND combo, int variant, bool onlyWhenDark) {
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  if (!IsWindowSafe(combo) || OldSystem() ||
      !SendWindowMessage(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info))) {
    return;
  }
  const bool dark = IsDarkModeOn();
  if (dark) {
    SetExplorerTheme(combo);
    ApplyDarkModeToWindow(combo);
  } else if (onlyWhenDark) {
    return;
  }
  Subclass(combo, variant == kComboPaintIndented ? kComboIndented : kComboPlain);
}

void ApplyDarkModeToComboById(HWND dialog, int id, int variant, bool onlyWhenDark) {
  ApplyDarkModeToCombo(GetDialogItem(dialog, id), variant, onlyWhenDark);
}

void DrawRightTriangle(HDC dc, int x, int y, COLORREF colour) {
  if (!dc) return;
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ previous = SelectObject(dc, pen);
  for (int row = 0; row <= 2 * kTriangleHalfHeight; ++row) {
    const int length =
        kTriangleWidth - (row > kTriangleHalfHeight ? row - kTriangleHalfHeight : kTriangleHalfHeight - row);
    MoveToEx(dc, x, y + row, nullptr);
    LineTo(dc, x + length, y + row);
  }
  SelectObject(dc, previous);
  DeleteObject(pen);
}

void DrawTextWithFocus(const wchar_t* text, HDC dc, const RECT& rect, COLORREF colour, bool focus) {
  if (!dc || !text) return;
  HGDIOBJ font = SelectObject(dc, GetCachedUiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  RECT area = rect;
  DrawTextSafe(dc, text, -1, &area, DT_SINGLELINE | DT_VCENTER);
  if (focus) {
    RECT measured = rect;
    DrawTextSafe(dc, text, -1, &measured, DT_SINGLELINE | DT_CALCRECT);
    const int top = (rect.top + rect.bottom - Height(measured)) / 2;
    const RECT mark = {rect.left - 1, top, rect.left + Width(measured) + 2, top + Height(measured)};
    DrawFocusRect(dc, &mark);
  }
  SelectObject(dc, font);
}
