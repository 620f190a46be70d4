// The preview of one folder of 10 000 files with one search step, against the chain Case upper + Ext "bak" on
// the same rows in the same run: a RegEx step (\s+of\s+ -> " - "), and a CSV lookup step over a list of
// 10 000 lines that names every file. Prints the times and the ratios to the baseline. Target: each ratio at
// most 3, which a lookup that walks the list for every file (10 000 x 10 000 comparisons) cannot meet.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_lists.h"
#include "bench/best_time.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

constexpr uint32_t kFiles = 10000;

void ListFiles(ItemListControl* files) {
  const uint32_t folder = AddPooledPath(files, L"C:\\bench", 0);
  for (uint32_t i = 0; i < kFiles; ++i) {
    FileListRow row{};
    swprintf(row.currentName, kFileNameCapacity, L"Track %05u of album %u.mp3", i, i % 97);
    row.length = FileListRowSize(wcslen(row.currentName));
    row.folderIndex = static_cast<int32_t>(folder);
    row.info.attributes = FILE_ATTRIBUTE_ARCHIVE;
    ItemStoreAppend(&files->rows, &row, row.length);
  }
}

// A list that gives every file a new name, its lines in another order than the files.
std::wstring WriteLookupList() {
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, path);
  wcscat(path, L"search_steps_bench.csv");
  std::string text;
  char line[128];
  for (uint32_t n = 0; n < kFiles; ++n) {
    const uint32_t i = (n * 7919) % kFiles;
    snprintf(line, sizeof line, "track %05u of album %u.MP3;%u - renamed.mp3\r\n", i, i % 97, i);
    text += line;
  }
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

void ReplaceChain(const std::wstring& steps) {
  DeleteAllSteps();
  for (size_t begin = 0; begin < steps.size();) {
    const size_t end = steps.find(L'>', begin) + 1;
    InsertStepIntoList(CreateModuleFromText(steps.substr(begin, end - begin).c_str()), -1, true);
    begin = end;
  }
}

double SecondsOfPreview(const std::wstring& steps) {
  ReplaceChain(steps);
  return BestSecondsOf(5, ComputeNewNames);
}

}  // namespace

int main() {
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  InitModuleDescriptors();
  g_app->chainList = NewBenchList();
  g_app->chainList->creation.deleteItem = FreeStepInstanceCallback;
  g_app->fileList = NewBenchList();
  ListFiles(g_app->fileList);
  const std::wstring list = WriteLookupList();
  const double baseline = SecondsOfPreview(L"<Case,n,2><Ext,\"bak\">");
  const double regex = SecondsOfPreview(L"<RegEx,n,\"\\s+of\\s+\",\" - \">");
  const double lookup = SecondsOfPreview(L"<CSV," + list + L">");
  std::printf("preview of 10 000 files (target: each ratio at most 3)\n");
  std::printf("Case upper + Ext \"bak\":          %8.3f s\n", baseline);
  std::printf("RegEx \\s+of\\s+ -> \" - \":        %8.3f s   ratio = %5.2f\n", regex, regex / baseline);
  std::printf("CSV lookup, 10 000-line list:    %8.3f s   ratio = %5.2f   problems = %ld\n", lookup,
              lookup / baseline, static_cast<long>(g_app->problemCount));
  DeleteAllSteps();
  DeleteFileW(list.c_str());
  FreeBenchList(g_app->chainList);
  FreeBenchList(g_app->fileList);
  FreeAndNull(&g_app);
  return 0;
}
