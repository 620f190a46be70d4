#include "shell/file_commands.h"

#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/clipboard.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/ui/command_ids.h"
#include "foundation/win32/column_layout.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/files/shell_items.h"
#include "foundation/ui/wait_cursor.h"
#include "shell/command_trees.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "shell/settings_values.h"
#include "shell/status_notices.h"
#include "views/file_filter.h"
#include "views/file_list_row.h"
#include "views/filter_dialog.h"
#include "views/filter_text_form.h"
#include "views/folder_listing.h"
#include "views/folder_tree.h"
#include "views/items_view.h"
#include "views/path_pool.h"
#include "views/shell_context_menu.h"
#include "views/status_bar.h"

namespace {

constexpr uint16_t kFolderAttribute = FILE_ATTRIBUTE_DIRECTORY;

// The commands that carry out the verbs the program takes over from the shell's context menu.
struct HandedBackCommand {
  uint32_t result;
  WPARAM commandId;
};

constexpr HandedBackCommand kHandedBackCommands[] = {
    {kShellMenuOpen, IDM_OPEN_FILES},
    {kShellMenuRename, IDM_RENAME_IN_PLACE},
    {kShellMenuDelete, IDM_RECYCLE},
    {kShellMenuOwnItem, IDM_OPEN_IN_FILE_MANAGER},
};

void PostHandedBackCommand(HWND window, int handedBack) {
  for (const HandedBackCommand& command : kHandedBackCommands) {
    if (handedBack == static_cast<int>(command.result)) PostMessageW(window, WM_COMMAND, command.commandId, 0);
  }
}

// The focused row's label in the list's client coordinates; false without a focused row.
bool FocusedRowRect(const ItemListControl* files, RECT* rect) {
  if (files->focusedIndex < 0) return false;
  rect->left = LVIR_LABEL;
  return SendMessageW(files->window, LVM_GETITEMRECT, static_cast<WPARAM>(files->focusedIndex),
                      reinterpret_cast<LPARAM>(rect)) != 0;
}

// A right click on a node makes it the selected folder, so that the menu is the one of the folder the user
// pointed at; false when the point is on no node.
bool SelectTreeNodeAt(HWND tree, POINT screenPoint) {
  TVHITTESTINFO hit = {};
  hit.pt = screenPoint;
  ScreenToClient(tree, &hit.pt);
  const HTREEITEM item = TreeView_HitTest(tree, &hit);
  if (!item || !(hit.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT))) return false;
  TreeView_SelectItem(tree, item);
  return true;
}

// Sort keys of the sort commands, in command order.
constexpr int kCommandSortKeys[] = {0, 1, 2, 3, 8, 9, 4, 5, 7, 6};
constexpr int kSortCommandCount = static_cast<int>(sizeof kCommandSortKeys / sizeof kCommandSortKeys[0]);
static_assert(kSortCommandCount == IDM_SORT_LAST - IDM_SORT_FIRST + 1, "one sort key per sort command");

// The row's folder from the path pool with its current name; false when it cannot be had whole.
bool FullPath(const FileListRow* row, wchar_t* path, int capacity) {
  return GetRowFullPath(AppFileList(), row, path, capacity) == 0 && path[0] != 0;
}

const FileListRow* RowAt(const ItemListControl* files, uint32_t index) {
  return reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, index));
}

const FileListRow* SelectedRowAt(const ItemListControl* files, uint32_t index) {
  return reinterpret_cast<const FileListRow*>(GetSelectedRecord(files, static_cast<int>(index)));
}

// The rows whose paths are joined: the selected ones, or the focused one alone.
const FileListRow* JoinedRowAt(const ItemListControl* files, uint32_t index, bool focusedAlone) {
  if (!focusedAlone) return SelectedRowAt(files, index);
  return static_cast<int>(index) == files->focusedIndex ? RowAt(files, index) : nullptr;
}

// Calls visit(path) with the full path of every joined row that has one whole; `path` is the work buffer.
template <typename Visit>
void VisitRowPaths(const ItemListControl* files, bool focusedAlone, wchar_t* path, Visit visit) {
  const uint32_t count = ItemStoreCount(&files->rows);
  for (uint32_t i = 0; i < count; ++i) {
    const FileListRow* row = JoinedRowAt(files, i, focusedAlone);
    if (row && row->currentName[0] != 0 && FullPath(row, path, kLongPathCapacity)) visit(path);
  }
}

