#include "foundation/providers/providers.h"

#include "foundation/text/bounded_text.h"
#include "foundation/providers/drives_view.h"
#include "foundation/core/guard.h"
#include "foundation/providers/local_disk.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"

FileSystemProvider g_fileSystemProviders[kProviderCount];

namespace {

FileSystemProvider* ProviderAt(int index);

constexpr int kNoProvider = -1;
constexpr int32_t kNoAttributes = -1;

FileSystemProvider* ProviderOf(const ProviderFolder* folder, const wchar_t* path) {
  return ProviderAt(ProviderIndexOf(folder, path));
}

bool IsDriveRoot(const wchar_t* root) { return IsDrivePath(root); }

bool IsUncRoot(const wchar_t* root) { return root[0] == L'\\' && root[1] == L'\\' && root[2] && root[2] != L'\\'; }

// The record whose root path (asked without a folder) is the path's root.
int ProviderWithRoot(const wchar_t* root) {
  for (int i = 0; i < kProviderCount; ++i) {
    FileSystemProvider* provider = &g_fileSystemProviders[i];
    if (!provider->slots.rootPath) continue;
    wchar_t ownRoot[kPathCapacity];
    ownRoot[0] = 0;
    provider->slots.rootPath(provider, nullptr, ownRoot, kPathCapacity);
    if (ownRoot[0] && ComparePathsWithPlaceholders(ownRoot, root)) return i;
  }
  return kNoProvider;
}

// The record whose display name is the path's first component (after a leading run of three separators).
int ProviderNamedBy(const wchar_t* path) {
  if (IsPathSeparator(path[0]) && IsPathSeparator(path[1]) && IsPathSeparator(path[2])) path += 3;
  wchar_t first[kPathCapacity];
  CopyWideString(path, first, kPathCapacity);
  for (wchar_t* c = first; *c; ++c) {
    if (IsPathSeparator(*c)) {
      *c = 0;
      break;
    }
  }
  if (!first[0]) return kNoProvider;
  for (int i = 0; i < kProviderCount; ++i) {
    const wchar_t* name = g_fileSystemProviders[i].displayName;
    if (name && ComparePathsWithPlaceholders(name, first)) return i;
  }
  return kNoProvider;
}

int ChooseProviderByPath(const wchar_t* path) {
  wchar_t root[kPathCapacity];
  GetPathRoot(path, root, kPathCapacity);
  int index = ProviderWithRoot(root);
  if (index == kNoProvider) index = ProviderNamedBy(path);
  if (index != kNoProvider) return index;
  return IsDriveRoot(root) || IsUncRoot(root) ? kLocalDiskIndex : kNoProvider;
}

int ProviderIndexByKindOr(int32_t kind, const ProviderFolder* folder, const wchar_t* path) {
  const int byKind = FindProviderById(kind);
  return byKind != kNoProvider ? byKind : ProviderIndexOf(folder, path);
}

// One user less, never below 0; the users left.
LONG ReleaseUser(FileSystemProvider* provider) {
  for (;;) {
    const LONG users = provider->userCount;
    if (users <= 0) return 0;
    if (InterlockedCompareExchange(&provider->userCount, users - 1, users) == users) return users - 1;
  }
}

// One item per provider that has a display name; the callback's non-zero answer stops the walk.
void EnumerateProviderRoots(ProviderItemCallback callback, void* userData) {
  ProviderItem item = {};
  wchar_t root[kPathCapacity];
  for (int i = 0; i < kProviderCount; ++i) {
    FileSystemProvider* provider = &g_fileSystemProviders[i];
    if (!provider->displayName || !provider->displayName[0]) continue;
    item.info = {};
    item.info.attributes = kProviderRootAttributes;
    CopyWideString(provider->displayName, item.name, kPathCapacity);
    item.shortName = nullptr;
    if (provider->slots.rootPath) {
      root[0] = 0;
      provider->slots.rootPath(provider, nullptr, root, kPathCapacity);
      item.shortName = root;
    }
    if (callback(&item, userData)) return;
  }
}

bool IsFolder(int32_t attributes) { return attributes >= 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY); }

bool IsFinalMakeFolderResult(int result) {
  return result == 0 || result == kNotSupported || result == kCancelled || result == ERROR_CONTINUE;
}

