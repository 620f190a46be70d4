// Single files and folders by path: whether a folder exists, a file's directory entry, its times, and names
// that are still free.
#pragma once
#include <windows.h>

#include <cstdint>

// The earliest file time that counts as a time (31 December 1979 22:46:40 UTC); earlier ones mean "none".
constexpr uint64_t kEarliestValidFileTime = 119600020000000000ull;

// 1 when the path names an existing folder, else 0. When the attributes cannot be read (for lack of rights),
// the path's directory entry decides.
int IsExistingFolder(const wchar_t* path);

// The file's information from its open handle; when that fails, from the path's directory entry
// (attributes, times and size). False when neither gave it.
bool GetFindData(HANDLE handle, const wchar_t* path, BY_HANDLE_FILE_INFORMATION* information);

// A path that does not exist yet: in the folder of `path` (the run's temporary folder without one), the
// name's file-name part when that is free (result 1), else the numbers 1, 2, 3 ... followed by the name's
// extension; the result is the number used. 0 when no free name was found.
int MakeUniqueFileName(const wchar_t* name, const wchar_t* path, wchar_t* target, int capacity);
