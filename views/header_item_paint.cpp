#include "views/header_item_paint.h"

#include <vssym32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kCachedBackgrounds = 32;
// The header's space around its caption and its bitmap: three edge widths.
constexpr int kItemMargin = 6;
constexpr UINT kLeftToHeader = HDF_OWNERDRAW | HDF_IMAGE | HDF_SORTUP | HDF_SORTDOWN;

struct CachedBackground {
  int width;
  int height;
  int state;
  HBITMAP bitmap;
};

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

// Copies the top left `width` x `height` of `bitmap` to the DC at `x`, `y`.
void CopyBitmap(HDC dc, HBITMAP bitmap, int x, int y, int width, int height) {
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(dc, x, y, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
}

int ItemState(UINT itemState) {
  if (itemState & CDIS_SELECTED) return HIS_PRESSED;
  return (itemState & CDIS_HOT) ? HIS_HOT : HIS_NORMAL;
}

// A background drawn once per height and state at a width of at least kWideWidth, from which narrower ones are
// cut: the part's image is stretched or tiled across its middle, so a narrower background is the wide one's left
// up to the width less its right edge, then that edge.
struct WideBackground {
  int width;
  int height;
  int state;
  int left;   // columns before the run of columns alike the middle one, at least the left sizing margin
  int right;  // columns after that run, at least the right sizing margin
  HBITMAP bitmap;
};

constexpr int kWideWidth = 256;
constexpr int kWideBackgrounds = 3;  // normal, hot and pressed

uint32_t* PixelsOf(HBITMAP bitmap) {
  DIBSECTION section = {};
  if (GetObjectW(bitmap, sizeof section, &section) != sizeof section) return nullptr;
  GdiFlush();
  return static_cast<uint32_t*>(section.dsBm.bmBits);
}

bool ColumnsAlike(const uint32_t* pixels, int width, int height, int a, int b) {
  for (int y = 0; y < height; ++y) {
    if (pixels[y * width + a] != pixels[y * width + b]) return false;
  }
  return true;
}

// The edges around the run of columns alike the middle one, widened to the sizing margins (a background
// narrower than its margins shrinks them, which cutting cannot give); false when the pixels cannot be read.
bool MeasureEdges(WideBackground* wide, const MARGINS& margins) {
  const uint32_t* pixels = PixelsOf(wide->bitmap);
  if (!pixels) return false;
  const int middle = wide->width / 2;
  int first = middle;
  while (first > 0 && ColumnsAlike(pixels, wide->width, wide->height, first - 1, middle)) --first;
  int last = middle;
  while (last + 1 < wide->width && ColumnsAlike(pixels, wide->width, wide->height, last + 1, middle)) ++last;
  wide->left = std::max(first, margins.cxLeftWidth);
  wide->right = std::max(wide->width - 1 - last, margins.cxRightWidth);
  return true;
}

}  // namespace

struct HeaderBackgrounds {
  explicit HeaderBackgrounds(HWND header) : header(header), theme(header, L"Header", kFirstThemedVersionCode) {}
  ~HeaderBackgrounds() {
    for (CachedBackground& entry : entries) {
      if (entry.bitmap) DeleteObject(entry.bitmap);
    }
    for (WideBackground& entry : wide) {
      if (entry.bitmap) DeleteObject(entry.bitmap);
    }
  }
  HeaderBackgrounds(const HeaderBackgrounds&) = delete;
  HeaderBackgrounds& operator=(const HeaderBackgrounds&) = delete;

  // The background of a size and state, made now when it is not kept; null when it cannot be drawn.
  HBITMAP Background(int width, int height, int state);
  // The theme's background drawn at the size over the button face; null when it cannot be drawn.
  HBITMAP Drawn(int width, int height, int state);
  // The wide background of the height and state at least `width` wide, drawn now when none is kept.
  const WideBackground* Wide(int width, int height, int state);
  // The background cut from a wide one; null when the width leaves no room between its edges.
  HBITMAP Cut(int width, int height, int state);

  HWND header;
  OpenedTheme theme;
  CachedBackground entries[kCachedBackgrounds] = {};
  WideBackground wide[kWideBackgrounds] = {};
  int next = 0;
  int nextWide = 0;
  int drawn = 0;
};

HBITMAP HeaderBackgrounds::Background(int width, int height, int state) {
  for (const CachedBackground& entry : entries) {
    if (entry.bitmap && entry.width == width && entry.height == height && entry.state == state) return entry.bitmap;
  }
  HBITMAP bitmap = Cut(width, height, state);
  if (!bitmap) bitmap = Drawn(width, height, state);
  if (!bitmap) return nullptr;
  CachedBackground& slot = entries[next++ % kCachedBackgrounds];
  if (slot.bitmap) DeleteObject(slot.bitmap);
  slot = {width, height, state, bitmap};
  return bitmap;
}

