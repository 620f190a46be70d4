// Folder listing into the file list. Choosing a folder records it as the current folder and starts a
// short-lived worker that empties the file list, has the file-system providers enumerate the folder (and, with
// the recursive option, its subfolders depth first), turns every file the filter admits into a FileListRow and
// every folder into an entry of the path pool, then shows the counts, tells the parts above once that the
// listing ended (they sort, preview and so on) and selects the first row. Folders are walked, never listed as rows.
//
// A listing is an exclusive job (foundation/core/jobs.h): it begins on the GUI thread before its worker starts
// and ends when the worker ends, whatever happens inside it. What it reads of the settings (the filter, the
// recursive option) is copied on the GUI thread when it begins, so that the filter dialog never writes what the
// worker reads. A folder chosen while a job is busy or held off is only recorded and counted as pending, and the
// newest one is listed as soon as jobs may begin again (the main window's timer is the fallback).
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/core/record_buffer.h"
#include "views/file_filter.h"
#include "views/file_list_row.h"

struct ItemListControl;

// Subfolder levels below the listed folder that a recursive listing enters.
constexpr int kMaxListingDepth = 256;
// Admitted rows are gathered and stored together, so that the store's lock is taken once for many rows. While
// the store's block has room for them they go in batches of kRowTrickleBytes; once it has not, they are gathered
// up to kRowBatchBytes, so that the block grows once for many rows: once for a folder of 100 000 files, whose
// rows a block growing by steps copied over and over. The context lives on the heap, zero-filled: the system
// gives the batch's pages as rows first fill them, and the first ones serve every batch of a store with room.
constexpr uint32_t kRowTrickleBytes = 65536;
constexpr uint32_t kRowBatchBytes = 64u << 20;

// Result of a folder that is not enumerated because it is one of the folders above it, reached again
// through a link.
constexpr int kFolderLeadsBack = ERROR_CANT_RESOLVE_FILENAME;

// Enumerated items with this attribute (drives and provider roots) never become rows.
constexpr uint16_t kProviderRootAttribute = 0x1000;

// A folder as the file system knows it, whatever path leads there.
struct FolderIdentity {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
  int32_t known;
};

// What one listing hands down the walk and to the item callback.
struct ListingContext {
  RecordBuffer* subfolders;       // names of the subfolders met in the folder being enumerated
  ItemListControl* const* list;   // the application's file-list slot, so that a list that goes away is seen
  int32_t recursive;
  uint32_t folderIndex;           // pool index of the folder being enumerated
  const FilterRecord* filter;     // null: every file is admitted
  FilterRecord filterCopy;        // the filter as it stood when the listing began
  wchar_t folder[kPathCapacity];  // the folder asked for (a listing's worker lists it)
  int32_t depth;                  // levels below the listed folder
  FolderIdentity ancestors[kMaxListingDepth + 1];
  wchar_t path[kLongPathCapacity];
  // Rows admitted and not yet stored, with the files and bytes they will add to the listing statistics.
  uint32_t batchUsed;
  uint32_t batchFiles;
  uint64_t batchBytes;
  alignas(8) uint8_t batch[kRowBatchBytes];
};

// Makes `path` the current folder and lists it. Unless `path` is the stored current-folder buffer itself, it
// is copied there (cut to 1023 characters), shown in the address bar and put first among the recent folders.
// While a job is busy the listing is only counted as pending. GUI thread.
void SetCurrentFolder(const wchar_t* path);

// Lists the current folder when a listing is pending and nothing is busy (GUI thread; also the main window's
// timer duty).
void RunDeferredListing();
// Any thread, when jobs may begin again: a pending listing begins on the GUI thread as soon as it takes its
// messages (posted to the main window; nothing without one).
void StartPendingListingSoon();
// True while the job that holds the busy counter is a folder listing.
bool IsFolderListingRunning();
// Waits up to `milliseconds` until no listing's worker runs; true when none does. Work that would slow a listing
// down and can come later (the start-up's folder-tree fill) waits for it. Never on the GUI thread, which a
// listing needs.
bool WaitForFolderListing(DWORD milliseconds);

// The listing worker: takes over the ListingContext its starter made on the GUI thread (heap, AllocZeroed),
// lists the context's folder with it, frees it and ends the job its starter began, also when the listing fails.
// Returns 0.
DWORD WINAPI LoadFolderCallback(void* context);

// Empties the file list and lists `path` into it with the settings as they are now, then runs what follows a
// listing. Nothing happens without a file list or while a command rewrites it in place; when the list cannot
// be emptied, the listing is left pending.
void ReloadFileList(const wchar_t* path);

// Enters one folder into the pool (`name` below the entry `parent`, or a top folder for parent 0), enumerates
// it and, for a recursive listing, walks its subfolders depth first until the cancel counter is raised. A folder
// that cannot be listed (whatever its depth) is counted in the application's unlisted folders, which the
// listing sets to 0 first, so that the problem notice can say that files are missing.
void FillFileListFromFolder(const wchar_t* name, uint32_t parent, ListingContext* context);

// Enumerates the pooled folder `index` into the list. The provider's result (0 success); -1 without a list or
// when the pooled path is empty; 206 when it is longer than kLongPathCapacity; kFolderLeadsBack for a folder
// of a recursive listing that is one of its ancestors.
int EnumerateFolderIntoList(uint32_t index, ListingContext* context);

// The item callback of a listing (`userData` is its ListingContext): skips "." and "..", drives and provider
// roots; collects subfolders of a recursive listing (not those that are links); appends a row for every file
// the filter admits (stored in batches, see StoreListedRows). 0 to go on; 1 when there is no list.
int FilterMatchCallback(ProviderItem* item, void* userData);

// Stores the rows the item callback has gathered and counts them in the listing statistics; rows that cannot
// be stored (the list's lock stays taken until the Stop command or for want of memory) are dropped uncounted.
// EnumerateFolderIntoList calls it after each folder.
void StoreListedRows(ListingContext* context);
