// Folders that differ from machine to machine: the placeholders of stored paths ("%MY_PATH%", "%APPDATA%",
// "%TEMP%", environment variables), "." and ".." segments, parent folders and roots, the shell's special
// folders and the maker's folder under the per-user application data.
//
// A placeholder is a path's leading text from its first '%' up to and including the second '%'. Paths are
// expanded before use and compacted again before they are stored or shown in a dialog field.
#pragma once
#include <windows.h>

// The maker's folder under the per-user application-data folder.
constexpr wchar_t kMakerFolderName[] = L"Tallowby";

// The program file's folder (without a trailing separator unless it is a root). The result is its length.
int GetProgramFolder(wchar_t* target, int capacity);

// The path with its placeholder expanded and its dot segments resolved; a path without a placeholder is
// copied unchanged. "%MY_PATH%" and "%HALVANE_PATH%" are the program's folder, "%APPDATA%" the per-user
// application data (else the Windows folder, else "C:\"); any other placeholder goes through the environment
// (a variable that is not set stays in the text). The result is the target's length.
int ExpandPathPlaceholders(const wchar_t* path, wchar_t* target, int capacity);

// The same, with a path that begins with ".." first taken relative to the program's folder.
int ExpandPathPlaceholdersRelative(const wchar_t* path, wchar_t* target, int capacity);

// The path with the first folder that begins it replaced by its placeholder: the program's folder, the
// per-user application data, "%TEMP%", then every environment variable whose value is a drive path of more
// than three characters without ';'. A path that begins with '%', or lies in none of them, is copied
// unchanged. The result is the target's length.
int CompactPathPlaceholders(const wchar_t* path, wchar_t* target, int capacity);

// Resolves "." and ".." segments in place: a "." segment goes with its separator; a ".." goes with the
// segment before it (a leading one is dropped). Long-form ("\\?\") and device ("\\.\") paths are left alone.
void ResolveDotSegments(wchar_t* path, int capacity);

// True when both paths, expanded relative to the program, with '/' as '\', are equal ignoring case.
bool ComparePathsWithPlaceholders(const wchar_t* a, const wchar_t* b);

// True when the roots of both paths (expanded first) are equal ignoring case, '/' counting as '\'.
bool IsSameRoot(const wchar_t* a, const wchar_t* b);

// Cuts the last component in place ("D:\a\b.txt" gives "D:\a", "D:\a" gives "D:\"); a path without a root
// keeps its first component. 0, or -1 when the path is its own root (it stays unchanged).
int CutToParentFolder(wchar_t* path);

// The per-user application-data folder, the maker's folder and the optional subfolder (8-bit, active code
// page), joined. The result is the target's length.
int GetUserDataFolder(const char* subfolder, wchar_t* target, int capacity);

// A special folder's path (CSIDL); empty when it has none. The result is the path's length.
int GetSpecialFolderPath(int csidl, wchar_t* target, int capacity);
// A special folder's display name; empty when the shell has none. The result is the name's length.
int GetSpecialFolderDisplayName(int csidl, wchar_t* target, int capacity);

// Shows a stored path expanded in a dialog item.
void SetDlgItemPathText(HWND dialog, int id, const wchar_t* path);
// Reads a dialog item's path and compacts it for storing; a missing item gives an empty text. The result is
// the item text's length.
int GetDlgItemPathText(HWND dialog, int id, wchar_t* target, int capacity);

// Calls `visit` with each environment variable's name and value (entries that begin with '=' skipped) until
// it returns non-zero or fails.
using EnvironmentVisitor = int (*)(const wchar_t* name, const wchar_t* value, void* userData);
void EnumEnvironmentVariables(EnvironmentVisitor visit, void* userData);