int32_t AttributesOf(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path) {
  return provider->slots.getAttributes ? provider->slots.getAttributes(provider, folder, path, nullptr)
                                       : kNoAttributes;
}

// Slot 21 on one folder; a folder that appeared meanwhile (made by someone else) counts as made.
int MakeOneFolder(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path) {
  const int result = provider->slots.makeFolder(provider, folder, path);
  if (result == ERROR_ALREADY_EXISTS && IsFolder(AttributesOf(provider, folder, path))) return 0;
  return result;
}

// 0 when the path is a folder, 183 when something else holds its name, -1 when nothing does (or the
// provider cannot tell).
int ExistingFolderResult(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path) {
  const int32_t attributes = AttributesOf(provider, folder, path);
  if (attributes < 0) return -1;
  return IsFolder(attributes) ? 0 : ERROR_ALREADY_EXISTS;
}

// Walks up from the path to the deepest folder that exists or can be made, then makes the missing ones on
// the way down. Iterative, so that a path of many components cannot exhaust the stack.
int CreateFolderPath(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path) {
  const int existing = ExistingFolderResult(provider, folder, path);
  if (existing >= 0) return existing;
  const int first = MakeOneFolder(provider, folder, path);
  if (IsFinalMakeFolderResult(first)) return first;

  wchar_t work[kPathCapacity];
  if (CopyWideBounded(path, work, kPathCapacity) < 0) return ERROR_FILENAME_EXCED_RANGE;
  int missing[kPathCapacity / 2 + 1];
  int missingCount = 0;
  missing[missingCount++] = static_cast<int>(WideLength(work));
  for (;;) {
    wchar_t before[kPathCapacity];
    CopyWideString(work, before, kPathCapacity);
    if (CutToParentFolder(work) < 0 || !work[0] || ComparePathsWithPlaceholders(work, before)) return first;
    const int parent = ExistingFolderResult(provider, folder, work);
    if (parent == ERROR_ALREADY_EXISTS) return parent;
    if (parent == 0) break;
    const int made = MakeOneFolder(provider, folder, work);
    if (made == 0) break;
    if (IsFinalMakeFolderResult(made)) return made;
    if (missingCount == static_cast<int>(sizeof missing / sizeof missing[0])) return first;
    missing[missingCount++] = static_cast<int>(WideLength(work));
  }
  while (missingCount > 0) {
    CopyWideString(path, work, missing[--missingCount] + 1);
    const int made = MakeOneFolder(provider, folder, work);
    if (made != 0) return made;
  }
  return 0;
}

// A local-disk record of its own, for the file layer's writes before the provider records are filled and
// after they are released (settings are saved then too).
FileSystemProvider* StandaloneLocalDisk() {
  static FileSystemProvider localDisk = [] {
    FileSystemProvider record;
    InitLocalDiskProvider(&record);
    return record;
  }();
  return &localDisk;
}

}  // namespace

void InitFileSystemProviders() {
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  for (FileSystemProvider& provider : g_fileSystemProviders) provider = {};
  InitLocalDiskProvider(&g_fileSystemProviders[kLocalDiskIndex]);
  InitDrivesViewProvider(&g_fileSystemProviders[kDrivesViewIndex]);
  SetErrorMode(previous);
}

void ShutdownProviders() {
  for (FileSystemProvider& provider : g_fileSystemProviders) {
    if (!provider.slots.release) continue;
    GuardedCall(0, [&] {
      provider.slots.release(&provider);
      return 0;
    });
  }
}

int FindProviderById(int32_t kind) {
  if (kind == 0) return kNoProvider;
  for (int i = 0; i < kProviderCount; ++i)
    if (g_fileSystemProviders[i].kind == kind) return i;
  return kNoProvider;
}

int FindProviderByPath(const wchar_t* path) {
  if (!path) return kLocalDiskIndex;
  return GuardedCall(kLocalDiskIndex, [&] { return ChooseProviderByPath(path); });
}

int ProviderIndexOf(const ProviderFolder* folder, const wchar_t* path) {
  if (folder) return folder->providerIndex >= 0 && folder->providerIndex < kProviderCount ? folder->providerIndex
                                                                                           : kNoProvider;
  if (!path) return kLocalDiskIndex;
  if (!path[0]) return kNoProvider;
  return FindProviderByPath(path);
}

