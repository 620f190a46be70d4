// Listing one folder of 100 000 files into the file list, the first time into a new list (its store takes all
// the rows' bytes anew) and then again, with the filter off and with a mask filter on, against a bare
// FindFirstFileExW loop over the same folder in the same run. Prints the times, their ratio
// and the bytes the rows take against the row size formula (581 bytes plus two per name character).
// Target: at most twice the bare loop.
//
// Then the listing with what follows it (sort by name descending, preview of two steps and a step that counts
// the passes, problem notice), as the program runs it, against the former sequence in the same run: preview,
// sort, and the preview once more when the sort moved rows. Prints the preview passes per listing and the times
// of both, and their ratio.
//
// Usage: listing_bench [folder]. Without a folder the program makes one of 100 000 empty files in the
// temporary folder and removes it afterwards; with one, it lists the files already there. Under Wine, making
// the files through the system takes many minutes (each new name is looked up in the whole folder), so make
// them outside: mkdir /tmp/lb && (cd /tmp/lb && seq -f "f%06g.txt" 100000 | xargs touch), then
// listing_bench Z:\tmp\lb
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "bench/bench_chain.h"
#include "bench_folder.h"
#include "engine/file_list_fields.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/providers/providers.h"
#include "foundation/win32/system_functions.h"
#include "shell/main_lists.h"
#include "shell/status_notices.h"
#include "views/file_filter.h"
#include "views/file_list_columns.h"
#include "views/file_list_row.h"
#include "views/filter_text_form.h"
#include "views/folder_listing.h"
#include "views/items_view.h"
#include "views/list_operations.h"
#include "views/status_bar.h"
#include "views/view_hooks.h"

