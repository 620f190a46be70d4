#include "foundation/providers/drives_view.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/win32/icons.h"
#include "foundation/providers/local_copy.h"
#include "foundation/core/memory.h"
#include "foundation/text/name_masks.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/shell_items.h"

namespace {

void GetDriveLabel(const wchar_t* root, UINT driveType, wchar_t* label, int capacity);

wchar_t g_computerDisplayName[kComputerNameCapacity];

constexpr int kDriveListCapacity = 128;
constexpr int kLabelCapacity = MAX_PATH + 1;
constexpr int kRemoteNameCapacity = 1024;
constexpr int kLongestRemoteLabel = 255;

// The icon of the "computer" folder; null for size 0.
HICON ComputerIcon(int size) {
  if (size <= 0) return nullptr;
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &list))) return nullptr;
  SHFILEINFOW info = {};
  const UINT sizeFlag = size <= 16 ? SHGFI_SMALLICON : SHGFI_LARGEICON;
  SHGetFileInfoW(reinterpret_cast<const wchar_t*>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_ICON | sizeFlag);
  FreeShellMemory(list);
  return info.hIcon;
}

void DriveRootOf(const wchar_t* path, wchar_t* root) {
  root[0] = path[0];
  root[1] = L':';
  root[2] = L'\\';
  root[3] = 0;
}

// Cuts " (X:)" out of a display name.
void RemoveDriveSuffix(wchar_t* name, wchar_t driveLetter) {
  const wchar_t suffix[] = {L' ', L'(', CharToUpperWide(driveLetter), L':', L')', 0};
  wchar_t* found = wcsstr(name, suffix);
  if (!found) return;
  const size_t suffixLength = WideLength(suffix);
  wmemmove(found, found + suffixLength, WideLength(found + suffixLength) + 1);
}

void ShellDisplayNameOfRoot(const wchar_t* root, wchar_t* label, int capacity) {
  SHFILEINFOW info = {};
  if (SHGetFileInfoW(root, 0, &info, sizeof info, SHGFI_DISPLAYNAME)) CopyWideString(info.szDisplayName, label, capacity);
  RemoveDriveSuffix(label, root[0]);
}

void RemoteConnectionName(const wchar_t* root, wchar_t* label, int capacity) {
  const wchar_t device[] = {root[0], L':', 0};
  wchar_t remote[kRemoteNameCapacity] = {};
  DWORD length = kRemoteNameCapacity;
  if (WNetGetConnectionW(device, remote, &length) != NO_ERROR) return;
  wchar_t shortened[kLongestRemoteLabel + 1];
  ShortenWithEllipsis(remote, kLongestRemoteLabel, shortened);
  CopyWideString(shortened, label, capacity);
}

void PutVolumeSpace(const wchar_t* root, FileInfo* info) {
  uint64_t freeBytes = 0, totalBytes = 0;
  if (!QueryDiskFreeSpace(root, nullptr, &freeBytes, &totalBytes)) return;
  info->size = totalBytes;
  info->lastWriteTime.dwLowDateTime = static_cast<DWORD>(freeBytes);
  info->lastWriteTime.dwHighDateTime = static_cast<DWORD>(freeBytes >> 32);
}

ProviderFolder* OpenDrivesFolder(FileSystemProvider* provider, void* owner, int providerIndex, const wchar_t*, void*) {
  auto* folder = static_cast<ProviderFolder*>(AllocZeroed(sizeof(ProviderFolder)));
  if (!folder) return nullptr;
  folder->providerIndex = providerIndex;
  folder->owner = owner;
  CopyWideString(provider->displayName, folder->path, kPathCapacity);
  return folder;
}

int CloseDrivesFolder(FileSystemProvider*, ProviderFolder** folder) {
  if (*folder) FreeAndNull(&(*folder)->cachedData);
  FreeAndNull(folder);
  return 0;
}

uint32_t DrivesCapabilities(FileSystemProvider* provider, ProviderFolder*) {
  return CapabilitiesOfSlots(provider->slots);
}

HICON DrivesItemIcon(FileSystemProvider*, const wchar_t*, int size, int) { return ComputerIcon(size); }

int DrivesAddIcon(FileSystemProvider* provider, ProviderFolder*, const wchar_t* path, uint32_t, int size,
                  HIMAGELIST list) {
  if (!list || !path) return 0;
  HICON icon = nullptr;
  if (provider->displayName && EqualsIgnoreCaseWide(path, provider->displayName)) {
    icon = ComputerIcon(size);
  } else if (IsDrivePath(path)) {
    wchar_t root[4];
    DriveRootOf(path, root);
    icon = LoadIconForPath(nullptr, root, size, 0);
  }
  if (!icon) return 0;
  const int index = ImageList_ReplaceIcon(list, -1, icon);
  DestroyIcon(icon);
  return index >= 0 ? index + 1 : 0;
}

