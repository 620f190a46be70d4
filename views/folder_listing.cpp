#include "views/folder_listing.h"

#include <commctrl.h>

#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/core/system_seams.h"
#include "foundation/core/threads.h"
#include "foundation/files/paths.h"
#include "foundation/ui/ui_text_ids.h"
#include "views/address_bar.h"
#include "views/item_list_control.h"
#include "views/items_view.h"
#include "views/list_operations.h"
#include "views/path_pool.h"
#include "views/status_bar.h"
#include "views/view_hooks.h"

static_assert(sizeof AppState::currentFolder == kPathCapacity * sizeof(wchar_t),
              "the current folder holds a path of the program's path capacity");

namespace {

void BuildFileListRow(const ProviderItem& item, uint32_t folderIndex, FileListRow* row);

constexpr uint16_t kFolderAttribute = FILE_ATTRIBUTE_DIRECTORY;
constexpr uint16_t kLinkAttribute = FILE_ATTRIBUTE_REPARSE_POINT;
constexpr int kStoreResultLocked = 1;

// Non-zero while the running job is a folder listing.
volatile LONG g_listingRuns = 0;

// Set while no listing's worker runs.
HANDLE NoListingRuns() {
  static const HANDLE none = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  return none;
}

void EndListingJob() {
  SetEvent(NoListingRuns());
  InterlockedExchange(&g_listingRuns, 0);
  EndExclusiveJob();
}

// A store change that fails only for want of the lock is tried again until it is made or the Stop command
// comes: a row given up here would be a file missing from the list and from the rename. Any other failure is
// final.
template <typename Change>
bool ChangeWhileLockAllows(Change change) {
  for (;;) {
    const int result = change();
    if (result == 0) return true;
    if (result != kStoreResultLocked || JobStopRequested()) return false;
  }
}

uint32_t PoolFolder(ItemListControl* list, const wchar_t* name, uint32_t parent) {
  uint32_t index = 0;
  ChangeWhileLockAllows([&] {
    index = AddPooledPath(list, name, parent);
    return index != 0 ? 0 : kStoreResultLocked;
  });
  return index;
}

bool StoreHasRoomFor(const ItemListControl* list, uint32_t bytes) {
  const RecordBuffer& rows = list->rows.buffer;
  return rows.data != nullptr && rows.capacity - rows.used >= bytes;
}

// The next row is built in place at the end of the batch.
FileListRow* NextBatchRow(ListingContext* context) {
  const ItemListControl* list = *context->list;
  const bool full = kRowBatchBytes - context->batchUsed < sizeof(FileListRow);
  if (full || (context->batchUsed >= kRowTrickleBytes && list && StoreHasRoomFor(list, context->batchUsed))) {
    StoreListedRows(context);
  }
  return reinterpret_cast<FileListRow*>(context->batch + context->batchUsed);
}

void AddToBatch(ListingContext* context, const FileListRow& row) {
  context->batchUsed += row.length;
  ++context->batchFiles;
  if (row.info.size != kUnknownFileSize) context->batchBytes += row.info.size;
}

void CollectSubfolder(const ProviderItem& item, ListingContext* context) {
  if (context->recursive && (item.info.attributes & kLinkAttribute) == 0) {
    RecordBufferAppendString(context->subfolders, item.name);
  }
}

FolderIdentity IdentityOf(const wchar_t* path) {
  FolderIdentity identity = {};
  LongPath longPath;
  HANDLE folder = g_systemSeams.createFileW(MakeLongPath(&longPath, path), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileInformationByHandle(folder, &information)) {
    identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow, 1};
  }
  CloseHandle(folder);
  return identity;
}

