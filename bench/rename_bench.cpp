// Renaming many files through the provider layer (VfsRename, with its provider choice, guard and
// verification) against a bare MoveFileExW loop with the same flags, in the same run on the same files.
// Prints both rates and their ratio for each file count; the target is a ratio of at most 1.3.
//
//   rename_bench.exe [count ...]      (default: 10000 100000)
//
// Files are spread over folders of 1000, so that the file system's lookups in one huge folder do not
// dominate what is measured. Each count is measured twice in alternating order (bare, provider, bare,
// provider), renaming the files back and forth.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "foundation/providers/providers.h"

namespace {

constexpr int kFilesPerFolder = 1000;
constexpr DWORD kRenameFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;

struct FileSet {
  std::wstring root;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> firstNames;
  std::vector<std::wstring> secondNames;
};

bool MakeFiles(int count, FileSet* set) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  set->root = std::wstring(temp) + L"qvrx-rename-bench-" + std::to_wstring(GetCurrentProcessId());
  if (!CreateDirectoryW(set->root.c_str(), nullptr)) return false;
  for (int i = 0; i < count; ++i) {
    if (i % kFilesPerFolder == 0) {
      set->folders.push_back(set->root + L"\\d" + std::to_wstring(i / kFilesPerFolder));
      if (!CreateDirectoryW(set->folders.back().c_str(), nullptr)) return false;
    }
    set->firstNames.push_back(set->folders.back() + L"\\file " + std::to_wstring(i) + L".txt");
    set->secondNames.push_back(set->folders.back() + L"\\renamed " + std::to_wstring(i) + L".txt");
    HANDLE file = CreateFileW(set->firstNames.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  return true;
}

void RemoveFiles(const FileSet& set) {
  for (size_t i = 0; i < set.firstNames.size(); ++i) {
    DeleteFileW(set.firstNames[i].c_str());
    DeleteFileW(set.secondNames[i].c_str());
  }
  for (const std::wstring& folder : set.folders) RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(set.root.c_str());
}

// Seconds for renaming every file from `from` to `to`; negative when a rename failed.
double TimeBareLoop(const std::vector<std::wstring>& from, const std::vector<std::wstring>& to) {
  const double start = Seconds();
  for (size_t i = 0; i < from.size(); ++i)
    if (!MoveFileExW(from[i].c_str(), to[i].c_str(), kRenameFlags)) return -1;
  return Seconds() - start;
}

double TimeProviderLoop(const std::vector<std::wstring>& from, const std::vector<std::wstring>& to) {
  const double start = Seconds();
  for (size_t i = 0; i < from.size(); ++i)
    if (VfsRename(nullptr, from[i].c_str(), to[i].c_str()) != 0) return -1;
  return Seconds() - start;
}

bool Measure(int count) {
  FileSet set;
  if (!MakeFiles(count, &set)) {
    std::printf("%d files: cannot make the files\n", count);
    RemoveFiles(set);
    return false;
  }
  double bare = 0, provider = 0;
  bool ok = true;
  for (int round = 0; round < 2 && ok; ++round) {
    const double bareTime = TimeBareLoop(set.firstNames, set.secondNames);
    const double providerTime = TimeProviderLoop(set.secondNames, set.firstNames);
    ok = bareTime >= 0 && providerTime >= 0;
    bare += bareTime;
    provider += providerTime;
  }
  RemoveFiles(set);
  if (!ok) {
    std::printf("%d files: a rename failed\n", count);
    return false;
  }
  const double renames = 2.0 * count;
  std::printf("%6d files: bare MoveFileExW %9.0f renames/s, VfsRename %9.0f renames/s, ratio %.3f (target <= 1.3)\n",
              count, renames / bare, renames / provider, provider / bare);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  InitFileSystemProviders();
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10000, 100000};
  bool ok = true;
  for (int count : counts) ok = Measure(count) && ok;
  ShutdownProviders();
  return ok ? 0 : 1;
}
