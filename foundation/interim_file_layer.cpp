#include "foundation/interim_file_layer.h"

#include <shlwapi.h>

#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/paths.h"
#include "foundation/system_errors.h"
#include "foundation/system_functions.h"

namespace {

constexpr int kPathCapacity = 1024;

void NormaliseSeparators(const wchar_t* path, wchar_t* target, int capacity) {
  CopyWideString(path, target, capacity);
  ReplaceCharWide(target, L'/', L'\\');
}

}  // namespace

int CutToParentFolder(wchar_t* path) {
  if (!path || !path[0]) return 0;
  wchar_t root[kPathCapacity];
  const int rootLength = GetPathRoot(path, root, kPathCapacity);
  if (ComparePathsWithPlaceholders(path, root)) return -1;
  int last = -1;
  for (int i = rootLength; path[i]; ++i)
    if (IsPathSeparator(path[i])) last = i;
  if (last < 0) {
    if (rootLength > 0) path[rootLength] = 0;
    return 0;
  }
  path[last == rootLength - 1 ? rootLength : last] = 0;
  return 0;
}

bool IsSameRoot(const wchar_t* a, const wchar_t* b) {
  wchar_t rootA[kPathCapacity], rootB[kPathCapacity];
  GetPathRoot(a, rootA, kPathCapacity);
  GetPathRoot(b, rootB, kPathCapacity);
  return ComparePathsWithPlaceholders(rootA, rootB);
}

bool ComparePathsWithPlaceholders(const wchar_t* a, const wchar_t* b) {
  if (!a || !b) return false;
  wchar_t first[kPathCapacity], second[kPathCapacity];
  NormaliseSeparators(a, first, kPathCapacity);
  NormaliseSeparators(b, second, kPathCapacity);
  return EqualsIgnoreCaseWide(first, second);
}

DWORD ClearReadOnly(const wchar_t* path) {
  LongPath longPath(path);
  const DWORD attributes = GetFileAttributesW(longPath.path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return 0;
  if (SetFileAttributesW(longPath.path, attributes & ~FILE_ATTRIBUTE_READONLY)) return 0;
  return MapLastError(ERROR_SHARING_VIOLATION);
}

DWORD CreateFolder(const wchar_t* path) {
  if (!path || !path[0]) return ERROR_INVALID_PARAMETER;
  LongPath longPath(path);
  if (CreateDirectoryW(longPath.path, nullptr)) return 0;
  return MapLastError(ERROR_SHARING_VIOLATION);
}

DWORD RemoveFolder(const wchar_t* path) {
  if (!path || !path[0]) return ERROR_INVALID_PARAMETER;
  LongPath longPath(path);
  if (RemoveDirectoryW(longPath.path)) return 0;
  return MapLastError(ERROR_SHARING_VIOLATION);
}

DWORD ShellFileOperationRetry(SHFILEOPSTRUCTW* operation) {
  for (int attempt = 0;; ++attempt) {
    operation->fAnyOperationsAborted = FALSE;
    const int result = SHFileOperationW(operation);
    if (operation->fAnyOperationsAborted) return ERROR_REQUEST_ABORTED;
    if (result == 0) return 0;
    if (attempt == 1) return result < 35 ? static_cast<DWORD>(result) : ERROR_ACCESS_DENIED;
  }
}

DWORD DeleteToRecycleBin(HWND owner, const wchar_t* paths, FILEOP_FLAGS extraFlags, bool noRetry) {
  SHFILEOPSTRUCTW operation = {};
  operation.hwnd = owner ? owner : g_mainWindow;
  operation.wFunc = FO_DELETE;
  operation.pFrom = paths;
  operation.fFlags = static_cast<FILEOP_FLAGS>(extraFlags | (owner ? FOF_ALLOWUNDO : 0x454));
  if (!noRetry) return ShellFileOperationRetry(&operation);
  const int result = SHFileOperationW(&operation);
  return operation.fAnyOperationsAborted ? ERROR_REQUEST_ABORTED : static_cast<DWORD>(result);
}

void MakeFullPath(wchar_t* path, int capacity) {
  if (!path || wcschr(path, L':')) return;
  wchar_t full[kPathCapacity];
  const DWORD length = GetFullPathNameW(path, kPathCapacity, full, nullptr);
  if (length > 0 && length < kPathCapacity) CopyWideString(full, path, capacity);
}

bool GetFindData(HANDLE file, const wchar_t* path, BY_HANDLE_FILE_INFORMATION* information) {
  if (GetFileInformationByHandle(file, information)) return true;
  WIN32_FILE_ATTRIBUTE_DATA data;
  LongPath longPath(path);
  if (!GetFileAttributesExW(longPath.path, GetFileExInfoStandard, &data)) return false;
  *information = {};
  information->dwFileAttributes = data.dwFileAttributes;
  information->ftCreationTime = data.ftCreationTime;
  information->ftLastAccessTime = data.ftLastAccessTime;
  information->ftLastWriteTime = data.ftLastWriteTime;
  information->nFileSizeHigh = data.nFileSizeHigh;
  information->nFileSizeLow = data.nFileSizeLow;
  return true;
}

void FreeShellMemory(void* block) {
  if (!block) return;
  IMalloc* allocator = GetShellMalloc();
  if (!allocator) return;
  allocator->Free(block);
  allocator->Release();
}

int GetItemFileName(IShellFolder* folder, LPCITEMIDLIST item, wchar_t* target, int capacity) {
  target[0] = 0;
  STRRET name = {};
  if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name))) return 0;
  wchar_t* text = nullptr;
  if (FAILED(StrRetToStrW(&name, item, &text))) return 0;
  CopyWideString(text, target, capacity);
  CoTaskMemFree(text);
  return static_cast<int>(WideLength(target));
}

int EnumerateLogicalDrives(bool, wchar_t* target, int capacity) {
  const DWORD drives = GetLogicalDrives();
  int used = 0;
  for (int letter = 0; letter < 26; ++letter) {
    if (!(drives & (1u << letter)) || used + 5 > capacity) continue;
    target[used++] = static_cast<wchar_t>(L'A' + letter);
    target[used++] = L':';
    target[used++] = L'\\';
    target[used++] = 0;
  }
  if (used < capacity) target[used] = 0;
  return used;
}

void GetSpecialFolderDisplayName(int csidl, wchar_t* target, int capacity) {
  target[0] = 0;
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list))) return;
  SHFILEINFOW info = {};
  if (SHGetFileInfoW(reinterpret_cast<const wchar_t*>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME))
    CopyWideString(info.szDisplayName, target, capacity);
  FreeShellMemory(list);
}