namespace {

// The provider at an index; null when out of range or the record is empty.
FileSystemProvider* ProviderAt(int index) {
  if (index < 0 || index >= kProviderCount) return nullptr;
  FileSystemProvider* provider = &g_fileSystemProviders[index];
  return provider->kind ? provider : nullptr;
}

}  // namespace

uint32_t CapabilitiesOfSlots(const ProviderSlots& slots) {
  uint32_t bits = 0;
  if (slots.makeFolder) bits |= kCanMakeFolder;
  if (slots.reserved23) bits |= kHasSlot23;
  if (slots.runVerb) bits |= kCanRunVerb;
  if (slots.rename) bits |= kCanRename;
  if (slots.copy) bits |= kCanCopy;
  if (slots.copyAlike) bits |= kCanCopyAlike;
  if (slots.copyOrMove) bits |= kCanCopyOrMove;
  if (slots.deleteItem) bits |= kCanDelete;
  if (slots.setAttributes) bits |= kCanSetAttributes;
  if (slots.setTimes) bits |= kCanSetTimes;
  if (slots.addIconToImageList) bits |= kCanAddIcon;
  return bits;
}

ProviderFolder* VfsOpenFolder(void* owner, int32_t kind, const wchar_t* path, void* extra) {
  const int index = ProviderIndexByKindOr(kind, nullptr, path);
  FileSystemProvider* provider = ProviderAt(index);
  if (!provider || !provider->slots.openFolder) return nullptr;
  ProviderFolder* folder = GuardedCall(static_cast<ProviderFolder*>(nullptr), [&] {
    return provider->slots.openFolder(provider, owner, index, StripProviderPrefix(provider, path), extra);
  });
  if (folder) InterlockedIncrement(&provider->userCount);
  return folder;
}

int VfsCloseFolder(ProviderFolder** folder, wchar_t* text, bool force) {
  if (text) text[0] = 0;
  if (!folder || !*folder) return 0;
  FileSystemProvider* provider = ProviderOf(*folder, nullptr);
  if (!provider || !provider->slots.closeFolder) return 0;
  if (ReleaseUser(provider) == 0 || force)
    GuardedCall(0, [&] { return provider->slots.closeFolder(provider, folder); });
  return 0;
}

void HandFolderOver(ProviderFolder* folder, int providerIndex) {
  FileSystemProvider* from = ProviderOf(folder, nullptr);
  FileSystemProvider* to = ProviderAt(providerIndex);
  if (!folder || !to) return;
  if (from) ReleaseUser(from);
  InterlockedIncrement(&to->userCount);
  folder->providerIndex = providerIndex;
  folder->path[0] = 0;
}

HICON VfsLoadIcon(ProviderFolder* folder, int32_t kind, const wchar_t* path, int size, int iconId) {
  FileSystemProvider* provider = ProviderAt(ProviderIndexByKindOr(kind, folder, path));
  if (!provider || !provider->slots.itemIcon) return nullptr;
  return GuardedCall(static_cast<HICON>(nullptr),
                     [&] { return provider->slots.itemIcon(provider, path, size, iconId); });
}

int VfsAddIconToImageList(ProviderFolder* folder, const wchar_t* path, uint32_t attributes, int size,
                          HIMAGELIST list) {
  FileSystemProvider* provider = ProviderOf(folder, path);
  if (!provider || !provider->slots.addIconToImageList) return 0;
  return GuardedCall(0, [&] {
    return provider->slots.addIconToImageList(provider, folder, path, attributes, size, list);
  });
}

int VfsChangeFolder(ProviderFolder* folder, const wchar_t* path) {
  if (!folder || !path || !path[0]) return kNotSupported;
  FileSystemProvider* provider = ProviderOf(folder, nullptr);
  if (!provider || !provider->slots.changeFolder) return kNotSupported;
  return GuardedCall(kNotSupported, [&] { return provider->slots.changeFolder(provider, folder, path); });
}

int VfsEnumerate(ProviderFolder* folder, const wchar_t* path, ProviderItemCallback callback, void* userData) {
  if (!callback) return kNotSupported;
  if (!folder && !path) {
    GuardedCall(0, [&] {
      EnumerateProviderRoots(callback, userData);
      return 0;
    });
    return kNotSupported;
  }
  FileSystemProvider* provider = ProviderOf(folder, path);
  if (!provider || !provider->slots.enumerate) return kNotSupported;
  return GuardedCall(kNotSupported,
                     [&] { return provider->slots.enumerate(provider, folder, path, callback, userData); });
}

