// Copying on the local disk (slots 16 to 18 of the local-disk provider) and the free-space query it uses.
//
// The system's CopyFileExW does the copy where the system has it, reporting progress through the program's
// callback; otherwise the program copies by hand, piece by piece, with the same progress and cancel. A
// cancelled or failed copy leaves no partial target.
#pragma once
#include <cstdint>

#include "foundation/providers/providers.h"

// Copies `source` onto `target` (an existing target is replaced). A missing target folder is made (on the
// second folder's provider) and a read-only target made writable, each followed by one more try.
// 0, 1235 when the progress callback cancelled, else the error.
int CopyOrMoveLocalFile(FileSystemProvider* provider, ProviderFolder* folder, ProviderFolder* secondFolder,
                        const wchar_t* source, const wchar_t* target, const FileInfo* info, ProgressCallback progress,
                        void* userData);

// As CopyOrMoveLocalFile without folders and progress, but an existing target is never replaced nor made
// writable: the result is then 80.
int CopyLocalFileKeepingTarget(const wchar_t* source, const wchar_t* target);

// Slots 17 and 18: CopyOrMoveLocalFile without folders.
int CopyLocalFile(FileSystemProvider* provider, const wchar_t* source, const wchar_t* target, const FileInfo* info,
                  ProgressCallback progress, void* userData);

// The cluster size and the free and total bytes of the volume holding a path (each output may be null);
// non-zero on success.
int QueryDiskFreeSpace(const wchar_t* path, uint32_t* clusterSize, uint64_t* freeBytes, uint64_t* totalBytes);
