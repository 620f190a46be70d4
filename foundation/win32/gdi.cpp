#include "foundation/win32/gdi.h"

#include <cstdlib>

HBITMAP CreateColourBitmap(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width > 0 ? width : 1;
  info.bmiHeader.biHeight = -(height > 0 ? height : 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

bool BeginDoubleBuffer(DoubleBuffer* buffer, HDC target, const RECT& rect, bool styled) {
  if (!buffer) return false;
  *buffer = DoubleBuffer{};
  if (!target) return false;
  buffer->target = target;
  buffer->x = rect.left;
  buffer->y = rect.top;
  buffer->width = rect.right - rect.left;
  buffer->height = rect.bottom - rect.top;
  buffer->memoryDc = CreateCompatibleDC(target);
  buffer->bitmap = styled ? CreateColourBitmap(buffer->width, buffer->height)
                          : CreateCompatibleBitmap(target, buffer->width, buffer->height);
  if (!buffer->memoryDc || !buffer->bitmap) {
    if (buffer->bitmap) DeleteObject(buffer->bitmap);
    if (buffer->memoryDc) DeleteDC(buffer->memoryDc);
    *buffer = DoubleBuffer{};
    return false;
  }
  buffer->previousBitmap = SelectObject(buffer->memoryDc, buffer->bitmap);
  return true;
}

void EndDoubleBuffer(DoubleBuffer* buffer) {
  if (!buffer || !buffer->memoryDc) return;
  BitBlt(buffer->target, buffer->x, buffer->y, buffer->width, buffer->height, buffer->memoryDc, 0, 0, SRCCOPY);
  SelectObject(buffer->memoryDc, buffer->previousBitmap);
  DeleteObject(buffer->bitmap);
  DeleteDC(buffer->memoryDc);
  *buffer = DoubleBuffer{};
}

void DoubleBufferSelectFont(DoubleBuffer* buffer, HFONT font) {
  if (!buffer || !buffer->memoryDc) return;
  if (font) SelectObject(buffer->memoryDc, font);
  SetBkMode(buffer->memoryDc, TRANSPARENT);
}

void SelectHeldBrush(BrushHolder* holder, HDC dc, COLORREF color) {
  if (!holder) return;
  *holder = BrushHolder{};
  if (!dc) return;
  holder->dc = dc;
  if (color == kNoFillColor) {
    holder->brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  } else {
    holder->brush = CreateSolidBrush(color);
    holder->owned = holder->brush != nullptr;
  }
  if (holder->brush) holder->previous = SelectObject(dc, holder->brush);
}

void ReleaseHeldBrush(BrushHolder* holder) {
  if (!holder || !holder->dc) return;
  if (holder->previous) SelectObject(holder->dc, holder->previous);
  if (holder->owned) DeleteObject(holder->brush);
  *holder = BrushHolder{};
}

void FillRectSolid(HDC dc, const RECT& rect, COLORREF color) {
  if (!dc) return;
  HBRUSH brush = CreateSolidBrush(color);
  if (!brush) return;
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

int DrawTextSafe(HDC dc, const wchar_t* text, int length, RECT* rect, UINT format) {
  if (!dc || !text || !rect) return 0;
  return DrawTextW(dc, text, length, rect, format);
}

void DrawIconScaled(HDC dc, int x, int y, HICON icon, int width, int height) {
  if (dc && icon && width > 0 && height > 0) DrawIconEx(dc, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
}

int MeasureTextWidth(HDC dc, const wchar_t* text, int length) {
  if (!dc || !text) return 0;
  RECT rect = {};
  DrawTextW(dc, text, length, &rect, DT_CALCRECT | DT_NOPREFIX);
  return rect.right - rect.left;
}

uint32_t GetFontCellSize(HWND window, HFONT font) {
  HDC dc = window ? GetDC(window) : nullptr;
  if (!dc) return 0;
  HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  TEXTMETRICW metrics = {};
  BOOL measured = GetTextMetricsW(dc, &metrics);
  if (previous) SelectObject(dc, previous);
  ReleaseDC(window, dc);
  if (!measured) return 0;
  uint32_t height = static_cast<uint32_t>(std::abs(metrics.tmHeight + metrics.tmExternalLeading)) & 0xFFFF;
  uint32_t width = static_cast<uint32_t>(metrics.tmAveCharWidth) & 0xFFFF;
  return height | (width << 16);
}

int ColorDistance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

COLORREF BlendColors(COLORREF a, COLORREF b, int weight) {
  if (weight < 0) weight = 0;
  auto channel = [weight](int x, int y) { return static_cast<BYTE>((x + weight * y) / (weight + 1)); };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}
