// Interim copies of the file and shell-folder helpers that the providers use, until the program's file
// input and output layer and its shell-folder layer are in place; they then replace this file.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

// Cuts the last component of a path in place; -1 when the path is its own root.
int CutToParentFolder(wchar_t* path);
// True when both paths have the same root, ignoring case and with '/' as '\'.
bool IsSameRoot(const wchar_t* a, const wchar_t* b);
// True when both paths are equal ignoring case, with '/' as '\'.
bool ComparePathsWithPlaceholders(const wchar_t* a, const wchar_t* b);

// 2 when the path is missing, 0 when it is not read-only or the bit was cleared, else the error.
DWORD ClearReadOnly(const wchar_t* path);
// CreateDirectoryW through the long form; 87 for an empty path.
DWORD CreateFolder(const wchar_t* path);
// RemoveDirectoryW through the long form; 87 for an empty path.
DWORD RemoveFolder(const wchar_t* path);
// SHFileOperationW, once more on failure; 1235 when aborted.
DWORD ShellFileOperationRetry(SHFILEOPSTRUCTW* operation);
// FO_DELETE with FOF_ALLOWUNDO over a double-zero-terminated list.
DWORD DeleteToRecycleBin(HWND owner, const wchar_t* paths, FILEOP_FLAGS extraFlags, bool noRetry);
// A path without ':' made absolute through GetFullPathNameW.
void MakeFullPath(wchar_t* path, int capacity);
// GetFileInformationByHandle; the path's directory entry when that fails.
bool GetFindData(HANDLE file, const wchar_t* path, BY_HANDLE_FILE_INFORMATION* information);

void FreeShellMemory(void* block);
// An item's name in its folder as the file system spells it; the result is its length.
int GetItemFileName(IShellFolder* folder, LPCITEMIDLIST item, wchar_t* target, int capacity);
// Double-zero-terminated list of drive roots; the result is the characters used.
int EnumerateLogicalDrives(bool includeShellDrives, wchar_t* target, int capacity);
// The display name of a special folder.
void GetSpecialFolderDisplayName(int csidl, wchar_t* target, int capacity);