// While a job is busy the listing waits for it (the duty timer starts it), so a changed option or filter is
// never left unapplied.
void ListCurrentFolder() {
  if (g_app->currentFolder[0] != 0) SetCurrentFolder(g_app->currentFolder);
}

void ToggleListingOption(HWND window, uint32_t bit) {
  ToggleOptionBits(bit);
  ApplyViewOptions(window);
  ListCurrentFolder();
  StoreOptionWord();
}

// The sort and the preview after it, on the GUI thread.
void SortFileListHere(ItemListControl* files) {
  {
    WaitCursor wait;
    ItemsViewSort(files, g_app->currentFolder);
  }
  RecomputeAfterReorder();
}

// Above this many rows the sort and the preview of the new order can hold the window for a noticeable time.
constexpr uint32_t kRowsSortedInPlace = 2000;

// On the job's worker the preview pass shows its progress and ends at a Stop, as after a listing.
DWORD WINAPI SortFileListJob(void* files) {
  GuardedCall(0, [&] {
    ItemsViewSort(static_cast<ItemListControl*>(files), g_app->currentFolder);
    RecomputeAfterReorder();
    return 0;
  });
  EndExclusiveJob();
  return 0;
}

// The rows must not move while a job reads them; the preview follows the new order. A long list is sorted as a job.
void SortFileList(ItemListControl* files) {
  if (IsJobBusy()) return;
  if (ItemStoreCount(&files->rows) > kRowsSortedInPlace && StartExclusiveJob(SortFileListJob, files)) return;
  // A job that began meanwhile reads the rows; without a thread for the sort it runs here.
  if (!IsJobBusy()) SortFileListHere(files);
}

bool IsUnselectedFileRow(uint8_t* row, void*) {
  const auto* file = reinterpret_cast<const FileListRow*>(row);
  return file->currentName[0] != 0 && !(file->state & kRowSelected);
}

void DeleteUnselectedRows(ItemListControl* files) { ItemsViewDeleteRowsWhere(files, IsUnselectedFileRow, nullptr); }

}  // namespace

wchar_t* JoinRowPaths(const ItemListControl* files, bool focusedAlone, const wchar_t* separator) {
  wchar_t* path = AllocZeroedWide(kLongPathCapacity);
  if (!path) return nullptr;
  const uint64_t separatorLength = separator ? WideLength(separator) : 1;
  uint64_t needed = 0;
  VisitRowPaths(files, focusedAlone, path, [&](const wchar_t* row) { needed += WideLength(row) + separatorLength; });
  const bool fits = needed > 0 && needed + 2 < INT32_MAX;
  wchar_t* text = fits ? AllocZeroedWide(static_cast<uint32_t>(needed + 2)) : nullptr;
  uint64_t used = 0;
  VisitRowPaths(files, focusedAlone, path, [&](const wchar_t* row) {
    if (!text || used + WideLength(row) + separatorLength > needed) return;
    CopyWideBounded(row, text + used, static_cast<int>(needed + 2 - used));
    used += WideLength(row);
    if (separator) CopyWideBounded(separator, text + used, static_cast<int>(needed + 2 - used));
    used += separatorLength;
  });
  FreeAndNull(&path);
  return text;
}

void RenameFocusedFileInPlace(HWND) {
  ItemListControl* files = AppFileList();
  if (files && files->focusedIndex >= 0) ItemsViewBeginEdit(files, files->focusedIndex);
}

void ShowSelectedFilesProperties(HWND window) {
  const ItemListControl* files = AppFileList();
  if (!files) return;
  wchar_t* paths = JoinRowPaths(files, false, nullptr);
  if (!paths && files->focusedIndex >= 0) paths = JoinRowPaths(files, true, nullptr);
  if (!paths) {
    BeepError();
    return;
  }
  VfsShowProperties(nullptr, window, paths);
  FreeAndNull(&paths);
}

