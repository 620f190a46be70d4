#include "views/items_view_layout.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/text/text_sizes.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/gdi.h"
#include "foundation/ui/header_columns.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_placement.h"
#include "foundation/win32/window_wrappers.h"
#include "views/header_item_paint.h"
#include "views/items_view_columns.h"
#include "views/items_view_edit.h"
#include "views/items_view_notify.h"
#include "views/items_view_rows.h"
#include "views/items_view_sort.h"
#include "views/items_view_theme.h"
#include "views/items_view_window.h"
#include "views/text_width_meter.h"

namespace {

constexpr int kUnmeasuredSpacing = 4;
constexpr int kMinimumRowHeight = 10;
constexpr int kLinePixels = 8;
constexpr int kPagePixels = 80;
constexpr int kThumbTrackThreshold = 50;
constexpr int kWheelLines = 3;
constexpr int kMaxVisibleMargin = 3;
constexpr int kMinimumColumnWidth = 8;
constexpr int kCaptionPadding = 14;
constexpr int kSortMarkPadding = 30;
constexpr int kAutoSizeMinimum = 50;
constexpr int kProbeWidth = 400;
constexpr int kMaxLayoutDepth = 4;

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

int RowCount(const ItemListControl* control) { return static_cast<int>(ItemStoreCount(&control->rows)); }
int PerRow(const ItemListControl* control) { return std::max<int>(1, control->itemsPerRow); }
int PerPage(const ItemListControl* control) { return std::max<int>(1, control->rowsPerPage); }
int CeilDivide(int a, int b) { return b > 0 ? (a + b - 1) / b : 0; }

void CancelEditing(ItemListControl* control) {
  ItemsViewEndEdit(control, false);
  if (IsControlThread(control)) KillTimer(control->window, kRenameTimer);
}

void SetBar(HWND window, int bar, int maximum, int page, int position) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = std::max(0, maximum);
  info.nPage = static_cast<UINT>(std::max(0, page));
  info.nPos = position;
  SetScrollInfo(window, bar, &info, TRUE);
}

void EmptyBar(HWND window, int bar) { SetBar(window, bar, 0, 0, 0); }

int ClientWidth(const ItemListControl* control) {
  RECT client = {};
  GetClientRect(control->window, &client);
  return Width(client);
}

// Columns of cells that fit beside each other in column-major mode.
int ColumnsThatFit(const ItemListControl* control) {
  int width = 0;
  int height = 0;
  GetItemCellSize(control, &width, &height);
  return std::max(1, ClientWidth(control) / std::max(1, width));
}

// The largest top index that still fills the page.
int MaximumTop(const ItemListControl* control) {
  int rows = RowCount(control);
  switch (ViewMode(control)) {
    case kViewReport:
      return std::max(0, rows - PerPage(control));
    case kViewColumnMajor:
      return std::max(0, CeilDivide(rows, PerPage(control)) - ColumnsThatFit(control)) * PerPage(control);
    default:
      return std::max(0, CeilDivide(rows, PerRow(control)) - PerPage(control)) * PerRow(control);
  }
}

