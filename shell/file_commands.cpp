#include "shell/file_commands.h"

#include "engine/preview.h"
#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/clipboard.h"
#include "foundation/item_store.h"
#include "foundation/memory.h"
#include "foundation/message_boxes.h"
#include "foundation/paths.h"
#include "foundation/providers.h"
#include "foundation/shell_items.h"
#include "foundation/wait_cursor.h"
#include "shell/command_trees.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "views/file_filter.h"
#include "views/file_list_row.h"
#include "views/filter_dialog.h"
#include "views/filter_text_form.h"
#include "views/folder_listing.h"
#include "views/item_list_changes.h"
#include "views/item_list_control.h"
#include "views/item_list_edit.h"
#include "views/item_list_rows.h"
#include "views/item_list_sort.h"
#include "views/item_list_state.h"
#include "views/path_pool.h"

namespace {

constexpr int kFullPathCapacity = 1024;
constexpr uint16_t kFolderAttribute = FILE_ATTRIBUTE_DIRECTORY;

// Sort keys of commands 141 to 150, in command order.
constexpr int kCommandSortKeys[] = {0, 1, 2, 3, 8, 9, 4, 5, 7, 6};

ItemListControl* FileList() { return g_app ? g_app->fileList : nullptr; }

bool IsBusy() { return g_app->busyCounter != 0; }

// The row's folder from the path pool with its current name; false when it cannot be had whole.
bool FullPath(const FileListRow* row, wchar_t* path, int capacity) {
  return GetRowFullPath(FileList(), row, path, capacity) == 0 && path[0] != 0;
}

const FileListRow* RowAt(const ItemListControl* files, uint32_t index) {
  return reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, index));
}

const FileListRow* SelectedRowAt(const ItemListControl* files, uint32_t index) {
  return reinterpret_cast<const FileListRow*>(GetSelectedRecord(files, static_cast<int>(index)));
}

// The full paths of the selected rows (or of the focused row alone), each ended by `separator` (0 gives a
// zero-terminated list ended by an empty entry). A heap block, or null without rows or memory.
wchar_t* JoinRowPaths(const ItemListControl* files, bool focusedAlone, const wchar_t* separator) {
  const uint32_t count = ItemStoreCount(&files->rows);
  const uint32_t separatorLength = separator ? static_cast<uint32_t>(WideLength(separator)) : 1;
  const uint32_t perRow = kFullPathCapacity + separatorLength;
  uint32_t rows = 0;
  for (uint32_t i = 0; i < count; ++i) rows += SelectedRowAt(files, i) ? 1 : 0;
  if (focusedAlone) rows = 1;
  if (rows == 0) return nullptr;
  const uint32_t capacity = rows * perRow + 2;
  wchar_t* text = AllocZeroedWide(capacity);
  if (!text) return nullptr;
  uint32_t used = 0;
  for (uint32_t i = 0; i < count && used + perRow < capacity; ++i) {
    const FileListRow* row = focusedAlone ? (static_cast<int>(i) == files->focusedIndex ? RowAt(files, i) : nullptr)
                                          : SelectedRowAt(files, i);
    if (!row || row->currentName[0] == 0) continue;
    if (!FullPath(row, text + used, kFullPathCapacity)) {
      text[used] = 0;
      continue;
    }
    used += static_cast<uint32_t>(WideLength(text + used));
    if (separator) {
      CopyWideBounded(separator, text + used, static_cast<int>(capacity - used));
      used += separatorLength;
    } else {
      ++used;
    }
  }
  if (used == 0) FreeAndNull(&text);
  return text;
}

void EmptyClipboardOf(HWND owner) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  CloseClipboard();
}

// While a job is busy the listing waits for it (the duty timer starts it), so a changed option or filter is
// never left unapplied.
void ListCurrentFolder() {
  if (g_app->currentFolder[0] != 0) SetCurrentFolder(g_app->currentFolder);
}

void ToggleListingOption(HWND window, uint32_t bit) {
  g_app->options ^= bit;
  ApplyViewOptions(window);
  ListCurrentFolder();
  StoreOptionWord();
}

// The rows must not move while a job reads them; the preview follows the new order.
void SortFileList(ItemListControl* files) {
  if (IsBusy()) return;
  {
    WaitCursor wait;
    ItemsViewSort(files, g_app->currentFolder);
  }
  RecomputeAfterReorder();
}

void DeleteUnselectedRows(ItemListControl* files) {
  for (uint32_t i = ItemStoreCount(&files->rows); i-- > 0;) {
    const FileListRow* row = RowAt(files, i);
    if (row && row->currentName[0] != 0 && !GetSelectedRecord(files, static_cast<int>(i))) {
      ItemsViewDeleteItem(files, static_cast<int>(i), false);
    }
  }
}

}  // namespace

void RenameFocusedFileInPlace(HWND) {
  ItemListControl* files = FileList();
  if (files && files->focusedIndex >= 0) ItemsViewBeginEdit(files, files->focusedIndex);
}