int DrivesRootPath(FileSystemProvider* provider, ProviderFolder*, wchar_t* target, int capacity) {
  CopyWideString(provider->displayName, target, capacity);
  return 0;
}

int DrivesFolderPath(FileSystemProvider* provider, ProviderFolder*, wchar_t* target, int capacity, int flag) {
  CopyWideString(flag ? L"" : provider->displayName, target, capacity);
  return 0;
}

int ChangeDrivesFolder(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path) {
  if (!folder || !path) return kNotSupported;
  if (ComparePathsWithPlaceholders(path, folder->path)) return 0;
  const wchar_t* drive = path + provider->prefixLength;
  if (!IsDrivePath(drive)) return ERROR_PATH_NOT_FOUND;
  wchar_t root[4];
  DriveRootOf(drive, root);
  HandFolderOver(folder, kLocalDiskIndex);
  return VfsChangeFolder(folder, root);
}

}  // namespace

void InitDrivesViewProvider(FileSystemProvider* provider) {
  *provider = {};
  provider->kind = kDrivesViewKind;
  GetSpecialFolderDisplayName(CSIDL_DRIVES, g_computerDisplayName, kComputerNameCapacity);
  provider->displayName = g_computerDisplayName;
  ProviderSlots& slots = provider->slots;
  slots.openFolder = OpenDrivesFolder;
  slots.closeFolder = CloseDrivesFolder;
  slots.capabilities = DrivesCapabilities;
  slots.itemIcon = DrivesItemIcon;
  slots.addIconToImageList = DrivesAddIcon;
  slots.rootPath = DrivesRootPath;
  slots.folderPath = DrivesFolderPath;
  slots.changeFolder = ChangeDrivesFolder;
  slots.enumerate = EnumerateDrives;
}

int EnumerateDrives(FileSystemProvider*, ProviderFolder* folder, const wchar_t* path, ProviderItemCallback callback,
                    void* userData) {
  wchar_t drives[kDriveListCapacity] = {};
  EnumerateLogicalDrives(true, drives, kDriveListCapacity);
  const bool withSpace = path && path[0];
  ProviderItem item = {};
  item.folderPath = withSpace ? path : (folder ? folder->path : nullptr);
  for (const wchar_t* root = drives; *root; root += WideLength(root) + 1) {
    const UINT type = GetDriveTypeW(root);
    item.info = {};
    item.info.attributes = kProviderRootAttributes;
    item.info.creationTime.dwLowDateTime = DriveTypeLetter(type, root[0]);
    item.shortName = root;
    wchar_t label[kLabelCapacity] = {};
    GetDriveLabel(root, type, label, kLabelCapacity);
    if (withSpace && type == DRIVE_FIXED) PutVolumeSpace(root, &item.info);
    const wchar_t drive[] = {root[0], L':', 0};
    CopyWideString(drive, item.name, kPathCapacity);
    if (label[0]) {
      AppendWideBounded(L" ", item.name, kPathCapacity);
      AppendWideBounded(label, item.name, kPathCapacity);
    }
    if (callback(&item, userData)) return kCancelled;
  }
  return 0;
}

wchar_t DriveTypeLetter(UINT driveType, wchar_t driveLetter) {
  switch (driveType) {
    case DRIVE_REMOVABLE: return CharToUpperWide(driveLetter) <= L'C' ? L'y' : L'o';
    case DRIVE_FIXED: return L'd';
    case DRIVE_CDROM: return L'r';
    case DRIVE_RAMDISK: return L'm';
    case DRIVE_NO_ROOT_DIR:
    case DRIVE_REMOTE: return L'n';
    default: return L'o';
  }
}

namespace {

// The label of a drive: the volume label of a fixed drive, the connection of a remote one, else the shell's
// display name of the root without its " (X:)".
void GetDriveLabel(const wchar_t* root, UINT driveType, wchar_t* label, int capacity) {
  label[0] = 0;
  if (driveType == DRIVE_FIXED) {
    if (!GetVolumeInformationW(root, label, capacity, nullptr, nullptr, nullptr, nullptr, 0)) label[0] = 0;
  } else if (driveType == DRIVE_REMOTE) {
    RemoteConnectionName(root, label, capacity);
  }
  if (!label[0]) ShellDisplayNameOfRoot(root, label, capacity);
}

}  // namespace
