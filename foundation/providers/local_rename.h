// Renaming on the local disk: slot 15 of the local-disk provider, reached through VfsRename.
//
// A rename must succeed wherever the system can be made to allow it, so each failure gets its remedy and
// one more try: a missing target folder is made, a read-only target is made writable, a sharing violation
// frees the process's current directory, an existing target is deleted (only a file, never the file being
// renamed), a rename across drives copies and deletes. What no remedy cures goes to the shell's file
// operation. A rename is reported done only when it is: the old name is gone and the file is under the new
// one, and a rename that changes only the case has the new spelling on disk (where the system's rename
// leaves the spelling alone, the file goes through a temporary name in the same folder).
//
// With kRenameKeepExisting nothing at the new path is replaced, also when it appears just before the rename:
// the system's rename is asked not to replace, an existing target is neither deleted nor made writable, a copy
// across drives only makes a new file, and the shell's operation, which cannot be told to keep a target, is
// left out. Only the file itself may hold the new name, spelled differently (a change of letter case alone).
#pragma once
#include "foundation/providers/providers.h"

// 0 when the file or folder is under the new path, 1235 when the shell operation was aborted, else the
// Win32 error of the last attempt (123 and 206 at once, without further tries; 183 for a target kept).
int RenameLocalFile(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* oldPath,
                    const wchar_t* newPath, uint32_t renameFlags);

// A name no file has yet in the folder of `path`: the path with ".~" and a number. False when it does not fit
// `capacity` or no free number was found.
bool MakeTemporarySibling(const wchar_t* path, wchar_t* target, int capacity);
