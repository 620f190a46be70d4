#include "shell/main_window.h"

#include <ole2.h>

#include <cstdint>
#include <iterator>

#include "engine/chain_files.h"
#include "engine/module_table.h"
#include "engine/undo.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/threads.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/header_columns.h"
#include "foundation/win32/menu_icons.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/resource_library.h"
#include "foundation/win32/system_functions.h"
#include "foundation/win32/theme.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/win32/window_placement.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/check_list_dialog.h"
#include "shell/language.h"
#include "shell/list_colours.h"
#include "shell/main_commands.h"
#include "shell/main_lists.h"
#include "shell/main_window_proc.h"
#include "shell/menu_icon_table.h"
#include "shell/pane_focus.h"
#include "shell/splitters.h"
#include "shell/startup_icons.h"
#include "shell/toolbar_descriptor.h"
#include "views/address_bar.h"
#include "views/filter_text_form.h"
#include "views/folder_tree.h"
#include "views/items_view.h"
#include "views/status_bar.h"
#include "shell/profile_notices.h"
#include "shell/settings_values.h"

namespace {

constexpr int kLargeIconSize = 32;
constexpr int kSmallIconSize = 16;

bool g_oleStarted = false;

SettingsStore* Store() { return &g_settingsStore; }

// The program icon at a size; shared with the system, so nobody destroys it.
HICON LoadProgramIcon(HINSTANCE instance, int size) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, size, size, LR_SHARED));
}

// The resource library's first string table is the one in use until a language is chosen.
void UseResourceLibrary() {
  const ResourceLibrary* library = LoadResourceLibrary();
  if (library && !g_app->uiStrings) g_app->uiStrings = library->languages[0].table;
}

void ReadViewSettings() {
  g_app->compareMode = (g_app->options & kOptionCompareModeOne) ? 1 : 2;
  g_app->exportMode = LoadExportModeSetting();
  g_app->splitterCursors[0] = LoadCursorW(g_app->instance, MAKEINTRESOURCEW(IDCUR_SPLIT_VERTICAL));
  g_app->splitterCursors[1] = LoadCursorW(g_app->instance, MAKEINTRESOURCEW(IDCUR_SPLIT_HORIZONTAL));
  LoadSplitterPosition();
  g_app->listIconSize = LoadIconSizeSetting(IconSizeSetting::kList);
  g_app->toolbarIconSize = LoadIconSizeSetting(IconSizeSetting::kToolbar);
  g_app->menuIconSize = LoadIconSizeSetting(IconSizeSetting::kMenu);
}

void CreateBars(HWND window) {
  g_app->addressBar = &g_addressBar;
  CreateAddressBar(&g_addressBar, window, g_app->instance);
  CreateMainToolbar(window);
  CreateStatusBar(&g_statusBar, window, g_app->instance);
}

HWND ListWindow(const ItemListControl* list) { return list ? list->window : nullptr; }

// The folder tree and the two lists become the panes, with the list font and colours and the tab order applied.
// False when a pane is missing. The lists got their font at their creation, so that the row metrics are measured
// for the font and icon size the lists keep; the tree takes it here, and its icons with its first filling.
bool CreatePanes(HWND window) {
  HWND* panes = g_app->paneWindows;
  panes[0] = CreateFolderTree(window);
  panes[1] = ListWindow(g_app->chainList);
  panes[2] = ListWindow(g_app->fileList);
  ApplyListColours(panes[0]);
  CollectTabStopPanes();
  return panes[0] && panes[1] && panes[2];
}

void ShowBar(HWND bar, int32_t* shown, bool show) {
  *shown = show ? 1 : 0;
  if (bar) ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
}

void ShowBarsByOptions() {
  const uint32_t options = g_app->options;
  ShowBar(g_addressBar.window, &g_addressBar.shown, !(options & kOptionAddressBarHidden));
  ShowBar(g_mainToolbar.toolbar, &g_mainToolbar.shown, !(options & kOptionToolbarHidden));
  ShowBar(g_statusBar.window, &g_statusBar.shown, !(options & kOptionStatusBarHidden));
}

// An empty current folder (nothing was listed in this run) leaves the stored one for the next start.
void WriteLastFolder() {
  if (g_app->currentFolder[0] != 0) StoreLastFolderSetting(g_app->currentFolder);
}

