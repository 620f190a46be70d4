// Libraries loaded without error boxes, kernel32 functions looked up at run time, the common controls, the
// shell's allocator and desktop folder, the command line and the system language.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdint>

// LoadLibraryW with the system's error boxes for missing drives, files and faults turned off during the
// call; null for a null name.
HMODULE LoadLibraryQuiet(const wchar_t* name);

// GetProcAddress; null for a null module or name.
FARPROC GetProcAddressSafe(HMODULE module, const char* name);

// kernel32 functions that older systems lack, each looked up on first use. A slot holds null (not looked up
// yet), the function, or kMissingKernelFunction (looked up and missing). One process-wide loader exists;
// InitOptionalKernelFunctions builds it at start.
struct OptionalKernelFunctions {
  HMODULE kernel32;
  decltype(&::CopyFileExW) copyFileEx;
  decltype(&::GetDiskFreeSpaceExW) getDiskFreeSpaceEx;
  decltype(&::CreateToolhelp32Snapshot) createToolhelp32Snapshot;
  decltype(&::Process32FirstW) process32FirstW;
  decltype(&::Process32NextW) process32NextW;
  decltype(&::Module32FirstW) module32FirstW;
  decltype(&::Module32NextW) module32NextW;
  int32_t toolhelpAvailability;  // 0 not looked up, 1 all five present, -1 some missing
};

extern OptionalKernelFunctions g_kernelFunctions;

// Forgets every lookup and loads kernel32 quietly.
void InitOptionalKernelFunctions();

// True when a slot holds a function (it was looked up and found).
template <typename Function>
bool IsKernelFunctionPresent(Function slot) {
  return slot != nullptr && reinterpret_cast<intptr_t>(slot) != -1;
}

// CopyFileExW's result (non-zero on success); -1 when kernel32 lacks it.
int CallCopyFileEx(const wchar_t* existing, const wchar_t* newName, LPPROGRESS_ROUTINE progress, void* data,
                   BOOL* cancel, DWORD flags);
// GetDiskFreeSpaceExW's result (non-zero on success); -1 when kernel32 lacks it.
int CallGetDiskFreeSpaceEx(const wchar_t* folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                           ULARGE_INTEGER* totalFree);
// 1 when all five Toolhelp functions exist (their slots in g_kernelFunctions can then be called), else 0;
// they are looked up once.
int ResolveToolhelpFunctions();

// InitCommonControls, then the date and time controls; the latter's result.
BOOL InitCommonControlClasses();

// The shell's desktop folder (the caller releases it); null on failure.
IShellFolder* GetShellDesktopFolder();

// The program's command line split into arguments.
struct CommandLineArgs {
  int32_t count;
  wchar_t** args;  // from CommandLineToArgvW, freed with GlobalFree
};

// Splits GetCommandLineW(); false (and an empty list) when the system could not.
bool ParseCommandLineArgs(CommandLineArgs* list);
void FreeCommandLineArgs(CommandLineArgs* list);

LANGID GetSystemLanguage();
