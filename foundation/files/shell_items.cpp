#include "foundation/files/shell_items.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/text/text_sizes.h"
#include "foundation/win32/menus.h"
#include "foundation/core/name_order.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/win32/system_functions.h"
#include "foundation/text/text_encoding.h"

namespace {

int StrRetToText(STRRET* value, LPCITEMIDLIST pidl, wchar_t* target, int capacity);

constexpr int kWork = 2048;
constexpr UINT kFirstMenuCommand = 1;
constexpr UINT kLastMenuCommand = 0x7FFF;
// What a result of ShellExecuteW that is no instance-like value reports.
constexpr uint32_t kShellExecuteFailure = 1989;

int TextLength(const wchar_t* text) { return static_cast<int>(WideLength(text)); }

uint16_t ItemBytes(LPCITEMIDLIST item) { return item->mkid.cb; }

LPCITEMIDLIST NextItem(LPCITEMIDLIST item) {
  return reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const uint8_t*>(item) + ItemBytes(item));
}

LPITEMIDLIST AllocShellBlock(uint32_t bytes) {
  void* block = CoTaskMemAlloc(bytes);
  if (block != nullptr) memset(block, 0, bytes);
  return static_cast<LPITEMIDLIST>(block);
}

// "computer\D\folder" becomes "D:\folder"; other names stay.
void AddressNameToDrivePath(wchar_t* name, int capacity) {
  const wchar_t* first = wcschr(name, L'\\');
  if (first == nullptr) return;
  const wchar_t* letter = first + 1;
  const bool singleLetter = iswalpha(letter[0]) && (letter[1] == L'\\' || letter[1] == 0);
  if (!singleLetter) return;
  wchar_t work[kWork] = {letter[0], L':', L'\\', 0};
  if (letter[1] != 0) AppendWideBounded(letter + 2, work, kWork);
  CopyWideString(work, name, capacity);
}

int DisplayNameFromFolder(IShellFolder* folder, LPCITEMIDLIST pidl, DWORD flags, wchar_t* target, int capacity) {
  STRRET value = {};
  if (FAILED(folder->GetDisplayNameOf(pidl, flags, &value))) return 0;
  return StrRetToText(&value, pidl, target, capacity);
}

uint32_t LetterBit(const wchar_t* path) { return 1u << (CharToUpperWide(path[0]) - L'A'); }

// Drive letters of the items of the shell's "computer" folder.
uint32_t ShellDriveLetters() {
  return GuardedCall(0u, [] {
    uint32_t letters = 0;
    LPITEMIDLIST drives = nullptr;
    IShellFolder* desktop = GetShellDesktopFolder();
    IShellFolder* computer = nullptr;
    IEnumIDList* items = nullptr;
    if (desktop != nullptr && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) &&
        SUCCEEDED(desktop->BindToObject(drives, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&computer))) &&
        computer->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) == S_OK && items) {
      LPITEMIDLIST child = nullptr;
      while (items->Next(1, &child, nullptr) == S_OK) {
        LPITEMIDLIST full = PidlConcat(drives, child);
        wchar_t path[kWork] = {};
        if (full != nullptr && PidlToPath(full, path, kWork) && IsDrivePath(path) && iswalpha(path[0]))
          letters |= LetterBit(path);
        FreeShellMemory(full);
        FreeShellMemory(child);
      }
    }
    if (items) items->Release();
    if (computer) computer->Release();
    if (desktop) desktop->Release();
    FreeShellMemory(drives);
    return letters;
  });
}

// The paths of a double-zero-terminated list, sorted by name; the caller frees the array.
const wchar_t** SortedPaths(const wchar_t* paths, int* count) {
  *count = 0;
  for (const wchar_t* path = paths; *path != 0; path += wcslen(path) + 1) ++*count;
  if (*count == 0) return nullptr;
  auto** sorted = static_cast<const wchar_t**>(AllocZeroed(static_cast<uint32_t>(*count * sizeof(wchar_t*))));
  if (sorted == nullptr) return nullptr;
  int n = 0;
  for (const wchar_t* path = paths; *path != 0; path += wcslen(path) + 1) sorted[n++] = path;
  std::sort(sorted, sorted + n, [](const wchar_t* a, const wchar_t* b) { return CompareNamesNatural(a, b, false) < 0; });
  return sorted;
}

