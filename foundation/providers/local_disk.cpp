#include "foundation/providers/local_disk.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winioctl.h>

#include <cstddef>
#include <cwchar>
#include <iterator>

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/providers/directory_listing.h"
#include "foundation/files/file_io.h"
#include "foundation/win32/icons.h"
#include "foundation/providers/local_copy.h"
#include "foundation/providers/local_delete.h"
#include "foundation/providers/local_rename.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/win32/platform_declarations.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/shell_items.h"
#include "foundation/files/system_errors.h"
#include "foundation/files/system_folders.h"
#include "foundation/text/name_parts.h"

namespace {

int32_t GetLocalAttributes(const wchar_t* path, FileInfo* info);
HICON LoadLocalItemIcon(const wchar_t* path, int size, int iconId);

// A FILETIME below this (1979-12-31 22:46:40 UTC) counts as no time.
constexpr uint64_t kFirstRealFileTime = 119600020000000000ull;
constexpr uint32_t kKeepAttributesRequest = 0x8000;
constexpr uint32_t kSharedOfflineFolder = 0x8000 | 0x2000;
constexpr int kStandardFolderIcon = 2;
constexpr int kSharedOfflineFolderIcon = 3;
constexpr int kNoFileIcon = 1;
constexpr int kHighestStockFolderIcon = 10;
constexpr DWORD kReparseBufferBytes = 17000;
constexpr DWORD kMountPointTag = IO_REPARSE_TAG_MOUNT_POINT;
constexpr DWORD kLegacyMountPointTag = 0x80000000;

bool IsRealFileTime(const FILETIME* time) {
  if (!time) return false;
  const uint64_t value = (static_cast<uint64_t>(time->dwHighDateTime) << 32) | time->dwLowDateTime;
  return value >= kFirstRealFileTime;
}

const FILETIME* RealTimeOrNull(const FILETIME* time) { return IsRealFileTime(time) ? time : nullptr; }

int SetCompression(const wchar_t* longPath, bool folder, bool compressed) {
  const DWORD flags = folder ? FILE_FLAG_BACKUP_SEMANTICS : 0;
  HANDLE file = CreateFileW(longPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<int>(MapLastError(ERROR_SHARING_VIOLATION));
  USHORT format = compressed ? COMPRESSION_FORMAT_DEFAULT : COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  const BOOL done = DeviceIoControl(file, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned, nullptr);
  const int result = done ? 0 : static_cast<int>(MapLastError(ERROR_SHARING_VIOLATION));
  CloseHandle(file);
  return result;
}

HANDLE OpenForTimes(const wchar_t* longPath) {
  return CreateFileW(longPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The Windows folder's index in the system image list, looked up once.
int WindowsFolderIconIndex() {
  static int index = -2;
  if (index == -2) {
    wchar_t windows[kShortPathCapacity];
    GetWindowsFolder(windows, kShortPathCapacity);
    index = GetShellIconIndex(windows, SHGFI_SMALLICON, FILE_ATTRIBUTE_DIRECTORY);
  }
  return index;
}

int AddIcon(HIMAGELIST list, HICON icon) {
  const int index = ImageList_ReplaceIcon(list, -1, icon);
  DestroyIcon(icon);
  return index >= 0 ? index + 1 : 0;
}

HICON IconByAttributesOnly(const wchar_t* path, DWORD attributes, int size) {
  SHFILEINFOW info = {};
  const UINT sizeFlag = size <= 16 ? SHGFI_SMALLICON : SHGFI_LARGEICON;
  SHGetFileInfoW(path, attributes, &info, sizeof info, SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | sizeFlag);
  return info.hIcon;
}

// File icons are looked up by the name's type alone and kept per type: asking the shell about the file itself
// reads its folder, which takes long in a large folder, and would run for every row shown. Only the types whose
// icon is the file's own are read from the file, and from the file alone.
constexpr int kCachedTypes = 256;
constexpr int kCachedTypeCapacity = 16;
const wchar_t* const kOwnIconTypes[] = {L"exe", L"dll", L"scr", L"cpl", L"ico", L"cur", L"ani", L"lnk"};
const wchar_t* const kPointerTypes[] = {L"cur", L"ani"};

// The images of one image list by type (the panes' image lists live on the GUI thread, and so does this).
// Whoever empties or replaces the list changes its image count, which drops what is kept here.
struct TypeIconCache {
  HIMAGELIST list;
  int imageCount;
  int used;
  wchar_t types[kCachedTypes][kCachedTypeCapacity];
  int images[kCachedTypes];
};

TypeIconCache g_typeIcons;

bool IsTypeIn(const wchar_t* type, const wchar_t* const* types, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (EqualsIgnoreCaseWide(type, types[i])) return true;
  }
  return false;
}

TypeIconCache* TypeIconsOf(HIMAGELIST list) {
  const int count = ImageList_GetImageCount(list);
  if (g_typeIcons.list != list || g_typeIcons.imageCount != count) g_typeIcons = {list, count, 0, {}, {}};
  return &g_typeIcons;
}

int AddFileListIcon(TypeIconCache* cache, HICON icon) {
  const int image = AddIcon(cache->list, icon);
  cache->imageCount = ImageList_GetImageCount(cache->list);
  return image;
}

HICON ExtractOwnIcon(const wchar_t* file, int index, int size) {
  HICON icon = nullptr;
  if (size <= 16) {
    ExtractIconExW(file, index, nullptr, &icon, 1);
  } else {
    ExtractIconExW(file, index, &icon, nullptr, 1);
  }
  return icon;
}

HICON IconOfType(const wchar_t* name, int size) { return IconByAttributesOnly(name, FILE_ATTRIBUTE_NORMAL, size); }

// A shortcut shows the icon it names, else the one of its target.
HICON ShortcutIcon(const wchar_t* path, int size) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return nullptr;
  }
  HICON icon = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t location[kShortPathCapacity] = {};
    int index = 0;
    if (SUCCEEDED(file->Load(path, STGM_READ))) {
      if (SUCCEEDED(link->GetIconLocation(location, kShortPathCapacity, &index)) && location[0]) {
        icon = ExtractOwnIcon(location, index, size);
      } else if (SUCCEEDED(link->GetPath(location, kShortPathCapacity, nullptr, 0)) && location[0]) {
        icon = ExtractOwnIcon(location, 0, size);
        if (!icon) icon = IconOfType(location + FileNameOffset(location), size);
      }
    }
    file->Release();
  }
  link->Release();
  return icon;
}

