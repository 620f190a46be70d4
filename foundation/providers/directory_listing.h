// Listing folders: the system's directory search (FindFirstFileExW where the system has it, else
// FindFirstFileW), the local disk's folder enumeration, and the shell namespace for folders the file functions
// cannot list (some network locations).
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "foundation/providers/providers.h"

// Gets each directory entry; answers non-zero to stop the search.
using FindDataCallback = int (*)(const WIN32_FIND_DATAW* data, void* context);

// Searches a pattern (its long form). 0 when the search ran (also when nothing matched: 2 and 18 give 0);
// 3 when the folder is not there; otherwise the normalised error. The choice of FindFirstFileExW is made once
// per process; when the system rejects its arguments (87) it is given up for good.
int EnumDirectory(const wchar_t* pattern, FindDataCallback callback, void* context);

// Slot 11 of the local disk: lists `path`, else the folder's path. An empty or missing listing is 0; a folder
// that the file functions cannot reach (3, 53) is listed through the shell namespace, and its first error is
// returned when that fails too.
int EnumerateLocalFolder(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                         ProviderItemCallback callback, void* userData);

// Gets each item of a shell folder with the folder it belongs to; answers non-zero to stop.
using ShellItemFunction = int (*)(IShellFolder* folder, LPCITEMIDLIST item, void* context);

// Walks the items of a shell folder (folders, files and hidden items; the desktop for an empty list).
// 0 when the walk ran, -1 when the folder could not be bound or listed.
int EnumShellFolder(LPCITEMIDLIST list, ShellItemFunction function, void* context);

// Lists a folder through the shell namespace into ProviderItems. 0 when it ran (also when the callback
// stopped it), 50 when the path cannot be parsed, -1 when the folder cannot be listed.
int EnumerateShellFolderItems(const wchar_t* path, ProviderItemCallback callback, void* userData);

// The item-id list of a path through the desktop folder (a path without ':' is made absolute first); the
// caller frees it through the shell allocator. 0, or 3 with a null list when the shell does not know it.
int ParseShellDisplayName(const wchar_t* path, LPITEMIDLIST* list);