void ParentFolderText(const wchar_t* path, wchar_t* parent) {
  CopyWideString(path, parent, kWork);
  ReplaceCharWide(parent, L'/', L'\\');
  RemoveTrailingBackslash(parent);
  CutToParentFolder(parent);
}

LPITEMIDLIST ParsePath(IShellFolder* desktop, const wchar_t* path) {
  wchar_t work[kWork];
  CopyWideString(path, work, kWork);
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, work, nullptr, &pidl, nullptr))) return nullptr;
  return pidl;
}

// Fills the array with the last item of each path; the first path's parent folder goes into `folder`.
bool FillChildPidls(IShellFolder* desktop, const wchar_t** sorted, int count, LPITEMIDLIST* array,
                    IShellFolder** folder) {
  for (int i = 0; i < count; ++i) {
    LPITEMIDLIST full = ParsePath(desktop, sorted[i]);
    if (full == nullptr) return false;
    bool bound = true;
    if (i == 0) {
      bound = SUCCEEDED(SHBindToParent(full, IID_IShellFolder, reinterpret_cast<void**>(folder), nullptr));
    }
    array[i] = bound ? PidlClone(ILFindLastID(full)) : nullptr;
    FreeShellMemory(full);
    if (array[i] == nullptr) return false;
  }
  return true;
}

int InvokeMatchingVerb(IContextMenu* menu, HMENU popup, HWND window, const wchar_t* verb) {
  const int items = GetMenuItemCount(popup);
  for (int position = 0; position < items; ++position) {
    MENUITEMINFOW info = {};
    if (!MenuGetItemInfoByPosition(popup, position, MIIM_FTYPE | MIIM_ID, &info, nullptr, 0)) continue;
    if ((info.fType & MFT_SEPARATOR) || info.wID < kFirstMenuCommand || info.wID > kLastMenuCommand) continue;
    wchar_t canonical[kVerbCapacity] = {};
    const UINT offset = info.wID - kFirstMenuCommand;
    if (FAILED(menu->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(canonical),
                                      kVerbCapacity)))
      continue;
    canonical[kVerbCapacity - 1] = 0;
    if (EqualsIgnoreCaseWide(canonical, verb)) return InvokeContextMenuCommand(menu, window, offset);
  }
  return ERROR_ACCESS_DENIED;
}

int InvokeVerbOnPidls(HWND window, const wchar_t* verb, IShellFolder* folder, LPITEMIDLIST* pidls, int count) {
  IContextMenu* menu = nullptr;
  if (FAILED(folder->GetUIObjectOf(window, count, const_cast<LPCITEMIDLIST*>(pidls), IID_IContextMenu, nullptr,
                                   reinterpret_cast<void**>(&menu))) ||
      menu == nullptr)
    return ERROR_ACCESS_DENIED;
  int result = ERROR_ACCESS_DENIED;
  HMENU popup = CreatePopupMenu();
  if (popup != nullptr &&
      SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirstMenuCommand, kLastMenuCommand, CMF_EXPLORE)))
    result = InvokeMatchingVerb(menu, popup, window, verb);
  if (popup != nullptr) DestroyMenu(popup);
  menu->Release();
  return result;
}

}  // namespace

void FreeShellMemory(void* block) {
  if (block != nullptr) CoTaskMemFree(block);
}

uint32_t PidlSize(LPCITEMIDLIST pidl) {
  uint32_t bytes = sizeof(uint16_t);
  for (LPCITEMIDLIST item = pidl; item != nullptr && ItemBytes(item) != 0; item = NextItem(item))
    bytes += ItemBytes(item);
  return bytes;
}

LPITEMIDLIST PidlClone(LPCITEMIDLIST pidl, bool firstOnly) {
  const uint32_t data = firstOnly ? (pidl != nullptr ? ItemBytes(pidl) : 0) : PidlSize(pidl) - sizeof(uint16_t);
  LPITEMIDLIST copy = AllocShellBlock(data + sizeof(uint16_t));
  if (copy != nullptr && data != 0) memcpy(copy, pidl, data);
  return copy;
}

