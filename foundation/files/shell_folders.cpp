#include "foundation/files/shell_folders.h"

#include <shlobj.h>

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/files/paths.h"
#include "foundation/text/text_sizes.h"
#include "foundation/files/shell_items.h"
#include "foundation/files/system_folders.h"
#include "foundation/text/text_encoding.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kWork = 2048;

bool StartsWith(const wchar_t* text, const wchar_t* prefix) { return wcsncmp(text, prefix, wcslen(prefix)) == 0; }

int TextLength(const wchar_t* text) { return static_cast<int>(WideLength(text)); }

// Length of the placeholder that begins a path ('%' up to the second '%'), 0 when it has none.
int PlaceholderLength(const wchar_t* path) {
  if (path == nullptr || path[0] != L'%') return 0;
  const wchar_t* end = wcschr(path + 1, L'%');
  return end != nullptr ? static_cast<int>(end - path) + 1 : 0;
}

bool PlaceholderIs(const wchar_t* path, int length, const wchar_t* name) {
  return length == TextLength(name) && EqualsIgnoreCaseWide(path, name, length);
}

// Where the root of a path ends within the path itself (GetPathRoot answers for the path without its long
// prefix, and gives "D:\" for a bare "d:").
int RootEnd(const wchar_t* path) {
  wchar_t root[kWork];
  int end = GetPathRoot(path, root, kWork);
  if (StartsWith(path, L"\\\\?\\UNC\\")) {
    end += 6;
  } else if (StartsWith(path, L"\\\\?\\")) {
    end += 4;
  }
  const int length = TextLength(path);
  return end < length ? end : length;
}

// Appends the rest of a path after an expanded folder, with one separator between them.
void AppendRest(const wchar_t* rest, wchar_t* target, int capacity) {
  const int length = TextLength(target);
  if (length > 0 && IsPathSeparator(target[length - 1]) && IsPathSeparator(rest[0])) ++rest;
  AppendWideBounded(rest, target, capacity);
}

// Copies a work buffer into the caller's target and gives its length.
int Deliver(const wchar_t* work, wchar_t* target, int capacity) {
  CopyWideString(work, target, capacity);
  return TextLength(target);
}

// The path of CSIDL_APPDATA, empty when the shell gives none. Asked for the path rather than for the folder's
// item-id list: the start-up looks here for the per-user profile file, and the id list makes the shell build
// its namespace first (under Wine 3-4 ms of the start).
int GetAppDataPath(wchar_t* target, int capacity) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) path[0] = 0;
  return Deliver(path, target, capacity);
}

void GetAppDataFolder(wchar_t* target, int capacity) {
  GetAppDataPath(target, capacity);
  // GetWindowsFolder itself falls back to "C:\".
  if (target[0] == 0) GetWindowsFolder(target, capacity);
}

void RemoveDotSegmentsInPlace(wchar_t* path) {
  size_t write = 0;
  for (size_t read = 0; path[read] != 0;) {
    const bool segmentStart = write == 0 || IsPathSeparator(path[write - 1]);
    if (segmentStart && path[read] == L'.' && IsPathSeparator(path[read + 1])) {
      read += 2;
      continue;
    }
    path[write++] = path[read++];
  }
  path[write] = 0;
}

// Index of the first ".." segment, -1 when there is none.
int FindDoubleDotSegment(const wchar_t* path) {
  for (int i = 0; path[i] != 0; ++i) {
    const bool segmentStart = i == 0 || IsPathSeparator(path[i - 1]);
    const bool segmentEnd = path[i + 1] == L'.' && (path[i + 2] == 0 || IsPathSeparator(path[i + 2]));
    if (segmentStart && path[i] == L'.' && segmentEnd) return i;
  }
  return -1;
}

// The folder that a ".." leaves of the text before it: its parent, or the root; nothing for a single
// component without root.
void ParentForDoubleDot(wchar_t* before) {
  const int length = TextLength(before);
  if (length > RootEnd(before) + 1 && IsPathSeparator(before[length - 1])) before[length - 1] = 0;
  const bool singleComponent = RootEnd(before) == 0 && wcspbrk(before, L"\\/") == nullptr;
  if (singleComponent) {
    before[0] = 0;
  } else {
    CutToParentFolder(before);
  }
}

void ResolveDoubleDotSegments(wchar_t* path, int capacity) {
  for (int at = FindDoubleDotSegment(path); at >= 0; at = FindDoubleDotSegment(path)) {
    const wchar_t* rest = path + at + 2;
    if (*rest != 0) ++rest;
    wchar_t work[kWork];
    if (at == 0) {
      CopyWideString(rest, work, kWork);
    } else {
      CopyWideString(path, work, at + 1 < kWork ? at + 1 : kWork);
      ParentForDoubleDot(work);
      if (*rest != 0) AppendPathComponent(rest, work, kWork);
    }
    CopyWideString(work, path, capacity);
  }
}