HICON OwnIcon(const wchar_t* path, const wchar_t* type, int size) {
  if (IsTypeIn(type, kPointerTypes, std::size(kPointerTypes))) {
    return static_cast<HICON>(LoadImageW(nullptr, path, IMAGE_CURSOR, size, size, LR_LOADFROMFILE));
  }
  if (EqualsIgnoreCaseWide(type, L"lnk")) return ShortcutIcon(path, size);
  return ExtractOwnIcon(path, 0, size);
}

int AddTypeIcon(TypeIconCache* cache, const wchar_t* name, const wchar_t* type, int size) {
  const bool keepable = WideLength(type) < kCachedTypeCapacity;
  for (int i = 0; keepable && i < cache->used; ++i) {
    if (EqualsIgnoreCaseWide(cache->types[i], type)) return cache->images[i];
  }
  HICON icon = IconOfType(name, size);
  if (!icon) return kNoFileIcon;
  const int image = AddFileListIcon(cache, icon);
  if (!keepable || image == 0) return image;
  if (cache->used == kCachedTypes) cache->used = 0;
  CopyWideBounded(type, cache->types[cache->used], kCachedTypeCapacity);
  cache->images[cache->used++] = image;
  return image;
}

int AddFileIcon(const wchar_t* path, int size, HIMAGELIST list) {
  const wchar_t* name = path + FileNameOffset(path);
  const wchar_t* type = ExtensionPointer(name);
  TypeIconCache* cache = TypeIconsOf(list);
  if (IsTypeIn(type, kOwnIconTypes, std::size(kOwnIconTypes))) {
    if (HICON icon = OwnIcon(path, type, size)) return AddFileListIcon(cache, icon);
  }
  return AddTypeIcon(cache, name, type, size);
}

