#include "foundation/text/name_parts.h"

#include <cwchar>

namespace {

template <typename Char>
int LastSeparatorEnd(const Char* path) {
  if (path == nullptr) return 0;
  int offset = 0;
  for (int i = 0; path[i] != 0; ++i) {
    if (path[i] == '\\' || path[i] == '/') offset = i + 1;
  }
  return offset;
}

}  // namespace

bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

int FileNameOffset(const wchar_t* path) { return LastSeparatorEnd(path); }

int ExtensionDotPosition(const wchar_t* path) {
  if (path == nullptr) return 0;
  const int name = FileNameOffset(path);
  const wchar_t* dot = wcsrchr(path + name, L'.');
  return dot != nullptr ? static_cast<int>(dot - path) : static_cast<int>(wcslen(path));
}

const wchar_t* ExtensionPointer(const wchar_t* path) {
  if (path == nullptr) return L"";
  const wchar_t* dot = path + ExtensionDotPosition(path);
  return *dot == L'.' ? dot + 1 : dot;
}
