// Icons, image lists and the system's image lists of file icons.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>

#pragma pack(push, 1)
// One row of an image table, ended by a row whose resource id is 0. The same packed 5-byte rows serve as
// toolbar button tables, read there as {command id, icon id, style}.
struct ImageTableRow {
  uint16_t resourceId;
  int16_t imageIndex;  // below 0: the row has no image
  uint8_t style;
};
#pragma pack(pop)
static_assert(sizeof(ImageTableRow) == 5, "image table rows are 5 bytes");

// An image list of square icons and the icon size it is built for.
struct IconImageList {
  HIMAGELIST list;
  int32_t iconSize;
};

// The colour that leaves an image list's background alone.
constexpr COLORREF kKeepBackground = static_cast<COLORREF>(-1);
// The colour that marks transparent pixels of the program's bitmap strips (light grey).
constexpr COLORREF kBitmapMaskColor = RGB(192, 192, 192);

// A 32-bit masked image list of size x size icons, growing by one; the background colour is set unless it is
// kKeepBackground.
HIMAGELIST CreateIconImageList(int size, int initialCount, COLORREF background);
// Destroys a held image list and clears the holder.
void DestroyHeldImageList(HIMAGELIST* holder);
// The icon width of a list, at least 16 (16 without a list).
int ImageListIconWidth(HIMAGELIST list);

// The system image list of a size class: up to 16 pixels the small icons, up to 32 the large, up to 48 the
// extra-large, above that the jumbo ones; null on failure. Nobody destroys the system's lists.
HIMAGELIST GetSystemImageList(int size);

// Where the cached system image lists come from: the system image list of a size class, and the lists that
// SHGetFileInfoW(SHGFI_SYSICONINDEX) gives (small: up to 16 pixels; else large).
struct SystemImageListSources {
  HIMAGELIST (*systemImageList)(int size);
  HIMAGELIST (*shellFileInfoList)(bool small);
};

// Four slots by size class (up to 16, 32, 48, above 48) and the size cap, which starts at 64.
struct SystemImageListCache {
  HIMAGELIST slots[4];
  int sizeCap;
};

// The cached system image list for a size, filled on first use from the sources; when a size class cannot be
// had, the cap drops (to 48 from above 48, to 32 from above 32) for good and the smaller class is tried. Null
// when nothing up to 32 pixels can be had.
HIMAGELIST LookUpSystemImageList(SystemImageListCache* cache, int size, const SystemImageListSources& sources);
// The same with the process-wide cache and the system as source.
HIMAGELIST GetCachedSystemImageList(int size);

// The index of a path's icon in the system image list (SHGFI_SYSICONINDEX plus `flags`); when the path
// cannot be asked, again by its attributes alone (SHGFI_USEFILEATTRIBUTES with `attributes`) unless the
// caller asked for that already. -1 when both fail.
int GetShellIconIndex(const wchar_t* path, UINT flags, DWORD attributes);

// LoadImageW's flag that reads an icon from a file instead of a module.
constexpr UINT kLoadIconFromFile = LR_LOADFROMFILE;

// A square icon of the size:
//  - from a module resource `name` (an id made with MAKEINTRESOURCEW, or a resource name);
//  - with kLoadIconFromFile in `loadFlags`, from the icon file `name`;
//  - otherwise the icon of the path `name` from the cached system image list, else SHGetFileInfoW's small or
//    large icon by size.
// The caller destroys it; null on failure.
HICON LoadIconForPath(HINSTANCE module, const wchar_t* name, int size, UINT loadFlags);

// Loads such an icon, appends it to the list and destroys it; the new index + 1, 0 on failure.
int ImageListAppendLoadedIcon(HIMAGELIST list, HINSTANCE module, const wchar_t* name, int size, UINT loadFlags);

// Rebuilds the holder's image list at its icon size clamped to 16..32. With a bitmap id the list is the
// bitmap strip (masked with kBitmapMaskColor); without one, one icon per row whose image index is not
// negative, loaded from the row's resource id, and the row's image index becomes the icon's new index (-1
// when it could not be loaded).
void BuildImageListFromTable(IconImageList* holder, HINSTANCE instance, int bitmapId, ImageTableRow* table);

// SHGetFileInfoW of a path with the flags (and attributes for SHGFI_USEFILEATTRIBUTES).
DWORD_PTR GetShellFileInfo(const wchar_t* path, DWORD attributes, UINT flags, SHFILEINFOW* info);
