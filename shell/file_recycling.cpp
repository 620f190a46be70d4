#include "shell/file_recycling.h"

#include <algorithm>
#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/threads.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_text_ids.h"
#include "shell/file_commands.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/list_operations.h"
#include "views/path_pool.h"
#include "views/status_bar.h"

namespace {

struct RecycleJob {
  HWND owner;
  wchar_t* paths;  // zero-terminated paths, ended by an empty one
};

// A selected row leaves the list only when its file has left its folder: a recycling that the user stopped
// half-way, or that failed for some files, keeps the rows of the files that are still there.
bool FileIsGone(const ItemListControl* files, const FileListRow* row) {
  wchar_t path[kLongPathCapacity];
  return GetRowFullPath(files, row, path, kLongPathCapacity) == 0 && path[0] != 0 && !PathExists(path);
}

// The rows whose files went, one flag a row, looked up on the job's worker (the rows do not move while it runs):
// a look at the disk for each of many rows would hold the window. Null without memory.
uint8_t* FindRecycledRows(const ItemListControl* files) {
  if (files == nullptr) return nullptr;
  const uint32_t count = ItemStoreCount(&files->rows);
  auto* gone = static_cast<uint8_t*>(AllocZeroed(count > 0 ? count : 1));
  for (uint32_t i = 0; i < count && gone != nullptr; ++i) {
    const auto* row = reinterpret_cast<const FileListRow*>(GetSelectedRecord(files, static_cast<int>(i)));
    gone[i] = row && row->currentName[0] != 0 && FileIsGone(files, row) ? 1 : 0;
  }
  return gone;
}

// The store asks about its rows in their order, once each.
struct RecycledRows {
  const uint8_t* gone;
  uint32_t count;
  uint32_t next;
};

bool IsRecycledRow(uint8_t*, void* context) {
  auto* rows = static_cast<RecycledRows*>(context);
  return rows->next < rows->count && rows->gone[rows->next++] != 0;
}

// All the rows of the files that went leave in one pass; false when none did.
bool RemoveRecycledRows(ItemListControl* files, const uint8_t* gone) {
  const uint32_t count = ItemStoreCount(&files->rows);
  if (gone == nullptr || std::find(gone, gone + count, 1) == gone + count) return false;
  RecycledRows rows = {gone, count, 0};
  return ItemsViewDeleteRowsWhere(files, IsRecycledRow, &rows) == 0;
}

// The shell takes no path as it stands: for a name that ends in a dot or a blank it would recycle the twin, so
// such files stay (and their rows with them). False when no path is left.
bool DropLiteralPaths(wchar_t* paths) {
  wchar_t* kept = paths;
  for (wchar_t* path = paths; *path != 0;) {
    const size_t length = WideLength(path) + 1;
    if (!NeedsLiteralPath(path)) {
      memmove(kept, path, length * sizeof(wchar_t));
      kept += length;
    }
    path += length;
  }
  *kept = 0;
  return kept != paths;
}

DWORD WINAPI RecycleThread(void* parameter) {
  RecycleJob* job = static_cast<RecycleJob*>(parameter);
  GuardedCall(0, [&] {
    DeleteToRecycleBin(job->owner, job->paths, 0, false);
    uint8_t* gone = FindRecycledRows(AppFileList());
    RunOnGuiThread(RecycleDoneCallback, gone);
    FreeAndNull(&gone);
    return 0;
  });
  FreeAndNull(&job->paths);
  FreeAndNull(&job);
  EndExclusiveJob();
  return 0;
}

}  // namespace

bool RecycleSelectedFiles(HWND window) {
  const ItemListControl* files = AppFileList();
  if (!files) return false;
  auto* job = static_cast<RecycleJob*>(AllocZeroed(sizeof(RecycleJob)));
  if (!job) return false;
  job->owner = window;
  job->paths = JoinRowPaths(files, false, nullptr);
  if (job->paths && DropLiteralPaths(job->paths) && StartExclusiveJob(RecycleThread, job)) return true;
  FreeAndNull(&job->paths);
  FreeAndNull(&job);
  return false;
}

LRESULT RecycleDoneCallback(void* gone) {
  ItemListControl* files = AppFileList();
  if (!files || !RemoveRecycledRows(files, static_cast<const uint8_t*>(gone))) return 1;
  RefreshFileListRowCount(files);
  ItemsViewSelectItems(files, -1, 0);
  CountListedItems(files);
  UpdateStatusText(&g_app->listingStatistics, kTextStatusListed);
  ScheduleSelectionUpdate(g_mainWindow);
  return 1;
}