// A folder has an icon of its own only through its desktop.ini, which the shell reads only for a folder marked
// read-only or system; without one it shows the standard icon, and the shell's parse of its whole path (tens
// of milliseconds deep down) is spared. The marks are asked first: looking for a file that is not there takes
// long in a large folder where names are found ignoring case (under Wine, a walk of the whole folder).
constexpr uint32_t kCustomisableFolder = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;

bool HasDesktopIni(const wchar_t* folder, uint32_t attributes) {
  if ((attributes & kCustomisableFolder) == 0) return false;
  wchar_t file[kPathCapacity];
  if (CopyAndAppendPath(folder, L"desktop.ini", file, kPathCapacity) != 0) return false;
  LongPath longPath(file);
  return GetFileAttributesW(longPath.path) != INVALID_FILE_ATTRIBUTES;
}

int AddFolderIcon(const wchar_t* path, uint32_t attributes, int size, HIMAGELIST list) {
  if ((attributes & kSharedOfflineFolder) == kSharedOfflineFolder) return kSharedOfflineFolderIcon;
  if ((attributes & kProviderRootAttributes) != kProviderRootAttributes && !HasDesktopIni(path, attributes)) {
    return kStandardFolderIcon;
  }
  const int index = GetShellIconIndex(path, SHGFI_SMALLICON, FILE_ATTRIBUTE_DIRECTORY);
  if (index <= kHighestStockFolderIcon || index == WindowsFolderIconIndex()) return kStandardFolderIcon;
  HICON icon = LoadIconForPath(nullptr, path, size, 0);
  return icon ? AddIcon(list, icon) : kStandardFolderIcon;
}

// The substitute name, checked against the bytes the system returned.
int CopyMountPointTarget(const MountPointReparseData* data, DWORD returned, wchar_t* target, int capacity) {
  const DWORD header = offsetof(MountPointReparseData, pathBuffer);
  if (returned < header || data->substituteNameOffset + data->substituteNameLength > returned - header)
    return ERROR_INVALID_DATA;
  const wchar_t* name = data->pathBuffer + data->substituteNameOffset / sizeof(wchar_t);
  int length = data->substituteNameLength / sizeof(wchar_t);
  if (length >= 4 && name[0] == L'\\' && name[1] == L'?' && name[2] == L'?' && name[3] == L'\\') {
    name += 4;
    length -= 4;
  }
  if (length >= capacity) return -length;
  wmemcpy(target, name, length);
  target[length] = 0;
  return 0;
}

// The slots: the provider's calling convention around the operations above.

void ReleaseLocalDisk(FileSystemProvider* provider) { *provider = {}; }

ProviderFolder* OpenLocalFolder(FileSystemProvider*, void* owner, int providerIndex, const wchar_t* path, void*) {
  if (!IsLocalFolderPath(path)) return nullptr;
  auto* folder = static_cast<ProviderFolder*>(AllocZeroed(sizeof(ProviderFolder)));
  if (!folder) return nullptr;
  folder->providerIndex = providerIndex;
  folder->owner = owner;
  CopyWideString(path, folder->path, kPathCapacity);
  return folder;
}

int CloseLocalFolder(FileSystemProvider*, ProviderFolder** folder) {
  if (*folder) FreeAndNull(&(*folder)->cachedData);
  FreeAndNull(folder);
  return 0;
}

uint32_t LocalCapabilities(FileSystemProvider* provider, ProviderFolder*) {
  return CapabilitiesOfSlots(provider->slots) | kLocalDiskExtraCapabilities;
}

HICON LocalItemIcon(FileSystemProvider*, const wchar_t* path, int size, int iconId) {
  return LoadLocalItemIcon(path, size, iconId);
}

int LocalAddIcon(FileSystemProvider*, ProviderFolder*, const wchar_t* path, uint32_t attributes, int size,
                 HIMAGELIST list) {
  return AddLocalIconToImageList(path, attributes, size, list);
}

int LocalRootPath(FileSystemProvider*, ProviderFolder* folder, wchar_t* target, int capacity) {
  if (!folder) {
    if (capacity > 0) target[0] = 0;
    return 0;
  }
  GetPathRoot(folder->path, target, capacity);
  return 0;
}

