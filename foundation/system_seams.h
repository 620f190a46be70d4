// The few system calls whose failures a test cannot bring about on a healthy system (a kernel32 without a
// function, a refused registry write, a clipboard held by someone else, a locale that cannot be read, a
// rename or delete refused for lack of rights, a directory search the system rejects). The
// program calls them through this table; it holds the real functions unless a test replaces an entry.
#pragma once
#include <windows.h>

struct SystemSeams {
  decltype(&::GetProcAddress) getProcAddress;
  decltype(&::RegSetValueExW) regSetValueExW;
  decltype(&::RegSetValueExA) regSetValueExA;
  decltype(&::OpenClipboard) openClipboard;
  decltype(&::GetLocaleInfoW) getLocaleInfoW;
  decltype(&::MoveFileExW) moveFileExW;
  decltype(&::DeleteFileW) deleteFileW;
  decltype(&::FindFirstFileExW) findFirstFileExW;
  decltype(&::FindFirstFileW) findFirstFileW;
};

extern SystemSeams g_systemSeams;

// Puts the real functions back into every entry.
void RestoreSystemSeams();
