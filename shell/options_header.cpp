#include "shell/options_header.h"

#include <cstdlib>

#include "foundation/text/text_sizes.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kLeastGradientBits = 21;
constexpr int kTextIndent = 10;
// At most one strip per pixel of a wide dialog.
constexpr int kMostStrips = 4096;

WNDPROC g_headerProcedure = nullptr;
int g_pageListId = 0;

int Blend(int start, int end, int x, int width) { return start + (end - start) * x / width; }

COLORREF BlendColour(COLORREF start, COLORREF end, int x, int width) {
  return RGB(Blend(GetRValue(start), GetRValue(end), x, width), Blend(GetGValue(start), GetGValue(end), x, width),
             Blend(GetBValue(start), GetBValue(end), x, width));
}

void FillStrip(HDC dc, const RECT& client, int left, int right, COLORREF colour) {
  const RECT strip = {left, client.top, right, client.bottom};
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &strip, nullptr, 0, nullptr);
}

void PaintGradient(HDC dc, const RECT& client) {
  COLORREF start = GetThemeColorByIndex(kSlotInactiveCaption);
  if (GetDeviceCaps(dc, BITSPIXEL) < kLeastGradientBits) {
    FillStrip(dc, client, client.left, client.right, start);
    return;
  }
  const COLORREF end = GetThemeColorByIndex(kSlotButtonFace);
  if (IsDarkModeOn()) start = DarkGradientStart(start, end);
  static GradientStrip strips[kMostStrips];
  const int count = ComputeGradientStrips(start, end, client.right - client.left, strips, kMostStrips);
  for (int i = 0; i < count; ++i) FillStrip(dc, client, strips[i].left, strips[i].right, strips[i].colour);
}

void PaintTitle(HWND header, HDC dc, RECT client) {
  HWND pages = GetDialogItem(GetParent(header), g_pageListId);
  wchar_t title[kCaptionCapacity];
  ListBoxGetItemText(pages, ListBoxGetCurSel(pages), title, kCaptionCapacity);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendWindowMessage(header, WM_GETFONT, 0, 0)));
  SetTextColor(dc, GetThemeColorByIndex(kSlotButtonText));
  SetBkMode(dc, TRANSPARENT);
  client.left += kTextIndent;
  DrawTextW(dc, title, -1, &client, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK OptionsHeaderProc(HWND header, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(header, &paint);
    RECT client;
    GetClientRect(header, &client);
    PaintGradient(dc, client);
    PaintTitle(header, dc, client);
    EndPaint(header, &paint);
  }
  return CallPreviousWindowProc(g_headerProcedure, header, message, wParam, lParam);
}

}  // namespace

int ComputeGradientStrips(COLORREF start, COLORREF end, int width, GradientStrip* strips, int capacity) {
  if (width <= 0 || capacity <= 0) return 0;
  const int redDifference = std::abs(static_cast<int>(GetRValue(end)) - static_cast<int>(GetRValue(start)));
  int step = redDifference != 0 ? width / redDifference : 1;
  if (step < 1) step = 1;
  int count = 0;
  strips[count++] = {0, step < width ? step : width, start};
  int x = step;
  for (; width - x > step && count < capacity - 1; x += step) {
    strips[count++] = {x, x + step, BlendColour(start, end, x, width)};
  }
  if (x < width && count < capacity) strips[count++] = {x, width, end};
  return count;
}

COLORREF DarkGradientStart(COLORREF start, COLORREF end) {
  return RGB((GetRValue(start) + GetRValue(end)) >> 1, (GetGValue(start) + GetGValue(end)) >> 1,
             (GetBValue(start) + GetBValue(end)) >> 1);
}

void SubclassOptionsHeader(HWND dialog, int headerId, int pageListId) {
  g_pageListId = pageListId;
  SubclassWindow(GetDialogItem(dialog, headerId), OptionsHeaderProc, &g_headerProcedure);
}