void PositionHeader(ItemListControl* control) {
  if (!control->header) return;
  RECT client = {};
  GetClientRect(control->window, &client);
  WINDOWPOS position = {};
  HDLAYOUT layout = {&client, &position};
  if (!SendMessageW(control->header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout))) return;
  control->headerHeight = static_cast<uint16_t>(std::max(0, position.cy));
  int offset = static_cast<int>(control->horizontalOffset);
  int width = std::max(Width(client) + offset, ColumnLayoutTotalWidth(control->creation.columns));
  SetWindowPos(control->header, nullptr, -offset, 0, width, position.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateHeader(ItemListControl* control) {
  DWORD style = WS_CHILD | WS_VISIBLE | HDS_BUTTONS | HDS_FULLDRAG;
  if (control->creation.styleFlags & kListReorderColumns) style |= HDS_DRAGDROP;
  HWND header = CreateWindowExW(0, WC_HEADERW, nullptr, style, 0, 0, 0, 0, control->window, nullptr,
                                InstanceOfWindow(control->window), nullptr);
  PaintHeaderThroughColourBitmap(header);
  return header;
}

void DestroyHeader(ItemListControl* control) {
  DestroyWindowIfAlive(control->header);
  control->header = nullptr;
  control->headerHeight = 0;
}

// One report row of a hidden system list view with the list's font and image list.
struct ProbeResult {
  int gap;
  int textMargin;
  int rowHeight;
};

// What a probe measured, by the font's description and the icon size: each probe is a window of its own, which
// the start-up would otherwise create again for every list and every change of its layout.
struct MeasuredProbe {
  LOGFONTW font;
  int iconWidth;
  int iconHeight;
  ProbeResult result;
};
constexpr int kMeasuredProbes = 8;
MeasuredProbe g_measuredProbes[kMeasuredProbes];
int g_measuredProbeCount = 0;

MeasuredProbe ProbeKey(const ItemListControl* control) {
  MeasuredProbe key = {};
  if (control->font) GetObjectW(control->font, sizeof key.font, &key.font);
  if (control->imageList) ImageList_GetIconSize(control->imageList, &key.iconWidth, &key.iconHeight);
  return key;
}

bool SameProbeKey(const MeasuredProbe& a, const MeasuredProbe& b) {
  return memcmp(&a.font, &b.font, sizeof a.font) == 0 && a.iconWidth == b.iconWidth && a.iconHeight == b.iconHeight;
}

// The icon, label and row of the probe's one row as they stand.
ProbeResult MeasureProbeRow(HWND probe, int textMargin) {
  ProbeResult result = {kUnmeasuredSpacing, textMargin, 0};
  RECT icon = {LVIR_ICON, 0, 0, 0};
  if (SendMessageW(probe, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon)) && icon.left > 0) result.gap = icon.left;
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  if (SendMessageW(probe, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds))) result.rowHeight = Height(bounds);
  return result;
}

void KeepMeasured(const MeasuredProbe& measured) {
  g_measuredProbes[g_measuredProbeCount++ % kMeasuredProbes] = measured;
}

// One report row of a hidden system list view with the list's font, measured without icons and, when the list
// has them, with its image list: both are kept, as a list without icons (the chain list) mostly has the font of
// one with them (the file list).
ProbeResult ProbeSystemListView(const ItemListControl* control, MeasuredProbe key) {
  HWND probe =
      CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS, 0, 0,
                      kProbeWidth, kProbeWidth, control->window, nullptr, InstanceOfWindow(control->window), nullptr);
  if (!probe) return ProbeResult{kUnmeasuredSpacing, kUnmeasuredSpacing, 0};
  // It is measured, never shown: without redrawing, its item and image list do not lay it out for painting.
  SendMessageW(probe, WM_SETREDRAW, FALSE, 0);
  SendMessageW(probe, WM_SETFONT, reinterpret_cast<WPARAM>(control->font), FALSE);
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  column.cx = kProbeWidth / 2;
  SendMessageW(probe, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"Wg");
  SendMessageW(probe, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  // The label's offset without icons is the text margin; the icon's offset with them is the gap.
  RECT label = {LVIR_LABEL, 0, 0, 0};
  const bool labelMeasured = SendMessageW(probe, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label)) && label.left > 0;
  const int textMargin = labelMeasured ? label.left : kUnmeasuredSpacing;
  MeasuredProbe bare = key;
  bare.iconWidth = 0;
  bare.iconHeight = 0;
  bare.result = MeasureProbeRow(probe, textMargin);
  KeepMeasured(bare);
  key.result = bare.result;
  if (control->imageList) {
    SendMessageW(probe, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(control->imageList));
    key.result = MeasureProbeRow(probe, textMargin);
    KeepMeasured(key);
  }
  // Closed from the message queue: its destruction is no part of the measure, and at start it would hold up the
  // window's first showing (a list that goes first takes the probe with it).
  PostMessageW(probe, WM_CLOSE, 0, 0);
  return key.result;
}

