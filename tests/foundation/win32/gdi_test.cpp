// Device-context holders, double buffering, brushes, drawing and colours.
#include "foundation/win32/gdi.h"

#include <gtest/gtest.h>

#include "support/test_window.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A 32-bit bitmap selected into a memory DC, filled white.
class Canvas {
 public:
  Canvas(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    RECT all = {0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

}  // namespace

TEST(Gdi, DoubleBufferLandsAtTheRectanglesPosition) {
  Canvas target(100, 100);
  DoubleBuffer buffer;
  ASSERT_TRUE(BeginDoubleBuffer(&buffer, target.dc(), RECT{20, 30, 60, 70}));
  EXPECT_EQ(buffer.width, 40);
  EXPECT_EQ(buffer.height, 40);
  RECT whole = {0, 0, 40, 40};
  FillRectSolid(buffer.memoryDc, whole, kRed);
  DoubleBufferSelectFont(&buffer, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  EXPECT_EQ(GetBkMode(buffer.memoryDc), TRANSPARENT);
  // Nothing reaches the target before the end.
  EXPECT_EQ(target.At(25, 35), kWhite);
  EndDoubleBuffer(&buffer);
  EXPECT_EQ(buffer.memoryDc, nullptr);
  EXPECT_EQ(target.At(20, 30), kRed);
  EXPECT_EQ(target.At(59, 69), kRed);
  EXPECT_EQ(target.At(19, 30), kWhite);
  EXPECT_EQ(target.At(60, 69), kWhite);
  EndDoubleBuffer(&buffer);

  EXPECT_FALSE(BeginDoubleBuffer(&buffer, nullptr, RECT{0, 0, 10, 10}));
  EndDoubleBuffer(&buffer);
}

TEST(Gdi, HeldBrushIsSelectedAndItsPredecessorComesBack) {
  Canvas canvas(10, 10);
  HGDIOBJ before = GetCurrentObject(canvas.dc(), OBJ_BRUSH);
  BrushHolder holder;
  SelectHeldBrush(&holder, canvas.dc(), kRed);
  ASSERT_TRUE(holder.owned);
  HBRUSH made = holder.brush;
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_BRUSH), made);
  ReleaseHeldBrush(&holder);
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_BRUSH), before);
  EXPECT_EQ(GetObjectType(made), 0u);

  HGDIOBJ nullBrush = GetStockObject(NULL_BRUSH);
  SelectHeldBrush(&holder, canvas.dc(), kNoFillColor);
  EXPECT_FALSE(holder.owned);
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_BRUSH), nullBrush);
  ReleaseHeldBrush(&holder);
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_BRUSH), before);
  EXPECT_EQ(GetObjectType(nullBrush), static_cast<DWORD>(OBJ_BRUSH));

  SelectHeldBrush(&holder, nullptr, kRed);
  EXPECT_EQ(holder.brush, nullptr);
  ReleaseHeldBrush(&holder);
}

TEST(Gdi, IconsAreDrawnOnlyWithASize) {
  Canvas canvas(40, 40);
  HICON icon = LoadIconW(nullptr, IDI_ERROR);
  ASSERT_NE(icon, nullptr);
  DrawIconScaled(canvas.dc(), 0, 0, icon, 0, 32);
  DrawIconScaled(nullptr, 0, 0, icon, 32, 32);
  int changed = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) changed += canvas.At(x, y) != kWhite;
  EXPECT_EQ(changed, 0);
  DrawIconScaled(canvas.dc(), 0, 0, icon, 32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) changed += canvas.At(x, y) != kWhite;
  EXPECT_GT(changed, 0);
}

TEST(Gdi, TextIsMeasuredWithoutPrefixes) {
  Canvas canvas(10, 10);
  SelectObject(canvas.dc(), GetStockObject(DEFAULT_GUI_FONT));
  int narrow = MeasureTextWidth(canvas.dc(), L"iiii", -1);
  int wide = MeasureTextWidth(canvas.dc(), L"WWWW", -1);
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, narrow);
  EXPECT_GT(MeasureTextWidth(canvas.dc(), L"&a", -1), MeasureTextWidth(canvas.dc(), L"a", -1));
  EXPECT_EQ(MeasureTextWidth(canvas.dc(), L"WWWWWWWW", 4), wide);
  EXPECT_EQ(MeasureTextWidth(nullptr, L"W", -1), 0);
  RECT rect = {0, 0, 10, 10};
  EXPECT_EQ(DrawTextSafe(nullptr, L"W", -1, &rect, 0), 0);
}

TEST(Gdi, FontCellSizePacksHeightAndAverageWidth) {
  OwnedWindow window(CreateTestPopup(0, 0, 50, 50));
  HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);

  uint32_t cell = GetFontCellSize(window, font);
  EXPECT_EQ(cell & 0xFFFF, static_cast<uint32_t>(metrics.tmHeight + metrics.tmExternalLeading));
  EXPECT_EQ(cell >> 16, static_cast<uint32_t>(metrics.tmAveCharWidth));
  EXPECT_GE(cell & 0xFFFF, 20u);
  EXPECT_EQ(GetFontCellSize(nullptr, font), 0u);
  DeleteObject(font);
}

TEST(Gdi, ColourDistanceAndBlending) {
  EXPECT_EQ(ColorDistance(RGB(10, 20, 30), RGB(13, 15, 40)), 18);
  EXPECT_EQ(ColorDistance(kWhite, RGB(0, 0, 0)), 765);
  EXPECT_EQ(BlendColors(RGB(0, 0, 0), kWhite, 2), RGB(170, 170, 170));
  EXPECT_EQ(BlendColors(RGB(30, 60, 90), RGB(90, 0, 30), 1), RGB(60, 30, 60));
  EXPECT_EQ(BlendColors(RGB(1, 2, 3), kWhite, 0), RGB(1, 2, 3));
}
