#include "shell/pane_layout.h"

#include <algorithm>

#include "foundation/core/app_state.h"
#include "foundation/win32/gdi.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/splitters.h"
#include "shell/toolbar_descriptor.h"
#include "views/address_bar.h"
#include "views/status_bar.h"

namespace {

constexpr int kHalfGap = kSplitterGap / 2;
constexpr int kStatusBarHeight = 20;
constexpr int kStatusFontRoom = 4;
constexpr int kStatusLargeFont = 16;
// The bar grows by this while the window has height to spare for it.
constexpr int kStatusSpareRoom = 5;
// The last part keeps room for the bar's height plus this.
constexpr int kStatusLastPartExtra = 19;

// What the last layout left the panes (the client area less the bars), and where it put the vertical splitter.
RECT g_paneArea = {};
int32_t g_placedTreeWidth = 0;

// 20 pixels, or the status font's height + 4 when that font is taller than 16; 5 more when the free height
// exceeds that.
int StatusBarHeight(StatusBar* bar, int freeHeight) {
  bool created = false;
  HFONT font = GetStatusBarFont(bar, &created);
  const int fontHeight = static_cast<int>(LOWORD(GetFontCellSize(bar->window, font)));
  if (created) DeleteObject(font);
  const int height = fontHeight > kStatusLargeFont ? fontHeight + kStatusFontRoom : kStatusBarHeight;
  return freeHeight > height ? height + kStatusSpareRoom : height;
}

bool IsShownBar(HWND bar, int32_t shown) { return shown != 0 && IsWindowSafe(bar); }

// Where a bar was asked to go and where it went. The toolbar aligns itself along the top of the window, so it
// never stands where it was asked to; asked again for the same place it would move twice for nothing, and
// repaint when shown.
struct BarPlace {
  HWND bar;
  RECT asked;
  RECT taken;
};
constexpr int kPlacedBars = 3;
BarPlace g_barPlaces[kPlacedBars] = {};
int g_nextBarPlace = 0;

RECT PlaceInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

BarPlace* PlaceOf(HWND bar) {
  for (BarPlace& place : g_barPlaces) {
    if (place.bar == bar) return &place;
  }
  BarPlace* place = &g_barPlaces[g_nextBarPlace++ % kPlacedBars];
  *place = {bar, {}, {}};
  return place;
}

// Moves the bar unless it stands where the same request left it last time.
void MoveBar(HWND bar, int x, int y, int width, int height) {
  BarPlace* place = PlaceOf(bar);
  const RECT asked = {x, y, x + width, y + height};
  const RECT now = PlaceInParent(bar);
  if (EqualRect(&place->asked, &asked) && EqualRect(&place->taken, &now)) return;
  MoveWindow(bar, x, y, width, height, TRUE);
  place->asked = asked;
  place->taken = PlaceInParent(bar);
}

// Puts a bar of its own height at the top of the free area and takes that height away.
void PlaceTopBar(HWND bar, int height, RECT* free) {
  MoveBar(bar, free->left, free->top, free->right - free->left, height);
  free->top += height;
}

void PlaceBars(RECT* free) {
  if (IsShownBar(g_mainToolbar.toolbar, g_mainToolbar.shown)) {
    PlaceTopBar(g_mainToolbar.toolbar, GetVisibleWindowHeight(g_mainToolbar.toolbar), free);
  }
  if (IsShownBar(g_addressBar.window, g_addressBar.shown)) {
    PlaceTopBar(g_addressBar.window, g_addressBar.rowHeight, free);
  }
  if (IsShownBar(g_statusBar.window, g_statusBar.shown)) {
    const int height = StatusBarHeight(&g_statusBar, free->bottom - free->top);
    const int width = free->right - free->left;
    free->bottom -= height;
    MoveBar(g_statusBar.window, free->left, free->bottom, width, height);
    LayoutStatusParts(&g_statusBar, width, height);
  }
}

// The first layout without stored places gives the tree a quarter of the width and the chain an eighth of the
// height, and stores them.
void TakeDefaultPlaces(int width, int height) {
  if (g_app->treeWidth != 0 && g_app->chainHeight != 0) return;
  g_app->treeWidth = width / 4;
  g_app->chainHeight = height / 8;
  SaveSplitterPosition();
}

// A stored splitter place is drawn where the panes before it keep `nearRoom` pixels up to it and the panes
// beyond it `farRoom` after it, as a drag would leave them; the stored place stays for a window it fits. A
// room too small for both is shared equally.
int32_t Fitted(int32_t place, int room, int nearRoom, int farRoom) {
  const int largest = room - farRoom;
  return largest < nearRoom ? room / 2 : std::clamp<int32_t>(place, nearRoom, largest);
}

void PlacePanes(const RECT& free) {
  const int width = free.right - free.left;
  const int height = free.bottom - free.top;
  if (width <= 0 || height <= 0) return;
  TakeDefaultPlaces(width, height);
  g_placedTreeWidth = Fitted(g_app->treeWidth, width, kSmallestTreeWidth, kHalfGap + kSmallestListWidth);
  const int smallestHeight = SmallestChainHeight();
  const int32_t chainHeight = Fitted(g_app->chainHeight, height, smallestHeight, smallestHeight + kSplitterGap);
  HWND tree = g_app->paneWindows[0];
  int left = free.left;
  // The panes are placed while the window is still hidden, as they will stand once it shows: showing it then
  // moves nothing.
  if (HasVisibleStyle(tree)) {
    MoveWindow(tree, free.left, free.top, g_placedTreeWidth - kHalfGap, height, TRUE);
    left += g_placedTreeWidth + kHalfGap;
  }
  const int listWidth = free.right - left;
  MoveWindow(g_app->paneWindows[1], left, free.top, listWidth, chainHeight - kHalfGap, TRUE);
  MoveWindow(g_app->paneWindows[2], left, free.top + chainHeight + kHalfGap, listWidth,
             height - chainHeight - kHalfGap, TRUE);
  // The description column takes the chain's new width when it paints next.
  InterlockedIncrement(&g_app->chainColumnFitCounter);
}

}  // namespace

void StatusBarLayoutCallback(int clientWidth, int barHeight, int32_t* widths, int partCount) {
  if (partCount < 2) return;
  const int last = barHeight + kStatusLastPartExtra;
  const int middle = (clientWidth - last) >> 1;
  widths[partCount - 1] = last;
  widths[partCount - 2] = middle;
  if (partCount > 2) widths[0] = clientWidth - last - middle;
}

void LayoutMainWindow(HWND window) {
  if (!g_app) return;
  RECT free = {};
  GetClientRect(window, &free);
  PlaceBars(&free);
  g_paneArea = free;
  PlacePanes(free);
}

void GetPaneArea(RECT* area) { *area = g_paneArea; }

int32_t PlacedTreeWidth() { return g_placedTreeWidth; }
