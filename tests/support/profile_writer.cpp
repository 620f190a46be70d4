// Another process saving a profile file, as a second instance of the program does, for the profile store's tests:
//   ProfileWriter <file> <section> <count> [<held event> <go event>]
// sets the keys "k1" .. "k<count>" of the section to "v1" .. and saves after each. With the two event names, its
// first save stops inside the file's lock, just before it writes the file: it sets the first event and goes on
// once the second is set. The exit code is 0 when every key read back as written and the last save wrote.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/core/system_seams.h"
#include "foundation/profile/profile_store.h"

namespace {

HANDLE g_held = nullptr;
HANDLE g_go = nullptr;
volatile LONG g_holdNextWrite = 0;

HANDLE WINAPI HoldFirstWrite(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile) {
  if ((access & GENERIC_WRITE) && InterlockedExchange(&g_holdNextWrite, 0) != 0) {
    SetEvent(g_held);
    WaitForSingleObject(g_go, INFINITE);
  }
  return ::CreateFileW(name, access, sharing, security, disposition, flags, templateFile);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 6) return 2;
  char section[64];
  WideCharToMultiByte(CP_ACP, 0, argv[2], -1, section, sizeof section, nullptr, nullptr);
  const int count = _wtoi(argv[3]);
  SettingsStore store;
  ProfileStoreConstruct(&store, argv[1], kProfileNoAutoLocation);
  if (argc == 6) {
    g_held = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]);
    g_go = OpenEventW(SYNCHRONIZE, FALSE, argv[5]);
    if (g_held == nullptr || g_go == nullptr) return 3;
    g_systemSeams.createFileW = HoldFirstWrite;
    g_holdNextWrite = 1;
  }
  bool same = true;
  for (int i = 1; i <= count; ++i) {
    char key[16], value[16], read[16];
    snprintf(key, sizeof key, "k%d", i);
    snprintf(value, sizeof value, "v%d", i);
    ProfileSetString(&store, section, key, value);
    ProfileGetString(&store, section, key, "", read, sizeof read);
    same = same && strcmp(read, value) == 0;
    ProfileSave(&store);
  }
  const int saved = ProfileSave(&store);
  ProfileStoreDestroy(&store);
  return same && saved == 0 ? 0 : 1;
}
