// Device contexts, double buffering, brushes, drawing and colours. A missing window or DC draws nothing.
#pragma once
#include <windows.h>

#include <cstdint>

// A window's DC held until released.
struct WindowDcHolder {
  HWND window;
  HDC dc;
};

// Painting into a memory bitmap that is copied to the target at the end.
struct DoubleBuffer {
  HDC target;
  HBITMAP bitmap;
  HGDIOBJ previousBitmap;
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
  HDC memoryDc;
};

// A 32-bit top-down bitmap of its own (at least 1 x 1): visual styles and blends draw into it several times
// faster than into a bitmap compatible with a window (under Wine about a millisecond less for each themed part).
HBITMAP CreateColourBitmap(int width, int height);

// A memory DC with a bitmap of the rectangle's size selected: one compatible with the target, or for painting
// made mostly of visual-style parts (`styled`) a 32-bit one of its own, into which they draw several times faster
// (for large areas of plain drawing its allocation costs more than it saves). Drawing into it uses coordinates
// relative to the rectangle. False (nothing to end) when the target is missing or the system refuses.
bool BeginDoubleBuffer(DoubleBuffer* buffer, HDC target, const RECT& rect, bool styled = false);
// Copies the bitmap to the target at the rectangle's position and frees the memory DC and bitmap.
void EndDoubleBuffer(DoubleBuffer* buffer);
// Selects a font into the memory DC and sets a transparent background.
void DoubleBufferSelectFont(DoubleBuffer* buffer, HFONT font);

// A brush selected into a DC until released.
struct BrushHolder {
  HDC dc;
  HGDIOBJ previous;
  HBRUSH brush;
  bool owned;  // the holder created the brush and deletes it
};

// The colour that selects the null brush (nothing is filled).
constexpr COLORREF kNoFillColor = static_cast<COLORREF>(-1);

// Selects a new solid brush of the colour, or the stock null brush for kNoFillColor.
void SelectHeldBrush(BrushHolder* holder, HDC dc, COLORREF color);
// Selects the previous object again and deletes a brush the holder created.
void ReleaseHeldBrush(BrushHolder* holder);

// Fills a rectangle with a temporary solid brush.
void FillRectSolid(HDC dc, const RECT& rect, COLORREF color);
int DrawTextSafe(HDC dc, const wchar_t* text, int length, RECT* rect, UINT format);
// DrawIconEx (DI_NORMAL) when width and height are both above 0.
void DrawIconScaled(HDC dc, int x, int y, HICON icon, int width, int height);
// Width of a text drawn without prefix processing; 0 without a DC.
int MeasureTextWidth(HDC dc, const wchar_t* text, int length);

// The cell size of a font (the window's current font when none is given) on the window's DC: the absolute
// height plus external leading in the low 16 bits, the average character width in the high 16 bits.
uint32_t GetFontCellSize(HWND window, HFONT font);

// Sum of the absolute differences of the red, green and blue bytes.
int ColorDistance(COLORREF a, COLORREF b);
// Per channel (a + weight * b) / (weight + 1).
COLORREF BlendColors(COLORREF a, COLORREF b, int weight);
