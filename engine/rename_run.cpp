#include "engine/rename_run.h"

#include <cstring>

#include "engine/name_marks.h"
#include "engine/preview.h"
#include "engine/undo.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/core/threads.h"
#include "foundation/ui/ui_operations.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

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

// What a run that stopped on an error leaves to the next run in the same list.
struct StoppedRun {
  const ItemListControl* files;
  LONG rowChanges;       // the rows' change count once they took the new names: another count, another list
  uint32_t settledRows;  // rows 0 .. settledRows - 1 are renamed (or had nothing to rename)
};
StoppedRun g_stoppedRun;

bool IsListOfStoppedRun(const ItemListControl* files) {
  return files != nullptr && files == g_stoppedRun.files && files->rows.changes == g_stoppedRun.rowChanges;
}

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
  const int old = GetRowFullPath(run->files, &run->row, run->oldPath, kLongPathCapacity);
  if (old == ERROR_PATH_NOT_FOUND) return old;
  const int renamed = GetRowPathWithName(run->files, &run->row, run->row.newName, run->newPath, kLongPathCapacity);
  return old == 0 && renamed == 0 ? 0 : ERROR_FILENAME_EXCED_RANGE;
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

void CountPair(RunState* run) { InstallUndoList(run->list, ++run->pairs); }

// Another program may have put a folder where a listed file was, or a file where a listed folder was: the run
// renames only what it listed. An entry that is gone is left to the rename, which reports it.
EntryKind ListedKind(const FileListRow& row) {
  return (row.info.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? kFolderEntry : kFileEntry;
}

bool IsOtherKindThanListed(const FileListRow& row, const wchar_t* path) {
  const EntryKind kind = EntryKindAt(path);
  return kind != kNoEntry && kind != ListedKind(row);
}

// The entry's kind is looked at last before the rename, after the pair is stored (which may wait for the GUI
// thread): the nearest the providers allow, since they rename by path.
int RenameListedEntry(RunState* run) {
  if (IsOtherKindThanListed(run->row, run->oldPath)) return StopWithError(*run, ERROR_FILE_NOT_FOUND, run->oldPath);
  return RenameItemFile(run->owner, run->oldPath, run->newPath);
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
  if (AppendUndoPair(run->list, run->newPath, run->oldPath, ListedKind(run->row)) != 0)
    return StopWithError(*run, ERROR_NOT_ENOUGH_MEMORY, run->oldPath);
  const int result = RenameListedEntry(run);
  if (result == 0) {
    CountPair(run);
  } else {
    KeepUndoPairs(run->list, run->pairs);
  }
  return result;
}

int RenameAllRows(RunState* run) {
  const uint32_t total = ItemStoreCount(&run->files->rows);
  ShowJobProgress(0, total);
  for (uint32_t i = 0; i < total; ++i) {
    if (JobStopRequested()) break;
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

// Every row, those for which `nameFor` chooses a name with that name as their current one, back to back in a new
// block of `*bytes` bytes. Null without memory.
uint8_t* RowsWithNamesChosen(const ItemStore* rows, RowNameChoice nameFor, void* context, uint32_t* bytes) {
  const uint32_t count = ItemStoreCount(rows);
  uint64_t size = 0;
  for (uint32_t i = 0; i < count; ++i) size += RecordLengthAt(ItemStoreGet(rows, i));
  size += static_cast<uint64_t>(count) * kFileNameCapacity * sizeof(wchar_t);
  uint8_t* block = size <= UINT32_MAX ? static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(size))) : nullptr;
  if (block == nullptr) return nullptr;
  uint32_t used = 0;
  FileListRow row;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* stored = ItemStoreGet(rows, i);
    const void* record = stored;
    uint16_t length = RecordLengthAt(stored);
    const wchar_t* name = CopyFileRow(rows, i, &row) ? nameFor(row, i, context) : nullptr;
    if (name != nullptr && name[0] != 0 && wcscmp(name, row.currentName) != 0) {
      SetFileListRowName(&row, name);
      record = &row;
      length = row.length;
    }
    memcpy(block + used, record, length);
    used += length;
  }
  *bytes = used;
  return block;
}