int CompactWithFolder(const wchar_t* path, const wchar_t* folder, const wchar_t* placeholder, wchar_t* target,
                      int capacity) {
  wchar_t work[kWork];
  CopyWideString(placeholder, work, kWork);
  const wchar_t* rest = path + wcslen(folder);
  while (IsPathSeparator(*rest)) ++rest;
  if (*rest != 0) {
    AppendWideBounded(L"\\", work, kWork);
    AppendWideBounded(rest, work, kWork);
  }
  ResolveDotSegments(work, kWork);
  return Deliver(work, target, capacity);
}

struct EnvironmentCompaction {
  const wchar_t* path;
  wchar_t* target;
  int capacity;
  int result;  // -1 until a variable matched
};

// Takes the first variable whose value is a drive path of more than three characters without ';' that
// begins the path.
int CompactWithVariable(const wchar_t* name, const wchar_t* value, void* userData) {
  auto* compaction = static_cast<EnvironmentCompaction*>(userData);
  if (!IsDrivePath(value) || wcslen(value) <= 3 || wcschr(value, L';') != nullptr) return 0;
  if (!PathStartsWith(compaction->path, value)) return 0;
  wchar_t placeholder[kWork] = L"%";
  AppendWideBounded(name, placeholder, kWork);
  AppendWideBounded(L"%", placeholder, kWork);
  compaction->result = CompactWithFolder(compaction->path, value, placeholder, compaction->target,
                                         compaction->capacity);
  return 1;
}

void NormaliseForComparison(const wchar_t* path, wchar_t* target, int capacity) {
  ExpandPathPlaceholdersRelative(path, target, capacity);
  ReplaceCharWide(target, L'/', L'\\');
}

}  // namespace

int GetProgramFolder(wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  wchar_t path[kWork];
  const DWORD length = GetModuleFileNameW(nullptr, path, kWork);
  if (length == 0 || length >= static_cast<DWORD>(kWork)) path[0] = 0;
  CutToParentFolder(path);
  return Deliver(path, target, capacity);
}

int ExpandPathPlaceholders(const wchar_t* path, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  if (path == nullptr) return 0;
  const int length = PlaceholderLength(path);
  if (length == 0) return Deliver(path, target, capacity);
  wchar_t work[kWork] = {};
  if (PlaceholderIs(path, length, L"%MY_PATH%") || PlaceholderIs(path, length, L"%HALVANE_PATH%")) {
    GetProgramFolder(work, kWork);
    AppendRest(path + length, work, kWork);
  } else if (PlaceholderIs(path, length, L"%APPDATA%")) {
    GetAppDataFolder(work, kWork);
    AppendRest(path + length, work, kWork);
  } else {
    const DWORD needed = ExpandEnvironmentStringsW(path, work, kWork);
    if (needed == 0 || needed > static_cast<DWORD>(kWork)) CopyWideString(path, work, kWork);
  }
  ResolveDotSegments(work, kWork);
  return Deliver(work, target, capacity);
}

int ExpandPathPlaceholdersRelative(const wchar_t* path, wchar_t* target, int capacity) {
  if (path == nullptr || !StartsWith(path, L"..")) return ExpandPathPlaceholders(path, target, capacity);
  wchar_t work[kWork] = L"%MY_PATH%\\";
  AppendWideBounded(path, work, kWork);
  return ExpandPathPlaceholders(work, target, capacity);
}

int CompactPathPlaceholders(const wchar_t* path, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  if (path == nullptr) return 0;
  if (path[0] == L'%') return Deliver(path, target, capacity);
  struct Candidate {
    const wchar_t* placeholder;
    int (*folder)(wchar_t* target, int capacity);
  };
  static const Candidate kCandidates[] = {
      {L"%MY_PATH%", GetProgramFolder},
      {L"%APPDATA%", GetAppDataPath},
      {L"%TEMP%", [](wchar_t* t, int c) { return ExpandPathPlaceholders(L"%TEMP%", t, c); }},
  };
  for (const Candidate& candidate : kCandidates) {
    wchar_t folder[kWork] = {};
    candidate.folder(folder, kWork);
    if (folder[0] != L'%' && PathStartsWith(path, folder))
      return CompactWithFolder(path, folder, candidate.placeholder, target, capacity);
  }
  EnvironmentCompaction compaction = {path, target, capacity, -1};
  EnumEnvironmentVariables(CompactWithVariable, &compaction);
  return compaction.result >= 0 ? compaction.result : Deliver(path, target, capacity);
}