namespace {

constexpr uint32_t kFileCount = 100000;
constexpr int kPasses = 3;
// The descriptor table's spare slot, for the step that counts the preview passes.
constexpr uint32_t kCountingModule = 21;

// Every preview pass prepares each checked step once.
unsigned g_previewPasses = 0;

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Names of 8 to 14 characters; every fourth file is a .txt file.
void MakeName(uint32_t i, wchar_t* name, int capacity) {
  static const wchar_t* const kExtensions[] = {L"txt", L"jpg", L"doc", L"mp3"};
  swprintf(name, capacity, L"f%0*u.%ls", 4 + static_cast<int>(i % 7), i, kExtensions[i % 4]);
}

bool MakeFolder(const wchar_t* folder) {
  if (!CreateDirectoryW(folder, nullptr)) return false;
  wchar_t path[MAX_PATH], name[64];
  for (uint32_t i = 0; i < kFileCount; ++i) {
    MakeName(i, name, 64);
    swprintf(path, MAX_PATH, L"%ls\\%ls", folder, name);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  return true;
}

void RemoveFolder(const wchar_t* folder) {
  wchar_t path[MAX_PATH], name[64];
  for (uint32_t i = 0; i < kFileCount; ++i) {
    MakeName(i, name, 64);
    swprintf(path, MAX_PATH, L"%ls\\%ls", folder, name);
    DeleteFileW(path);
  }
  RemoveDirectoryW(folder);
}

double BareLoop(const wchar_t* folder, uint32_t* count) {
  wchar_t pattern[MAX_PATH];
  swprintf(pattern, MAX_PATH, L"%ls\\*.*", folder);
  const double start = Now();
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW(pattern, FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  *count = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++*count;
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  return Now() - start;
}

double Listing(const wchar_t* folder) {
  const double start = Now();
  ReloadFileList(folder);
  return Now() - start;
}

// The first listing of a run: into a new list, whose stores have no block yet.
double FirstListing(const wchar_t* folder) {
  FreeBenchList(g_app->fileList);
  g_app->fileList = NewBenchList();
  g_app->fileList->idle = 1;
  return Listing(folder);
}

template <typename Measure>
double Best(Measure measure) {
  double best = 1e30;
  for (int pass = 0; pass < kPasses; ++pass) {
    const double seconds = measure();
    if (seconds < best) best = seconds;
  }
  return best;
}

uint64_t FormulaBytes(const ItemListControl* list) {
  uint64_t bytes = 0;
  for (uint32_t i = 0; i < ItemStoreCount(&list->rows); ++i) {
    const auto* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&list->rows, i));
    bytes += FileListRowSize(wcslen(row->currentName));
  }
  return bytes;
}

void AddCountingStep() {
  ModuleDescriptor& counter = g_moduleDescriptors[kCountingModule];
  counter.createSettings = [](const wchar_t* text) {
    return text == nullptr ? static_cast<ModuleInstance*>(AllocZeroed(sizeof(ModuleInstance))) : nullptr;
  };
  counter.prepare = [](ModuleInstance*) { ++g_previewPasses; };
  counter.apply = [](ModuleApplyRecord*) { return 0; };
  counter.freeSettings = FreeModuleInstanceMemory;
  InsertStepIntoList(CreateDefaultModule(kCountingModule), -1, true);
}

void FormerFollowUps(ItemListControl* list, const wchar_t* folder) {
  ComputeNewNames();
  const LONG changesBeforeSort = list->rows.changes;
  SortFileListRows(list, folder);
  if (list->rows.changes != changesBeforeSort) ComputeNewNames();
  UpdateProblemCountNotice();
  LoadFileListFieldValues(folder);
}

struct FollowUpFigures {
  double seconds;
  double passesPerListing;
};

FollowUpFigures MeasureFollowUps(void (*followUps)(ItemListControl*, const wchar_t*), const wchar_t* folder) {
  g_viewHooks.listingEnded = followUps;
  g_previewPasses = 0;
  const double seconds = Best([&] { return Listing(folder); });
  g_viewHooks.listingEnded = nullptr;
  return {seconds, static_cast<double>(g_previewPasses) / kPasses};
}

void ReportFollowUps(const wchar_t* folder) {
  SetBenchChain({L"<Case,n,2>", L"<Ext,\"bak\">"});
  AddCountingStep();
  g_app->fileList->creation.sortKey = FileListSortKey;
  g_app->fileList->sortKey = kSortByName;
  g_app->fileList->sortDirection = 1;
  const FollowUpFigures former = MeasureFollowUps(FormerFollowUps, folder);
  const FollowUpFigures one = MeasureFollowUps(RunListingFollowUps, folder);
  std::printf("listing and follow-ups (sorted by name descending, two steps):\n");
  std::printf("  former sequence        %7.3f s   preview passes per listing %.1f\n", former.seconds,
              former.passesPerListing);
  std::printf("  one sequence           %7.3f s   preview passes per listing %.1f   ratio %5.2f\n", one.seconds,
              one.passesPerListing, one.seconds / former.seconds);
}

void Report(const char* label, double listing, double bare, const ItemListControl* list) {
  std::printf("%-22s listing %7.3f s   bare loop %7.3f s   ratio %5.2f   rows %6u   row bytes %9u (formula %9llu)\n",
              label, listing, bare, listing / bare, ItemStoreCount(&list->rows),
              RecordBufferUsedBytes(&list->rows.buffer), static_cast<unsigned long long>(FormulaBytes(list)));
}

}  // namespace

int main() {
  StartBenchPreview();
  ItemListControl* list = g_app->fileList;
  list->idle = 1;
  InitStatusBar(&g_statusBar, nullptr);
  InitOptionalKernelFunctions();
  InitFileSystemProviders();

  wchar_t folder[MAX_PATH];
  const bool ownFolder = ChooseBenchFolder(L"qvrx-listing-bench", folder);
  if (ownFolder && !MakeFolder(folder)) {
    std::printf("could not create %u files\n", kFileCount);
    RemoveFolder(folder);
    return 1;
  }
  uint32_t files = 0;
  const double bare = Best([&] { return BareLoop(folder, &files); });
  std::printf("%u files; bare FindFirstFileExW loop %.3f s\n", files, bare);

  Report("first, new list:", Best([&] { return FirstListing(folder); }), bare, g_app->fileList);
  list = g_app->fileList;
  Report("filter off:", Best([&] { return Listing(folder); }), bare, list);
  ParseFilterDefinition(AppFilter(), "\"+*.txt;*.doc\";-f00*");
  SetOptionBits(kOptionFilterApplied, true);
  Report("mask filter on:", Best([&] { return Listing(folder); }), bare, list);
  SetOptionBits(kOptionFilterApplied, false);
  ReportFollowUps(folder);

  if (ownFolder) RemoveFolder(folder);
  ShutdownProviders();
  DestroyStatusBar(&g_statusBar);
  EndBenchPreview();
  return 0;
}
