#include "foundation/files/system_folders.h"

#include <windows.h>

#include "foundation/text/bounded_text.h"
#include "foundation/files/paths.h"
#include "foundation/text/text_sizes.h"

namespace {


wchar_t g_tempFolderForRun[kPathCapacity] = {};

// The program file's name without folder and extension.
void ProgramBaseName(wchar_t* name, int capacity) {
  wchar_t path[kPathCapacity];
  const DWORD length = GetModuleFileNameW(nullptr, path, kPathCapacity);
  if (length == 0 || length >= static_cast<DWORD>(kPathCapacity)) path[0] = 0;
  CopyWideString(path + FileNameOffset(path), name, capacity);
  StripExtension(name);
}

}  // namespace

int GetWindowsFolder(wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  const UINT length = GetWindowsDirectoryW(buffer, static_cast<UINT>(capacity));
  if (length == 0 || length >= static_cast<UINT>(capacity)) CopyWideString(L"C:\\", buffer, capacity);
  return static_cast<int>(WideLength(buffer));
}

void SetTempFolderForRun(const wchar_t* folder) { CopyWideString(folder, g_tempFolderForRun, kPathCapacity); }

int GetTempFolderPath(wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  if (g_tempFolderForRun[0]) {
    CopyWideString(g_tempFolderForRun, buffer, capacity);
    return static_cast<int>(WideLength(buffer));
  }
  const DWORD length = GetTempPathW(static_cast<DWORD>(capacity), buffer);
  if (length == 0 || length >= static_cast<DWORD>(capacity)) {
    buffer[0] = 0;
    return 0;
  }
  wchar_t name[kFileNameCapacity];
  ProgramBaseName(name, kFileNameCapacity);
  AppendPathComponent(name, buffer, capacity);
  return static_cast<int>(WideLength(buffer));
}