// The measurements of the probes run on the GUI thread only.
ProbeResult MeasuredOnce(const ItemListControl* control) {
  const MeasuredProbe key = ProbeKey(control);
  const int kept = std::min(g_measuredProbeCount, kMeasuredProbes);
  for (int i = 0; i < kept; ++i) {
    if (SameProbeKey(g_measuredProbes[i], key)) return g_measuredProbes[i].result;
  }
  return ProbeSystemListView(control, key);
}

void ComputeItemsPerPage(ItemListControl* control) {
  RECT area = RowsArea(control);
  int width = Width(area);
  int height = Height(area);
  int rowHeight = std::max<int>(1, control->rowHeight);
  int cellWidth = 0;
  int cellHeight = 0;
  GetItemCellSize(control, &cellWidth, &cellHeight);
  switch (ViewMode(control)) {
    case kViewIconGrid:
      control->itemsPerRow = std::max(1, width / std::max(1, control->iconCellWidth + control->gap));
      control->rowsPerPage = std::max(1, height / std::max(1, control->iconCellHeight + control->gap));
      break;
    case kViewListRows:
      control->itemsPerRow = std::max(1, width / std::max(1, cellWidth));
      control->rowsPerPage = std::max(1, height / rowHeight);
      break;
    default:
      control->itemsPerRow = 1;
      control->rowsPerPage = std::max(1, height / rowHeight);
      break;
  }
}

// Column-major mode keeps a cell no wider than the window; entry 1 remembers the width it had.
void FitColumnMajorCell(ItemListControl* control) {
  int limit = ClientWidth(control) - 1;
  if (limit <= 0 || !control->widestText) return;
  if (WidestText(control, 0) == 0) WidenWidestText(control, 0, MainColumnWidth(control));
  uint16_t* widths = control->widestText;
  if (widths[0] > limit) {
    widths[1] = std::max(widths[1], widths[0]);
    widths[0] = static_cast<uint16_t>(limit);
  } else if (widths[1] > widths[0]) {
    widths[0] = static_cast<uint16_t>(std::min<int>(widths[1], limit));
  }
}

void UpdateReportBars(ItemListControl* control) {
  if (control->lastAnnouncedScroll > 0) control->lastAnnouncedScroll = 0;
  SetBar(control->window, SB_VERT, RowCount(control) - 1, PerPage(control), control->topIndex);
  int total = ColumnLayoutTotalWidth(control->creation.columns);
  int width = ClientWidth(control);
  int offset = std::min<int>(static_cast<int>(control->horizontalOffset), std::max(0, total - width));
  if (offset != static_cast<int>(control->horizontalOffset)) {
    control->horizontalOffset = static_cast<uint32_t>(offset);
    PositionHeader(control);
  }
  SetBar(control->window, SB_HORZ, total - 1, width, offset);
}

void UpdateListBars(ItemListControl* control) {
  int itemRows = CeilDivide(RowCount(control), PerRow(control));
  if (itemRows <= PerPage(control)) control->topIndex = 0;
  SetBar(control->window, SB_VERT, itemRows - 1, PerPage(control), control->topIndex / PerRow(control));
  EmptyBar(control->window, SB_HORZ);
}

void UpdateColumnMajorBars(ItemListControl* control) {
  FitColumnMajorCell(control);
  int columns = CeilDivide(RowCount(control), PerPage(control));
  int fit = ColumnsThatFit(control);
  if (columns <= fit) control->topIndex = 0;
  SetBar(control->window, SB_HORZ, columns - 1, fit, control->topIndex / PerPage(control));
  EmptyBar(control->window, SB_VERT);
}

void ScrollHorizontallyTo(ItemListControl* control, int offset) {
  int delta = offset - static_cast<int>(control->horizontalOffset);
  if (delta == 0) return;
  ItemsViewEndEdit(control, true);
  control->horizontalOffset = static_cast<uint32_t>(offset);
  RECT area = RowsArea(control);
  ScrollWindowEx(control->window, -delta, 0, &area, &area, nullptr, nullptr, SW_INVALIDATE);
  PositionHeader(control);
  SetScrollPos(control->window, SB_HORZ, offset, TRUE);
}