void ResolveDotSegments(wchar_t* path, int capacity) {
  if (path == nullptr || capacity <= 0) return;
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return;
  RemoveDotSegmentsInPlace(path);
  ResolveDoubleDotSegments(path, capacity);
}

bool ComparePathsWithPlaceholders(const wchar_t* a, const wchar_t* b) {
  if (a == nullptr || b == nullptr) return false;
  wchar_t first[kWork];
  wchar_t second[kWork];
  NormaliseForComparison(a, first, kWork);
  NormaliseForComparison(b, second, kWork);
  return EqualsIgnoreCaseWide(first, second);
}

bool IsSameRoot(const wchar_t* a, const wchar_t* b) {
  if (a == nullptr || b == nullptr) return false;
  wchar_t first[kWork];
  wchar_t second[kWork];
  NormaliseForComparison(a, first, kWork);
  NormaliseForComparison(b, second, kWork);
  wchar_t rootA[kWork];
  wchar_t rootB[kWork];
  GetPathRoot(first, rootA, kWork);
  GetPathRoot(second, rootB, kWork);
  return EqualsIgnoreCaseWide(rootA, rootB);
}

int CutToParentFolder(wchar_t* path) {
  if (path == nullptr || path[0] == 0) return 0;
  const int rootEnd = RootEnd(path);
  const int length = TextLength(path);
  if (rootEnd == 0) {
    const wchar_t* separator = wcspbrk(path, L"\\/");
    if (separator != nullptr) path[separator - path] = 0;
    return 0;
  }
  if (length <= rootEnd || (length == rootEnd + 1 && IsPathSeparator(path[rootEnd]))) return -1;
  // A trailing separator does not make an empty last component.
  int end = IsPathSeparator(path[length - 1]) ? length - 1 : length;
  while (end > rootEnd && !IsPathSeparator(path[end - 1])) --end;
  path[end > rootEnd ? end - 1 : rootEnd] = 0;
  return 0;
}

int GetUserDataFolder(const char* subfolder, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  wchar_t work[kWork];
  ExpandPathPlaceholders(L"%APPDATA%", work, kWork);
  int cut = AppendPathComponent(kMakerFolderName, work, kWork);
  if (subfolder != nullptr && subfolder[0] != 0) {
    wchar_t wide[kFileNameCapacity];
    MultiByteToWideBounded(subfolder, wide, kFileNameCapacity, CP_ACP);
    cut |= AppendPathComponent(wide, work, kWork);
  }
  // A cut folder would name another place: better none.
  if (cut != 0 || TextLength(work) >= capacity) work[0] = 0;
  return Deliver(work, target, capacity);
}

int GetSpecialFolderPath(int csidl, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  GuardedCall(0, [&] {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || pidl == nullptr) return 0;
    if (PidlToPath(pidl, target, capacity) == 0 && !IsDrivePath(target)) target[0] = 0;
    FreeShellMemory(pidl);
    return 0;
  });
  return TextLength(target);
}

int GetSpecialFolderDisplayName(int csidl, wchar_t* target, int capacity) {
  if (target == nullptr || capacity <= 0) return 0;
  target[0] = 0;
  GuardedCall(0, [&] {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || pidl == nullptr) return 0;
    GetDisplayNameOfPidl(pidl, SHGDN_NORMAL, target, capacity);
    FreeShellMemory(pidl);
    return 0;
  });
  return TextLength(target);
}

void SetDlgItemPathText(HWND dialog, int id, const wchar_t* path) {
  wchar_t work[kWork];
  ExpandPathPlaceholdersRelative(path, work, kWork);
  SetDialogItemText(dialog, id, work);
}

int GetDlgItemPathText(HWND dialog, int id, wchar_t* target, int capacity) {
  wchar_t work[kWork] = {};
  const int length = GetDialogItemText(dialog, id, work, kWork);
  CompactPathPlaceholders(work, target, capacity);
  return length > 0 ? length : 0;
}

void EnumEnvironmentVariables(EnvironmentVisitor visit, void* userData) {
  if (visit == nullptr) return;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return;
  for (const wchar_t* entry = block; *entry != 0; entry += wcslen(entry) + 1) {
    const wchar_t* equals = wcschr(entry + 1, L'=');
    if (entry[0] == L'=' || equals == nullptr) continue;
    wchar_t name[kWork];
    const int nameLength = static_cast<int>(equals - entry);
    if (nameLength >= kWork) continue;
    CopyWideString(entry, name, nameLength + 1);
    if (GuardedCall(1, [&] { return visit(name, equals + 1, userData); }) != 0) break;
  }
  FreeEnvironmentStringsW(block);
}