bool SameFolder(const FolderIdentity& a, const FolderIdentity& b) {
  return a.known && b.known && a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

// Links are not entered, but a folder can still lead back to one above it (a share that follows links on the
// server): the folder's identity is compared with those of the folders above it. Paths the file system cannot
// open have no identity and are walked as found.
bool LeadsBackToAncestor(ListingContext* context) {
  const FolderIdentity identity = IdentityOf(context->path);
  for (int level = 0; level < context->depth; ++level) {
    if (SameFolder(identity, context->ancestors[level])) return true;
  }
  context->ancestors[context->depth] = identity;
  return false;
}

void WalkSubfolders(const RecordBuffer& subfolders, uint32_t parent, ListingContext* context) {
  if (context->depth >= kMaxListingDepth) return;
  const wchar_t* name = reinterpret_cast<const wchar_t*>(RecordBufferData(&subfolders));
  for (uint32_t i = 0; i < RecordBufferCount(&subfolders) && !JobStopRequested(); ++i) {
    ++context->depth;
    FillFileListFromFolder(name, parent, context);
    --context->depth;
    name += WideLength(name) + 1;
  }
}

// The "only the selected files" view lasts until the next listing.
void EndOnlySelectedView() {
  if ((g_app->options & kOptionSelectedOnly) == 0) return;
  SetOptionBits(kOptionSelectedOnly, false);
  ApplyViewOptionsHook();
}

// The settings a listing reads, copied on the thread that asks for it.
ListingContext* NewListingContext(const wchar_t* folder) {
  ListingContext* context = static_cast<ListingContext*>(AllocZeroed(sizeof(ListingContext)));
  if (context == nullptr) return nullptr;
  context->list = &g_app->fileList;
  context->recursive = (g_app->options & kOptionRecursive) != 0 ? 1 : 0;
  context->filter = SnapshotFilterForListing(&context->filterCopy);
  CopyWideString(folder, context->folder, kPathCapacity);
  return context;
}

void RunFollowUps(ItemListControl* list, const wchar_t* path) {
  UpdateStatusText(&g_app->listingStatistics, kTextStatusListed);
  ListingEndedHook(list, path);
  RefreshFileListRowCount(list);
  SelectFirstFileRow(list);
}

// Lists with the settings the context took when the listing was asked for.
void ListWithContext(const wchar_t* path, ListingContext* context) {
  ItemListControl* list = g_app->fileList;
  if (g_app->listRebuildGuard != 0 || list == nullptr) return;
  EndOnlySelectedView();
  if (!EmptyFileList(list)) {
    InterlockedIncrement(&g_app->pendingListings);
    return;
  }
  g_app->listingStatistics = ListStatistics{};
  // No row is selected now: a list that stays empty sends no change of selection that would recount it.
  CountSelectedItems(list);
  InterlockedExchange(&g_app->unlistedFolders, 0);
  if (list->imageList != nullptr) ImageList_Remove(list->imageList, -1);
  FillFileListFromFolder(path, 0, context);
  RunFollowUps(list, path);
}

bool StartListingWorker(const wchar_t* folder) {
  ListingContext* context = NewListingContext(folder);
  if (context == nullptr) return false;
  HANDLE worker = StartJobThread(LoadFolderCallback, context);
  if (worker == nullptr) {
    FreeAndNull(&context);
    return false;
  }
  CloseHandleSafe(worker);
  return true;
}

LRESULT RunDeferredListingHere(void*) {
  RunDeferredListing();
  return 0;
}

}  // namespace

void SetCurrentFolder(const wchar_t* path) {
  if (g_app == nullptr || path == nullptr) return;
  if (path != g_app->currentFolder) {
    CopyWideString(path, g_app->currentFolder, kPathCapacity);
    PathBarSetPath(&g_addressBar, FindProviderByPath(g_app->currentFolder), g_app->currentFolder, false);
    AddRecentFolderHook(g_app->currentFolder);
  }
  // Taken here, before the worker exists, so that a second request cannot start a second listing.
  if (!BeginExclusiveJob()) {
    InterlockedIncrement(&g_app->pendingListings);
    return;
  }
  InterlockedExchange(&g_app->pendingListings, 0);
  InterlockedExchange(&g_listingRuns, 1);
  ResetEvent(NoListingRuns());
  if (!StartListingWorker(g_app->currentFolder)) {
    EndListingJob();
    // Counted after the job's end, so that it is left to the timer: a start at once would fail again.
    InterlockedIncrement(&g_app->pendingListings);
  }
}

void RunDeferredListing() {
  if (g_app == nullptr || g_app->pendingListings == 0 || IsJobBusy()) return;
  SetCurrentFolder(g_app->currentFolder);
}

void StartPendingListingSoon() {
  if (g_app != nullptr && g_app->pendingListings != 0) PostToGuiThread(RunDeferredListingHere, nullptr);
}

