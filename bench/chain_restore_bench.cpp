// Restoring a chain from section "QK" of the profile store, as the start does, into the program's real chain
// list (a shown window) beside an empty file list: chains of 100 and of 1 000 steps, against the bare parse of
// the same step texts in the same run, that is the chain's text read as a settings file's (ParseChainTextW:
// every step made and put into the chain list). The restore adds the profile read, the columns fitted to the
// texts and the preview. Prints the times, the ratio of each restore to its parse (target: at most 3) and
// t(1 000) / t(100) (target: at most 12; work per step that grows with the chain stays near 100). For scale, it
// also prints the time of making the steps alone (each text made into a step and freed, nothing shown).
// Then it loads settings files of 10 000 and of 100 000 steps as the open command does (the chain shown, then
// stored in section "QK"), and prints their times and t(100 000) / t(10 000) (target: at most 12, that is no
// pass over the whole chain per step).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/best_time.h"
#include "engine/chain_files.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/win32/column_layout.h"
#include "views/items_view.h"

namespace {

ColumnLayout g_chainColumns[] = {{5580, 150, 0, 0}, {41, 100, 1, 0}, {0, 0, 0, 0}};
ColumnLayout g_fileColumns[] = {{50, 150, 0, 0}, {51, 150, 1, 0}, {0, 0, 0, 0}};

std::wstring StepText(uint32_t i) {
  return i % 2 == 0 ? L"<Case,n," + std::to_wstring(1 + i % 4) + L">" : L"<Ext,\"e" + std::to_wstring(i) + L"\">";
}

void WriteChainSection(uint32_t steps) {
  ProfileDeleteSection(&g_settingsStore, kChainSection);
  for (uint32_t i = 0; i < steps; ++i) {
    const std::string key = "R" + std::to_string(i + 1);
    ProfileSetPath(&g_settingsStore, kChainSection, key.c_str(), StepText(i).c_str());
  }
}

double SecondsOfMakingSteps(uint32_t steps) {
  std::vector<std::wstring> texts;
  for (uint32_t i = 0; i < steps; ++i) texts.push_back(StepText(i));
  return BestSecondsOf(3, [&] {
    for (const std::wstring& text : texts) FreeModuleInstance(CreateModuleFromText(text.c_str()));
  });
}

double SecondsOfBareParse(uint32_t steps) {
  std::wstring text;
  for (uint32_t i = 0; i < steps; ++i) text += StepText(i) + L"\r\n";
  return BestSecondsOf(3, [&] {
    ParseChainTextW(text.c_str(), text.size());
    if (CountSteps() != steps) std::printf("parsed %u steps of %u\n", CountSteps(), steps);
  });
}

double SecondsOfRestore(uint32_t steps) {
  WriteChainSection(steps);
  return BestSecondsOf(3, [&] {
    RestoreModuleChain();
    if (CountSteps() != steps) std::printf("restored %u steps of %u\n", CountSteps(), steps);
  });
}

std::wstring WriteSettingsFile(const std::wstring& folder, uint32_t steps) {
  std::wstring text = L"\xFEFF";
  for (uint32_t i = 0; i < steps; ++i) text += StepText(i) + L"\r\n";
  const std::wstring path = folder + L"chain_restore_bench_" + std::to_wstring(steps) + L".zqr";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return path;
}

// Where a load of `steps` steps goes, piece by piece as LoadSettingsFile does them: the steps made from their
// texts, the chain list's rows built (descriptions and comments), the rows put into the chain list in one
// batch, the chain written to section "QK".
void PrintLoadParts(uint32_t steps) {
  std::vector<std::wstring> texts;
  for (uint32_t i = 0; i < steps; ++i) texts.push_back(StepText(i));
  std::vector<ModuleInstance*> made(steps);
  double start = Seconds();
  for (uint32_t i = 0; i < steps; ++i) made[i] = CreateModuleFromText(texts[i].c_str());
  const double make = Seconds() - start;
  StepBatch batch;
  InitStepBatch(&batch);
  start = Seconds();
  for (ModuleInstance* step : made) AddToStepBatch(&batch, step, true);
  const double rows = Seconds() - start;
  start = Seconds();
  ReplaceStepsByBatch(&batch);
  const double fill = Seconds() - start;
  FreeStepBatch(&batch);
  InterlockedExchange(&g_app->settingsChanged, 1);
  start = Seconds();
  SaveModuleChainToSettings();
  const double save = Seconds() - start;
  std::printf("load of %u steps in parts: steps made %.4f s, rows built %.4f s, chain list filled %.4f s, "
              "section QK written %.4f s\n",
              steps, make, rows, fill, save);
}

double SecondsOfLoadingFile(const std::wstring& folder, uint32_t steps) {
  const std::wstring path = WriteSettingsFile(folder, steps);
  const double seconds = BestSecondsOf(5, [&] {
    // A chain that differs from the one stored, so that every load writes section "QK" anew.
    ParseChainTextW(L"<Case,n,1>", 10);
    if (LoadSettingsFile(nullptr, path.c_str()) != 0 || CountSteps() != steps)
      std::printf("loaded %u steps of %u\n", CountSteps(), steps);
  });
  DeleteFileW(path.c_str());
  return seconds;
}

}  // namespace