void OpenSelectedFiles(HWND window) {
  const ItemListControl* files = AppFileList();
  if (!files) return;
  wchar_t* path = AllocZeroedWide(kLongPathCapacity);
  if (!path) return;
  VisitRowPaths(files, false, path, [&](const wchar_t* row) {
    ShellOpenFile(window, row, nullptr, nullptr, SW_SHOWNORMAL);
  });
  FreeAndNull(&path);
}

namespace {

// A folder row of the tree's selected folder is opened through the tree, which then lists it and shows where
// it is; any other folder row is listed directly.
void OpenFolderRow(const ItemListControl* files, const FileListRow* row, const wchar_t* path) {
  HWND tree = g_app->paneWindows[0];
  wchar_t folder[kLongPathCapacity];
  wchar_t selected[kLongPathCapacity];
  GetPooledPath(files, static_cast<uint32_t>(row->folderIndex), folder, kLongPathCapacity);
  GetSelectedTreePath(tree, selected, kLongPathCapacity);
  RemoveTrailingBackslash(folder);
  RemoveTrailingBackslash(selected);
  if (tree && folder[0] != 0 && EqualsIgnoreCaseWide(folder, selected) &&
      OpenFocusedFolderInTree(tree, row->currentName))
    return;
  SetCurrentFolder(path);
}

}  // namespace