void ShowSelectedFilesProperties(HWND window) {
  const ItemListControl* files = FileList();
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
  const ItemListControl* files = FileList();
  if (!files) return;
  const uint32_t count = ItemStoreCount(&files->rows);
  wchar_t path[kFullPathCapacity];
  for (uint32_t i = 0; i < count; ++i) {
    const FileListRow* row = SelectedRowAt(files, i);
    if (row && FullPath(row, path, kFullPathCapacity)) ShellOpenFile(window, path, nullptr, nullptr, SW_SHOWNORMAL);
  }
}

void OpenFocusedFileOrFolder(HWND window) {
  ItemListControl* files = FileList();
  if (!files) return;
  if (files->editor) {
    ItemsViewEndEdit(files, true);
    SetFocus(files->window);
    InvalidateRect(files->window, nullptr, FALSE);
    return;
  }
  const FileListRow* row = files->focusedIndex >= 0 ? RowAt(files, static_cast<uint32_t>(files->focusedIndex)) : nullptr;
  wchar_t path[kFullPathCapacity];
  if (!row || IsBusy() || !FullPath(row, path, kFullPathCapacity)) return;
  // Folders are walked, not listed; one that is a row is listed as the current folder.
  if (row->info.attributes & kFolderAttribute) {
    SetCurrentFolder(path);
    UpdateMenuStates(window, false);
    return;
  }
  ShellOpenFile(window, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void SelectAllFiles() {
  if (ItemListControl* files = FileList()) ItemsViewSelectItems(files, -1, 1);
}

void SelectNoFiles() {
  if (ItemListControl* files = FileList()) ItemsViewSelectItems(files, -1, 0);
}

void InvertFileSelection() {
  if (ItemListControl* files = FileList()) ItemsViewSetItemState(files, -1, -1, kRowSelected);
}

void CopySelectedPathsToClipboard(HWND window) {
  const ItemListControl* files = FileList();
  if (!files || IsBusy()) return;
  wchar_t* text = JoinRowPaths(files, false, L"\r\n");
  if (text) {
    SetClipboardText(window, text);
    FreeAndNull(&text);
  } else {
    EmptyClipboardOf(window);
  }
}

void RefreshFileList() { ListCurrentFolder(); }

void ToggleRecursiveListing(HWND window) { ToggleListingOption(window, kOptionRecursive); }

void ToggleFilterApplied(HWND window) { ToggleListingOption(window, kOptionFilterApplied); }

void ToggleSelectedOnlyView(HWND window) {
  if (g_app->options & kOptionSelectedOnly) {
    g_app->options &= ~kOptionSelectedOnly;
    ApplyViewOptions(window);
    ListCurrentFolder();
    return;
  }
  g_app->options |= kOptionSelectedOnly;
  ApplyViewOptions(window);
  KeepSelectedFilesOnly();
}

void KeepSelectedFilesOnly() {
  ItemListControl* files = FileList();
  if (!files || IsBusy() || InterlockedCompareExchange(&g_app->listRebuildGuard, 1, 0) != 0) return;
  g_app->listingStatistics = ListStatistics{};
  DeleteUnselectedRows(files);
  CountListedItems(files);
  SortFileList(files);
  InterlockedExchange(&g_app->listRebuildGuard, 0);
  if (ItemStoreCount(&files->rows) > 0) ItemsViewFocusItem(files, 0, false);
  InvalidateRect(files->window, nullptr, FALSE);
}

int SortKeyOfCommand(int commandId) {
  const int index = commandId - 141;
  return index >= 0 && index < static_cast<int>(sizeof kCommandSortKeys / sizeof kCommandSortKeys[0])
             ? kCommandSortKeys[index]
             : -1;
}

void SetSortChoice(HWND window, int key) {
  ItemListControl* files = FileList();
  if (!files || key < 0) return;
  if (key >= kFieldCommandBase) {
    RebuildMainMenu(window);
    RebuildRecentMenu(&g_recentFiles, window);
    UpdateMenuStates(window, true);
  }
  files->sortKey = static_cast<uint16_t>(key);
  SortFileList(files);
}

void ToggleSortDirection(HWND) {
  ItemListControl* files = FileList();
  if (!files) return;
  files->sortDirection = files->sortDirection ? 0 : 1;
  SortFileList(files);
}

void ResortFileList(HWND) {
  if (ItemListControl* files = FileList()) SortFileList(files);
}

void StopRunningJob() {
  if (g_app->busyCounter != 0) InterlockedIncrement(&g_app->cancelCounter);
}

void EditFilter(HWND window) {
  if (ShowFilterDialog(window, AppFilter()) != 1) return;
  SaveFilterDefinition(AppFilter(), kMainSection, "Filter");
  // The list shows what the filter let through: a changed filter that applies changes the list.
  if (g_app->options & kOptionFilterApplied) ListCurrentFolder();
}