LPITEMIDLIST PidlConcat(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  const uint32_t firstData = PidlSize(first) - sizeof(uint16_t);
  const uint32_t secondData = PidlSize(second) - sizeof(uint16_t);
  LPITEMIDLIST joined = AllocShellBlock(firstData + secondData + sizeof(uint16_t));
  if (joined == nullptr) return nullptr;
  if (firstData != 0) memcpy(joined, first, firstData);
  if (secondData != 0) memcpy(reinterpret_cast<uint8_t*>(joined) + firstData, second, secondData);
  return joined;
}

namespace {

// A STRRET as text: a wide string (freed through the shell's allocator after copying), or 8-bit text at an
// offset in the item-id list or inside the record (active code page). The result is the text's length.
int StrRetToText(STRRET* value, LPCITEMIDLIST pidl, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  if (value == nullptr) return 0;
  switch (value->uType) {
    case STRRET_WSTR:
      CopyWideString(value->pOleStr, target, capacity);
      FreeShellMemory(value->pOleStr);
      value->pOleStr = nullptr;
      break;
    case STRRET_OFFSET:
      if (pidl != nullptr)
        MultiByteToWideBounded(reinterpret_cast<const char*>(pidl) + value->uOffset, target, capacity, CP_ACP);
      break;
    case STRRET_CSTR:
      value->cStr[sizeof value->cStr - 1] = 0;
      MultiByteToWideBounded(value->cStr, target, capacity, CP_ACP);
      break;
    default:
      break;
  }
  return TextLength(target);
}

}  // namespace

int PidlToPath(LPCITEMIDLIST pidl, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  if (pidl == nullptr) return 0;
  return GuardedCall(0, [&] {
    if (SHGetPathFromIDListEx(pidl, target, static_cast<DWORD>(capacity), GPFIDL_DEFAULT)) return 1;
    GetDisplayNameOfPidl(pidl, SHGDN_FORADDRESSBAR, target, capacity);
    AddressNameToDrivePath(target, capacity);
    return 0;
  });
}

int GetDisplayNameOfPidl(LPCITEMIDLIST pidl, DWORD flags, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  GuardedCall(0, [&] {
    IShellFolder* desktop = GetShellDesktopFolder();
    if (desktop == nullptr) return 0;
    DisplayNameFromFolder(desktop, pidl, flags, target, capacity);
    desktop->Release();
    return 0;
  });
  return TextLength(target);
}

int GetItemFileName(IShellFolder* folder, LPCITEMIDLIST child, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  if (folder == nullptr || child == nullptr) return 0;
  GuardedCall(0, [&] {
    DisplayNameFromFolder(folder, child, SHGDN_NORMAL, target, capacity);
    wchar_t parsing[kWork] = {};
    DisplayNameFromFolder(folder, child, SHGDN_FORPARSING, parsing, kWork);
    const wchar_t* name = parsing + FileNameOffset(parsing);
    const wchar_t* found = target[0] != 0 ? wcsstr(name, target) : nullptr;
    if (found != nullptr) CopyWideString(found, target, capacity);
    return 0;
  });
  return TextLength(target);
}

int EnumerateLogicalDrives(bool includeShellDrives, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  uint32_t letters = GetLogicalDrives();
  if (includeShellDrives) letters |= ShellDriveLetters();
  int used = 0;
  for (int letter = 0; letter < 26; ++letter) {
    if (!(letters & (1u << letter)) || used + 4 >= capacity) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', 0};
    memcpy(target + used, root, sizeof root);
    used += 4;
  }
  target[used++] = 0;
  return used;
}

bool PathsShareOneFolder(const wchar_t* paths) {
  if (paths == nullptr || paths[0] == 0) return false;
  wchar_t first[kWork];
  ParentFolderText(paths, first);
  for (const wchar_t* path = paths; *path != 0; path += wcslen(path) + 1) {
    wchar_t parent[kWork];
    ParentFolderText(path, parent);
    if (!EqualsIgnoreCaseWide(parent, first)) return false;
  }
  return true;
}