HBITMAP HeaderBackgrounds::Drawn(int width, int height, int state) {
  HBITMAP bitmap = CreateColourBitmap(width, height);
  HDC memory = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
  if (!memory) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const RECT rect = {0, 0, width, height};
  FillRect(memory, &rect, GetThemeBrushByIndex(kSlotButtonFace));
  const bool drew = theme.Draw(memory, HP_HEADERITEM, state, rect);
  SelectObject(memory, previous);
  DeleteDC(memory);
  if (!drew) {
    DeleteObject(bitmap);
    return nullptr;
  }
  ++drawn;
  return bitmap;
}

const WideBackground* HeaderBackgrounds::Wide(int width, int height, int state) {
  WideBackground* slot = nullptr;
  for (WideBackground& entry : wide) {
    if (entry.bitmap && entry.height == height && entry.state == state) {
      if (entry.width >= width) return &entry;
      slot = &entry;
    }
    if (!slot && !entry.bitmap) slot = &entry;
  }
  if (!slot) slot = &wide[nextWide++ % kWideBackgrounds];
  MARGINS margins = {};
  if (!theme.SizingMargins(nullptr, HP_HEADERITEM, state, &margins)) return nullptr;
  WideBackground made = {std::max(width, kWideWidth), height, state, 0, 0, nullptr};
  made.bitmap = Drawn(made.width, height, state);
  if (!made.bitmap) return nullptr;
  if (!MeasureEdges(&made, margins)) {
    DeleteObject(made.bitmap);
    return nullptr;
  }
  if (slot->bitmap) DeleteObject(slot->bitmap);
  *slot = made;
  return slot;
}

HBITMAP HeaderBackgrounds::Cut(int width, int height, int state) {
  const WideBackground* source = Wide(width, height, state);
  if (!source || width <= source->left + source->right) return nullptr;
  const uint32_t* from = PixelsOf(source->bitmap);
  HBITMAP bitmap = from ? CreateColourBitmap(width, height) : nullptr;
  uint32_t* to = bitmap ? PixelsOf(bitmap) : nullptr;
  if (!to) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  const int kept = width - source->right;
  for (int y = 0; y < height; ++y) {
    memcpy(to + y * width, from + y * source->width, kept * sizeof(uint32_t));
    memcpy(to + y * width + kept, from + y * source->width + source->width - source->right,
           source->right * sizeof(uint32_t));
  }
  return bitmap;
}