struct RowNamesRequest {
  RowNameChoice nameFor;
  void* context;
};

// The names chosen for the rows, each after its row's index, chosen on the job's worker (the rows cannot move
// while it runs): choosing looks at paths and names, and for many rows would hold the window.
struct ChosenNames {
  RecordBuffer names;  // records: the row's index (uint32_t), then its zero-terminated name
  uint32_t next;       // offset of the next record to hand out
};

bool ChooseNames(const ItemStore* rows, RowNameChoice nameFor, void* context, RecordBuffer* names) {
  const uint32_t count = ItemStoreCount(rows);
  FileListRow row;
  uint8_t record[sizeof(uint32_t) + kFileNameCapacity * sizeof(wchar_t)];
  for (uint32_t i = 0; i < count; ++i) {
    const wchar_t* name = CopyFileRow(rows, i, &row) ? nameFor(row, i, context) : nullptr;
    if (name == nullptr || name[0] == 0 || wcscmp(name, row.currentName) == 0) continue;
    const size_t length = wcsnlen(name, kFileNameCapacity - 1);
    memcpy(record, &i, sizeof i);
    memcpy(record + sizeof i, name, length * sizeof(wchar_t));
    memset(record + sizeof i + length * sizeof(wchar_t), 0, sizeof(wchar_t));
    if (RecordBufferAppend(names, record, static_cast<uint32_t>(sizeof i + (length + 1) * sizeof(wchar_t))) != 0) {
      return false;
    }
  }
  return true;
}

// The rows are handed their chosen names in index order.
const wchar_t* ChosenName(const FileListRow&, uint32_t index, void* context) {
  auto* chosen = static_cast<ChosenNames*>(context);
  if (chosen->next >= RecordBufferUsedBytes(&chosen->names)) return nullptr;
  const uint8_t* record = RecordBufferData(&chosen->names) + chosen->next;
  uint32_t row = 0;
  memcpy(&row, record, sizeof row);
  if (row != index) return nullptr;
  const auto* name = reinterpret_cast<const wchar_t*>(record + sizeof row);
  chosen->next += static_cast<uint32_t>(sizeof row + (WideLength(name) + 1) * sizeof(wchar_t));
  return name;
}

// The rows are rebuilt in one block: renaming them one by one would move the store's bytes for every name
// that grew. Rows that cannot be rebuilt go, as after a whole run, rather than stay with names the disk no
// longer has.
LRESULT RenameRowsHere(void* argument) {
  const RowNamesRequest* request = static_cast<const RowNamesRequest*>(argument);
  ItemListControl* files = g_app->fileList;
  if (files == nullptr) return 0;
  uint32_t bytes = 0;
  uint8_t* block = RowsWithNamesChosen(&files->rows, request->nameFor, request->context, &bytes);
  if (block == nullptr || ItemStoreReset(&files->rows) != 0 ||
      ItemStoreAppendRecords(&files->rows, block, bytes) != 0) {
    ItemsViewDeleteItem(files, -1, false);
  }
  FreeAndNull(&block);
  InterlockedExchange(&g_app->previewDeferred, 1);
  return 0;
}

// The rows a run renamed before it stopped take their new names.
const wchar_t* NewNameOfRenamedRow(const FileListRow& row, uint32_t index, void* done) {
  return index < *static_cast<const uint32_t*>(done) ? row.newName : nullptr;
}

// After a run that stopped on an error the list and the disk agree again, and the rows renamed are done.
void TakeNewNamesOfRenamedRows(RunState* run) {
  if (run->rowsDone > 0) RenameFileListRows(NewNameOfRenamedRow, &run->rowsDone);
  if (run->pairs > 0) {
    g_stoppedRun = {run->files, run->files->rows.changes, run->rowsDone};
  } else {
    ForgetStoppedRun();
  }
}