LPITEMIDLIST* PathListToPidls(const wchar_t* paths, int* count, IShellFolder** folder) {
  int ignored = 0;
  if (count == nullptr) count = &ignored;
  *count = 0;
  if (folder != nullptr) *folder = nullptr;
  if (paths == nullptr || folder == nullptr || !PathsShareOneFolder(paths)) return nullptr;
  return GuardedCall(static_cast<LPITEMIDLIST*>(nullptr), [&]() -> LPITEMIDLIST* {
    int n = 0;
    const wchar_t** sorted = SortedPaths(paths, &n);
    IShellFolder* desktop = sorted != nullptr ? GetShellDesktopFolder() : nullptr;
    auto* array = desktop != nullptr ? AllocShellBlock(static_cast<uint32_t>((n + 1) * sizeof(LPITEMIDLIST)))
                                     : nullptr;
    auto** pidls = reinterpret_cast<LPITEMIDLIST*>(array);
    const bool filled = pidls != nullptr && FillChildPidls(desktop, sorted, n, pidls, folder);
    if (desktop != nullptr) desktop->Release();
    FreeAndNull(&sorted);
    if (!filled) {
      FreeShellStringArray(pidls);
      if (*folder != nullptr) (*folder)->Release();
      *folder = nullptr;
      return nullptr;
    }
    *count = n;
    return pidls;
  });
}

void FreeShellStringArray(LPITEMIDLIST* array) {
  if (array == nullptr) return;
  for (LPITEMIDLIST* entry = array; *entry != nullptr; ++entry) FreeShellMemory(*entry);
  FreeShellMemory(array);
}

int InvokeShellVerbOnPaths(HWND window, const char* verb, const wchar_t* paths) {
  wchar_t wideVerb[kVerbCapacity] = {};
  MultiByteToWideBounded(verb, wideVerb, kVerbCapacity, CP_ACP);
  return GuardedCall(-1, [&] {
    int count = 0;
    IShellFolder* folder = nullptr;
    LPITEMIDLIST* pidls = PathListToPidls(paths, &count, &folder);
    if (pidls == nullptr) return static_cast<int>(ERROR_ACCESS_DENIED);
    const int result = InvokeVerbOnPidls(window, wideVerb, folder, pidls, count);
    folder->Release();
    FreeShellStringArray(pidls);
    return result;
  });
}

bool ShellOpenFile(HWND owner, const wchar_t* file, const wchar_t* folder, const wchar_t* parameters, int show) {
  if (file == nullptr || file[0] == 0) return false;
  wchar_t* path = AllocZeroedWide(kLongPathCapacity);
  wchar_t* ownFolder = AllocZeroedWide(kLongPathCapacity);
  bool started = false;
  if (path != nullptr && ownFolder != nullptr) {
    CopyWideString(file, path, kLongPathCapacity);
    CopyWideString(file, ownFolder, kLongPathCapacity);
    CutToParentFolder(ownFolder);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpFile = path;
    info.lpParameters = parameters != nullptr && parameters[0] != 0 ? parameters : nullptr;
    info.lpDirectory = folder != nullptr ? folder : ownFolder;
    info.nShow = show == SW_SHOW ? SW_SHOWNORMAL : show;
    started = GuardedCall(false, [&] { return ShellExecuteExW(&info) != FALSE; });
  }
  FreeAndNull(&path);
  FreeAndNull(&ownFolder);
  return started;
}

uint32_t ShellExecuteWithVerb(HWND window, const char* verb, const wchar_t* file) {
  wchar_t wideVerb[kVerbCapacity] = {};
  if (verb != nullptr) MultiByteToWideBounded(verb, wideVerb, kVerbCapacity, CP_ACP);
  return GuardedCall(0xFFFFFFFFu, [&] {
    const auto result = reinterpret_cast<uintptr_t>(
        ShellExecuteW(window, verb != nullptr ? wideVerb : nullptr, file, nullptr, nullptr, SW_SHOWNORMAL));
    return result >= 0x80000000u ? kShellExecuteFailure : static_cast<uint32_t>(result);
  });
}
