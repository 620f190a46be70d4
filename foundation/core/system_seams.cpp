#include "foundation/core/system_seams.h"

namespace {

SystemSeams RealSystemCalls() {
  return {::GetProcAddress, ::RegSetValueExW, ::RegSetValueExA, ::RegCreateKeyExW, ::RegOpenKeyExW,
          ::RegDeleteKeyW,  ::OpenClipboard,  ::GetLocaleInfoW, ::CreateFileW,     ::WriteFile,
          ::MoveFileExW,    ::DeleteFileW,    ::FindFirstFileExW, ::FindFirstFileW, ::GetCommandLineW,
          ::LoadImageW};
}

}  // namespace

SystemSeams g_systemSeams = RealSystemCalls();

void RestoreSystemSeams() { g_systemSeams = RealSystemCalls(); }
