// The drives view: the drives under the shell's "computer" folder as a provider of its own (record 1). Its
// only folder is the view itself; changing into a drive hands the folder over to the local disk.
#pragma once
#include <windows.h>

#include "foundation/providers/providers.h"

// The display name of the shell's "computer" folder, read once at start (at most 31 characters).
constexpr int kComputerNameCapacity = 32;

// Fills record 1 and reads the "computer" folder's display name.
void InitDrivesViewProvider(FileSystemProvider* provider);

// One item per drive: attributes kProviderRootAttributes, the drive-type letter in the low 32 bits of the
// creation time, the drive root ("X:\") as short name, the name "X:" followed by a blank and the label
// when there is one. With a folder path, a fixed drive's total bytes go into the size and its free bytes into
// the last-write time. 0, or non-zero when the callback stopped the walk.
int EnumerateDrives(FileSystemProvider* provider, ProviderFolder* folder, const wchar_t* path,
                    ProviderItemCallback callback, void* userData);

// The drive-type letter of a GetDriveTypeW result: 'y' removable A: to C:, 'o' other removable, 'd' fixed,
// 'r' CD-ROM, 'm' RAM disk, 'n' remote or no root, 'o' anything else.
wchar_t DriveTypeLetter(UINT driveType, wchar_t driveLetter);
