#include "shell/selection_debounce.h"

#include "engine/engine_hooks.h"
#include "foundation/app_state.h"
#include "foundation/ui_operations.h"
#include "shell/shell_hooks.h"
#include "views/item_list_rows.h"

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
  CallShellHook(g_shellHooks.showSelectionCounts);
  UpdateMenuStatesHook();
}
