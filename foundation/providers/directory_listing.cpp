#include "foundation/providers/directory_listing.h"

#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/files/file_io.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_items.h"
#include "foundation/files/system_errors.h"
#include "foundation/win32/system_functions.h"
#include "foundation/core/system_seams.h"
#include "foundation/core/windows_version.h"

namespace {

void FillItemFromFindData(ProviderItem* item, const WIN32_FIND_DATAW* data);

// Whether this process searches with FindFirstFileExW: decided on first use, given up on error 87.
enum FindExChoice : LONG { kUndecided, kUseFindEx, kAvoidFindEx };
volatile LONG g_findExChoice = kUndecided;

// Windows 7 and later take FindExInfoBasic and FIND_FIRST_EX_LARGE_FETCH.
constexpr int kFirstVersionWithBasicSearch = 16;

bool UseFindFirstFileEx() {
  if (g_findExChoice == kUndecided)
    g_findExChoice = GetWindowsVersionCodeCached() >= kFirstVersionWithBasicSearch ? kUseFindEx : kAvoidFindEx;
  return g_findExChoice == kUseFindEx;
}

// FindFirstFileExW when chosen; INVALID_HANDLE_VALUE with `*error` set to 3 when the folder is not there, and
// with `*error` 0 when the plain search should be tried.
HANDLE StartBasicSearch(const wchar_t* pattern, WIN32_FIND_DATAW* data, int* error) {
  *error = 0;
  HANDLE search = g_systemSeams.findFirstFileExW(pattern, FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                                                 FIND_FIRST_EX_LARGE_FETCH);
  if (search != INVALID_HANDLE_VALUE) {
    if (data->cFileName[0]) return search;
    // Some file systems hand out an empty first name to the basic search; the plain search reads them right.
    FindClose(search);
    return INVALID_HANDLE_VALUE;
  }
  const DWORD failure = GetLastError();
  if (failure == 0 || failure == ERROR_PATH_NOT_FOUND || failure == ERROR_INVALID_MENU_HANDLE)
    *error = ERROR_PATH_NOT_FOUND;
  else if (failure == ERROR_INVALID_PARAMETER)
    g_findExChoice = kAvoidFindEx;
  return INVALID_HANDLE_VALUE;
}

// The open search, or INVALID_HANDLE_VALUE with the listing's result in `*result`.
HANDLE StartSearch(const wchar_t* pattern, WIN32_FIND_DATAW* data, int* result) {
  if (UseFindFirstFileEx()) {
    HANDLE search = StartBasicSearch(pattern, data, result);
    if (search != INVALID_HANDLE_VALUE || *result) return search;
  }
  HANDLE search = g_systemSeams.findFirstFileW(pattern, data);
  if (search == INVALID_HANDLE_VALUE) {
    const int code = static_cast<int>(MapLastError(ERROR_PATH_NOT_FOUND));
    *result = code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES ? 0 : code;
  }
  return search;
}

struct FolderListing {
  ProviderItem item;
  ProviderItemCallback callback;
  void* userData;
};

int AddFindDataItem(const WIN32_FIND_DATAW* data, void* context) {
  if (IsDotEntry(data->cFileName)) return 0;
  auto* listing = static_cast<FolderListing*>(context);
  FillItemFromFindData(&listing->item, data);
  return listing->callback(&listing->item, listing->userData);
}

int TakeFirstEntry(const WIN32_FIND_DATAW* data, void* context) {
  *static_cast<WIN32_FIND_DATAW*>(context) = *data;
  return 1;
}

uint16_t ShellAttributesToFileAttributes(SFGAOF shell) {
  uint16_t attributes = 0;
  const bool plainFileSystemObject = (shell & SFGAO_FILESYSTEM) && !(shell & SFGAO_FILESYSANCESTOR);
  if ((shell & SFGAO_FOLDER) && !plainFileSystemObject) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (shell & SFGAO_READONLY) attributes |= FILE_ATTRIBUTE_READONLY;
  if (shell & SFGAO_HIDDEN) attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (shell & SFGAO_SYSTEM) attributes |= FILE_ATTRIBUTE_SYSTEM;
  if (shell & SFGAO_COMPRESSED) attributes |= FILE_ATTRIBUTE_COMPRESSED;
  if (shell & SFGAO_ENCRYPTED) attributes |= FILE_ATTRIBUTE_ENCRYPTED;
  if (shell & SFGAO_SHARE) attributes |= FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (shell & SFGAO_LINK) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes;
}

constexpr SFGAOF kAskedShellAttributes = 0x640F3000;

struct ShellListing {
  ProviderItem item;
  ProviderItemCallback callback;
  void* userData;
};

// Fills the item of a shell item that has no find data: attributes from the shell, the rest from the
// directory entry of its full path when there is one.
bool FillItemFromShell(ProviderItem* item, IShellFolder* folder, LPCITEMIDLIST child) {
  SFGAOF shell = kAskedShellAttributes;
  if (FAILED(folder->GetAttributesOf(1, &child, &shell))) shell = 0;
  item->info = {};
  item->info.attributes = ShellAttributesToFileAttributes(shell);
  item->shortName = nullptr;
  if (GetItemFileName(folder, child, item->name, kPathCapacity) <= 0) return false;
  wchar_t fullPath[kPathCapacity];
  const bool fits = CopyAndAppendPath(item->folderPath, item->name, fullPath, kPathCapacity) == 0;
  WIN32_FIND_DATAW entry = {};
  if (fits && EnumDirectory(fullPath, TakeFirstEntry, &entry) == 0 && entry.cFileName[0]) {
    item->info.attributes |= static_cast<uint16_t>(entry.dwFileAttributes & kListedAttributeMask);
    item->info.size = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    item->info.creationTime = entry.ftCreationTime;
    item->info.lastAccessTime = entry.ftLastAccessTime;
    item->info.lastWriteTime = entry.ftLastWriteTime;
  } else {
    item->info.size = kUnknownFileSize;
  }
  return true;
}

int ReadShellItemInfo(IShellFolder* folder, LPCITEMIDLIST child, void* context) {
  auto* listing = static_cast<ShellListing*>(context);
  WIN32_FIND_DATAW data = {};
  const bool found = SUCCEEDED(SHGetDataFromIDListW(folder, child, SHGDFIL_FINDDATA, &data, sizeof data));
  if (found && data.cFileName[0]) {
    FillItemFromFindData(&listing->item, &data);
  } else if (!FillItemFromShell(&listing->item, folder, child)) {
    return 0;
  }
  return listing->callback(&listing->item, listing->userData) ? kCancelled : 0;
}

// COM for the shell calls of a worker thread; a thread that already has it keeps its own.
class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialised_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

IShellFolder* BindShellFolder(IShellFolder* desktop, LPCITEMIDLIST list) {
  IShellFolder* folder = nullptr;
  if (list->mkid.cb == 0) {
    desktop->AddRef();
    return desktop;
  }
  if (FAILED(desktop->BindToObject(list, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
    return nullptr;
  return folder;
}

int WalkShellItems(IShellFolder* folder, ShellItemFunction function, void* context) {
  IEnumIDList* items = nullptr;
  const SHCONTF wanted = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
  if (FAILED(folder->EnumObjects(nullptr, wanted, &items)) || !items) return -1;
  LPITEMIDLIST child = nullptr;
  ULONG fetched = 0;
  while (items->Next(1, &child, &fetched) == S_OK && fetched == 1) {
    const int stop = function(folder, child, context);
    CoTaskMemFree(child);
    if (stop) break;
  }
  items->Release();
  return 0;
}

// Fills an item from a directory entry: attributes masked with kListedAttributeMask, size, times, name and
// the short name when the entry has one (it points into `data`).
void FillItemFromFindData(ProviderItem* item, const WIN32_FIND_DATAW* data) {
  item->info.attributes = static_cast<uint16_t>(data->dwFileAttributes & kListedAttributeMask);
  item->info.size = (static_cast<uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
  item->info.creationTime = data->ftCreationTime;
  item->info.lastAccessTime = data->ftLastAccessTime;
  item->info.lastWriteTime = data->ftLastWriteTime;
  CopyWideString(data->cFileName, item->name, kPathCapacity);
  item->shortName = data->cAlternateFileName[0] ? data->cAlternateFileName : nullptr;
}

}  // namespace

int EnumDirectory(const wchar_t* pattern, FindDataCallback callback, void* context) {
  LongPath longPattern(pattern);
  WIN32_FIND_DATAW data;
  int result = 0;
  HANDLE search = StartSearch(longPattern.path, &data, &result);
  if (search == INVALID_HANDLE_VALUE) return result;
  while (!callback(&data, context) && FindNextFileW(search, &data)) {
  }
  FindClose(search);
  return 0;
}

int EnumerateLocalFolder(FileSystemProvider*, ProviderFolder* folder, const wchar_t* path,
                         ProviderItemCallback callback, void* userData) {
  const wchar_t* folderPath = path && path[0] ? path : (folder ? folder->path : nullptr);
  if (!folderPath || !folderPath[0]) return ERROR_PATH_NOT_FOUND;
  // Folders nest as deep as the system allows: the pattern is as long as the path needs.
  const int capacity = static_cast<int>(WideLength(folderPath)) + 5;
  wchar_t* pattern = AllocZeroedWide(static_cast<uint32_t>(capacity));
  if (!pattern) return ERROR_NOT_ENOUGH_MEMORY;
  CopyAndAppendPath(folderPath, L"*.*", pattern, capacity);
  FolderListing listing;
  listing.item.folderPath = folderPath;
  listing.callback = callback;
  listing.userData = userData;
  const int result = EnumDirectory(pattern, AddFindDataItem, &listing);
  FreeAndNull(&pattern);
  if (result != ERROR_PATH_NOT_FOUND && result != ERROR_BAD_NETPATH) return result;
  return EnumerateShellFolderItems(folderPath, callback, userData) == 0 ? 0 : result;
}

int EnumShellFolder(LPCITEMIDLIST list, ShellItemFunction function, void* context) {
  if (!list) return -1;
  IShellFolder* desktop = GetShellDesktopFolder();
  if (!desktop) return -1;
  IShellFolder* folder = BindShellFolder(desktop, list);
  desktop->Release();
  if (!folder) return -1;
  const int result = WalkShellItems(folder, function, context);
  folder->Release();
  return result;
}

int EnumerateShellFolderItems(const wchar_t* path, ProviderItemCallback callback, void* userData) {
  ComScope com;
  LPITEMIDLIST list = nullptr;
  ParseShellDisplayName(path, &list);
  if (!list) return kNotSupported;
  ShellListing listing;
  listing.item.folderPath = path;
  listing.callback = callback;
  listing.userData = userData;
  const int result = EnumShellFolder(list, ReadShellItemInfo, &listing);
  FreeShellMemory(list);
  return result;
}

int ParseShellDisplayName(const wchar_t* path, LPITEMIDLIST* list) {
  *list = nullptr;
  if (!path || !path[0]) return ERROR_PATH_NOT_FOUND;
  // A path cut to fit could name another folder.
  wchar_t fullPath[kPathCapacity];
  if (CopyWideBounded(path, fullPath, kPathCapacity) < 0) return ERROR_FILENAME_EXCED_RANGE;
  MakeFullPath(fullPath, kPathCapacity);
  IShellFolder* desktop = GetShellDesktopFolder();
  if (!desktop) return ERROR_PATH_NOT_FOUND;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, fullPath, nullptr, list, nullptr))) *list = nullptr;
  desktop->Release();
  return *list ? 0 : ERROR_PATH_NOT_FOUND;
}
