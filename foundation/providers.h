// The file-system providers: the operations every part of the program calls for listed files and folders.
#pragma once
#include <windows.h>

struct ProviderFolder;

// Makes a folder with every missing parent. 0 when it exists as a folder or was made; 183 when a file of that
// name is in the way; 50 for a path no provider takes; else the error of the last attempt. The local disk is
// the one provider that makes folders, so `folder` does not change the choice.
int CreateDirectoryPath(ProviderFolder* folder, const wchar_t* path);
