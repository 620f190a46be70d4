#include "views/status_bar.h"

#include <commctrl.h>

#include <cwchar>

#include "foundation/core/memory.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/number_format.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

StatusBar g_statusBar;

namespace {

constexpr int kTextColour = kSlotButtonText;
constexpr int kFillColour = kSlotButtonFace;
constexpr int kShadowColour = kSlotButtonShadow;

constexpr UINT kRedrawDelayMs = 100;
// A worker asks the bar's thread to set a part's redraw timer; wParam is the part.
constexpr UINT kScheduleRedrawMessage = WM_USER + 1;
constexpr int kCountTextCapacity = 512;
constexpr int kPercentCapacity = 32;
constexpr int kTextInset = 5;
constexpr int kIconInset = 4;
constexpr int kIconSize = 16;
constexpr int kIconRoom = 24;
constexpr int kProgressTextPadding = 7;
constexpr int kProgressBarTop = 4;
constexpr int kProgressBarShorter = 6;
constexpr int kProgressBarRightGap = 4;
constexpr UINT kTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
// The size of the non-client metrics before the padded border joined them, which every system answers.
constexpr UINT kNonClientMetricsSize = 500;

void AppendUiWord(int id, wchar_t* text, int capacity) {
  wchar_t word[kUiTextCapacity];
  GetUiText(id, word, kUiTextCapacity);
  AppendWideBounded(word, text, capacity);
}

void AppendTotal(uint64_t bytes, bool plainSizes, wchar_t* text, int capacity) {
  wchar_t number[kNumberTextCapacity];
  if (!plainSizes) {
    FormatByteSize(bytes, number, kNumberTextCapacity);
    AppendWideBounded(number, text, capacity);
    return;
  }
  FormatNumberGrouped(bytes, number, kNumberTextCapacity);
  AppendWideBounded(number, text, capacity);
  AppendWideBounded(L" ", text, capacity);
  AppendUiWord(bytes == 1 ? kTextWordByte : kTextWordBytes, text, capacity);
}

int PartOfText(int textId) { return textId == kTextStatusSelected ? kStatusSelectionPart : kStatusProgressPart; }

bool OnOwnThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

void ScheduleRedraw(StatusBar* bar, int part) {
  HWND window = bar->window;
  if (!IsWindowSafe(window)) return;
  // A timer can be set only for a window of the calling thread.
  if (OnOwnThread(window)) {
    SetTimer(window, static_cast<UINT_PTR>(part) + 1, kRedrawDelayMs, nullptr);
  } else {
    PostMessageW(window, kScheduleRedrawMessage, static_cast<WPARAM>(part), 0);
  }
}

// Workers may write a part while it is painted: nothing but a terminator is ever written into the part's last
// character, so painting, which reads no further, always finds the end of the text.
void WritePartText(StatusPart* part, const wchar_t* text) {
  CopyWideBounded(text ? text : L"", part->text, kStatusPartTextCapacity);
}

int BoundedLength(const wchar_t* text, int capacity) {
  int length = 0;
  while (length < capacity - 1 && text[length] != 0) ++length;
  return length;
}

bool ValidPart(const StatusBar* bar, int part) { return bar && bar->parts && part >= 0 && part < bar->partCount; }

int PartLeft(const StatusBar* bar, int part) { return part == 0 ? 0 : bar->parts[part - 1].rightEdge; }

int PartRight(const StatusBar* bar, int part, int clientWidth) {
  const int edge = bar->parts[part].rightEdge;
  return edge < 0 ? clientWidth : edge;
}

bool ProgressShown(const StatusBar* bar) {
  return bar->progressBar && (GetWindowLongPtrW(bar->progressBar, GWL_STYLE) & WS_VISIBLE);
}

// What one paint needs besides the bar.
struct PaintPass {
  HDC dc;
  int width;
  int height;
  COLORREF separator;
  bool grew;  // the progress text needed more room than was kept for it
};

void DrawSeparator(const PaintPass& pass, int x) {
  const RECT line = {x, 0, x + 1, pass.height};
  FillRectSolid(pass.dc, line, pass.separator);
}

int DrawHint(const StatusBar* bar, const PaintPass& pass) {
  const int length = BoundedLength(bar->hint, kStatusHintCapacity);
  RECT area = {kTextInset, 0, pass.width, pass.height};
  DrawTextSafe(pass.dc, bar->hint, length, &area, kTextFormat);
  return MeasureTextWidth(pass.dc, bar->hint, length) + kTextInset;
}

void NoteProgressTextWidth(StatusBar* bar, PaintPass* pass, const wchar_t* text, int length) {
  const int needed = MeasureTextWidth(pass->dc, text, length) + kProgressTextPadding;
  if (needed <= bar->progressTextWidth) return;
  bar->progressTextWidth = needed;
  pass->grew = true;
}

void DrawPart(StatusBar* bar, int index, PaintPass* pass) {
  const StatusPart& part = bar->parts[index];
  int left = PartLeft(bar, index);
  if (index > 0) DrawSeparator(*pass, left);
  if (part.icon) {
    DrawIconScaled(pass->dc, left + kIconInset, (pass->height - kIconSize) / 2, part.icon, kIconSize, kIconSize);
    left += kIconRoom;
  }
  const int length = BoundedLength(part.text, kStatusPartTextCapacity);
  if (length == 0) return;
  RECT area = {left + kTextInset, 0, PartRight(bar, index, pass->width), pass->height};
  DrawTextSafe(pass->dc, part.text, length, &area, kTextFormat);
  if (index == bar->progressPart && ProgressShown(bar)) NoteProgressTextWidth(bar, pass, part.text, length);
}

void PaintBar(StatusBar* bar, PaintPass* pass) {
  FillRectSolid(pass->dc, RECT{0, 0, pass->width, pass->height}, GetThemeColorByIndex(kFillColour));
  if (bar->topLine) FillRectSolid(pass->dc, RECT{0, 0, pass->width, 1}, pass->separator);
  SetTextColor(pass->dc, GetThemeColorByIndex(kTextColour));
  // A part that begins under the hint would write over it, also when it reaches beyond the hint's end.
  const int hintEnd = bar->hint[0] != 0 ? DrawHint(bar, *pass) : -1;
  for (int i = 0; bar->parts && i < bar->partCount; ++i) {
    if (PartLeft(bar, i) < hintEnd) continue;
    DrawPart(bar, i, pass);
  }
}

void Paint(StatusBar* bar, HWND window, HDC target) {
  RECT client = {};
  GetClientRect(window, &client);
  DoubleBuffer buffer = {};
  if (bar && BeginDoubleBuffer(&buffer, target, client)) {
    bool created = false;
    HFONT font = GetStatusBarFont(bar, &created);
    DoubleBufferSelectFont(&buffer, font);
    const COLORREF separator = BlendColors(GetThemeColorByIndex(kShadowColour), GetThemeColorByIndex(kFillColour), 1);
    PaintPass pass = {buffer.memoryDc, client.right, client.bottom, separator, false};
    PaintBar(bar, &pass);
    EndDoubleBuffer(&buffer);
    if (created) DeleteObject(font);
    // The layout makes room for a percentage that needs more than was kept for it.
    if (pass.grew) PostSizeToSelf(GetParent(window));
  }
}

void OnTimer(StatusBar* bar, HWND window, UINT_PTR timer) {
  KillTimer(window, timer);
  InvalidateStatusPart(bar, static_cast<int>(timer) - 1);
}

StatusBar* BarOf(HWND window) { return reinterpret_cast<StatusBar*>(GetWindowUserData(window)); }

// SB_GETTEXTW and SB_GETTEXTLENGTHW as a status control answers them: the length in the low word.
LRESULT PartText(const StatusBar* bar, WPARAM part, wchar_t* buffer) {
  if (!ValidPart(bar, static_cast<int>(part))) return 0;
  const wchar_t* text = bar->parts[part].text;
  const int length = BoundedLength(text, kStatusPartTextCapacity);
  if (buffer) CopyWideBounded(text, buffer, length + 1);
  return length;
}

}  // namespace

