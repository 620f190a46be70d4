// A content plug-in of the published interface with 1200 integer fields named F0 to F1199, built for the tests
// of the plug-in host: the host offers and finds only the first 1000 of them.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kFieldCount = 1200;

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI ContentGetSupportedField(int index, char* name, char* units, int capacity) {
  if (index < 0 || index >= kFieldCount || capacity < 8) return 0;
  snprintf(name, static_cast<size_t>(capacity), "F%d", index);
  units[0] = 0;
  return 1;
}

__declspec(dllexport) int WINAPI ContentGetValueW(wchar_t*, int field, int, void* value, int size, int) {
  if (size < 4) return 0;
  *static_cast<int*>(value) = field;
  return 1;
}
}
