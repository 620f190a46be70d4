#include "foundation/win32/icons.h"

#include "foundation/core/system_seams.h"
#include "foundation/win32/platform_declarations.h"

namespace {

constexpr int kSmallestIconSize = 16;
constexpr int kLargeIconSize = 32;
constexpr int kExtraLargeIconSize = 48;
constexpr int kFirstSizeCap = 64;
constexpr int kTableIconSizeMax = 32;

int SizeClassSlot(int size) {
  if (size <= kSmallestIconSize) return 0;
  if (size <= kLargeIconSize) return 1;
  if (size <= kExtraLargeIconSize) return 2;
  return 3;
}

int SystemImageListKind(int size) {
  if (size <= kSmallestIconSize) return SHIL_SMALL;
  if (size <= kLargeIconSize) return SHIL_LARGE;
  if (size <= kExtraLargeIconSize) return SHIL_EXTRALARGE;
  return SHIL_JUMBO;
}

ShellGetImageListFunction ResolveShellGetImageList() {
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  if (!shell) shell = LoadLibraryW(L"shell32.dll");
  if (!shell) return nullptr;
  return reinterpret_cast<ShellGetImageListFunction>(
      reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(kShellGetImageListOrdinal))));
}

HIMAGELIST ShellFileInfoListOfCurrentFolder(bool small) {
  wchar_t folder[MAX_PATH];
  DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  SHFILEINFOW info = {};
  UINT flags = SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON);
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(folder, 0, &info, sizeof info, flags));
}

const SystemImageListSources kSystemSources = {GetSystemImageList, ShellFileInfoListOfCurrentFolder};

SystemImageListCache g_systemImageLists = {{}, kFirstSizeCap};

HIMAGELIST FillSlot(SystemImageListCache* cache, int size, const SystemImageListSources& sources) {
  HIMAGELIST& slot = cache->slots[SizeClassSlot(size)];
  if (!slot) slot = sources.systemImageList(size);
  if (!slot && size <= kLargeIconSize) slot = sources.shellFileInfoList(size <= kSmallestIconSize);
  return slot;
}

HICON IconOfPathFromSystem(const wchar_t* path, int size) {
  int index = GetShellIconIndex(path, 0, FILE_ATTRIBUTE_NORMAL);
  HIMAGELIST list = index >= 0 ? GetCachedSystemImageList(size) : nullptr;
  HICON icon = list ? ImageList_GetIcon(list, index, ILD_NORMAL) : nullptr;
  if (icon) return icon;
  SHFILEINFOW info = {};
  UINT flags = SHGFI_ICON | (size <= kSmallestIconSize ? SHGFI_SMALLICON : SHGFI_LARGEICON);
  return SHGetFileInfoW(path, 0, &info, sizeof info, flags) ? info.hIcon : nullptr;
}

int ClampTableIconSize(int size) {
  if (size < kSmallestIconSize) return kSmallestIconSize;
  return size > kTableIconSizeMax ? kTableIconSizeMax : size;
}

void AddBitmapStrip(HIMAGELIST list, HINSTANCE instance, int bitmapId) {
  HBITMAP strip = LoadBitmapW(instance, MAKEINTRESOURCEW(bitmapId));
  if (!strip) return;
  ImageList_AddMasked(list, strip, kBitmapMaskColor);
  DeleteObject(strip);
}

void AddTableIcons(HIMAGELIST list, HINSTANCE instance, int size, ImageTableRow* table) {
  for (ImageTableRow* row = table; row && row->resourceId != 0; ++row) {
    if (row->imageIndex < 0) continue;
    int added = ImageListAppendLoadedIcon(list, instance, MAKEINTRESOURCEW(row->resourceId), size, 0);
    row->imageIndex = static_cast<int16_t>(added - 1);
  }
}

}  // namespace

HIMAGELIST CreateIconImageList(int size, int initialCount, COLORREF background) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, initialCount, 1);
  if (list && background != kKeepBackground) ImageList_SetBkColor(list, background);
  return list;
}

