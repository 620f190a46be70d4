#include "shell/folder_navigation.h"

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/list_colours.h"
#include "shell/main_commands.h"
#include "shell/main_lists.h"
#include "shell/pane_focus.h"
#include "shell/pane_layout.h"
#include "shell/startup_commands.h"
#include "views/address_bar.h"
#include "views/folder_listing.h"
#include "views/folder_tree.h"
#include "views/items_view.h"

namespace {

HWND Tree() { return g_app->paneWindows[0]; }

HWND FileListWindow() { return g_app->fileList ? g_app->fileList->window : nullptr; }

bool SamePath(const wchar_t* a, const wchar_t* b) {
  wchar_t first[kPathCapacity];
  wchar_t second[kPathCapacity];
  CopyWideBounded(a, first, kPathCapacity);
  CopyWideBounded(b, second, kPathCapacity);
  RemoveTrailingBackslash(first);
  RemoveTrailingBackslash(second);
  return EqualsIgnoreCaseWide(first, second);
}

// The tree's selection change lists the folder it reached. The path is listed itself when the tree stopped
// short of it, or when the node was selected already while another folder is current.
void SelectInTree(const wchar_t* path) {
  SelectTreePathFromRoot(Tree(), path);
  wchar_t selected[kPathCapacity];
  GetSelectedTreePath(Tree(), selected, kPathCapacity);
  const bool reached = SamePath(selected, path) && SamePath(g_app->currentFolder, path);
  if (!reached && PathExists(path)) SetCurrentFolder(path);
}

// The fill reads folders and keeps the GUI thread busy inserting and drawing nodes: beside the start folder's
// listing it slowed the reading of a large folder by a third, and held up the listing's last steps, which need
// the GUI thread. It waits for that listing, but not long: a slow file system must not leave the tree empty.
constexpr DWORD kFillWaitsForListingMs = 2000;

struct TreeFill {
  HWND tree;
  wchar_t startFolder[kPathCapacity];
};

// The start folder while the start-up fill runs, when it was listed at once: the tree's selection of it lists
// nothing more. GUI thread.
wchar_t g_startFolderListed[kPathCapacity];

// The start folder is the current one from now on, also for a window that closes before the tree has it. One
// that exists is listed now, not once the tree, which takes a while to fill, has selected it.
void TakeStartFolderAsCurrent(const wchar_t* folder) {
  if (folder[0] == 0) return;
  if (PathExists(folder)) {
    CopyWideBounded(folder, g_startFolderListed, kPathCapacity);
    SetCurrentFolder(folder);
    return;
  }
  CopyWideBounded(folder, g_app->currentFolder, kPathCapacity);
  PathBarSetPath(&g_addressBar, FindProviderByPath(g_app->currentFolder), g_app->currentFolder, false);
}

// Not once the tree is gone: then the window closed, and the function runs on the filling thread. A folder the
// user opened while the tree was filling stays open: the tree follows it instead of going back to the start folder.
LRESULT SelectStartFolder(void* parameter) {
  const TreeFill* fill = static_cast<TreeFill*>(parameter);
  if (!g_app || !IsWindow(fill->tree) || fill->startFolder[0] == 0) return 0;
  SelectInTree(g_app->currentFolder[0] != 0 ? g_app->currentFolder : fill->startFolder);
  return 0;
}

LRESULT EndStartFill(void*) {
  g_startFolderListed[0] = 0;
  return 0;
}

struct TreeImages {
  HWND tree;
  HIMAGELIST images;
};

LRESULT GiveTreeImagesHere(void* parameter) {
  const TreeImages* given = static_cast<const TreeImages*>(parameter);
  GiveTreeImages(given->tree, given->images);
  return 0;
}

// Loading the icons into an image list holds a thread for several milliseconds each under Wine: the start's fill
// loads them, before the nodes that show them, instead of the window's creation.
void LoadTreeImages(HWND tree) {
  TreeImages given = {tree, MakeTreeImages(tree)};
  if (given.images) RunOnGuiThread(GiveTreeImagesHere, &given);
}

DWORD WINAPI FolderTreeFillThread(void* parameter) {
  TreeFill* fill = static_cast<TreeFill*>(parameter);
  WaitForFolderListing(kFillWaitsForListingMs);
  GuardedCall(0, [&] {
    LoadTreeImages(fill->tree);
    RebuildFolderTree(fill->tree);
    // Expanded from here, one message to the tree per level, so that the window answers between the levels of
    // a deep start folder; the GUI thread then only checks what was reached.
    if (fill->startFolder[0] != 0) SelectTreePathFromRoot(fill->tree, fill->startFolder);
    RunOnGuiThread(SelectStartFolder, fill);
    return 0;
  });
  RunOnGuiThread(EndStartFill, nullptr);
  FreeAndNull(&fill);
  return 0;
}

}  // namespace

