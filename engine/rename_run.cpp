#include "engine/rename_run.h"

#include <cstring>

#include "engine/engine_hooks.h"
#include "engine/name_marks.h"
#include "engine/preview.h"
#include "engine/undo.h"
#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/guard.h"
#include "foundation/memory.h"
#include "foundation/paths.h"
#include "foundation/providers.h"
#include "foundation/threads.h"
#include "foundation/ui_operations.h"
#include "views/file_list_row.h"
#include "views/item_list_changes.h"
#include "views/item_list_control.h"
#include "views/path_pool.h"

namespace {

// Listed folders nest as deep as the system allows, so their paths get the system's longest path.
constexpr int kRunPathCapacity = 32768;
// Reported when the run itself faulted.
constexpr int kRunFailed = ERROR_FUNCTION_FAILED;

struct RunState {
  HWND owner;
  ItemListControl* files;
  UndoList* list;  // this run's pairs; the application's list from the first pair counted on
  int32_t pairs;
  uint32_t rowsDone;  // rows before this one are renamed (or had nothing to rename)
  wchar_t* oldPath;
  wchar_t* newPath;
  FileListRow row;
};

// The length a stored record begins with; 0 for none.
uint16_t RecordLengthAt(const uint8_t* stored) {
  uint16_t length = 0;
  if (stored != nullptr) memcpy(&length, stored, sizeof length);
  return length;
}

// A copy of row i; false for a missing row or one without a name.
bool CopyFileRow(const ItemStore* rows, uint32_t i, FileListRow* row) {
  memset(row, 0, sizeof *row);
  const uint8_t* stored = ItemStoreGet(rows, i);
  if (stored == nullptr) return false;
  const uint16_t length = RecordLengthAt(stored);
  memcpy(row, stored, length < sizeof *row ? length : sizeof *row);
  row->newName[kFileNameCapacity - 1] = 0;
  row->currentName[kFileNameCapacity - 1] = 0;
  return row->currentName[0] != 0;
}

// The row's old path (its pooled folder and current name) and new path (the same folder and its new name).
// A row without a folder would name a file relative to whatever the current folder is: it is refused.
int BuildRowPaths(RunState* run) {
  const uint32_t folder = run->row.folderIndex > 0 ? static_cast<uint32_t>(run->row.folderIndex) : 0;
  if (GetPooledPath(run->files, folder, run->oldPath, kRunPathCapacity) < 0) return ERROR_FILENAME_EXCED_RANGE;
  if (run->oldPath[0] == 0) return ERROR_PATH_NOT_FOUND;
  if (AddTrailingBackslash(run->oldPath, kRunPathCapacity) < 0) return ERROR_FILENAME_EXCED_RANGE;
  CopyWideBounded(run->oldPath, run->newPath, kRunPathCapacity);
  const bool fits = AppendWideBounded(run->row.currentName, run->oldPath, kRunPathCapacity) == 0 &&
                    AppendWideBounded(run->row.newName, run->newPath, kRunPathCapacity) == 0;
  return fits ? 0 : ERROR_FILENAME_EXCED_RANGE;
}

// The preview marks every name no file system can hold; a name that still gets here (a row the preview has not
// seen yet) stops the run before it reaches the disk.
bool IsUsableNewName(const FileListRow& row) {
  if (wcscmp(row.newName, row.currentName) == 0) return true;
  return row.newName[0] != 0 && FindInvalidFileNameChar(row.newName, false) == 0 &&
         WideLength(row.newName) <= static_cast<size_t>(kMaxFileNameLength);
}

int StopWithError(const RunState& run, int code, const wchar_t* path) {
  ShowLastErrorMessage(run.owner, static_cast<DWORD>(code), path);
  return code;
}

void CountPair(RunState* run) {
  if (++run->pairs == 1) {
    InstallUndoList(run->list, 1);
  } else {
    g_app->undoPairCount = run->pairs;
  }
}

// The pair is stored before the rename, so that no file is renamed without a way back; it counts only once
// the rename is done. Until this run has counted a pair, the previous run's pairs stay the ones to undo.
int RenameRow(RunState* run, uint32_t i) {
  if (!CopyFileRow(&run->files->rows, i, &run->row)) return 0;
  const int paths = BuildRowPaths(run);
  if (paths != 0) return StopWithError(*run, paths, run->row.currentName);
  if (!IsUsableNewName(run->row)) return StopWithError(*run, ERROR_INVALID_NAME, run->newPath);
  // Nothing to rename and nothing to undo: a run that changes no name keeps the previous run's pairs.
  if (wcscmp(run->oldPath, run->newPath) == 0) return 0;
  if (run->list == nullptr) run->list = CreateUndoList();
  if (AppendUndoPair(run->list, run->newPath, run->oldPath) != 0)
    return StopWithError(*run, ERROR_NOT_ENOUGH_MEMORY, run->oldPath);
  const int result = RenameItemFile(run->owner, run->oldPath, run->newPath);
  if (result == 0) CountPair(run);
  return result;
}

int RenameAllRows(RunState* run) {
  const uint32_t total = ItemStoreCount(&run->files->rows);
  ShowJobProgress(0, total);
  for (uint32_t i = 0; i < total; ++i) {
    if (g_app->cancelCounter != 0) break;
    const int result = RenameRow(run, i);
    if (result != 0) return result;
    run->rowsDone = i + 1;
    ShowJobProgress(i + 1, total);
  }
  return 0;
}

// The list control empties its rows on the GUI thread, where the list is painted from them.
LRESULT EmptyFileListHere(void*) {
  if (g_app->fileList != nullptr) ItemsViewDeleteItem(g_app->fileList, -1, false);
  return 0;
}

void EmptyFileList() { RunOnGuiThread(EmptyFileListHere, nullptr); }

// The first `done` rows with the new names of those that have one as their current names, back to back with
// the other rows as they are, in a new block of `*bytes` bytes. Null without memory.
uint8_t* RowsWithNewNamesTaken(const ItemStore* rows, uint32_t done, uint32_t* bytes) {
  const uint32_t count = ItemStoreCount(rows);
  uint64_t size = 0;
  for (uint32_t i = 0; i < count; ++i) size += RecordLengthAt(ItemStoreGet(rows, i));
  size += static_cast<uint64_t>(done) * sizeof(FileListRow);
  uint8_t* block = size <= UINT32_MAX ? static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(size))) : nullptr;
  if (block == nullptr) return nullptr;
  uint32_t used = 0;
  FileListRow row;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* stored = ItemStoreGet(rows, i);
    const void* record = stored;
    uint16_t length = RecordLengthAt(stored);
    if (i < done && CopyFileRow(rows, i, &row) && row.newName[0] != 0 && wcscmp(row.newName, row.currentName) != 0) {
      SetFileListRowName(&row, row.newName);
      record = &row;
      length = row.length;
    }
    memcpy(block + used, record, length);
    used += length;
  }
  *bytes = used;
  return block;
}