int LocalCopyPath(FileSystemProvider*, ProviderFolder*, const wchar_t* path, wchar_t* target, int capacity) {
  return CopyWideBounded(path, target, capacity);
}

int LocalFolderPath(FileSystemProvider*, ProviderFolder* folder, wchar_t* target, int capacity, int) {
  if (!folder->path[0]) {
    wchar_t windows[kShortPathCapacity];
    GetWindowsFolder(windows, kShortPathCapacity);
    GetPathRoot(windows, folder->path, kPathCapacity);
  }
  CopyWideString(folder->path, target, capacity);
  return 0;
}

int ChangeLocalFolder(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path) {
  if (!folder || !path) return kNotSupported;
  FreeAndNull(&folder->cachedData);
  if (wcscmp(path, L"\\") == 0) {
    const wchar_t* current = folder->path;
    if (IsPathSeparator(current[0]) && IsPathSeparator(current[1]) && IsPathSeparator(current[2]))
      return kNotSupported;
    wchar_t root[kPathCapacity];
    if (GetPathRoot(current, root, kPathCapacity) == 0) return kNotSupported;
    CopyWideString(root, folder->path, kPathCapacity);
    return 0;
  }
  if (wcscmp(path, L"..") == 0) {
    CutToParentFolder(folder->path);
    return 0;
  }
  CopyWideString(StripProviderPrefix(provider, path), folder->path, kPathCapacity);
  return 0;
}

int LocalIsInsideShare(FileSystemProvider*, const wchar_t* path) { return IsInsideShare(path); }

int32_t LocalGetAttributes(FileSystemProvider*, ProviderFolder*, const wchar_t* path, FileInfo* info) {
  return GetLocalAttributes(path, info);
}

int LocalSetAttributes(FileSystemProvider*, ProviderFolder*, const wchar_t* path, uint32_t attributes) {
  return SetLocalAttributes(path, attributes);
}

int LocalSetTimes(FileSystemProvider*, ProviderFolder*, const wchar_t* path, const FILETIME* creation,
                  const FILETIME* lastAccess, const FILETIME* lastWrite) {
  return SetLocalFileTimes(path, creation, lastAccess, lastWrite);
}

int LocalRemoveFolder(FileSystemProvider*, ProviderFolder*, const wchar_t* path) {
  return static_cast<int>(RemoveFolder(path));
}

int LocalMakeFolder(FileSystemProvider*, ProviderFolder*, const wchar_t* path) {
  return static_cast<int>(CreateFolder(path));
}

// One path through ShellExecuteExW; several (a double-zero-terminated list) through the context menu of
// their items, and the first of them alone when that fails.
int LocalProperties(FileSystemProvider*, HWND window, const wchar_t* paths) {
  if (!paths || !paths[0]) return ERROR_INVALID_PARAMETER;
  const bool several = paths[WideLength(paths) + 1] != 0;
  if (several && InvokeShellVerbOnPaths(window ? window : g_mainWindow, "properties", paths) == 0) return 0;
  return ShowPropertiesVerb(paths);
}

int LocalParseDisplayName(FileSystemProvider*, ProviderFolder*, const wchar_t* path, IMalloc*, void*,
                          LPITEMIDLIST* list) {
  return ParseShellDisplayName(path, list);
}

}  // namespace

void InitLocalDiskProvider(FileSystemProvider* provider) {
  *provider = {};
  provider->kind = kLocalDiskKind;
  ProviderSlots& slots = provider->slots;
  slots.release = ReleaseLocalDisk;
  slots.openFolder = OpenLocalFolder;
  slots.closeFolder = CloseLocalFolder;
  slots.capabilities = LocalCapabilities;
  slots.itemIcon = LocalItemIcon;
  slots.addIconToImageList = LocalAddIcon;
  slots.rootPath = LocalRootPath;
  slots.copyPath = LocalCopyPath;
  slots.folderPath = LocalFolderPath;
  slots.changeFolder = ChangeLocalFolder;
  slots.isInsideShare = LocalIsInsideShare;
  slots.enumerate = EnumerateLocalFolder;
  slots.getAttributes = LocalGetAttributes;
  slots.setAttributes = LocalSetAttributes;
  slots.setTimes = LocalSetTimes;
  slots.rename = RenameLocalFile;
  slots.copyOrMove = CopyOrMoveLocalFile;
  slots.copy = CopyLocalFile;
  slots.copyAlike = CopyLocalFile;
  slots.deleteItem = DeleteLocalFile;
  slots.removeFolder = LocalRemoveFolder;
  slots.makeFolder = LocalMakeFolder;
  slots.properties = LocalProperties;
  slots.parseDisplayName = LocalParseDisplayName;
}