void OnFolderTreeSelChanged(const NMTREEVIEWW* change) {
  if (!g_app || g_app->closingCount != 0 || !change) return;
  wchar_t path[kPathCapacity];
  GetTreeNodePath(change->hdr.hwndFrom, change->itemNew.hItem, path, kPathCapacity, kPathToOpen);
  if (path[0] != 0 && !SamePath(path, g_startFolderListed)) SetCurrentFolder(path);
}

void NavigateToFolder(HWND window, const wchar_t* path) {
  if (!path || !path[0]) return;
  // A typed path may name its folder through "..": the tree, the address bar and the history keep the folder.
  wchar_t folder[kPathCapacity];
  CopyWideBounded(path, folder, kPathCapacity);
  ResolveDotComponents(folder, kPathCapacity);
  SelectInTree(folder);
  UpdateMenuStates(window, false);
}

void NavigateUp(HWND window) {
  wchar_t parent[kPathCapacity];
  CopyWideBounded(g_app->currentFolder, parent, kPathCapacity);
  if (CutToParentFolder(parent) == 0 && parent[0] != 0) NavigateToFolder(window, parent);
}

void RefreshFolderTree(HWND window) {
  wchar_t kept[kPathCapacity];
  CopyWideBounded(g_app->currentFolder, kept, kPathCapacity);
  InterlockedIncrement(&g_app->listRebuildGuard);
  RebuildFolderTree(Tree());
  InterlockedDecrement(&g_app->listRebuildGuard);
  if (kept[0] != 0) NavigateToFolder(window, kept);
}

void RecreateFolderTree(HWND window) {
  const bool listHadFocus = GetFocus() && GetFocus() == FileListWindow();
  LayoutMainWindow(window);
  DestroyWindowIfAlive(Tree());
  g_app->paneWindows[0] = CreateFolderTree(window);
  LayoutMainWindow(window);
  ApplyMainListStyles();
  ApplyListFont(window);
  CollectTabStopPanes();
  ApplyFileListIconsOption();
  ApplyTreeIconsOption(Tree());
  RefreshFolderTree(window);
  if (listHadFocus) SetFocusSafe(FileListWindow());
}

void ToggleFileIcons(HWND window) {
  ToggleOptionBits(kOptionFileIconsOff);
  StoreOptionWord();
  RecreateFolderTree(window);
}

void ToggleFolderTree(HWND window) {
  const bool treeHadFocus = GetFocus() && GetFocus() == Tree();
  TogglePaneVisibility(window, Tree(), &g_app->options, kOptionFolderTreeHidden);
  ApplyViewOptions(window);
  if (treeHadFocus && !IsWindowShown(Tree())) SetFocusSafe(FileListWindow());
}

void StartFolderTreeFill(HWND) {
  auto* fill = static_cast<TreeFill*>(AllocZeroed(sizeof(TreeFill)));
  if (!fill) return;
  fill->tree = Tree();
  TakeStartFolder(fill->startFolder, kPathCapacity);
  TakeStartFolderAsCurrent(fill->startFolder);
  // Counted with the jobs: the end of a run waits for it before it frees the state the filling reads.
  HANDLE thread = StartJobThread(FolderTreeFillThread, fill);
  if (thread) {
    CloseHandleSafe(thread);
  } else {
    EndStartFill(nullptr);
    ApplyTreeIconsOption(fill->tree);
    FreeAndNull(&fill);
  }
}
