// Registry writes the system refuses for lack of rights, as for an ordinary user under HKEY_CLASSES_ROOT:
// Wine's registry never refuses one, so the tests replace the calls (with a SystemSeamsScope alive).
#pragma once
#include <windows.h>

#include "foundation/core/system_seams.h"

inline LSTATUS WINAPI RefuseCreateKey(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                                      LPDWORD) {
  return ERROR_ACCESS_DENIED;
}
inline LSTATUS WINAPI RefuseOpenKey(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY) { return ERROR_ACCESS_DENIED; }
inline LSTATUS WINAPI RefuseDeleteKey(HKEY, LPCWSTR) { return ERROR_ACCESS_DENIED; }

inline void RefuseRegistryWrites() {
  g_systemSeams.regCreateKeyExW = RefuseCreateKey;
  g_systemSeams.regOpenKeyExW = RefuseOpenKey;
  g_systemSeams.regDeleteKeyW = RefuseDeleteKey;
}