namespace {

struct HeaderItemContent {
  wchar_t caption[kCaptionCapacity];
  UINT format;
  HBITMAP bitmap;
  SIZE bitmapSize;
};

bool ReadItem(HWND header, int index, HeaderItemContent* content) {
  HDITEMW item = {};
  item.mask = HDI_TEXT | HDI_FORMAT | HDI_BITMAP;
  item.pszText = content->caption;
  item.cchTextMax = kCaptionCapacity;
  content->caption[0] = 0;
  if (!SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return false;
  if (item.pszText != content->caption) {
    CopyWideBounded(item.pszText ? item.pszText : L"", content->caption, kCaptionCapacity);
  }
  content->format = static_cast<UINT>(item.fmt);
  content->bitmap = (item.fmt & HDF_BITMAP) ? item.hbm : nullptr;
  BITMAP description = {};
  content->bitmapSize = {};
  if (content->bitmap && GetObjectW(content->bitmap, sizeof description, &description)) {
    content->bitmapSize = {description.bmWidth, description.bmHeight};
  }
  return true;
}

// The caption and the bitmap placed as the header places them: the pair aligned in the content rectangle by the
// item's format, the bitmap before the caption unless the format puts it after, the caption cut with an ellipsis.
void DrawContent(HDC dc, const RECT& content, const HeaderItemContent& item, COLORREF text) {
  RECT measured = {};
  DrawTextW(dc, item.caption, -1, &measured, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  const int pictureWidth = item.bitmapSize.cx > 0 ? item.bitmapSize.cx + 2 * kItemMargin : 0;
  int width = Width(measured) + 2 * kItemMargin + pictureWidth;
  int left = content.left;
  const UINT justify = item.format & HDF_JUSTIFYMASK;
  if (justify == HDF_CENTER) left = content.left + Width(content) / 2 - width / 2;
  if (justify == HDF_RIGHT) left = content.right - width;
  if (left < content.left) left = content.left;
  if (left + width > content.right) width = content.right - left;
  int textLeft = left + kItemMargin;
  const int textWidth = width - 2 * kItemMargin - pictureWidth;
  if (pictureWidth > 0) {
    const bool onRight = (item.format & HDF_BITMAP_ON_RIGHT) != 0;
    const int pictureLeft = onRight ? left + textWidth + 3 * kItemMargin : left + kItemMargin;
    if (!onRight) textLeft += pictureWidth;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, content.left, content.top, content.right, content.bottom);
    CopyBitmap(dc, item.bitmap, pictureLeft, content.top + (Height(content) - item.bitmapSize.cy) / 2,
               item.bitmapSize.cx, item.bitmapSize.cy);
    RestoreDC(dc, saved);
  }
  RECT caption = {textLeft, content.top, textLeft + textWidth, content.bottom};
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF colour = SetTextColor(dc, text);
  DrawTextW(dc, item.caption, -1, &caption, DT_LEFT | DT_END_ELLIPSIS | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, colour);
  SetBkMode(dc, mode);
}

}  // namespace

LRESULT DrawHeaderItem(HeaderBackgrounds** backgrounds, const NMCUSTOMDRAW* draw, COLORREF text) {
  HWND header = draw->hdr.hwndFrom;
  const RECT& rect = draw->rc;
  if (Width(rect) <= 0 || Height(rect) <= 0) return CDRF_DODEFAULT;
  if (*backgrounds && (*backgrounds)->header != header) FreeHeaderBackgrounds(backgrounds);
  if (!*backgrounds) *backgrounds = new (std::nothrow) HeaderBackgrounds(header);
  HeaderBackgrounds* cache = *backgrounds;
  HeaderItemContent item;
  if (!cache || !cache->theme || !ReadItem(header, static_cast<int>(draw->dwItemSpec), &item) ||
      (item.format & kLeftToHeader)) {
    return CDRF_DODEFAULT;
  }
  const int state = ItemState(draw->uItemState);
  HBITMAP background = cache->Background(Width(rect), Height(rect), state);
  if (!background) return CDRF_DODEFAULT;
  CopyBitmap(draw->hdc, background, rect.left, rect.top, Width(rect), Height(rect));
  RECT content = rect;
  cache->theme.ContentRect(draw->hdc, HP_HEADERITEM, state, rect, &content);
  DrawContent(draw->hdc, content, item, text);
  return CDRF_SKIPDEFAULT;
}

namespace {

WNDPROC g_headerProcedure = nullptr;

void PaintHeaderInto(HWND header, HDC dc) {
  CallPreviousWindowProc(g_headerProcedure, header, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  CallPreviousWindowProc(g_headerProcedure, header, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

// The header paints the update into a 32-bit bitmap over the button face, which is then copied to the window.
void PaintHeaderBuffered(HWND header) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(header, &paint);
  if (!dc) return;
  const RECT& update = paint.rcPaint;
  DoubleBuffer buffer;
  if (BeginDoubleBuffer(&buffer, dc, update, true)) {
    const RECT area = {0, 0, Width(update), Height(update)};
    FillRect(buffer.memoryDc, &area, GetThemeBrushByIndex(kSlotButtonFace));
    // The header draws in its own coordinates, and skips the items outside the update.
    SetViewportOrgEx(buffer.memoryDc, -update.left, -update.top, nullptr);
    IntersectClipRect(buffer.memoryDc, update.left, update.top, update.right, update.bottom);
    PaintHeaderInto(header, buffer.memoryDc);
    SetViewportOrgEx(buffer.memoryDc, 0, 0, nullptr);
    SelectClipRgn(buffer.memoryDc, nullptr);
    EndDoubleBuffer(&buffer);
  } else {
    PaintHeaderInto(header, dc);
  }
  EndPaint(header, &paint);
}

LRESULT CALLBACK BufferedHeaderProc(HWND header, UINT message, WPARAM wParam, LPARAM lParam) {
  // Erased into the bitmap at the paint: erasing the window first would show for a moment.
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_PAINT && wParam == 0) {
    PaintHeaderBuffered(header);
    return 0;
  }
  return CallPreviousWindowProc(g_headerProcedure, header, message, wParam, lParam);
}

}  // namespace

void PaintHeaderThroughColourBitmap(HWND header) {
  if (header) SubclassWindow(header, BufferedHeaderProc, &g_headerProcedure);
}

int HeaderBackgroundsDrawn(const HeaderBackgrounds* backgrounds) { return backgrounds ? backgrounds->drawn : 0; }

void FreeHeaderBackgrounds(HeaderBackgrounds** backgrounds) {
  delete *backgrounds;
  *backgrounds = nullptr;
}
