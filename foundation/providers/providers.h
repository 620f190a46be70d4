// File-system providers: every operation on listed files and folders (listing, icons, attributes, times,
// renaming, copying, deleting, making folders, properties) goes through one. A provider is a record of
// operation slots that one kind of storage fills in: the local disk (drive and UNC paths) and the drives
// view (the drives under the shell's "computer" folder). Callers use the Vfs* operations below, which choose
// the provider by kind, by an open folder or by a path, run the slot inside the guard and turn a missing
// slot or a fault into a fixed result.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>

#include "foundation/files/file_info.h"
#include "foundation/files/paths.h"

constexpr int kProviderCount = 3;
constexpr int kLocalDiskIndex = 0;
constexpr int kDrivesViewIndex = 1;
constexpr int32_t kLocalDiskKind = 1;
constexpr int32_t kDrivesViewKind = 2;

// Attributes under which the enumeration hands out a provider root or a drive.
constexpr uint16_t kProviderRootAttributes = 0x1010;
// The attribute bits an enumeration passes on.
constexpr uint16_t kListedAttributeMask = 0x4C37;

// Results that mean "this provider cannot do that" and "cancelled".
constexpr int kNotSupported = ERROR_NOT_SUPPORTED;
constexpr int kCancelled = ERROR_REQUEST_ABORTED;

// A folder opened on a provider; made zero-filled by the provider's open slot and freed by its close slot.
struct ProviderFolder {
  int32_t providerIndex;
  void* owner;
  void* cachedData;  // the provider's data for the folder; dropped on every change of folder
  wchar_t path[kPathCapacity];
};

#pragma pack(push, 1)
// What an enumeration hands to its item callback: one record, reused for every item.
struct ProviderItem {
  const wchar_t* folderPath;
  FileInfo info;  // attributes masked with kListedAttributeMask; size kUnknownFileSize when unreadable
  const wchar_t* shortName;
  wchar_t name[kPathCapacity];
};
#pragma pack(pop)

// Answers non-zero to stop the enumeration.
using ProviderItemCallback = int (*)(ProviderItem* item, void* userData);

// Progress of copying and wiping: called with kProgressBytesCode and the bytes handled since the previous
// call; a non-zero answer cancels, which ends the operation with kCancelled.
using ProgressCallback = int (*)(int code, uint64_t* bytes, int reserved, void* userData);
constexpr int kProgressBytesCode = 3;

// Tells a progress callback (when there is one) of `bytes` more, inside the guard; non-zero asks to cancel
// (also when the callback faults).
int ReportProgress(ProgressCallback progress, uint64_t bytes, void* userData);

// Rename flags. By default a rename replaces a file at the new path; with kRenameKeepExisting it never
// replaces anything and gives 183 instead, unless the new path names the very file under another spelling.
constexpr uint32_t kRenameKeepExisting = 0x1;

// Delete types.
constexpr int kDeleteFile = 0;
constexpr int kDeleteToRecycleBin = 1;
constexpr int kDeleteWipe = 2;

struct FileSystemProvider;

// The 27 operation slots in their fixed order; an empty slot is null.
struct ProviderSlots {
  void (*release)(FileSystemProvider* provider);
  ProviderFolder* (*openFolder)(FileSystemProvider* provider, void* owner, int providerIndex, const wchar_t* path,
                                void* extra);
  int (*closeFolder)(FileSystemProvider* provider, ProviderFolder** folder);
  uint32_t (*capabilities)(FileSystemProvider* provider, ProviderFolder* folder);
  HICON (*itemIcon)(FileSystemProvider* provider, const wchar_t* path, int size, int iconId);
  int (*addIconToImageList)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                            uint32_t attributes, int size, HIMAGELIST list);
  int (*rootPath)(FileSystemProvider* provider, ProviderFolder* folder, wchar_t* target, int capacity);
  int (*copyPath)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path, wchar_t* target,
                  int capacity);
  int (*folderPath)(FileSystemProvider* provider, ProviderFolder* folder, wchar_t* target, int capacity, int flag);
  int (*changeFolder)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path);
  int (*isInsideShare)(FileSystemProvider* provider, const wchar_t* path);
  int (*enumerate)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                   ProviderItemCallback callback, void* userData);
  int32_t (*getAttributes)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                           FileInfo* info);
  int (*setAttributes)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                       uint32_t attributes);
  int (*setTimes)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                  const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);
  int (*rename)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* oldPath,
                const wchar_t* newPath, uint32_t renameFlags);
  int (*copyOrMove)(FileSystemProvider* provider, ProviderFolder* folder, ProviderFolder* secondFolder,
                    const wchar_t* source, const wchar_t* target, const FileInfo* info, ProgressCallback progress,
                    void* userData);
  int (*copy)(FileSystemProvider* provider, const wchar_t* source, const wchar_t* target, const FileInfo* info,
              ProgressCallback progress, void* userData);
  int (*copyAlike)(FileSystemProvider* provider, const wchar_t* source, const wchar_t* target,
                   const FileInfo* info, ProgressCallback progress, void* userData);
  int (*deleteItem)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path, int deleteType,
                    ProgressCallback progress, void* userData);
  int (*removeFolder)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path);
  int (*makeFolder)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path);
  int (*properties)(FileSystemProvider* provider, HWND window, const wchar_t* paths);
  void (*reserved23)();
  int (*runVerb)(FileSystemProvider* provider, ProviderFolder* folder, HWND window, const wchar_t* path,
                 const wchar_t* verb, uint32_t flags);
  int (*parseDisplayName)(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                          IMalloc* allocator, void* extra, LPITEMIDLIST* list);
  void (*reserved26)();
};
static_assert(sizeof(ProviderSlots) == 27 * sizeof(void*), "a provider has 27 operation slots");