int32_t VfsGetAttributes(ProviderFolder* folder, const wchar_t* path, FileInfo* info) {
  if (!path) return kNoAttributes;
  FileSystemProvider* provider = ProviderOf(folder, path);
  if (!provider || !provider->slots.getAttributes) return kNoAttributes;
  return GuardedCall(kNoAttributes, [&] { return provider->slots.getAttributes(provider, folder, path, info); });
}

bool PathExists(const wchar_t* path) { return VfsGetAttributes(nullptr, path, nullptr) >= 0; }

int VfsSetAttributes(ProviderFolder* folder, const wchar_t* path, uint32_t attributes) {
  FileSystemProvider* provider = ProviderOf(folder, path);
  if (!provider || !provider->slots.setAttributes) return kNotSupported;
  return GuardedCall(kNotSupported,
                     [&] { return provider->slots.setAttributes(provider, folder, path, attributes); });
}

int VfsSetFileTimes(ProviderFolder* folder, const wchar_t* path, const FILETIME* creation,
                    const FILETIME* lastAccess, const FILETIME* lastWrite) {
  FileSystemProvider* provider = ProviderOf(folder, path);
  if (!provider || !provider->slots.setTimes) return kNotSupported;
  return GuardedCall(kNotSupported, [&] {
    return provider->slots.setTimes(provider, folder, path, creation, lastAccess, lastWrite);
  });
}

int VfsRename(ProviderFolder* folder, const wchar_t* oldPath, const wchar_t* newPath, uint32_t renameFlags) {
  if (!oldPath || !newPath || !oldPath[0] || !newPath[0]) return ERROR_INVALID_PARAMETER;
  if (wcscmp(oldPath, newPath) == 0) return 0;
  FileSystemProvider* provider = ProviderOf(folder, oldPath);
  if (!provider || !provider->slots.rename) return kNotSupported;
  return GuardedCall(kNotSupported,
                     [&] { return provider->slots.rename(provider, folder, oldPath, newPath, renameFlags); });
}

int VfsCopy(ProviderFolder* folder, const wchar_t* source, const wchar_t* target, const FileInfo* info,
            ProgressCallback progress, void* userData) {
  FileSystemProvider* provider = ProviderOf(folder, target);
  if (!provider || !provider->slots.copyAlike) return kNotSupported;
  return GuardedCall(kNotSupported,
                     [&] { return provider->slots.copyAlike(provider, source, target, info, progress, userData); });
}

int CreateDirectoryPath(ProviderFolder* folder, const wchar_t* path) {
  if (!path || !path[0]) return ERROR_INVALID_PARAMETER;
  FileSystemProvider* provider = ProviderOf(folder, path);
  if (!provider && !folder && IsLocalFolderPath(path)) provider = StandaloneLocalDisk();
  if (!provider || !provider->slots.makeFolder) return kNotSupported;
  return GuardedCall(kNotSupported, [&] { return CreateFolderPath(provider, folder, path); });
}

int VfsShowProperties(ProviderFolder* folder, HWND window, const wchar_t* paths) {
  FileSystemProvider* provider = ProviderOf(folder, paths);
  if (!provider || !provider->slots.properties) return kNotSupported;
  return GuardedCall(kNotSupported, [&] { return provider->slots.properties(provider, window, paths); });
}

int ReportProgress(ProgressCallback progress, uint64_t bytes, void* userData) {
  if (!progress) return 0;
  return GuardedCall(1, [&] { return progress(kProgressBytesCode, &bytes, 0, userData); });
}

const wchar_t* StripProviderPrefix(const FileSystemProvider* provider, const wchar_t* path) {
  if (!provider || !path || !provider->displayName) return path;
  if (!IsPathSeparator(path[0]) || !IsPathSeparator(path[1]) || !IsPathSeparator(path[2])) return path;
  const int nameLength = static_cast<int>(WideLength(provider->displayName));
  if (nameLength == 0 || static_cast<int>(WideLength(path + 3)) < nameLength) return path;
  return EqualsIgnoreCaseWide(path + 3, provider->displayName, nameLength) ? path + 3 + nameLength : path;
}