DWORD WINAPI LoadFolderCallback(void* context) {
  ListingContext* listing = static_cast<ListingContext*>(context);
  GuardedCall(0, [&] {
    wchar_t path[kPathCapacity];
    StripLongPathPrefix(listing->folder, path, kPathCapacity);
    ListWithContext(path, listing);
    return 0;
  });
  FreeAndNull(&listing);
  EndListingJob();
  return 0;
}

bool IsFolderListingRunning() { return g_listingRuns != 0; }

bool WaitForFolderListing(DWORD milliseconds) {
  return WaitForSingleObject(NoListingRuns(), milliseconds) == WAIT_OBJECT_0;
}

void ReloadFileList(const wchar_t* path) {
  if (g_app == nullptr || path == nullptr) return;
  ListingContext* context = NewListingContext(path);
  if (context == nullptr) return;
  ListWithContext(path, context);
  FreeAndNull(&context);
}

void FillFileListFromFolder(const wchar_t* name, uint32_t parent, ListingContext* context) {
  ItemListControl* list = *context->list;
  if (list == nullptr) return;
  RecordBuffer subfolders;
  RecordBufferInit(&subfolders, true);
  RecordBuffer* outer = context->subfolders;
  context->subfolders = &subfolders;
  const uint32_t index = PoolFolder(list, name, parent);
  const int listed = EnumerateFolderIntoList(index, context);
  if (listed == 0) {
    WalkSubfolders(subfolders, index, context);
  } else if (listed != kFolderLeadsBack) {
    // Its files are missing from the list and the rename: the problem notice says so.
    InterlockedIncrement(&g_app->unlistedFolders);
  }
  context->subfolders = outer;
  RecordBufferDestroy(&subfolders);
}

int EnumerateFolderIntoList(uint32_t index, ListingContext* context) {
  context->folderIndex = index;
  ItemListControl* list = *context->list;
  if (list == nullptr) return -1;
  // A cut path would name another folder.
  if (GetPooledPath(list, index, context->path, kLongPathCapacity) < 0) return ERROR_FILENAME_EXCED_RANGE;
  if (context->path[0] == 0) return -1;
  if (context->recursive && LeadsBackToAncestor(context)) return kFolderLeadsBack;
  InterlockedExchange(&list->idle, 0);
  const int result = VfsEnumerate(nullptr, context->path, FilterMatchCallback, context);
  StoreListedRows(context);
  InterlockedExchange(&list->idle, 1);
  RefreshFileListRowCount(list);
  return result;
}

int FilterMatchCallback(ProviderItem* item, void* userData) {
  ListingContext* context = static_cast<ListingContext*>(userData);
  ItemListControl* list = *context->list;
  if (list == nullptr) return 1;
  if (IsDotEntry(item->name) || (item->info.attributes & kProviderRootAttribute) != 0) return 0;
  if ((item->info.attributes & kFolderAttribute) != 0) {
    CollectSubfolder(*item, context);
    return 0;
  }
  if (!FilterAdmitsItem(context->filter, item->name, item->info)) return 0;
  FileListRow* row = NextBatchRow(context);
  BuildFileListRow(*item, context->folderIndex, row);
  StopRenamingInList(list);
  AddToBatch(context, *row);
  return 0;
}

void StoreListedRows(ListingContext* context) {
  ItemListControl* list = *context->list;
  const bool stored = context->batchUsed != 0 && list != nullptr && ChangeWhileLockAllows([&] {
    return ItemStoreAppendRecords(&list->rows, context->batch, context->batchUsed);
  });
  if (stored) {
    g_app->listingStatistics.files += context->batchFiles;
    g_app->listingStatistics.bytes += context->batchBytes;
  }
  context->batchUsed = 0;
  context->batchFiles = 0;
  context->batchBytes = 0;
}

namespace {

// Fills a zero-filled row from an enumerated file: name (cut to 259 characters), stored length, extension
// position, folder index and file data.
void BuildFileListRow(const ProviderItem& item, uint32_t folderIndex, FileListRow* row) {
  memset(row, 0, sizeof *row);
  SetFileListRowName(row, item.name);
  row->folderIndex = static_cast<int32_t>(folderIndex);
  row->info = item.info;
}

}  // namespace