// After a run that stopped on an error, the rows it renamed show the names their files now have, so that the
// list and the disk agree; the preview is computed anew when the run has ended. The rows are rebuilt in one
// block: updating them one by one would move the store's bytes for every name that grew. Rows that cannot be
// rebuilt go, as after a whole run, rather than stay with names the disk no longer has.
LRESULT TakeNewNamesHere(void* done) {
  ItemListControl* files = g_app->fileList;
  if (files == nullptr) return 0;
  uint32_t bytes = 0;
  uint8_t* block = RowsWithNewNamesTaken(&files->rows, *static_cast<uint32_t*>(done), &bytes);
  if (block == nullptr || ItemStoreReset(&files->rows) != 0 ||
      ItemStoreAppendRecords(&files->rows, block, bytes) != 0) {
    ItemsViewDeleteItem(files, -1, false);
  }
  FreeAndNull(&block);
  InterlockedExchange(&g_app->previewDeferred, 1);
  return 0;
}

void TakeNewNamesOfRenamedRows(RunState* run) {
  if (run->rowsDone > 0) RunOnGuiThread(TakeNewNamesHere, &run->rowsDone);
}

bool AllocatePaths(RunState* run) {
  run->oldPath = AllocZeroedWide(kRunPathCapacity);
  run->newPath = AllocZeroedWide(kRunPathCapacity);
  return run->oldPath != nullptr && run->newPath != nullptr;
}

void FreeRunState(RunState** run) {
  if ((*run)->pairs == 0) FreeUndoList(&(*run)->list);
  FreeAndNull(&(*run)->oldPath);
  FreeAndNull(&(*run)->newPath);
  FreeAndNull(run);
}

}  // namespace

bool StartExclusiveJob(LPTHREAD_START_ROUTINE job, HWND owner) {
  if (g_app == nullptr || InterlockedCompareExchange(&g_app->busyCounter, 1, 0) != 0) return false;
  InterlockedExchange(&g_app->cancelCounter, 0);
  UpdateMenuStatesHook();
  HANDLE thread = GuardedCall<HANDLE>(nullptr, [&] { return StartThread(job, owner); });
  if (thread == nullptr) {
    EndExclusiveJob();
    return false;
  }
  CloseHandleSafe(thread);
  return true;
}

void EndExclusiveJob() {
  InterlockedDecrement(&g_app->busyCounter);
  UpdateMenuStatesHook();
  RunDeferredPreview();
}

void ShowJobProgress(uint32_t done, uint32_t total) {
  if (done == 0) ResetProgressHook();
  const uint64_t percent = total == 0 ? 0 : static_cast<uint64_t>(done) * 100 / total;
  SetProgressPercentHook(static_cast<uint32_t>(percent));
}

bool StartRenameRun(HWND owner) {
  if (g_app == nullptr || g_app->problemCount != 0 || g_app->fileList == nullptr) return false;
  return StartExclusiveJob(RenameFilesThread, owner);
}

DWORD WINAPI RenameFilesThread(void* owner) {
  RunState* run = static_cast<RunState*>(AllocZeroed(sizeof(RunState)));
  if (run == nullptr || !AllocatePaths(run)) {
    ShowLastErrorMessage(static_cast<HWND>(owner), ERROR_NOT_ENOUGH_MEMORY, nullptr);
  } else if (g_app->fileList != nullptr) {
    run->owner = static_cast<HWND>(owner);
    run->files = g_app->fileList;
    const int result = GuardedCall(kRunFailed, [&] { return RenameAllRows(run); });
    if (result == 0) {
      EmptyFileList();
    } else {
      TakeNewNamesOfRenamedRows(run);
    }
  }
  if (run != nullptr) FreeRunState(&run);
  EndExclusiveJob();
  return 0;
}

int RenameItemFile(HWND owner, const wchar_t* from, const wchar_t* to) {
  if (from == nullptr || to == nullptr || from[0] == 0 || to[0] == 0) return ERROR_INVALID_PARAMETER;
  if (wcscmp(from, to) == 0) return 0;
  // Asking the provider not to replace is the only guard that holds when a file appears at the new name while
  // the run goes on; it also spares a lookup of the new name, which some file systems make by reading the folder.
  const int result = VfsRename(nullptr, from, to, kRenameKeepExisting);
  if (result != 0 && result != kCancelled)
    ShowLastErrorMessage(owner, static_cast<DWORD>(result), result == ERROR_ALREADY_EXISTS ? to : from);
  return result;
}
