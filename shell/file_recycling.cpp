#include "shell/file_recycling.h"

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

int RemoveRecycledRows(ItemListControl* files) {
  int removed = 0;
  InterlockedExchange(&files->idle, 0);
  for (int i = static_cast<int>(ItemStoreCount(&files->rows)) - 1; i >= 0; --i) {
    const auto* row = reinterpret_cast<const FileListRow*>(GetSelectedRecord(files, i));
    if (row && row->currentName[0] != 0 && FileIsGone(files, row) && ItemsViewDeleteItem(files, i, false) == 0) {
      ++removed;
    }
  }
  InterlockedExchange(&files->idle, 1);
  return removed;
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
    RunOnGuiThread(RecycleDoneCallback, nullptr);
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

LRESULT RecycleDoneCallback(void*) {
  ItemListControl* files = AppFileList();
  if (!files || RemoveRecycledRows(files) == 0) return 1;
  RefreshFileListRowCount(files);
  ItemsViewSelectItems(files, -1, 0);
  CountListedItems(files);
  UpdateStatusText(&g_app->listingStatistics, kTextStatusListed);
  ScheduleSelectionUpdate(g_mainWindow);
  return 1;
}
