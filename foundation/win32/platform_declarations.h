// Declarations the program needs that the mingw-w64 headers lack, grouped by topic. Each is written from the
// documented value; nothing here comes from a platform header.
#pragma once
#include <windows.h>

// System error numbers.
#ifndef ERROR_VIRUS_INFECTED
#define ERROR_VIRUS_INFECTED 225L
#endif

// Image lists.
// The image-list interface's id; the import library has no definition of it, so the program carries its own.
inline constexpr GUID kImageListInterfaceId = {
    0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

// SHELL32 exports the system image lists (SHGetImageList) by this ordinal.
constexpr WORD kShellGetImageListOrdinal = 727;

// SHGetImageList: image list kind (SHIL_...), interface id, interface out.
using ShellGetImageListFunction = HRESULT(WINAPI*)(int kind, REFIID interfaceId, void** result);

// Reparse points.
// The header of what FSCTL_GET_REPARSE_POINT returns for a mount point or junction, followed by the path
// buffer; offsets and lengths are in bytes into that buffer.
#pragma pack(push, 1)
struct MountPointReparseData {
  DWORD reparseTag;
  WORD reparseDataLength;
  WORD reserved;
  WORD substituteNameOffset;
  WORD substituteNameLength;
  WORD printNameOffset;
  WORD printNameLength;
  wchar_t pathBuffer[1];
};
#pragma pack(pop)
static_assert(sizeof(MountPointReparseData) == 18, "the mount point reparse header is 16 bytes plus the buffer");

// Visual styles and dark mode.
// UxTheme exports these entries by ordinal only; their names are not published. The arguments and results
// below are the ones the program relies on.
constexpr WORD kRefreshColorPolicyOrdinal = 104;     // refreshes the colour policy; no arguments
constexpr WORD kShouldAppsUseDarkModeOrdinal = 132;  // whether the system asks applications for dark mode
constexpr WORD kAllowDarkModeForWindowOrdinal = 133;
constexpr WORD kSetPreferredAppModeOrdinal = 135;  // 0 default, 1 allow dark, 2 force dark, 3 force light
constexpr WORD kIsDarkModeAllowedForWindowOrdinal = 137;
// The non-client theme opener that the common controls import by ordinal; the scroll-bar hook replaces it.
constexpr WORD kOpenNcThemeDataOrdinal = 49;

using RefreshColorPolicyFunction = void(WINAPI*)();
using ShouldAppsUseDarkModeFunction = bool(WINAPI*)();
using AllowDarkModeForWindowFunction = bool(WINAPI*)(HWND window, bool allow);
using SetPreferredAppModeFunction = int(WINAPI*)(int mode);
using IsDarkModeAllowedForWindowFunction = bool(WINAPI*)(HWND window);
using OpenNcThemeDataFunction = HANDLE(WINAPI*)(HWND window, const wchar_t* classList);

// user32's SetWindowCompositionAttribute and its record; attribute 26 makes the title bar use dark colours.
constexpr DWORD kUseDarkModeColorsAttribute = 26;
struct WindowCompositionAttributeData {
  DWORD attribute;
  void* data;
  SIZE_T size;
};
using SetWindowCompositionAttributeFunction = BOOL(WINAPI*)(HWND window, WindowCompositionAttributeData* data);