bool IsLocalFolderPath(const wchar_t* path) {
  if (!path) return false;
  if (IsDrivePath(path)) return WideLength(path) > 2;
  return IsPathSeparator(path[0]) && IsPathSeparator(path[1]) && path[2] && !IsPathSeparator(path[2]);
}

int IsInsideShare(const wchar_t* path) {
  if (!path || WideLength(path) < 4) return 0;
  if (!IsPathSeparator(path[0]) || !IsPathSeparator(path[1]) || IsPathSeparator(path[2])) return 1;
  int separators = 0;
  for (const wchar_t* c = path + 2; *c; ++c) {
    if (!IsPathSeparator(*c)) continue;
    if (++separators == 2) return c[1] ? 1 : 0;
  }
  return 0;
}

namespace {

// The attributes of a path, -1 when it does not exist. With `info` the path's directory entry fills it (low 16
// bits of the attributes, unmasked) and gives the result.
int32_t GetLocalAttributes(const wchar_t* path, FileInfo* info) {
  if (!info) {
    LongPath longPath(path);
    const DWORD attributes = GetFileAttributesW(longPath.path);
    return attributes == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int32_t>(attributes);
  }
  WIN32_FIND_DATAW entry = {};
  int32_t result = -1;
  EnumDirectory(path, [](const WIN32_FIND_DATAW* data, void* context) {
    *static_cast<WIN32_FIND_DATAW*>(context) = *data;
    return 1;
  }, &entry);
  if (entry.cFileName[0]) {
    result = static_cast<int32_t>(entry.dwFileAttributes);
    info->attributes = static_cast<uint16_t>(entry.dwFileAttributes);
    info->size = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    info->creationTime = entry.ftCreationTime;
    info->lastAccessTime = entry.ftLastAccessTime;
    info->lastWriteTime = entry.ftLastWriteTime;
  }
  return result;
}

}  // namespace

int SetLocalAttributes(const wchar_t* path, uint32_t attributes) {
  if (attributes & kKeepAttributesRequest) return 0;
  LongPath longPath(path);
  const DWORD current = GetFileAttributesW(longPath.path);
  // A file system that cannot compress (or uncompress) refuses only that change: the other bits are set all the
  // same, and the refusal is the result.
  int compression = 0;
  if (current != INVALID_FILE_ATTRIBUTES && ((current ^ attributes) & FILE_ATTRIBUTE_COMPRESSED)) {
    compression =
        SetCompression(longPath.path, current & FILE_ATTRIBUTE_DIRECTORY, attributes & FILE_ATTRIBUTE_COMPRESSED);
  }
  const DWORD wanted = attributes & ~FILE_ATTRIBUTE_COMPRESSED;
  if (current != INVALID_FILE_ATTRIBUTES && (current & ~FILE_ATTRIBUTE_COMPRESSED) == wanted) return compression;
  if (SetFileAttributesW(longPath.path, wanted)) return compression;
  return static_cast<int>(MapLastError(ERROR_SHARING_VIOLATION));
}

