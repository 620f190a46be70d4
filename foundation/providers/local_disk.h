// The local-disk provider (drive and UNC paths): its record, its folders, attributes, times, icons,
// properties and junction targets. Listing, renaming, copying and deleting have files of their own
// (directory_listing.h, local_rename.h, local_copy.h, local_delete.h); the record points at them all.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "foundation/providers/providers.h"

// The capability bits the local disk reports beyond those of its slots.
constexpr uint32_t kLocalDiskExtraCapabilities = 0x1C001A;

// Fills record 0.
void InitLocalDiskProvider(FileSystemProvider* provider);

// True for a drive path longer than "X:" and for a UNC path ("\\" and a character that is no separator).
bool IsLocalFolderPath(const wchar_t* path);

// 0 for texts under four characters; 1 for a path that does not begin with exactly two separators; for a
// UNC path 1 only when it goes on past "\\server\share\".
int IsInsideShare(const wchar_t* path);

// Sets the attributes; the compression bit through the file system. A request with bit 0x8000 does nothing.
// 0 or the error (default 32); when only the compression was refused, its error.
int SetLocalAttributes(const wchar_t* path, uint32_t attributes);

// Sets the times that are given and are real times (from 1980 on; earlier ones count as none). A read-only
// file is made writable for the time of the change. 0, 2 when the path is missing, else the error.
int SetLocalFileTimes(const wchar_t* path, const FILETIME* creation, const FILETIME* lastAccess,
                      const FILETIME* lastWrite);

// Adds the icon of an item to an image list. A file: its shell icon, else the icon of its name alone; the new
// index + 1, or 1 when there is none. A folder: 3 for a shared offline folder, its own icon (index + 1) when
// the system has a special one for it, else 2 (the standard folder icon). 0 without list, size or path.
int AddLocalIconToImageList(const wchar_t* path, uint32_t attributes, int size, HIMAGELIST list);

// Shows the shell's properties of a path, owned by the main window. 0 or the error (default 5).
int ShowPropertiesVerb(const wchar_t* path);

// The target of a junction or mount point without its "\??\"; 0, minus the name's length when it does not
// fit, 4390 when the path is no such reparse point, or the error.
int ReadReparseTarget(const wchar_t* path, wchar_t* target, int capacity);