void StoreFileListSort() {
  ItemListControl* files = g_app->fileList;
  if (!files) return;
  StoreSortSetting(files->sortKey, files->sortDirection != 0);
  g_app->fileList = nullptr;
}

void DeleteFileListFont() {
  ItemListControl* files = g_app->fileList;
  if (!files || !files->font) return;
  DeleteObject(files->font);
  files->font = nullptr;
}

void StoreStateOfRun(HWND window) {
  ++g_app->closingCount;
  SaveModuleChainToSettings();
  StoreMainWindowPlacement(window);
  StoreExportModeSetting(g_app->exportMode);
  WriteLastFolder();
  StoreOptionWord();
  ReleaseUndoList();
  DeleteFileListFont();
  DestroyToolbarDescriptor(&g_mainToolbar);
  StoreFileListSort();
  // The window is on its way out: a trouble with the save gets a box of its own.
  SaveSettings(Store(), nullptr);
  g_app->paneWindows[0] = nullptr;
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
  InitCommonControlClasses();
  g_app->displayMode = LoadDisplayModeSetting();
  SetDarkModePreference(AppModeOfDisplayMode(g_app->displayMode));
  g_app->instance = instance;
  CopyWideBounded(kProgramTitle, g_app->title, static_cast<int>(std::size(g_app->title)));
  g_app->titlePointer = g_app->title;
  UseResourceLibrary();
  g_app->largeIcon = LoadProgramIcon(instance, kLargeIconSize);
  WindowPlacementRecord placement;
  LoadMainWindowPlacement(&placement);
  const WindowClassFields windowClass = {MainWindowProc, CS_DBLCLKS, nullptr, g_app->largeIcon,
                                         LoadProgramIcon(instance, kSmallIconSize), nullptr, kMainWindowClass,
                                         instance};
  const WindowFields fields = {0, g_app->title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, &placement, nullptr, nullptr,
                               instance, nullptr};
  HWND window = CreateWindowRegistered(windowClass, fields);
  if (!window) return nullptr;
  ShowWindow(window, placement.showState == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : showCommand);
  UpdateWindow(window);
  return window;
}

void LoadSortArrows() {
  LoadSortArrowBitmaps(GetSortArrowHolder(), g_app->instance, IDB_SORT_DESCENDING, IDB_SORT_ASCENDING);
}

void LoadMenuIcons() {
  MenuIconsLoadImageList(&g_menuIcons, g_app->instance, 0, kMenuIconTable, g_app->menuIconSize, false);
}

namespace {

LRESULT StartIconLoads(void*) {
  StartStartupIconLoads();
  return 0;
}

}  // namespace

void OnMainWindowCreate(HWND window) {
  LoadSortArrows();
  InitMainWindow(window);
  // Once the window is shown and painted, and after the start-up commands, which start the first listing.
  PostWindowMessage(window, kRunOnGuiThreadMessage, reinterpret_cast<WPARAM>(&StartIconLoads), 0);
  SetTimer(window, kDutyTimerId, kDutyTimerMs, nullptr);
}

void InitMainWindow(HWND window) {
  ReplaceOptionWord(LoadOptionWordSetting());
  ApplyWindowTheme(window);
  InitModuleDescriptors();
  ReadViewSettings();
  SetDefaultIconSizes();
  CreateMainLists(window);
  g_app->activePane = 0;
  CreateBars(window);
  PostWindowMessage(window, WM_COMMAND, IDM_STARTUP, 0);
  g_oleStarted = SUCCEEDED(OleInitialize(nullptr));
  if (!g_app->paneWindows[0] && !CreatePanes(window)) {
    PostQuitMessage(0);
    return;
  }
  ApplyViewOptions(window);
  ShowBarsByOptions();
  LoadFilterSetting(AppFilter());
  ApplyAlwaysOnTop(window);
  LoadLanguage(window);
  PostWindowMessage(window, WM_COMMAND, IDM_RESTORE_CHAIN, kRestoreChainAtStart);
}

void SaveStateOnExit(HWND window) {
  GuardedCall(0, [&] {
    StoreStateOfRun(window);
    return 0;
  });
  PostQuitMessage(0);
}

void SaveSessionState(HWND window) {
  WriteLastFolder();
  StoreMainWindowPlacement(window);
  StoreOptionWord();
  SaveSettings(Store(), window);
}

void EndMainWindowOle() {
  if (!g_oleStarted) return;
  OleUninitialize();
  g_oleStarted = false;
}
