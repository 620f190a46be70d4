#include "shell/pane_layout.h"

#include "foundation/app_state.h"
#include "foundation/window_wrappers.h"
#include "shell/toolbar_descriptor.h"
#include "views/address_bar.h"
#include "views/status_bar.h"

namespace {

bool IsShownBar(HWND bar, int32_t shown) { return shown != 0 && IsWindowSafe(bar); }

// Puts a bar of its own height at the top of the free area and takes that height away.
void PlaceTopBar(HWND bar, int height, RECT* free) {
  MoveWindow(bar, free->left, free->top, free->right - free->left, height, TRUE);
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
    const int height = GetVisibleWindowHeight(g_statusBar.window);
    free->bottom -= height;
    MoveWindow(g_statusBar.window, free->left, free->bottom, free->right - free->left, height, TRUE);
  }
}

// A stored size that fits, else the share of the room.
int PaneSize(int stored, int room, int share) {
  if (stored > 0 && stored < room - kSplitterGap) return stored;
  return room / share;
}

void PlacePanes(const RECT& free) {
  HWND tree = g_app->paneWindows[0];
  HWND chain = g_app->paneWindows[1];
  HWND files = g_app->paneWindows[2];
  int left = free.left;
  if (IsWindowShown(tree)) {
    const int width = PaneSize(g_app->treeWidth, free.right - free.left, 4);
    MoveWindow(tree, left, free.top, width, free.bottom - free.top, TRUE);
    left += width + kSplitterGap;
  }
  int top = free.top;
  if (IsWindowShown(chain)) {
    const int height = PaneSize(g_app->chainHeight, free.bottom - free.top, 3);
    MoveWindow(chain, left, top, free.right - left, height, TRUE);
    top += height + kSplitterGap;
  }
  if (IsWindowSafe(files)) MoveWindow(files, left, top, free.right - left, free.bottom - top, TRUE);
}

}  // namespace

void LayoutMainWindow(HWND window) {
  if (!g_app) return;
  RECT free = {};
  GetClientRect(window, &free);
  PlaceBars(&free);
  PlacePanes(free);
}
