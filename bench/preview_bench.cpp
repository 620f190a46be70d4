// The preview of one folder of 10 000 and of 100 000 files with a chain of two steps (Case upper, Ext "bak"),
// once with distinct new names and once with every second file taking its neighbour's new name. Prints the
// times and the ratio t(100 000) / t(10 000); a pass that grows with the count stays near 10, one that
// compares every pair of rows near 100. Target: at most 12.
#include <windows.h>

#include <cstdio>

#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/app_state.h"
#include "foundation/item_store.h"
#include "foundation/memory.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"
#include "views/path_pool.h"

namespace {

ItemListControl* NewList() {
  ItemListControl* list = static_cast<ItemListControl*>(AllocZeroed(sizeof(ItemListControl)));
  ItemStoreInit(&list->rows);
  ItemStoreInit(&list->pathPool);
  list->focusedIndex = -1;
  list->rows.buffer.growHere = 1;
  return list;
}

void FreeList(ItemListControl* list) {
  ItemStoreDestroy(&list->rows);
  ItemStoreDestroy(&list->pathPool);
  FreeAndNull(&list);
}

// Distinct names: file000001.txt, ... Colliding names: pairs photo000001.jpg and photo000001.png, which the
// Ext step turns into one name.
void FillFolder(ItemListControl* files, uint32_t count, bool colliding) {
  ItemStoreReset(&files->rows);
  ItemStoreReset(&files->pathPool);
  const uint32_t folder = AddPooledPath(files, L"C:\\bench", 0);
  for (uint32_t i = 0; i < count; ++i) {
    FileListRow row{};
    if (colliding) {
      swprintf(row.currentName, kFileNameCapacity, L"photo%06u.%ls", i / 2, i % 2 == 0 ? L"jpg" : L"png");
    } else {
      swprintf(row.currentName, kFileNameCapacity, L"file%06u.txt", i);
    }
    row.length = FileListRowSize(wcslen(row.currentName));
    row.folderIndex = static_cast<int32_t>(folder);
    row.info.attributes = FILE_ATTRIBUTE_ARCHIVE;
    ItemStoreAppend(&files->rows, &row, row.length);
  }
}

// The best of a few passes over the same rows (every pass starts again from the current names), so that
// other work on the machine does not decide the ratio.
double SecondsOfPreview(ItemListControl* files, uint32_t count, bool colliding) {
  constexpr int kPasses = 5;
  FillFolder(files, count, colliding);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double best = 1e30;
  for (int pass = 0; pass < kPasses; ++pass) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    ComputeNewNames();
    QueryPerformanceCounter(&end);
    const double seconds =
        static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (seconds < best) best = seconds;
  }
  return best;
}

void Measure(ItemListControl* files, bool colliding) {
  const double small = SecondsOfPreview(files, 10000, colliding);
  const double large = SecondsOfPreview(files, 100000, colliding);
  std::printf("%-22s t(10 000) = %8.3f s   t(100 000) = %8.3f s   ratio = %6.2f   problems = %ld\n",
              colliding ? "half colliding names:" : "distinct names:", small, large, large / small,
              static_cast<long>(g_app->problemCount));
}

}  // namespace

int main() {
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  InitModuleDescriptors();
  g_app->chainList = NewList();
  g_app->fileList = NewList();
  InsertStepIntoList(CreateModuleFromText(L"<Case,n,2>"), -1, true);
  InsertStepIntoList(CreateModuleFromText(L"<Ext,\"bak\">"), -1, true);
  std::printf("preview of one folder, chain: Case upper, Ext \"bak\" (target: ratio at most 12)\n");
  Measure(g_app->fileList, false);
  Measure(g_app->fileList, true);
  for (uint32_t i = 0; i < ItemStoreCount(&g_app->chainList->rows); ++i)
    FreeStepInstanceCallback(ItemStoreGet(&g_app->chainList->rows, i));
  FreeList(g_app->chainList);
  FreeList(g_app->fileList);
  FreeAndNull(&g_app);
  return 0;
}