int CaptionWidth(const ItemListControl* control, int column, bool* showsSortMark) {
  wchar_t caption[kCaptionCapacity] = L"";
  HDITEMW item = {};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = caption;
  item.cchTextMax = kCaptionCapacity;
  SendMessageW(control->header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
  *showsSortMark = (item.fmt & (HDF_BITMAP | HDF_SORTUP | HDF_SORTDOWN)) != 0;
  HDC dc = GetDC(control->window);
  HGDIOBJ previous = SelectObject(dc, control->font);
  int width = MeasureTextWidth(dc, caption, -1);
  SelectObject(dc, previous);
  ReleaseDC(control->window, dc);
  return width;
}

void LayOut(ItemListControl* control, bool freshMetrics);

// The client area the window would have without scroll bars, so that hiding them cannot make room for them again.
RECT ClientWithoutBars(HWND window) {
  RECT frame = {};
  GetWindowRect(window, &frame);
  RECT borders = {};
  DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & ~(WS_VSCROLL | WS_HSCROLL);
  AdjustWindowRectEx(&borders, style, FALSE, static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  return RECT{0, 0, Width(frame) - Width(borders), Height(frame) - Height(borders)};
}

}  // namespace

void ItemsViewSetViewMode(ItemListControl* control, uint32_t viewWord) {
  CancelEditing(control);
  control->creation.viewWord = (control->creation.viewWord & ~kViewModeMask) | (viewWord & kViewModeMask);
  bool wantsHeader = ViewMode(control) == kViewReport && !(control->creation.viewWord & kViewNoHeader);
  if (wantsHeader) {
    if (!control->header) {
      control->header = CreateHeader(control);
      ItemsViewThemeHeader(control);
    }
    if (control->header) {
      SendMessageW(control->header, WM_SETFONT, reinterpret_cast<WPARAM>(control->font), FALSE);
      control->visibleColumns = static_cast<uint32_t>(HeaderResetColumns(control->header, control->creation.columns));
      ItemsViewUpdateSortArrow(control);
    } else {
      control->visibleColumns = 1;
    }
  } else {
    DestroyHeader(control);
    control->visibleColumns = static_cast<uint32_t>(CountDisplayColumns(control));
  }
  ItemsViewLayout(control, false);
}

void ItemsViewMeasureMetrics(ItemListControl* control) {
  ProbeResult probe = MeasuredOnce(control);
  int cellHeight = static_cast<int>(GetFontCellSize(control->window, control->font) & 0xFFFF);
  int rowHeight = std::max({probe.rowHeight, kMinimumRowHeight, cellHeight + 1, control->iconHeight + 1});
  bool changed = control->gap != probe.gap || control->rowHeight != rowHeight;
  control->gap = static_cast<uint16_t>(probe.gap);
  control->textMargin = static_cast<uint16_t>(probe.textMargin);
  control->widthExtra = static_cast<uint16_t>(2 * probe.textMargin);
  control->rowHeight = static_cast<uint16_t>(rowHeight);
  PositionHeader(control);
  if (changed) InvalidateRect(control->window, nullptr, FALSE);
}

namespace {

// Where a list's layout notices stand.
enum : LONG {
  kNoNotice = 0,        // none waits and none was handled lately: the next change posts one
  kNoticePosted = 1,    // one waits in the queue: it lays out every change made until it is handled
  kResting = 2,         // one was handled lately: changes wait for the rest to end
  kRestingChanged = 3,  // the same, and the rows changed meanwhile
};

void LayOutAndRest(ItemListControl* control) {
  InterlockedExchange(&control->layoutNotice, kResting);
  SetTimer(control->window, kLayoutRestTimer, kLayoutRestDelay, nullptr);
  ItemsViewLayout(control, false);
}

}  // namespace

void ItemsViewLayoutFromAnyThread(ItemListControl* control) {
  if (IsControlThread(control)) {
    ItemsViewLayout(control, false);
    return;
  }
  if (InterlockedCompareExchange(&control->layoutNotice, kRestingChanged, kResting) != kNoNotice) return;
  if (InterlockedCompareExchange(&control->layoutNotice, kNoticePosted, kNoNotice) != kNoNotice) return;
  if (!PostWindowMessage(control->window, kLayoutNoticeMessage, 0, 0)) {
    InterlockedExchange(&control->layoutNotice, kNoNotice);
  }
}

void ItemsViewLayoutNoticed(ItemListControl* control) { LayOutAndRest(control); }

void ItemsViewLayoutRested(ItemListControl* control) {
  KillTimer(control->window, kLayoutRestTimer);
  if (InterlockedCompareExchange(&control->layoutNotice, kNoNotice, kResting) == kRestingChanged) {
    LayOutAndRest(control);
  }
}

void ItemsViewLayout(ItemListControl* control, bool freshMetrics) {
  // Showing or hiding a scroll bar resizes the window, which lays it out again inside this call; a few levels
  // settle every case, more would mean bars that keep switching each other.
  static thread_local int depth = 0;
  if (!control->window || depth > kMaxLayoutDepth) return;
  ++depth;
  LayOut(control, freshMetrics);
  --depth;
}

namespace {

void LayOut(ItemListControl* control, bool freshMetrics) {
  RECT before = {};
  GetClientRect(control->window, &before);
  // A list neither sized nor measured yet waits for its first size: the font and icons of its creation are
  // seldom the ones it keeps, and each new pair costs a probe window.
  const bool waits = control->rowHeight == 0 && IsRectEmpty(&before);
  if (!waits && (freshMetrics || (control->header && control->headerHeight == 0) || control->rowHeight == 0)) {
    ItemsViewMeasureMetrics(control);
  } else {
    PositionHeader(control);
  }
  ComputeItemsPerPage(control);
  control->rowCount = ItemStoreCount(&control->rows);
  ItemsViewUpdateScrollBars(control);
  RECT after = {};
  GetClientRect(control->window, &after);
  // A scroll bar that came or went resized the window, and that WM_SIZE laid the list out again.
  if (Width(after) != Width(before) || Height(after) != Height(before)) return;
  InvalidateRect(control->window, nullptr, FALSE);
  ItemsViewEnsureVisible(control, control->focusedIndex);
}

}  // namespace

void ItemsViewUpdateScrollBars(ItemListControl* control) {
  RECT client = ClientWithoutBars(control->window);
  if (Width(client) <= GetSystemMetrics(SM_CXVSCROLL) || Height(client) <= GetSystemMetrics(SM_CYHSCROLL)) {
    EmptyBar(control->window, SB_VERT);
    EmptyBar(control->window, SB_HORZ);
    return;
  }
  switch (ViewMode(control)) {
    case kViewReport:
      UpdateReportBars(control);
      break;
    case kViewColumnMajor:
      UpdateColumnMajorBars(control);
      break;
    default:
      UpdateListBars(control);
      break;
  }
}

void ItemsViewScrollToTop(ItemListControl* control, int top) {
  top = std::clamp(top, 0, MaximumTop(control));
  int delta = top - control->topIndex;
  if (delta == 0) return;
  ItemsViewEndEdit(control, true);
  if (control->hotIndex >= 0) {
    int hot = control->hotIndex + delta;
    control->hotIndex = hot >= 0 && hot < RowCount(control) ? hot : -1;
  }
  control->topIndex = top;
  RECT area = RowsArea(control);
  if (ViewMode(control) == kViewReport && std::abs(delta) < PerPage(control)) {
    ScrollWindowEx(control->window, 0, -delta * control->rowHeight, &area, &area, nullptr, nullptr, SW_INVALIDATE);
  } else {
    InvalidateRect(control->window, &area, FALSE);
  }
  switch (ViewMode(control)) {
    case kViewReport:
      ItemsViewSetVScrollPos(control, top);
      break;
    case kViewColumnMajor:
      SetScrollPos(control->window, SB_HORZ, top / PerPage(control), TRUE);
      break;
    default:
      ItemsViewSetVScrollPos(control, top / PerRow(control));
      break;
  }
}

void ItemsViewHScroll(ItemListControl* control, int code, int position) {
  if (ViewMode(control) == kViewColumnMajor) {
    int column = control->topIndex / PerPage(control);
    switch (code) {
      case SB_LINELEFT:
      case SB_PAGELEFT:
        --column;
        break;
      case SB_LINERIGHT:
      case SB_PAGERIGHT:
        ++column;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        column = position;
        break;
      default:
        return;
    }
    ItemsViewScrollToTop(control, column * PerPage(control));
    return;
  }
  if (ViewMode(control) != kViewReport) return;
  int offset = static_cast<int>(control->horizontalOffset);
  int maximum = std::max(0, ColumnLayoutTotalWidth(control->creation.columns) - ClientWidth(control));
  switch (code) {
    case SB_LINELEFT:
      offset -= kLinePixels;
      break;
    case SB_LINERIGHT:
      offset += kLinePixels;
      break;
    case SB_PAGELEFT:
      offset -= kPagePixels;
      break;
    case SB_PAGERIGHT:
      offset += kPagePixels;
      break;
    case SB_LEFT:
      offset = 0;
      break;
    case SB_RIGHT:
      offset = maximum;
      break;
    case SB_THUMBTRACK:
      if (std::abs(position - offset) < kThumbTrackThreshold) return;
      offset = position;
      break;
    case SB_THUMBPOSITION:
      offset = position;
      break;
    default:
      return;
  }
  ScrollHorizontallyTo(control, std::clamp(offset, 0, maximum));
}

void ItemsViewVScroll(ItemListControl* control, int code, int position) {
  if (ViewMode(control) == kViewColumnMajor) return;
  int step = ViewMode(control) == kViewReport ? 1 : PerRow(control);
  int row = control->topIndex / step;
  int page = PerPage(control);
  switch (code) {
    case SB_LINEUP:
      --row;
      break;
    case SB_LINEDOWN:
      ++row;
      break;
    case SB_PAGEUP:
      row -= page;
      break;
    case SB_PAGEDOWN:
      row += page;
      break;
    case SB_TOP:
      row = 0;
      break;
    case SB_BOTTOM:
      row = CeilDivide(RowCount(control), step);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      row = position;
      break;
    default:
      return;
  }
  ItemsViewScrollToTop(control, std::max(0, row) * step);
}

void ItemsViewWheel(ItemListControl* control, int delta) {
  if (delta == 0) return;
  int direction = delta > 0 ? -1 : 1;
  if (ViewMode(control) == kViewColumnMajor) {
    int columns = std::max(1, std::abs(delta) / WHEEL_DELTA);
    ItemsViewScrollToTop(control, control->topIndex + direction * columns * PerPage(control));
    return;
  }
  int lines = std::max(1, (std::abs(delta) * kWheelLines) / WHEEL_DELTA);
  int step = ViewMode(control) == kViewReport ? 1 : PerRow(control);
  ItemsViewScrollToTop(control, control->topIndex + direction * lines * step);
}

void ItemsViewEnsureVisible(ItemListControl* control, int index) {
  int rows = RowCount(control);
  if (index < 0 || index >= rows) index = std::min(control->topIndex, std::max(0, rows - 1));
  if (ViewMode(control) == kViewColumnMajor) {
    int perColumn = PerPage(control);
    int column = index / perColumn;
    int top = control->topIndex / perColumn;
    int fit = ColumnsThatFit(control);
    if (column < top)
      top = column;
    else if (column >= top + fit)
      top = column - fit + 1;
    ItemsViewScrollToTop(control, top * perColumn);
    return;
  }
  int unit = ViewMode(control) == kViewReport ? 1 : PerRow(control);
  int page = PerPage(control);
  int margin = std::min(kMaxVisibleMargin, page / 4);
  int row = index / unit;
  int top = control->topIndex / unit;
  if (row < top)
    top = std::max(0, row - margin);
  else if (row >= top + page - 1)
    top = row + margin - page + 1;
  ItemsViewScrollToTop(control, top * unit);
  if (control->topIndex > MaximumTop(control)) ItemsViewScrollToTop(control, MaximumTop(control));
}

void ItemsViewSetVScrollPos(ItemListControl* control, int position) {
  SetScrollPos(control->window, SB_VERT, position, TRUE);
  if (control->lastAnnouncedScroll < 0 || control->lastAnnouncedScroll == position) return;
  SCROLLINFO announcement = {};
  announcement.cbSize = sizeof announcement;
  announcement.fMask = SIF_POS;
  announcement.nPos = position;
  LRESULT answer = SendPaneNotify(control, kPaneScrolled, &announcement);
  control->lastAnnouncedScroll = answer ? position : -1;
}

namespace {

// The width a column's caption needs, with its sort mark.
int CaptionFitWidth(const ItemListControl* control, int column) {
  bool sortMark = false;
  return CaptionWidth(control, column, &sortMark) + kCaptionPadding + (sortMark ? control->gap + kSortMarkPadding : 0);
}

// What comes before the text in a report row's main column, as painting places it: check box, icon.
int MainColumnLeading(const ItemListControl* control) {
  int leading = (control->creation.styleFlags & kListCheckBoxes) ? control->gap + kCheckBoxSize : 0;
  if (control->imageList) leading += control->gap + control->iconWidth + control->textMargin / 2;
  return leading;
}

// The widest text measured in a column, with what its cells draw around it, kept as the column's widest text.
int WidenToMeasured(ItemListControl* control, int tablePosition, int measured) {
  if (measured > 0) {
    measured += control->widthExtra + (tablePosition == 0 ? MainColumnLeading(control) : 0);
    WidenWidestText(control, tablePosition, measured);
  }
  return WidestText(control, tablePosition);
}

// The widest text of a column, asked of the parent for every row as painting asks for it: painting measures only
// the rows and columns it showed, and a column scrolled out of view has measured nothing.
int WidestColumnContent(ItemListControl* control, int tablePosition) {
  const uint32_t count = ItemStoreCount(&control->rows);
  if (!control->window || count == 0) return WidestText(control, tablePosition);
  TextWidthMeter meter;
  StartTextWidthMeter(&meter, control->font);
  wchar_t text[kCellTextCapacity];
  for (uint32_t i = 0; i < count; ++i) {
    CellDisplay display = {};
    const int length =
        RequestCellDisplay(control, static_cast<int>(i), tablePosition, LVIF_TEXT, text, kCellTextCapacity, &display);
    MeterText(&meter, text, length);
  }
  return WidenToMeasured(control, tablePosition, EndTextWidthMeter(&meter));
}

}  // namespace

int ItemsViewSetColumnWidth(ItemListControl* control, int column, int width) {
  if (ViewMode(control) != kViewReport) return 0;
  ColumnLayout* entry = ColumnLayoutNthVisible(control->creation.columns, column);
  if (!entry) return 0;
  CancelEditing(control);
  if (width == LVSCW_AUTOSIZE_USEHEADER) {
    width = CaptionFitWidth(control, column);
  } else if (width == LVSCW_AUTOSIZE) {
    width = WidestColumnContent(control, TablePositionOfVisible(control, column));
  }
  if (width < kMinimumColumnWidth) return 0;
  entry->width = width;
  HeaderSetItemWidth(control->header, column, width);
  ItemsViewLayout(control, false);
  return 1;
}

int GetColumnWidth(const ItemListControl* control, int column) {
  if (column < 0 || ViewMode(control) != kViewReport) return 0;
  const ColumnLayout* entry = ColumnLayoutNthVisible(control->creation.columns, column);
  if (entry) return entry->width;
  HDITEMW item = {};
  item.mask = HDI_WIDTH;
  if (!control->header || !SendMessageW(control->header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item))) {
    return 0;
  }
  return item.cxy;
}

