#include "shell/main_lists.h"

#include <shellapi.h>

#include "engine/chain_list.h"
#include "engine/file_list_fields.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "shell/list_colours.h"
#include "shell/main_window.h"
#include "shell/settings_values.h"
#include "shell/status_notices.h"
#include "views/column_layout_text.h"
#include "views/file_list_columns.h"
#include "views/folder_tree.h"
#include "views/items_view.h"
#include "views/list_operations.h"

namespace {

constexpr uint32_t kChainViewWord = 0x5;      // report, single selection
constexpr uint32_t kFileViewWord = 0x201;     // report, rename by a slow second click
constexpr uint32_t kChainStyleFlags = 0x1004;  // check boxes, no focus rectangle

}  // namespace

void CreateMainLists(HWND window) {
  const SortSetting sort = LoadSortSetting();
  const uint32_t style = GetListControlStyle(g_app->options);
  g_app->chainList = CreateItemsViewWindow(window, kChainViewWord, style | kChainStyleFlags, kChainListId,
                                           g_chainListColumns, nullptr, nullptr, FreeStepInstanceCallback, nullptr);
  g_app->fileList = CreateItemsViewWindow(window, kFileViewWord, style, kFileListId, g_fileListColumns,
                                          kFileListSortTable, FileListSortKey, FreeItemFieldValuesCallback, nullptr);
  if (g_app->chainList) DragAcceptFiles(g_app->chainList->window, TRUE);
  // The lists take their font and the file list its icons before anything measures them: one probe then
  // measures the rows of both for what they keep.
  ApplyListFont(window);
  ApplyFileListIconsOption();
  if (g_app->fileList) {
    FitDateColumnDefaults(g_app->fileList, g_fileListColumns);
    ApplyColumnLayoutFromProfile(g_app->fileList, kMainSection);
    g_app->fileList->sortKey = sort.key;
    g_app->fileList->sortDirection = sort.direction;
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

// The duplicate numbering follows the list order, so the preview comes after the sort. A sort by the new name
// needs the new names before it, and the preview runs again only when that sort moved rows. A chain change that
// came while the folder was listed (the start-up's chain restore) is in these passes.
void RunListingFollowUps(ItemListControl* list, const wchar_t* folder) {
  ForgetDeferredPreview();
  const bool byNewName = list->sortKey == kSortByNewName;
  if (byNewName) ComputeNewNames();
  const LONG changesBeforeSort = list->rows.changes;
  // A sort that fails must not leave the rows without their new names.
  GuardedCall(0, [&] {
    SortFileListRows(list, folder);
    return 0;
  });
  if (!byNewName || list->rows.changes != changesBeforeSort) ComputeNewNames();
  UpdateProblemCountNotice();
  LoadFileListFieldValues(folder);
}
