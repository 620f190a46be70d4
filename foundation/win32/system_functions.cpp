#include "foundation/win32/system_functions.h"

#include <commctrl.h>
#include <shellapi.h>

#include "foundation/text/bounded_text.h"
#include "foundation/core/system_seams.h"
#include "foundation/text/text_encoding.h"

namespace {

constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
constexpr int kNarrowLibraryNameCapacity = 260;
constexpr int kProcNameCapacity = 512;

// The function of a slot, looking it up on first use; null when kernel32 lacks it. Every thread finds the
// same function, so a race only repeats the lookup.
template <typename Function>
Function LookUpOnce(Function* slot, const char* name) {
  if (*slot == nullptr) {
    if (!g_kernelFunctions.kernel32) g_kernelFunctions.kernel32 = LoadLibraryQuiet(L"kernel32.dll");
    FARPROC found = GetProcAddressSafe(g_kernelFunctions.kernel32, name);
    // Through the generic function type, which converts to any other without a warning.
    *slot = found ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found))
                  : reinterpret_cast<Function>(intptr_t{-1});
  }
  return IsKernelFunctionPresent(*slot) ? *slot : nullptr;
}

bool LookUpToolhelp() {
  OptionalKernelFunctions& k = g_kernelFunctions;
  // Every lookup runs, so that each slot ends up filled.
  const bool snapshot = LookUpOnce(&k.createToolhelp32Snapshot, "CreateToolhelp32Snapshot") != nullptr;
  const bool processFirst = LookUpOnce(&k.process32FirstW, "Process32FirstW") != nullptr;
  const bool processNext = LookUpOnce(&k.process32NextW, "Process32NextW") != nullptr;
  const bool moduleFirst = LookUpOnce(&k.module32FirstW, "Module32FirstW") != nullptr;
  const bool moduleNext = LookUpOnce(&k.module32NextW, "Module32NextW") != nullptr;
  return snapshot && processFirst && processNext && moduleFirst && moduleNext;
}

}  // namespace

OptionalKernelFunctions g_kernelFunctions = {};

HMODULE LoadLibraryQuiet(const wchar_t* name) {
  if (!name) return nullptr;
  const UINT previous = SetErrorMode(kQuietErrorMode);
  HMODULE module = LoadLibraryW(name);
  const DWORD error = GetLastError();
  SetErrorMode(previous);
  SetLastError(error);
  return module;
}

FARPROC GetProcAddressSafe(HMODULE module, const char* name) {
  if (!module || !name) return nullptr;
  return g_systemSeams.getProcAddress(module, name);
}

void InitOptionalKernelFunctions() {
  g_kernelFunctions = {};
  g_kernelFunctions.kernel32 = LoadLibraryQuiet(L"kernel32.dll");
}

int CallCopyFileEx(const wchar_t* existing, const wchar_t* newName, LPPROGRESS_ROUTINE progress, void* data,
                   BOOL* cancel, DWORD flags) {
  auto copy = LookUpOnce(&g_kernelFunctions.copyFileEx, "CopyFileExW");
  if (!copy) return -1;
  return copy(existing, newName, progress, data, cancel, flags);
}

int CallGetDiskFreeSpaceEx(const wchar_t* folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                           ULARGE_INTEGER* totalFree) {
  auto query = LookUpOnce(&g_kernelFunctions.getDiskFreeSpaceEx, "GetDiskFreeSpaceExW");
  if (!query) return -1;
  return query(folder, freeToCaller, total, totalFree);
}

int ResolveToolhelpFunctions() {
  if (g_kernelFunctions.toolhelpAvailability == 0)
    g_kernelFunctions.toolhelpAvailability = LookUpToolhelp() ? 1 : -1;
  return g_kernelFunctions.toolhelpAvailability == 1 ? 1 : 0;
}

BOOL InitCommonControlClasses() {
  InitCommonControls();
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES};
  return InitCommonControlsEx(&classes);
}

IShellFolder* GetShellDesktopFolder() {
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
  return desktop;
}

bool ParseCommandLineArgs(CommandLineArgs* list) {
  if (!list) return false;
  int count = 0;
  list->args = CommandLineToArgvW(g_systemSeams.getCommandLineW(), &count);
  list->count = list->args ? count : 0;
  return list->args != nullptr;
}

void FreeCommandLineArgs(CommandLineArgs* list) {
  if (!list) return;
  if (list->args) GlobalFree(list->args);
  list->args = nullptr;
  list->count = 0;
}

LANGID GetSystemLanguage() { return GetSystemDefaultLangID(); }
