#include "foundation/files/file_entries.h"

#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/text/numbers.h"
#include "foundation/files/paths.h"
#include "foundation/files/shell_folders.h"
#include "foundation/files/system_folders.h"
#include "foundation/core/threads.h"

namespace {

constexpr int kWork = 2048;
constexpr int kMostNumberedNames = 1000000;

bool FindDirectoryEntry(const wchar_t* path, WIN32_FIND_DATAW* entry) {
  if (path == nullptr || path[0] == 0) return false;
  LongPath longPath;
  HANDLE find = FindFirstFileW(MakeLongPath(&longPath, path), entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

bool Exists(const wchar_t* path) { return GetFileAttributesLong(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int IsExistingFolder(const wchar_t* path) {
  if (path == nullptr || path[0] == 0) return 0;
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
  WIN32_FIND_DATAW entry;
  if (!FindDirectoryEntry(path, &entry) || !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return EqualsIgnoreCaseWide(entry.cFileName, path + FileNameOffset(path)) ? 1 : 0;
}

bool GetFindData(HANDLE handle, const wchar_t* path, BY_HANDLE_FILE_INFORMATION* information) {
  if (information == nullptr) return false;
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetFileInformationByHandle(handle, information))
    return true;
  WIN32_FIND_DATAW entry;
  if (!FindDirectoryEntry(path, &entry)) return false;
  *information = {};
  information->dwFileAttributes = entry.dwFileAttributes;
  information->ftCreationTime = entry.ftCreationTime;
  information->ftLastAccessTime = entry.ftLastAccessTime;
  information->ftLastWriteTime = entry.ftLastWriteTime;
  information->nFileSizeHigh = entry.nFileSizeHigh;
  information->nFileSizeLow = entry.nFileSizeLow;
  information->nNumberOfLinks = 1;
  return true;
}

int MakeUniqueFileName(const wchar_t* name, const wchar_t* path, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  wchar_t folder[kWork];
  if (path == nullptr || path[0] == 0) {
    GetTempFolderPath(folder, kWork);
  } else {
    CopyWideString(path, folder, kWork);
    CutToParentFolder(folder);
  }
  AddTrailingBackslash(folder, kWork);
  if (name != nullptr && name[0] != 0) {
    if (CopyAndAppendPath(folder, name + FileNameOffset(name), target, capacity) == 0 && !Exists(target)) return 1;
  }
  const wchar_t* extension = name != nullptr ? name + ExtensionDotPosition(name) : L"";
  for (int number = 1; number <= kMostNumberedNames; ++number) {
    wchar_t numbered[kWork];
    IntToWideDecimal(number, numbered, kWork);
    AppendWideBounded(extension, numbered, kWork);
    if (CopyAndAppendPath(folder, numbered, target, capacity) != 0) break;
    if (!Exists(target)) return number;
  }
  target[0] = 0;
  return 0;
}
