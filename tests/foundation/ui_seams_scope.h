// Puts the real help, file-dialog and program-file calls back when a test that replaced some of them ends,
// also when it fails half-way; it can also make the program file seem to lie elsewhere.
#pragma once
#include <windows.h>

#include <string>

#include "foundation/ui/ui_seams.h"

class UiSeamsScope {
 public:
  UiSeamsScope() = default;
  ~UiSeamsScope() { RestoreUiSeams(); }
  UiSeamsScope(const UiSeamsScope&) = delete;
  UiSeamsScope& operator=(const UiSeamsScope&) = delete;

  // From now on the program file (the module file name of the process) is `path`.
  void PretendProgramFile(const std::wstring& path) {
    ProgramFile() = path;
    g_uiSeams.getModuleFileNameW = PretendedModuleFileName;
  }

 private:
  static std::wstring& ProgramFile() {
    static std::wstring path;
    return path;
  }
  // As GetModuleFileNameW: a path that does not fit is cut and the capacity returned.
  static DWORD WINAPI PretendedModuleFileName(HMODULE module, wchar_t* buffer, DWORD capacity) {
    if (module) return GetModuleFileNameW(module, buffer, capacity);
    if (capacity == 0) return 0;
    const std::wstring& path = ProgramFile();
    const size_t kept = path.copy(buffer, capacity - 1);
    buffer[kept] = 0;
    return path.size() < capacity ? static_cast<DWORD>(kept) : capacity;
  }
};