void DestroyHeldImageList(HIMAGELIST* holder) {
  if (!holder || !*holder) return;
  ImageList_Destroy(*holder);
  *holder = nullptr;
}

int ImageListIconWidth(HIMAGELIST list) {
  int width = 0;
  int height = 0;
  if (!list || !ImageList_GetIconSize(list, &width, &height) || width < kSmallestIconSize) return kSmallestIconSize;
  return width;
}

HIMAGELIST GetSystemImageList(int size) {
  static const ShellGetImageListFunction getImageList = ResolveShellGetImageList();
  if (!getImageList) return nullptr;
  void* list = nullptr;
  if (FAILED(getImageList(SystemImageListKind(size), kImageListInterfaceId, &list))) return nullptr;
  return static_cast<HIMAGELIST>(list);
}

HIMAGELIST LookUpSystemImageList(SystemImageListCache* cache, int size, const SystemImageListSources& sources) {
  if (!cache) return nullptr;
  for (;;) {
    if (size > cache->sizeCap) size = cache->sizeCap;
    if (HIMAGELIST list = FillSlot(cache, size, sources)) return list;
    if (size > kExtraLargeIconSize) {
      cache->sizeCap = kExtraLargeIconSize;
    } else if (size > kLargeIconSize) {
      cache->sizeCap = kLargeIconSize;
    } else {
      return nullptr;
    }
  }
}

HIMAGELIST GetCachedSystemImageList(int size) {
  return LookUpSystemImageList(&g_systemImageLists, size, kSystemSources);
}

int GetShellIconIndex(const wchar_t* path, UINT flags, DWORD attributes) {
  if (!path) return -1;
  for (;;) {
    SHFILEINFOW info = {};
    DWORD_PTR found = SHGetFileInfoW(path, attributes, &info, sizeof info, SHGFI_SYSICONINDEX | flags);
    if (info.hIcon) DestroyIcon(info.hIcon);
    if (found) return info.iIcon;
    if (flags & SHGFI_USEFILEATTRIBUTES) return -1;
    flags |= SHGFI_USEFILEATTRIBUTES;
  }
}

HICON LoadIconForPath(HINSTANCE module, const wchar_t* name, int size, UINT loadFlags) {
  if (!name) return nullptr;
  if (module || (loadFlags & kLoadIconFromFile)) {
    HINSTANCE source = (loadFlags & kLoadIconFromFile) ? nullptr : module;
    return static_cast<HICON>(g_systemSeams.loadImageW(source, name, IMAGE_ICON, size, size, loadFlags));
  }
  return IconOfPathFromSystem(name, size);
}

int ImageListAppendLoadedIcon(HIMAGELIST list, HINSTANCE module, const wchar_t* name, int size, UINT loadFlags) {
  if (!list) return 0;
  HICON icon = LoadIconForPath(module, name, size, loadFlags);
  if (!icon) return 0;
  int index = ImageList_ReplaceIcon(list, -1, icon);
  DestroyIcon(icon);
  return index >= 0 ? index + 1 : 0;
}

void BuildImageListFromTable(IconImageList* holder, HINSTANCE instance, int bitmapId, ImageTableRow* table) {
  if (!holder) return;
  DestroyHeldImageList(&holder->list);
  int size = ClampTableIconSize(holder->iconSize);
  holder->list = CreateIconImageList(size, 0, kKeepBackground);
  if (!holder->list) return;
  if (bitmapId) {
    AddBitmapStrip(holder->list, instance, bitmapId);
  } else {
    AddTableIcons(holder->list, instance, size, table);
  }
}

DWORD_PTR GetShellFileInfo(const wchar_t* path, DWORD attributes, UINT flags, SHFILEINFOW* info) {
  if (!path || !info) return 0;
  return SHGetFileInfoW(path, attributes, info, sizeof *info, flags);
}
