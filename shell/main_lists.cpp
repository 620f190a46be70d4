#include "shell/main_lists.h"

#include <shellapi.h>

#include "engine/chain_list.h"
#include "engine/file_list_fields.h"
#include "foundation/core/app_state.h"
#include "foundation/profile/profile_store.h"
#include "shell/main_window.h"
#include "views/column_layout_text.h"
#include "views/file_list_columns.h"
#include "views/items_view.h"

namespace {

constexpr uint32_t kChainViewWord = 0x5;      // report, single selection
constexpr uint32_t kFileViewWord = 0x201;     // report, rename by a slow second click
constexpr uint32_t kChainStyleFlags = 0x1004;  // check boxes, no focus rectangle

}  // namespace

void CreateMainLists(HWND window) {
  const int32_t sort = ProfileGetInt(&g_settingsStore, kMainSection, "Sort", 0);
  const uint32_t style = GetListControlStyle(g_app->options);
  g_app->chainList = CreateItemsViewWindow(window, kChainViewWord, style | kChainStyleFlags, kChainListId,
                                           g_chainListColumns, nullptr, nullptr, FreeStepInstanceCallback, nullptr);
  g_app->fileList = CreateItemsViewWindow(window, kFileViewWord, style, kFileListId, g_fileListColumns,
                                          kFileListSortTable, FileListSortKey, FreeItemFieldValuesCallback, nullptr);
  if (g_app->chainList) DragAcceptFiles(g_app->chainList->window, TRUE);
  if (g_app->fileList) {
    FitDateColumnDefaults(g_app->fileList, g_fileListColumns);
    ApplyColumnLayoutFromProfile(g_app->fileList, kMainSection);
    g_app->fileList->sortKey = LOWORD(sort);
    g_app->fileList->sortDirection = static_cast<int16_t>(HIWORD(sort));
    ItemsViewUpdateSortArrow(g_app->fileList);
  }
}

void ApplyMainListStyles() {
  const uint32_t style = GetListControlStyle(g_app->options);
  if (const ItemListControl* chain = AppChainList()) {
    SendMessageW(chain->window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | kChainStyleFlags);
  }
  if (const ItemListControl* files = AppFileList()) SendMessageW(files->window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}
