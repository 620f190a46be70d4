// The preview of one folder of 10 000 and of 100 000 files with a chain of two steps (Case upper, Ext "bak"),
// once with distinct new names and once with every second file taking its neighbour's new name; then with a
// chain of four steps that number, insert, substitute and insert the file date (Enum, Ins, Sbst, Date). Prints
// the times and the ratio t(100 000) / t(10 000); a pass that grows with the count stays near 10, one that
// compares every pair of rows near 100. Targets: ratios at most 12, and the four steps at most 3 times the time
// per file of the two.
#include <windows.h>

#include <cstdio>
#include <initializer_list>

#include "bench/bench_chain.h"
#include "bench/bench_lists.h"
#include "bench/best_time.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/text/packed_date.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

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
    // 2024-03-05 and one minute later for every file, so that the dates differ over the days.
    row.info.lastWriteTime = UInt64ToFileTime(133540000000000000ULL + i * 60ULL * kFileTimeUnitsPerSecond);
    ItemStoreAppend(&files->rows, &row, row.length);
  }
}

// Every pass starts again from the current names.
double SecondsOfPreview(ItemListControl* files, uint32_t count, bool colliding) {
  FillFolder(files, count, colliding);
  return BestSecondsOf(5, ComputeNewNames);
}

// The seconds of the preview of 100 000 files.
double Measure(ItemListControl* files, bool colliding) {
  const double small = SecondsOfPreview(files, 10000, colliding);
  const double large = SecondsOfPreview(files, 100000, colliding);
  std::printf("%-22s t(10 000) = %8.3f s   t(100 000) = %8.3f s   ratio = %6.2f   problems = %ld\n",
              colliding ? "half colliding names:" : "distinct names:", small, large, large / small,
              static_cast<long>(g_app->problemCount));
  return large;
}

}  // namespace

int main() {
  StartBenchPreview();
  SetBenchChain({L"<Case,n,2>", L"<Ext,\"bak\">"});
  std::printf("preview of one folder, chain: Case upper, Ext \"bak\" (target: ratio at most 12)\n");
  const double baseline = Measure(g_app->fileList, false);
  Measure(g_app->fileList, true);
  SetBenchChain({L"<Enum,n,0,1,1,6x0>", L"<Ins,n,r,0,\" copy\">", L"<Sbst,n,a,\"file\",\"doc\">",
            L"<Date,n,m,0,\"yyyy.MM.dd \">"});
  std::printf("chain: Enum, Ins, Sbst, Date (targets: ratio at most 12, time per file at most 3 x the above)\n");
  const double modules = Measure(g_app->fileList, false);
  std::printf("time per file of 100 000: Enum, Ins, Sbst, Date / Case, Ext = %6.2f\n", modules / baseline);
  EndBenchPreview();
  return 0;
}