int InitStatusBar(StatusBar* bar, StatusLayoutCallback layout) {
  if (!bar) return 1;
  *bar = StatusBar{};
  bar->layout = layout;
  bar->partCount = kStatusPartCount;
  bar->progressPart = kStatusProgressPart;
  bar->progressTextWidth = kStatusProgressTextWidth;
  bar->lastPercent = -1;
  bar->parts = static_cast<StatusPart*>(AllocZeroed(sizeof(StatusPart) * kStatusPartCount));
  return bar->parts ? 0 : 1;
}

void DestroyStatusBar(StatusBar* bar) {
  if (!bar) return;
  DestroyWindowIfAlive(bar->progressBar);
  DestroyWindowIfAlive(bar->window);
  bar->progressBar = nullptr;
  bar->window = nullptr;
  FreeAndNull(&bar->parts);
}

HWND CreateStatusBar(StatusBar* bar, HWND parent, HINSTANCE instance) {
  if (!bar) return nullptr;
  const WindowClassFields windowClass = {StatusBarWndProc, 0, nullptr, nullptr, nullptr,
                                         GetDialogBackgroundBrush(), kStatusBarClass, instance};
  const WindowFields fields = {0, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, nullptr, parent, nullptr,
                               instance, bar};
  bar->window = CreateWindowRegistered(windowClass, fields);
  if (!bar->window || bar->progressPart < 0) return bar->window;
  const WindowFields progress = {0, nullptr, WS_CHILD | PBS_SMOOTH, nullptr, bar->window, nullptr, instance, nullptr};
  bar->progressBar = CreateWindowWithRect(PROGRESS_CLASSW, progress);
  SendWindowMessage(bar->progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  return bar->window;
}

void FormatStatusCounts(const ListStatistics& counts, int textId, bool cancelled, bool plainSizes, wchar_t* text,
                        int capacity) {
  if (!text || capacity <= 0) return;
  text[0] = 0;
  if (counts.files != 0 || counts.bytes != 0) {
    GetUiText(textId, text, capacity);
    wchar_t number[kNumberTextCapacity];
    if (counts.files != 0) {
      FormatNumberGrouped(counts.files, number, kNumberTextCapacity);
      AppendWideBounded(L" ", text, capacity);
      AppendWideBounded(number, text, capacity);
      AppendWideBounded(L" ", text, capacity);
      AppendUiWord(counts.files == 1 ? kTextWordFile : kTextWordFiles, text, capacity);
    }
    if (counts.bytes != 0) {
      AppendWideBounded(counts.files != 0 ? L", " : L" ", text, capacity);
      AppendTotal(counts.bytes, plainSizes, text, capacity);
    }
  } else if (textId != kTextStatusSelected) {
    CopyWideBounded(L"0 ", text, capacity);
    AppendUiWord(kTextWordFiles, text, capacity);
  }
  if (textId != kTextStatusSelected && cancelled) {
    AppendWideBounded(L" - ", text, capacity);
    AppendUiWord(kTextStatusCancelled, text, capacity);
  }
}

void UpdateStatusText(const ListStatistics* counts, int textId) {
  if (!counts || !g_app) return;
  wchar_t text[kCountTextCapacity];
  FormatStatusCounts(*counts, textId, g_app->cancelCounter != 0, (g_app->options & kOptionPlainSizes) != 0, text,
                     kCountTextCapacity);
  const int part = PartOfText(textId);
  if (!ValidPart(&g_statusBar, part)) return;
  WritePartText(&g_statusBar.parts[part], text);
  ScheduleRedraw(&g_statusBar, part);
}

void SetStatusPart(StatusBar* bar, int part, const wchar_t* text, HICON icon) {
  if (!ValidPart(bar, part)) return;
  WritePartText(&bar->parts[part], text);
  bar->parts[part].icon = icon;
  ScheduleRedraw(bar, part);
}

void StatusBarSetHintText(StatusBar* bar, const wchar_t* text) {
  if (!bar) return;
  bar->hint[0] = 0;
  if (text && text[0] != 0) {
    CopyWideBounded(L"  ", bar->hint, kStatusHintCapacity);
    AppendWideBounded(text, bar->hint, kStatusHintCapacity);
  }
  InvalidateWindowRect(bar->window, nullptr, false);
}

bool StatusBarHasHint(const StatusBar* bar) { return bar && bar->hint[0] != 0; }

void SetProgressPercent(StatusBar* bar, uint32_t percent) {
  if (!bar || !bar->progressBar || !ValidPart(bar, bar->progressPart)) return;
  if (InterlockedExchange(&bar->lastPercent, static_cast<LONG>(percent)) == static_cast<LONG>(percent)) return;
  PostMessageW(bar->progressBar, PBM_SETPOS, percent, 0);
  wchar_t text[kPercentCapacity];
  swprintf(text, kPercentCapacity, L"  %lu %%", static_cast<unsigned long>(percent));
  WritePartText(&bar->parts[bar->progressPart], text);
  ScheduleRedraw(bar, bar->progressPart);
}

void ShowStatusProgress(StatusBar* bar, bool show) {
  if (!bar || !bar->progressBar) return;
  if (show) {
    InterlockedExchange(&bar->lastPercent, -1);
    PostMessageW(bar->progressBar, PBM_SETPOS, 0, 0);
  }
  ShowWindowAsync(bar->progressBar, show ? SW_SHOWNA : SW_HIDE);
}

void InvalidateStatusPart(StatusBar* bar, int n) {
  if (!ValidPart(bar, n) || !IsWindowSafe(bar->window)) return;
  RECT client = {};
  GetClientRect(bar->window, &client);
  const RECT area = {PartLeft(bar, n), 0, PartRight(bar, n, client.right), client.bottom};
  InvalidateWindowRect(bar->window, &area, false);
}

void LayoutStatusParts(StatusBar* bar, int clientWidth, int barHeight) {
  if (!bar || !bar->parts || !bar->layout) return;
  int32_t widths[kStatusPartCount] = {};
  bar->layout(clientWidth, barHeight, widths, bar->partCount);
  int edge = clientWidth;
  for (int i = bar->partCount - 1; i >= 0; --i) {
    bar->parts[i].rightEdge = edge < 0 ? 0 : edge;
    edge -= widths[i];
  }
  if (!bar->progressBar || !ValidPart(bar, bar->progressPart)) return;
  const int left = PartLeft(bar, bar->progressPart) + bar->progressTextWidth;
  const int right = PartRight(bar, bar->progressPart, clientWidth) - kProgressBarRightGap;
  MoveWindow(bar->progressBar, left, kProgressBarTop, right > left ? right - left : 0,
             barHeight > kProgressBarShorter ? barHeight - kProgressBarShorter : 0, TRUE);
}

HFONT GetStatusBarFont(StatusBar* bar, bool* created) {
  *created = false;
  if (bar->font) return bar->font;
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = kNonClientMetricsSize;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    HFONT font = CreateFontIndirectW(&metrics.lfStatusFont);
    *created = font != nullptr;
    if (font) return font;
  }
  bar->font = GetCachedUiFont();
  return bar->font;
}

LRESULT CALLBACK StatusBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetWindowUserData(window, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      Paint(BarOf(window), window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(BarOf(window), window, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(BarOf(window), window, wParam);
      return 0;
    case kScheduleRedrawMessage:
      SetTimer(window, wParam + 1, kRedrawDelayMs, nullptr);
      return 0;
    case SB_GETTEXTLENGTHW:
      return PartText(BarOf(window), wParam, nullptr);
    case SB_GETTEXTW:
      return PartText(BarOf(window), wParam, reinterpret_cast<wchar_t*>(lParam));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
