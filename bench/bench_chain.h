// The chain of the benchmarks that run the preview: its steps freed, or replaced by steps made from their texts.
#pragma once
#include <initializer_list>

#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "views/item_list.h"

inline void ClearBenchChain() {
  ItemListControl* chain = g_app->chainList;
  for (uint32_t i = 0; i < ItemStoreCount(&chain->rows); ++i) FreeStepInstanceCallback(ItemStoreGet(&chain->rows, i));
  ItemStoreReset(&chain->rows);
}

inline void SetBenchChain(std::initializer_list<const wchar_t*> steps) {
  ClearBenchChain();
  for (const wchar_t* step : steps) InsertStepIntoList(CreateModuleFromText(step), -1, true);
}