int main() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring profile = std::wstring(folder) + L"chain_restore_bench.ini";
  DeleteFileW(profile.c_str());
  ProfileStoreConstruct(&g_settingsStore, profile.c_str(), kProfileNoAutoLocation);
  g_app = static_cast<AppState*>(AllocZeroed(sizeof(AppState)));
  InitModuleDescriptors();
  // A plain window answers the lists' notifications with nothing, as a parent that asks for no texts.
  HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  g_app->chainList = CreateItemsViewWindow(parent, 0x5, 0x1004, kChainListId, g_chainColumns, nullptr, nullptr,
                                           FreeStepInstanceCallback, nullptr);
  g_app->fileList =
      CreateItemsViewWindow(parent, 0x201, 0, kFileListId, g_fileColumns, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(parent, SW_SHOWNORMAL);

  std::printf("restoring a chain from section QK (targets: restore / parse at most 3, "
              "t(1 000) / t(100) at most 12)\n");
  const double makeSmall = SecondsOfMakingSteps(100);
  const double makeLarge = SecondsOfMakingSteps(1000);
  const double parseSmall = SecondsOfBareParse(100);
  const double parseLarge = SecondsOfBareParse(1000);
  const double restoreSmall = SecondsOfRestore(100);
  const double restoreLarge = SecondsOfRestore(1000);
  std::printf("steps alone: t(100) = %8.4f s   t(1 000) = %8.4f s\n", makeSmall, makeLarge);
  std::printf("bare parse:  t(100) = %8.4f s   t(1 000) = %8.4f s\n", parseSmall, parseLarge);
  std::printf("restore:     t(100) = %8.4f s   t(1 000) = %8.4f s   t(1 000) / t(100) = %6.2f\n", restoreSmall,
              restoreLarge, restoreLarge / restoreSmall);
  std::printf("restore / parse: 100 steps %6.2f   1 000 steps %6.2f\n", restoreSmall / parseSmall,
              restoreLarge / parseLarge);
  const double loadSmall = SecondsOfLoadingFile(folder, 10000);
  const double loadLarge = SecondsOfLoadingFile(folder, 100000);
  PrintLoadParts(100000);
  std::printf("settings file: t(10 000) = %8.4f s   t(100 000) = %8.4f s   t(100 000) / t(10 000) = %6.2f "
              "(target: at most 12)\n",
              loadSmall, loadLarge, loadLarge / loadSmall);
  DestroyWindow(parent);
  ProfileStoreDestroy(&g_settingsStore);
  DeleteFileW(profile.c_str());
  return 0;
}
