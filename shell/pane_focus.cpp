#include "shell/pane_focus.h"

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/ui/command_ids.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/main_window.h"
#include "shell/pane_layout.h"
#include "views/items_view.h"

namespace {

constexpr int kPaneCount = 3;

int FilledTabStops() {
  int filled = 0;
  while (filled < kPaneCount && g_app->tabStopPanes[filled]) ++filled;
  return filled;
}

int PaneHoldingFocus(int filled) {
  HWND focus = GetFocus();
  for (int i = 0; i < filled; ++i) {
    HWND pane = g_app->tabStopPanes[i];
    if (focus && (focus == pane || IsChild(pane, focus))) return i;
  }
  return -1;
}

bool UndoSplitterDrag(HWND window) {
  if (g_app->dragKind == 0 || g_app->dragStart == 0) return false;
  if (g_app->dragKind == 1) {
    g_app->treeWidth = g_app->dragStart;
  } else {
    g_app->chainHeight = g_app->dragStart;
  }
  g_app->dragKind = 0;
  ReleaseCapture();
  LayoutMainWindow(window);
  return true;
}

}  // namespace

void CollectTabStopPanes() {
  int filled = 0;
  for (HWND pane : g_app->paneWindows) {
    if (pane && (GetWindowLongPtrW(pane, GWL_STYLE) & WS_TABSTOP)) g_app->tabStopPanes[filled++] = pane;
  }
  while (filled <= kPaneCount) g_app->tabStopPanes[filled++] = nullptr;
}

void FocusNextPane(bool backwards) {
  const int filled = FilledTabStops();
  if (filled == 0) return;
  const int current = PaneHoldingFocus(filled);
  if (current < 0) {
    SetFocusSafe(g_app->tabStopPanes[0]);
    return;
  }
  for (int step = 1; step <= filled; ++step) {
    const int next = (current + (backwards ? filled - step : step)) % filled;
    HWND pane = g_app->tabStopPanes[next];
    if (IsWindowShown(pane)) {
      SetFocusSafe(pane);
      return;
    }
  }
}

void CancelOrEscape(HWND window) {
  if (IsJobBusy()) {
    PostWindowMessage(window, WM_COMMAND, IDM_STOP, 0);
    return;
  }
  if (!UndoSplitterDrag(window)) {
    ItemListControl* files = g_app->fileList;
    if (!files) return;
    if (files->editor) {
      ItemsViewEndEdit(files, false);
    } else if (GetFocus() == files->window) {
      PostWindowMessage(files->window, WM_LBUTTONUP, 0, 0);
    } else {
      return;
    }
  }
  PostWindowMessage(window, WM_KEYDOWN, VK_ESCAPE, 0);
}
