#include "shell/main_lists.h"

#include <shellapi.h>

#include "engine/chain_list.h"
#include "foundation/app_state.h"
#include "foundation/column_layout.h"
#include "foundation/profile_store.h"
#include "shell/main_window.h"
#include "views/item_list_window.h"

namespace {

constexpr uint32_t kChainViewWord = 0x5;      // report, single selection
constexpr uint32_t kFileViewWord = 0x201;     // report, rename by a slow second click
constexpr uint32_t kChainStyleFlags = 0x1004;  // check boxes, no focus rectangle

// The lists change these tables as the user drags the header, so they are the process's current layouts.
ColumnLayout g_chainColumns[] = {
    {5580, 150, 0, 0},
    {41, 100, 1, 0},
    {0, 0, 0, 0},
};

ColumnLayout g_fileColumns[] = {
    {50, 150, 0, 0},      {51, 150, 1, 0},    {52, 75, 2, 0x201},   {53, 120, 3, 0},    {2349, 45, 4, 1},
    {55, 100, 5, 0},      {56, 200, 6, 0},    {2310, 120, -1, 0},   {2312, 120, -1, 0}, {0, 0, 0, 0},
};

}  // namespace

void CreateMainLists(HWND window) {
  const int32_t sort = ProfileGetInt(&g_settingsStore, kMainSection, "Sort", 0);
  const uint32_t style = GetListControlStyle(g_app->options);
  g_app->chainList = CreateItemsViewWindow(window, kChainViewWord, style | kChainStyleFlags, kChainListId,
                                           g_chainColumns, nullptr, nullptr, FreeStepInstanceCallback, nullptr);
  g_app->fileList = CreateItemsViewWindow(window, kFileViewWord, style, kFileListId, g_fileColumns, nullptr,
                                          nullptr, nullptr, nullptr);
  if (g_app->chainList) DragAcceptFiles(g_app->chainList->window, TRUE);
  if (g_app->fileList) {
    g_app->fileList->sortKey = LOWORD(sort);
    g_app->fileList->sortDirection = static_cast<int16_t>(HIWORD(sort));
  }
}