struct FileSystemProvider {
  int32_t kind;             // kLocalDiskKind, kDrivesViewKind, 0 for an empty record
  wchar_t* displayName;     // null for the local disk
  int32_t prefixLength;     // length of the provider's own path prefix; 0 for both providers
  volatile LONG userCount;  // folders currently open on this provider
  ProviderSlots slots;
};

// Capability bits, each set when the slot named is filled.
constexpr uint32_t kCanMakeFolder = 0x4;
constexpr uint32_t kHasSlot23 = 0x20;
constexpr uint32_t kCanRunVerb = 0x40;
constexpr uint32_t kCanRename = 0x80;
constexpr uint32_t kCanCopy = 0x100;
constexpr uint32_t kCanCopyAlike = 0x400;
constexpr uint32_t kCanCopyOrMove = 0x1000;
constexpr uint32_t kCanDelete = 0x2000 | 0x4000;
constexpr uint32_t kCanSetAttributes = 0x8000;
constexpr uint32_t kCanSetTimes = 0x10000;
constexpr uint32_t kCanAddIcon = 0x20000;

// The three records: local disk, drives view, and one that stays empty.
extern FileSystemProvider g_fileSystemProviders[kProviderCount];

// Fills the records (with the system's error boxes for empty drives off meanwhile); ShutdownProviders
// releases every filled record.
void InitFileSystemProviders();
void ShutdownProviders();

// The index of the record of a kind; -1 when none (also for kind 0).
int FindProviderById(int32_t kind);
// The index of the provider that serves a path; 0 for a null path, -1 when none does.
int FindProviderByPath(const wchar_t* path);
// The folder's provider index (-1 when out of range); without a folder the provider of the path (0 for a null
// path, -1 for an empty one).
int ProviderIndexOf(const ProviderFolder* folder, const wchar_t* path);

// The capability bits computed from a provider's slots.
uint32_t CapabilitiesOfSlots(const ProviderSlots& slots);

// Moves an open folder, with its unit of the user count, to another provider; its path is emptied.
void HandFolderOver(ProviderFolder* folder, int providerIndex);

// Opens a folder on the provider of that kind, else of the path; null on failure.
ProviderFolder* VfsOpenFolder(void* owner, int32_t kind, const wchar_t* path, void* extra);
// Empties `text` (when given) and gives up one user of the folder's provider; the folder is freed (and the
// pointer cleared) when no user is left or `force` is set.
int VfsCloseFolder(ProviderFolder** folder, wchar_t* text, bool force);
HICON VfsLoadIcon(ProviderFolder* folder, int32_t kind, const wchar_t* path, int size, int iconId);
int VfsAddIconToImageList(ProviderFolder* folder, const wchar_t* path, uint32_t attributes, int size,
                          HIMAGELIST list);
int VfsChangeFolder(ProviderFolder* folder, const wchar_t* path);
// Lists a folder: the folder's own path, or `path`. With neither, one item per provider that has a display
// name (attributes kProviderRootAttributes, its root path as short name) and the result 50.
int VfsEnumerate(ProviderFolder* folder, const wchar_t* path, ProviderItemCallback callback, void* userData);
// The attributes of a path (its FileInfo too when asked); -1 when it does not exist.
int32_t VfsGetAttributes(ProviderFolder* folder, const wchar_t* path, FileInfo* info);
bool PathExists(const wchar_t* path);
int VfsSetAttributes(ProviderFolder* folder, const wchar_t* path, uint32_t attributes);
int VfsSetFileTimes(ProviderFolder* folder, const wchar_t* path, const FILETIME* creation,
                    const FILETIME* lastAccess, const FILETIME* lastWrite);
// Renames a file or folder (`renameFlags` as above); identical texts give 0 without touching the disk.
int VfsRename(ProviderFolder* folder, const wchar_t* oldPath, const wchar_t* newPath, uint32_t renameFlags = 0);
int VfsCopy(ProviderFolder* folder, const wchar_t* source, const wchar_t* target, const FileInfo* info,
            ProgressCallback progress, void* userData);
// Makes a folder with every missing parent. 0 when it exists as a folder; 183 when a file holds its name.
// Local paths are served also while the provider records are not filled.
int CreateDirectoryPath(ProviderFolder* folder, const wchar_t* path);
// Shows the shell's properties of the paths of a double-zero-terminated list (one path or several).
int VfsShowProperties(ProviderFolder* folder, HWND window, const wchar_t* paths);

// A path that begins with three separators and the provider's name loses that prefix; any other path is
// returned unchanged.
const wchar_t* StripProviderPrefix(const FileSystemProvider* provider, const wchar_t* path);
