#include "foundation/system_seams.h"

namespace {

SystemSeams RealSystemCalls() {
  return {::GetProcAddress, ::RegSetValueExW, ::RegSetValueExA, ::OpenClipboard, ::GetLocaleInfoW,
          ::CreateFileW,    ::WriteFile,      ::MoveFileExW,      ::DeleteFileW,
          ::FindFirstFileExW, ::FindFirstFileW};
}

}  // namespace

SystemSeams g_systemSeams = RealSystemCalls();

void RestoreSystemSeams() { g_systemSeams = RealSystemCalls(); }