namespace {

// The widest text, and at least the caption and the smallest automatic width; set in one step, so that the list
// is laid out once, and only when the width changes.
void FitColumnTo(ItemListControl* control, int column, int widest) {
  const int caption = CaptionFitWidth(control, column);
  const int captionWidth = caption >= kMinimumColumnWidth ? caption : GetColumnWidth(control, column);
  const int smallest = std::max(captionWidth, ScaleByScreenWidth(kAutoSizeMinimum));
  const int width = widest >= kMinimumColumnWidth ? std::max(widest, smallest) : smallest;
  if (width != GetColumnWidth(control, column)) ItemsViewSetColumnWidth(control, column, width);
}

}  // namespace

void ItemsViewAutoSizeColumn(ItemListControl* control, int column) {
  if (ViewMode(control) != kViewReport) return;
  FitColumnTo(control, column, WidestColumnContent(control, TablePositionOfVisible(control, column)));
}

void ItemsViewFitColumnToText(ItemListControl* control, int column, int measured) {
  if (ViewMode(control) != kViewReport) return;
  FitColumnTo(control, column, WidenToMeasured(control, TablePositionOfVisible(control, column), measured));
}

LRESULT ItemsViewSetIconSpacing(ItemListControl* control, int cx, int cy) {
  LRESULT old = MAKELONG(control->iconCellWidth, control->iconCellHeight);
  int gap = control->gap;
  if (cx < -1)
    cx = 2 * gap - cx;
  else if (cx == -1)
    cx = kIconCellWidth;
  else if (cx == 0)
    cx = control->iconWidth + 2 * gap;
  if (cy < -1)
    cy = 2 * gap + control->rowHeight - cy;
  else if (cy == -1)
    cy = kIconCellHeight;
  else if (cy == 0)
    cy = control->rowHeight + 2 * gap + control->iconHeight;
  CancelEditing(control);
  control->iconCellWidth = cx;
  control->iconCellHeight = cy;
  ItemsViewLayout(control, false);
  return old;
}