void OpenFocusedFileOrFolder(HWND window) {
  ItemListControl* files = AppFileList();
  if (!files) return;
  if (files->editor) {
    ItemsViewEndEdit(files, true);
    SetFocus(files->window);
    InvalidateRect(files->window, nullptr, FALSE);
    return;
  }
  const FileListRow* row = files->focusedIndex >= 0 ? RowAt(files, static_cast<uint32_t>(files->focusedIndex)) : nullptr;
  wchar_t path[kLongPathCapacity];
  if (!row || IsJobBusy() || !FullPath(row, path, kLongPathCapacity)) return;
  if (row->info.attributes & kFolderAttribute) {
    OpenFolderRow(files, row, path);
    UpdateMenuStates(window, false);
    return;
  }
  ShellOpenFile(window, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void SelectAllFiles() {
  if (ItemListControl* files = AppFileList()) ItemsViewSelectItems(files, -1, 1);
}

void SelectNoFiles() {
  if (ItemListControl* files = AppFileList()) ItemsViewSelectItems(files, -1, 0);
}

void InvertFileSelection() {
  if (ItemListControl* files = AppFileList()) ItemsViewSetItemState(files, -1, -1, kRowSelected);
}

void CopySelectedPathsToClipboard(HWND window) {
  const ItemListControl* files = AppFileList();
  if (!files || IsJobBusy()) return;
  wchar_t* text = JoinRowPaths(files, false, L"\r\n");
  if (text) {
    SetClipboardText(window, text);
    FreeAndNull(&text);
  } else {
    EmptyClipboardOf(window);
  }
}

void ShowFileContextMenu(HWND window, LPARAM position) {
  const ItemListControl* files = AppFileList();
  if (!files || ItemStoreCount(&files->rows) == 0) return;
  const LRESULT selected = SendMessageW(files->window, LVM_GETSELECTEDCOUNT, 0, 0);
  const bool focusedAlone =
      files->focusedIndex >= 0 && (selected == 0 || (selected == 1 && GetSelectedRecord(files, files->focusedIndex)));
  wchar_t* paths = JoinRowPaths(files, focusedAlone, nullptr);
  if (!paths) return;
  const uint32_t flags =
      kShellMenuOpen | kShellMenuDelete | kShellMenuOwnItem | (focusedAlone ? kShellMenuRename : 0);
  if (PathsShareOneFolder(paths)) {
    RECT row = {};
    const POINT at = ContextMenuPoint(files->window, position, FocusedRowRect(files, &row) ? &row : nullptr);
    PostHandedBackCommand(window, ShowShellContextMenu(window, paths, flags, &at));
  } else {
    ShowMessageWithPath(window, kTextShellMenuOneFolder, nullptr, nullptr, nullptr, MB_OK | MB_ICONINFORMATION);
  }
  FreeAndNull(&paths);
}

void ShowFolderContextMenu(HWND window, HWND tree, LPARAM position) {
  if (!IsKeyboardMenuPosition(position) && !SelectTreeNodeAt(tree, PointFromParam(position))) return;
  // Zero-filled one beyond the path's capacity, so the path is followed by the empty entry that ends the list.
  wchar_t paths[kTreeNodePathCapacity + 1] = {};
  GetSelectedTreePath(tree, paths, kTreeNodePathCapacity);
  if (paths[0] == 0) return;
  // Open and delete are the shell's to run on the folder: the program's own commands for them act on the
  // file rows, not on a folder.
  RECT node = {};
  const HTREEITEM selected = TreeView_GetSelection(tree);
  const bool nodeShown = selected && TreeView_GetItemRect(tree, selected, &node, TRUE);
  const POINT at = ContextMenuPoint(tree, position, nodeShown ? &node : nullptr);
  PostHandedBackCommand(window, ShowShellContextMenu(tree, paths, kShellMenuOwnItem, &at));
}

void RefreshFileList() { ListCurrentFolder(); }

void ToggleRecursiveListing(HWND window) { ToggleListingOption(window, kOptionRecursive); }

void ToggleFilterApplied(HWND window) { ToggleListingOption(window, kOptionFilterApplied); }

void ToggleSelectedOnlyView(HWND window) {
  if (g_app->options & kOptionSelectedOnly) {
    SetOptionBits(kOptionSelectedOnly, false);
    ApplyViewOptions(window);
    ListCurrentFolder();
    return;
  }
  SetOptionBits(kOptionSelectedOnly, true);
  ApplyViewOptions(window);
  KeepSelectedFilesOnly();
}

void KeepSelectedFilesOnly() {
  ItemListControl* files = AppFileList();
  if (!files || IsJobBusy() || InterlockedCompareExchange(&g_app->listRebuildGuard, 1, 0) != 0) return;
  g_app->listingStatistics = ListStatistics{};
  DeleteUnselectedRows(files);
  CountListedItems(files);
  // A long list is sorted, and previewed in its new order, as a job.
  SortFileList(files);
  InterlockedExchange(&g_app->listRebuildGuard, 0);
  UpdateStatusText(&g_app->listingStatistics, kTextStatusListed);
  CountSelectedItems(files);
  ShowSelectionCounts();
  if (ItemStoreCount(&files->rows) > 0) ItemsViewFocusItem(files, 0, false);
  InvalidateRect(files->window, nullptr, FALSE);
}

int SortKeyOfCommand(int commandId) {
  const int index = commandId - IDM_SORT_FIRST;
  return index >= 0 && index < kSortCommandCount ? kCommandSortKeys[index] : -1;
}

int CommandOfSortKey(int key) {
  for (int i = 0; i < kSortCommandCount; ++i) {
    if (kCommandSortKeys[i] == key) return IDM_SORT_FIRST + i;
  }
  return 0;
}

void SetSortChoice(HWND window, int key) {
  ItemListControl* files = AppFileList();
  if (!files || key < 0) return;
  if (key >= IDM_SORT_FIELD_FIRST) {
    RebuildMainMenu(window);
    RebuildRecentMenu(&g_recentFiles, window);
    UpdateMenuStates(window, true);
  }
  files->sortKey = static_cast<uint16_t>(key);
  SortFileList(files);
}

void ToggleSortDirection(HWND) {
  ItemListControl* files = AppFileList();
  if (!files) return;
  files->sortDirection = files->sortDirection ? 0 : 1;
  SortFileList(files);
}

void ResortFileList(HWND) {
  if (ItemListControl* files = AppFileList()) SortFileList(files);
}

void SortFileListByColumn(int tablePosition, int x) {
  ItemListControl* files = AppFileList();
  if (!files || IsJobBusy()) return;
  const int column = ColumnLayoutVisibleIndexOf(files->creation.columns, tablePosition);
  if (ItemsViewChooseSortColumn(files, column, x)) SortFileList(files);
}

void EditFilter(HWND window) {
  if (ShowFilterDialog(window, AppFilter()) != 1) return;
  StoreFilterSetting(AppFilter());
  // The list shows what the filter let through: a changed filter that applies changes the list.
  if (g_app->options & kOptionFilterApplied) ListCurrentFolder();
}
