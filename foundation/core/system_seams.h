// The few system calls whose failures a test cannot bring about on a healthy system (a kernel32 without a
// function, a refused registry write, a clipboard held by someone else, a locale that cannot be read, a file
// that refuses to be opened for writing, a write that breaks off half-way, a rename or delete refused for lack
// of rights, a directory search the system rejects: tests run with rights that read-only files do not stop,
// and on disks that do not fill up), the command line, which a test process cannot choose for a program run
// inside it, and the loading of images, which a test holds to see what waits for it. The program calls them through this table; it holds the real functions unless a test
// replaces an entry.
#pragma once
#include <windows.h>

struct SystemSeams {
  decltype(&::GetProcAddress) getProcAddress;
  decltype(&::RegSetValueExW) regSetValueExW;
  decltype(&::RegSetValueExA) regSetValueExA;
  decltype(&::RegCreateKeyExW) regCreateKeyExW;
  decltype(&::RegOpenKeyExW) regOpenKeyExW;
  decltype(&::RegDeleteKeyW) regDeleteKeyW;
  decltype(&::OpenClipboard) openClipboard;
  decltype(&::GetLocaleInfoW) getLocaleInfoW;
  decltype(&::CreateFileW) createFileW;
  decltype(&::WriteFile) writeFile;
  decltype(&::MoveFileExW) moveFileExW;
  decltype(&::DeleteFileW) deleteFileW;
  decltype(&::FindFirstFileExW) findFirstFileExW;
  decltype(&::FindFirstFileW) findFirstFileW;
  decltype(&::GetCommandLineW) getCommandLineW;
  decltype(&::LoadImageW) loadImageW;
};

extern SystemSeams g_systemSeams;

// Puts the real functions back into every entry.
void RestoreSystemSeams();
