#include "views/address_bar_paint.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <cwchar>

#include "foundation/providers/providers.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/theme.h"

namespace {

constexpr int kThemedTextColour = kSlotButtonText;
constexpr int kIconSlotColour = kSlotButtonFace;
constexpr int kHotColour = kSlotActiveCaption;
constexpr int kBackgroundColour = kSlotInactiveCaption;
constexpr int kTextColour = kSlotInactiveCaptionText;

constexpr int kHeaderItemStateNormal = 1;
constexpr int kHeaderItemStateHot = 2;
constexpr int kHeaderItemStateBesideHotDrop = 4;
constexpr int kTextLeftInset = 4;
constexpr int kTextRightInset = 2;
constexpr int kArrowFromRight = 7;
constexpr int kArrowHeight = 7;
constexpr int kIconSize = 16;
constexpr UINT kSegmentTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS;
constexpr UINT kPathTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

struct BarPaint {
  HDC dc;
  const OpenedTheme* theme;  // the header's visual style
  int width;
  int height;
  COLORREF text;
};

uint16_t Clamped(int value) { return static_cast<uint16_t>(value < 0 ? 0 : (value > 0xFFFF ? 0xFFFF : value)); }

// One header item; without a visual style a plain fill, lit when hot.
void DrawItem(const BarPaint& paint, const RECT& rect, int state) {
  if (rect.right <= rect.left || paint.theme->Draw(paint.dc, HP_HEADERITEM, state, rect)) return;
  const bool lit = state == kHeaderItemStateHot || state == kHeaderItemStateBesideHotDrop;
  FillRectSolid(paint.dc, rect, GetThemeColorByIndex(lit ? kHotColour : kBackgroundColour));
}

void DrawSegment(const AddressBar* bar, const BarPaint& paint, int index, int left) {
  const int right = left + bar->table[index].width;
  const RECT whole = {left, 0, right, paint.height};
  if (index != bar->hotSegment) {
    DrawItem(paint, whole, kHeaderItemStateNormal);
  } else if (bar->hotDrop) {
    DrawItem(paint, RECT{left, 0, right - kSegmentDropWidth, paint.height}, kHeaderItemStateBesideHotDrop);
    DrawItem(paint, RECT{right - kSegmentDropWidth, 0, right, paint.height}, kHeaderItemStateHot);
  } else {
    DrawItem(paint, whole, kHeaderItemStateHot);
  }
  RECT text = {left + kTextLeftInset, 0, right - kTextRightInset, paint.height};
  const wchar_t* segment = SegmentText(bar, index);
  DrawTextSafe(paint.dc, segment, static_cast<int>(wcslen(segment)), &text, kSegmentTextFormat);
  if (index + 1 < bar->segmentCount) {
    DrawRightTriangle(paint.dc, right - kArrowFromRight, (paint.height - kArrowHeight) / 2, paint.text);
  }
}

void DrawSegments(const AddressBar* bar, const BarPaint& paint) {
  int left = kAddressBarIconSlot;
  for (int i = 0; i < DrawnSegmentCount(bar); ++i) {
    DrawSegment(bar, paint, i, left);
    left += bar->table[i].width;
  }
  DrawItem(paint, RECT{left, 0, paint.width, paint.height}, kHeaderItemStateNormal);
}

void DrawPathText(const AddressBar* bar, const BarPaint& paint) {
  DrawItem(paint, RECT{kAddressBarIconSlot, 0, paint.width, paint.height}, kHeaderItemStateNormal);
  if (bar->hotSegment >= 0 && bar->hotSegment < DrawnSegmentCount(bar)) {
    const int right = bar->table[bar->hotSegment].prefixRight + kTextRightInset;
    DrawItem(paint, RECT{kAddressBarIconSlot, 0, right, paint.height}, kHeaderItemStateHot);
  }
  RECT text = {kAddressBarIconSlot + kTextLeftInset, 0, paint.width, paint.height};
  DrawTextSafe(paint.dc, bar->path, static_cast<int>(wcslen(bar->path)), &text, kPathTextFormat);
}

void DrawFolderIcon(AddressBar* bar, const BarPaint& paint) {
  FillRectSolid(paint.dc, RECT{0, 0, kAddressBarIconSlot, paint.height}, GetThemeColorByIndex(kIconSlotColour));
  if (!bar->folderIconLoaded && bar->path[0] != 0) {
    bar->folderIcon = VfsLoadIcon(nullptr, 0, bar->path, kIconSize, 0);
    bar->folderIconLoaded = 1;
  }
  if (bar->folderIcon) {
    DrawIconScaled(paint.dc, (kAddressBarIconSlot - kIconSize) / 2, (paint.height - kIconSize) / 2, bar->folderIcon,
                   kIconSize, kIconSize);
  }
}

}  // namespace

void MeasureAddressBar(AddressBar* bar, HDC dc, int clientWidth) {
  int total = kAddressBarIconSlot;
  for (int i = 0; i < DrawnSegmentCount(bar); ++i) {
    const wchar_t* segment = SegmentText(bar, i);
    const int width = MeasureTextWidth(dc, segment, static_cast<int>(wcslen(segment))) + kSegmentExtraWidth;
    bar->table[i].width = Clamped(width);
    total += width;
    const int prefix = MeasureTextWidth(dc, bar->path, bar->table[i].pathLength);
    bar->table[i].prefixRight = Clamped(kAddressBarIconSlot + kTextLeftInset + prefix);
  }
  const int pathWidth = MeasureTextWidth(dc, bar->path, static_cast<int>(wcslen(bar->path)));
  bar->overflow = kAddressBarIconSlot + kTextLeftInset + pathWidth > clientWidth ? 1 : 0;
  bar->overflowMode = total > clientWidth ? 1 : 0;
  bar->measured = 1;
}

void PaintAddressBar(AddressBar* bar, HWND window, HDC target) {
  RECT client = {};
  GetClientRect(window, &client);
  DoubleBuffer buffer = {};
  if (BeginDoubleBuffer(&buffer, target, client, true)) {
    DoubleBufferSelectFont(&buffer, bar->font ? bar->font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    if (!bar->measured) MeasureAddressBar(bar, buffer.memoryDc, client.right);
    const OpenedTheme header(window, L"HEADER", kFirstThemedVersionCode);
    BarPaint paint = {buffer.memoryDc, &header, client.right, client.bottom, 0};
    paint.text = GetThemeColorByIndex(header ? kThemedTextColour : kTextColour);
    SetTextColor(paint.dc, paint.text);
    DrawFolderIcon(bar, paint);
    if (bar->overflowMode) {
      DrawPathText(bar, paint);
    } else {
      DrawSegments(bar, paint);
    }
    EndDoubleBuffer(&buffer);
  }
}