// A run in the list a run stopped in adds its pairs to that run's, so that one undo brings back every file.
void ContinueStoppedRun(RunState* run) {
  if (!IsListOfStoppedRun(run->files) || g_app->undoList == nullptr || g_app->undoPairCount <= 0) return;
  run->list = g_app->undoList;
  run->pairs = g_app->undoPairCount;
}

bool AllocatePaths(RunState* run) {
  run->oldPath = AllocZeroedWide(kLongPathCapacity);
  run->newPath = AllocZeroedWide(kLongPathCapacity);
  return run->oldPath != nullptr && run->newPath != nullptr;
}

void FreeRunState(RunState** run) {
  if ((*run)->pairs == 0) FreeUndoList(&(*run)->list);
  FreeAndNull(&(*run)->oldPath);
  FreeAndNull(&(*run)->newPath);
  FreeAndNull(run);
}

// Asking the provider not to replace is the only guard that holds when a file appears at the new name while
// the run goes on; it also spares a lookup of the new name, which some file systems make by reading the folder.
int RenameShowingFailures(HWND owner, const wchar_t* from, const wchar_t* to, bool showTaken) {
  if (from == nullptr || to == nullptr || from[0] == 0 || to[0] == 0) return ERROR_INVALID_PARAMETER;
  if (wcscmp(from, to) == 0) return 0;
  const int result = VfsRename(nullptr, from, to, kRenameKeepExisting);
  if (result == ERROR_ALREADY_EXISTS) {
    if (showTaken) ShowLastErrorMessage(owner, static_cast<DWORD>(result), to);
  } else if (result != 0 && result != kCancelled) {
    ShowLastErrorMessage(owner, static_cast<DWORD>(result), from);
  }
  return result;
}

}  // namespace

uint32_t RowsSettledByStoppedRun(const ItemListControl* files) {
  return IsListOfStoppedRun(files) ? g_stoppedRun.settledRows : 0;
}

void ForgetSettledRows() { g_stoppedRun.settledRows = 0; }

void ForgetStoppedRun() { g_stoppedRun = {}; }

void RenameFileListRows(RowNameChoice nameFor, void* context) {
  ChosenNames chosen = {};
  RecordBufferInit(&chosen.names, true);
  // Without memory for the names the GUI thread chooses them itself.
  const ItemListControl* files = g_app->fileList;
  const bool chosenHere = files != nullptr && ChooseNames(&files->rows, nameFor, context, &chosen.names);
  RowNamesRequest request = chosenHere ? RowNamesRequest{ChosenName, &chosen} : RowNamesRequest{nameFor, context};
  RunOnGuiThread(RenameRowsHere, &request);
  RecordBufferDestroy(&chosen.names);
}

bool StartRenameRun(HWND owner) {
  if (g_app == nullptr || g_app->fileList == nullptr) return false;
  // Names that a tool's changes (times, attributes) made stale are computed again before any file is renamed.
  RunDeferredPreview();
  if (g_app->problemCount != 0) return false;
  return StartExclusiveJob(RenameFilesThread, owner);
}

DWORD WINAPI RenameFilesThread(void* owner) {
  RunState* run = static_cast<RunState*>(AllocZeroed(sizeof(RunState)));
  if (run == nullptr || !AllocatePaths(run)) {
    ShowLastErrorMessage(static_cast<HWND>(owner), ERROR_NOT_ENOUGH_MEMORY, nullptr);
  } else if (g_app->fileList != nullptr) {
    run->owner = static_cast<HWND>(owner);
    run->files = g_app->fileList;
    ContinueStoppedRun(run);
    // A run that faulted counts as failed: the list keeps its rows.
    const int result = GuardedCall(ERROR_FUNCTION_FAILED, [&] { return RenameAllRows(run); });
    if (result == 0) {
      ForgetStoppedRun();
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
  return RenameShowingFailures(owner, from, to, true);
}

int RenameItemFileUnlessTaken(HWND owner, const wchar_t* from, const wchar_t* to) {
  return RenameShowingFailures(owner, from, to, false);
}
