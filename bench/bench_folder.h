// The folder a benchmark works on: the one named on its command line, or one it makes in the temporary folder
// and removes afterwards.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

// The folder into `folder` (MAX_PATH characters): the first argument, else "<temp>\<name>-<process id>". True
// when the benchmark is to make (and later remove) the folder itself.
inline bool ChooseBenchFolder(const wchar_t* name, wchar_t* folder) {
  int argumentCount = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &argumentCount);
  const bool own = argumentCount < 2;
  if (own) {
    GetTempPathW(MAX_PATH, folder);
    swprintf(folder + wcslen(folder), MAX_PATH - wcslen(folder), L"%ls-%lu", name, GetCurrentProcessId());
  } else {
    swprintf(folder, MAX_PATH, L"%ls", arguments[1]);
  }
  LocalFree(arguments);
  return own;
}
