// The rename run of listed files (previewed with Case upper and Ext "bak") against a bare MoveFileExW loop that
// gives the same files the same names with the provider's flags, in the same run; then undo against the bare
// loop back. Prints the times and both ratios; target: the run at most 1.5 x the bare loop. The preview's own
// figures come from preview_bench.
//
//   rename_run_bench.exe [count [files per folder]]      (default: 10000 1000)
//
// Files are spread over folders, so that what is measured is not the file system's lookup of a name in one
// huge folder: under Wine every lookup of a name that does not exist reads the whole folder. The run makes
// no lookup of its own: it asks the system's rename not to replace an existing file, so it looks up each
// target once, as the bare loop does.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "bench/bench_clock.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "engine/rename_run.h"
#include "engine/undo.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/providers/providers.h"
#include "foundation/text/text_sizes.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

constexpr DWORD kRenameFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;

wchar_t g_root[MAX_PATH];
uint32_t g_perFolder = 1000;

void FolderPath(uint32_t folder, wchar_t* path) { swprintf(path, kPathCapacity, L"%ls\\d%u", g_root, folder); }

void FilePath(const wchar_t* pattern, uint32_t i, wchar_t* path) {
  wchar_t name[64];
  swprintf(name, 64, pattern, i);
  wchar_t folder[kPathCapacity];
  FolderPath(i / g_perFolder, folder);
  swprintf(path, kPathCapacity, L"%ls\\%ls", folder, name);
}

bool MakeFiles(uint32_t count) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  swprintf(g_root, MAX_PATH, L"%lsqvrx-run-bench-%lu", temp, GetCurrentProcessId());
  if (!CreateDirectoryW(g_root, nullptr)) return false;
  wchar_t path[kPathCapacity];
  for (uint32_t i = 0; i < count; ++i) {
    FolderPath(i / g_perFolder, path);
    if (i % g_perFolder == 0 && !CreateDirectoryW(path, nullptr)) return false;
    FilePath(L"file%05u.txt", i, path);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  return true;
}

void RemoveFiles(uint32_t count) {
  wchar_t path[kPathCapacity];
  for (uint32_t i = 0; i < count; ++i) {
    FilePath(L"file%05u.txt", i, path);
    DeleteFileW(path);
    FilePath(L"FILE%05u.bak", i, path);
    DeleteFileW(path);
  }
  for (uint32_t folder = 0; folder * g_perFolder < count; ++folder) {
    FolderPath(folder, path);
    RemoveDirectoryW(path);
  }
  RemoveDirectoryW(g_root);
}

// Undo goes from the last file to the first; its baseline does too.
double BareLoop(uint32_t count, const wchar_t* from, const wchar_t* to, bool lastFirst) {
  wchar_t oldPath[kPathCapacity];
  wchar_t newPath[kPathCapacity];
  const double start = Seconds();
  for (uint32_t n = 0; n < count; ++n) {
    const uint32_t i = lastFirst ? count - 1 - n : n;
    FilePath(from, i, oldPath);
    FilePath(to, i, newPath);
    if (!MoveFileExW(oldPath, newPath, kRenameFlags)) std::printf("bare rename %u failed\n", i);
  }
  return Seconds() - start;
}

ItemListControl* NewList() {
  ItemListControl* list = static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)));
  ItemStoreInit(&list->rows);
  ItemStoreInit(&list->pathPool);
  list->focusedIndex = -1;
  return list;
}

void ListFiles(ItemListControl* files, uint32_t count) {
  wchar_t path[kPathCapacity];
  uint32_t folder = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (i % g_perFolder == 0) {
      FolderPath(i / g_perFolder, path);
      folder = AddPooledPath(files, path, 0);
    }
    FileListRow row{};
    swprintf(row.currentName, kFileNameCapacity, L"file%05u.txt", i);
    row.length = FileListRowSize(wcslen(row.currentName));
    row.extensionAt = 9;
    row.folderIndex = static_cast<int32_t>(folder);
    row.info.attributes = FILE_ATTRIBUTE_ARCHIVE;
    ItemStoreAppend(&files->rows, &row, row.length);
  }
}

double TimedJob(bool (*start)(HWND)) {
  const double begin = Seconds();
  if (!start(nullptr)) return -1;
  while (g_app->busyCounter != 0) Sleep(1);
  return Seconds() - begin;
}

}  // namespace

int main(int argc, char** argv) {
  const uint32_t count = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 10000;
  if (argc > 2) g_perFolder = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  InitFileSystemProviders();
  InitModuleDescriptors();
  g_app->chainList = NewList();
  g_app->fileList = NewList();
  InsertStepIntoList(CreateModuleFromText(L"<Case,n,2>"), -1, true);
  InsertStepIntoList(CreateModuleFromText(L"<Ext,\"bak\">"), -1, true);
  if (count == 0 || g_perFolder == 0 || !MakeFiles(count)) {
    std::printf("cannot make %u files\n", count);
    return 1;
  }
  // Twice in alternating order, the best of each kept, so that the caches of the file system and other work
  // on the machine weigh alike on both sides.
  double bare = 1e30, bareBack = 1e30, run = 1e30, undo = 1e30;
  for (int round = 0; round < 2; ++round) {
    bare = std::min(bare, BareLoop(count, L"file%05u.txt", L"FILE%05u.bak", false));
    bareBack = std::min(bareBack, BareLoop(count, L"FILE%05u.bak", L"file%05u.txt", true));
    ListFiles(g_app->fileList, count);
    ComputeNewNames();
    run = std::min(run, TimedJob(StartRenameRun));
    undo = std::min(undo, TimedJob(StartUndo));
  }
  std::printf("rename of %u files, %u per folder, chain: Case upper, Ext \"bak\" (target: run at most 1.5 x bare)\n",
              count, g_perFolder);
  std::printf("bare MoveFileExW  %8.3f s   run   %8.3f s   ratio %5.2f   pairs left %d\n", bare, run, run / bare,
              static_cast<int>(g_app->undoPairCount));
  std::printf("bare back         %8.3f s   undo  %8.3f s   ratio %5.2f\n", bareBack, undo, undo / bareBack);
  RemoveFiles(count);
  ReleaseUndoList();
  DeleteAllSteps();
  ShutdownProviders();
  return 0;
}
