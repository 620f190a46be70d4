// Content plug-ins of the published interface that misbehave or are slow, built for the tests of the plug-in
// host's time bounds. Each offers one integer field "Value" and is built once per misbehaviour:
//   HOSTILE_HANG_VALUE  ContentGetValueW does not answer;
//   HOSTILE_HANG_LOAD   the library's entry point does not return from the load;
//   HOSTILE_OVERFLOW    ContentGetValueW recurses until the stack overflows;
//   HOSTILE_HANG_WHEN_TOLD  ContentGetValueW answers until the event "QVRXHostilePluginHang<process id>" is set
//                       (by a benchmark that drives the program), then does not answer;
//   HOSTILE_SLOW_LOAD   the library's entry point sleeps as many milliseconds as the digits of the library's file
//                       name before its extension give (a copy named "SlowLoad2500.wdx64" takes 2.5 s to load).
// Not answering means waiting for the manual-reset event "QVRXHostilePluginRelease<process id>", which the test
// sets when it ends, so that the test process can end.
#include <windows.h>

#include <cwchar>

namespace {

#if defined(HOSTILE_HANG_VALUE) || defined(HOSTILE_HANG_LOAD) || defined(HOSTILE_HANG_WHEN_TOLD)
void WaitForRelease() {
  wchar_t name[64];
  swprintf(name, 64, L"QVRXHostilePluginRelease%lu", GetCurrentProcessId());
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, name);
  WaitForSingleObject(release, INFINITE);
  CloseHandle(release);
}
#endif

#ifdef HOSTILE_HANG_WHEN_TOLD
bool ToldToHang() {
  wchar_t name[64];
  swprintf(name, 64, L"QVRXHostilePluginHang%lu", GetCurrentProcessId());
  HANDLE told = OpenEventW(SYNCHRONIZE, FALSE, name);
  if (told == nullptr) return false;
  const bool set = WaitForSingleObject(told, 0) == WAIT_OBJECT_0;
  CloseHandle(told);
  return set;
}
#endif

#ifdef HOSTILE_SLOW_LOAD
DWORD MillisecondsInFileName(HINSTANCE instance) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(instance, path, MAX_PATH);
  const wchar_t* name = wcsrchr(path, L'\\') != nullptr ? wcsrchr(path, L'\\') + 1 : path;
  DWORD milliseconds = 0;
  for (const wchar_t* at = name; *at != 0 && *at != L'.'; ++at) {
    if (*at >= L'0' && *at <= L'9') milliseconds = milliseconds * 10 + static_cast<DWORD>(*at - L'0');
  }
  return milliseconds;
}
#endif

#ifdef HOSTILE_OVERFLOW
__attribute__((noinline)) int Recurse(volatile int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + frame[0];
}
#endif

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
#ifdef HOSTILE_HANG_LOAD
  if (reason == DLL_PROCESS_ATTACH) WaitForRelease();
#endif
#ifdef HOSTILE_SLOW_LOAD
  if (reason == DLL_PROCESS_ATTACH) Sleep(MillisecondsInFileName(instance));
#endif
  (void)instance;
  (void)reason;
  return TRUE;
}

__declspec(dllexport) int WINAPI ContentGetSupportedField(int index, char* name, char* units, int capacity) {
  if (index != 0 || capacity < 6) return 0;
  lstrcpynA(name, "Value", capacity);
  units[0] = 0;
  return 1;
}

__declspec(dllexport) int WINAPI ContentGetValueW(wchar_t*, int, int, void* value, int size, int) {
#ifdef HOSTILE_HANG_VALUE
  WaitForRelease();
#endif
#ifdef HOSTILE_HANG_WHEN_TOLD
  if (ToldToHang()) WaitForRelease();
#endif
#ifdef HOSTILE_OVERFLOW
  if (size >= 4) *static_cast<int*>(value) = Recurse(1);
#endif
  if (size >= 4) *static_cast<int*>(value) = 7;
  return 1;
}
}
