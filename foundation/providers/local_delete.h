// Deleting on the local disk (slot 19 of the local-disk provider): plain delete, recycle bin and wipe.
//
// The plain delete removes only the name it is given: other hard links to the file keep their content.
// Emptying a file before it goes is kept for the wipe.
#pragma once
#include "foundation/providers/providers.h"

// kDeleteFile deletes (falling back to the shell's delete), kDeleteToRecycleBin recycles, kDeleteWipe wipes;
// any other type does nothing. 0, 1235 when cancelled, else the error.
int DeleteLocalFile(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path, int deleteType,
                    ProgressCallback progress, void* userData);

// DeleteFileW through the long form; a read-only file is made writable for one more try (and read-only
// again when that fails too). 0 or the error.
int DeleteSingleFile(const wchar_t* path);

// Empties the file and deletes it when its handle closes; a read-only file is made writable for one more
// try. 0 or the error (2, 3, 4 and 21 at once).
int TruncateAndDeleteFile(const wchar_t* path);

// Overwrites the file with 0xAA in pieces of 4096 bytes (progress after each), empties it, renames it to a
// name of '@' characters in its folder and deletes it. A cancelled wipe stops after the piece it was
// writing and leaves the file at its name and size. 0, 1235, or the error.
int WipeFile(const wchar_t* path, ProgressCallback progress, void* userData);

// A double-zero-terminated copy of the long form of a path, as the shell's file operation takes it; the caller
// frees it (FreeAndNull). Null when memory is short.
wchar_t* MakeShellPathList(const wchar_t* path);