HIMAGELIST ItemsViewSetImageList(ItemListControl* control, HIMAGELIST list) {
  CancelEditing(control);
  HIMAGELIST old = control->imageList;
  control->imageList = list;
  int width = 0;
  int height = 0;
  if (list) {
    ImageList_GetIconSize(list, &width, &height);
    ImageList_SetBkColor(list, control->backgroundColour);
  }
  control->iconWidth = width;
  control->iconHeight = height;
  ItemsViewMeasureMetrics(control);
  control->iconCellWidth = width + 2 * control->gap;
  control->iconCellHeight = control->rowHeight + 2 * control->gap + height;
  bool destroyed = old && old != list && !(control->creation.viewWord & kViewSharedImageList);
  if (destroyed) ImageList_Destroy(old);
  ItemsViewLayout(control, false);
  return destroyed ? nullptr : old;
}

HFONT ItemsViewDefaultFont(const ItemListControl* control) {
  HFONT font = reinterpret_cast<HFONT>(SendWindowMessage(control->creation.parent, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void ItemsViewSetFont(ItemListControl* control, HFONT font) {
  if (!font) font = ItemsViewDefaultFont(control);
  if (font == control->font) return;
  CancelEditing(control);
  control->font = font;
  SendWindowMessage(control->header, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ItemsViewLayout(control, true);
}

void ItemsViewReplaceColumns(ItemListControl* control, ColumnLayout* columns) {
  CancelEditing(control);
  ColumnLayout* old = control->creation.columns;
  if (!control->creationColumns) control->creationColumns = old;
  if (old && old != columns && old != control->creationColumns && ColumnLayoutIsHeapOwned(old)) FreeAndNull(&old);
  control->creation.columns = columns;
  SizeWidestText(control);
  ClearWidestText(control);
  ItemsViewSetViewMode(control, control->creation.viewWord);
}
