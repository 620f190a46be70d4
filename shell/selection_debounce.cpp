#include "shell/selection_debounce.h"

#include "engine/engine_hooks.h"
#include "foundation/core/app_state.h"
#include "foundation/ui/ui_operations.h"
#include "shell/status_notices.h"
#include "views/items_view.h"

void OnSelectionTimer(HWND window) {
  if (g_app->selectionChangeCount == 0) {
    KillTimer(window, kSelectionTimerId);
    return;
  }
  if (g_app->selectionChangeCount != g_app->lastSeenChangeCount) {
    g_app->lastSeenChangeCount = g_app->selectionChangeCount;
    return;
  }
  g_app->selectionChangeCount = 0;
  if (g_app->fileList) CountSelectedItems(g_app->fileList);
  ShowSelectionCounts();
  UpdateMenuStatesHook();
}
