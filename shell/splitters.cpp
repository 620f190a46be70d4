#include "shell/splitters.h"

#include <algorithm>

#include "foundation/core/app_state.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/pane_layout.h"
#include "shell/settings_values.h"
#include "views/items_view.h"

namespace {

constexpr int kHalfGap = kSplitterGap / 2;
// Room for one row of the chain list below its header, or without a header.
constexpr int kRowRoomBelowHeader = 5;
constexpr int kRowRoomWithoutHeader = 22;
constexpr int kPaneCount = 3;

bool TreeShown() { return IsWindowShown(g_app->paneWindows[0]); }

int32_t* SplitterValue(int kind) { return kind == kSplitterVertical ? &g_app->treeWidth : &g_app->chainHeight; }

void ShowSplitterCursor(int kind) { SetCursor(g_app->splitterCursors[kind == kSplitterVertical ? 0 : 1]); }

void DragVertical(const RECT& panes, int x) {
  if (x < 0) return;
  const int largest = panes.right - kHalfGap - kSmallestListWidth;
  g_app->treeWidth = x < kSmallestTreeWidth ? kSmallestTreeWidth : std::min<int>(x, largest);
}

void DragHorizontal(const RECT& panes, int y) {
  if (y < 0) return;
  const int smallest = SmallestChainHeight();
  const int height = y - panes.top;
  const int largest = panes.bottom - panes.top - smallest - kSplitterGap;
  g_app->chainHeight = height < smallest ? smallest : std::min(height, largest);
}

void RepaintPanes(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  for (int i = 0; i < kPaneCount; ++i) {
    if (g_app->paneWindows[i]) InvalidateRect(g_app->paneWindows[i], nullptr, TRUE);
  }
}

}  // namespace

int SmallestChainHeight() {
  const ItemListControl* chain = g_app->chainList;
  const int row = chain && chain->headerHeight > 0 ? chain->headerHeight + kRowRoomBelowHeader : kRowRoomWithoutHeader;
  return row / 2 + 2 * row;
}

int SplitterHitTest(POINT position) {
  if (!TreeShown()) return kSplitterHorizontal;
  const int32_t x = PlacedTreeWidth();
  const bool onVertical = position.x > x - kHalfGap && position.x < x + kHalfGap;
  return onVertical ? kSplitterVertical : kSplitterHorizontal;
}

void SplitterButtonDown(HWND window, POINT position) {
  if (g_app->dragKind != 0) return;
  const int kind = SplitterHitTest(position);
  g_app->dragKind = static_cast<int16_t>(kind);
  ShowSplitterCursor(kind);
  // 0 means "nothing to put back" to Esc.
  g_app->dragStart = std::max<int32_t>(*SplitterValue(kind), 1);
  SetCapture(window);
}

void SplitterMouseMove(HWND window, POINT position) {
  if (g_app->dragKind == 0) {
    ShowSplitterCursor(SplitterHitTest(position));
    return;
  }
  RECT panes;
  GetPaneArea(&panes);
  if (g_app->dragKind == kSplitterVertical) {
    DragVertical(panes, position.x);
  } else {
    DragHorizontal(panes, position.y);
  }
  LayoutMainWindow(window);
}

void SplitterButtonUp(HWND window) {
  if (g_app->dragKind == 0) return;
  g_app->dragKind = 0;
  ReleaseCapture();
  SaveSplitterPosition();
  RepaintPanes(window);
}

void LoadSplitterPosition() { LoadSplitterSetting(&g_app->treeWidth, &g_app->chainHeight); }

void SaveSplitterPosition() { StoreSplitterSetting(g_app->treeWidth, g_app->chainHeight); }
