// The state of the benchmarks that run the preview: the state block with its two lists, and the chain, its
// steps freed or replaced by steps made from their texts.
#pragma once
#include <initializer_list>

#include "bench/bench_lists.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "views/items_view.h"

inline void ClearBenchChain() {
  ItemListControl* chain = g_app->chainList;
  for (uint32_t i = 0; i < ItemStoreCount(&chain->rows); ++i) FreeStepInstanceCallback(ItemStoreGet(&chain->rows, i));
  ItemStoreReset(&chain->rows);
}

inline void SetBenchChain(std::initializer_list<const wchar_t*> steps) {
  ClearBenchChain();
  for (const wchar_t* step : steps) InsertStepIntoList(CreateModuleFromText(step), -1, true);
}

// The state block and the two lists of a benchmark that runs the preview, and their end.
inline void StartBenchPreview() {
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  InitModuleDescriptors();
  g_app->chainList = NewBenchList();
  g_app->fileList = NewBenchList();
}

inline void EndBenchPreview() {
  ClearBenchChain();
  FreeBenchList(g_app->chainList);
  FreeBenchList(g_app->fileList);
  FreeAndNull(&g_app);
}