int SetLocalFileTimes(const wchar_t* path, const FILETIME* creation, const FILETIME* lastAccess,
                      const FILETIME* lastWrite) {
  LongPath longPath(path);
  bool readOnlyCleared = false;
  HANDLE file = OpenForTimes(longPath.path);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD attributes = GetFileAttributesW(longPath.path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
    if (!(attributes & FILE_ATTRIBUTE_READONLY) || ClearReadOnly(path) != 0)
      return static_cast<int>(MapLastError(ERROR_SHARING_VIOLATION));
    readOnlyCleared = true;
    file = OpenForTimes(longPath.path);
  }
  int result = 0;
  if (file == INVALID_HANDLE_VALUE) {
    result = static_cast<int>(MapLastError(ERROR_SHARING_VIOLATION));
  } else {
    if (!SetFileTime(file, RealTimeOrNull(creation), RealTimeOrNull(lastAccess), RealTimeOrNull(lastWrite)))
      result = static_cast<int>(MapLastError(ERROR_SHARING_VIOLATION));
    CloseHandle(file);
  }
  if (readOnlyCleared) {
    const DWORD attributes = GetFileAttributesW(longPath.path);
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(longPath.path, attributes | FILE_ATTRIBUTE_READONLY);
  }
  return result;
}

int AddLocalIconToImageList(const wchar_t* path, uint32_t attributes, int size, HIMAGELIST list) {
  if (!list || size <= 0 || !path || !path[0]) return 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return AddFolderIcon(path, attributes, size, list);
  return AddFileIcon(path, size, list);
}

namespace {

bool IsRootPath(const wchar_t* path) {
  wchar_t parent[kPathCapacity];
  return CopyWideBounded(path, parent, kPathCapacity) >= 0 && CutToParentFolder(parent) < 0;
}

// A folder whose shell icon can only be the standard one: no root (a drive's icon), junction or mount point,
// and no desktop.ini of its own.
bool IsPlainFolder(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
  return !IsRootPath(path) && !HasDesktopIni(path, attributes);
}

// The icon of an item: with an id the program's own icon resource of that id, else the shell icon of the path
// (of a plain folder the standard folder icon, which is what the shell would answer after reading the folder),
// else the shell icon by attributes alone. The caller destroys it.
HICON LoadLocalItemIcon(const wchar_t* path, int size, int iconId) {
  if (iconId) {
    HINSTANCE instance = g_app && g_app->instance ? g_app->instance : GetModuleHandleW(nullptr);
    return LoadIconForPath(instance, MAKEINTRESOURCEW(iconId), size, 0);
  }
  if (!path || !path[0]) return nullptr;
  if (IsPlainFolder(path)) return IconByAttributesOnly(path, FILE_ATTRIBUTE_DIRECTORY, size);
  HICON icon = LoadIconForPath(nullptr, path, size, 0);
  return icon ? icon : IconByAttributesOnly(path, FILE_ATTRIBUTE_NORMAL, size);
}

}  // namespace

int ShowPropertiesVerb(const wchar_t* path) {
  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_INVOKEIDLIST;
  execute.hwnd = g_mainWindow;
  execute.lpVerb = L"properties";
  execute.lpFile = path;
  execute.nShow = SW_SHOW;
  if (ShellExecuteExW(&execute)) return 0;
  return static_cast<int>(MapLastError(ERROR_ACCESS_DENIED));
}

int ReadReparseTarget(const wchar_t* path, wchar_t* target, int capacity) {
  if (capacity > 0) target[0] = 0;
  LongPath longPath(path);
  const DWORD attributes = GetFileAttributesW(longPath.path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return static_cast<int>(MapLastError(ERROR_FILE_NOT_FOUND));
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return ERROR_NOT_A_REPARSE_POINT;
  DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) flags |= FILE_FLAG_BACKUP_SEMANTICS;
  HANDLE file = CreateFileW(longPath.path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<int>(MapLastError(ERROR_ACCESS_DENIED));
  auto* data = static_cast<MountPointReparseData*>(AllocZeroed(kReparseBufferBytes));
  DWORD returned = 0;
  int result = ERROR_NOT_ENOUGH_MEMORY;
  if (data) {
    const BOOL read = DeviceIoControl(file, FSCTL_GET_REPARSE_POINT, nullptr, 0, data, kReparseBufferBytes, &returned,
                                      nullptr);
    if (!read)
      result = static_cast<int>(MapLastError(ERROR_NOT_A_REPARSE_POINT));
    else if (data->reparseTag == kMountPointTag || data->reparseTag == kLegacyMountPointTag)
      result = CopyMountPointTarget(data, returned, target, capacity);
    else
      result = ERROR_NOT_A_REPARSE_POINT;
  }
  FreeAndNull(&data);
  CloseHandle(file);
  return result;
}
