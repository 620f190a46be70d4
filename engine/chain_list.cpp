#include "engine/chain_list.h"

#include <cstring>

#include "engine/engine_hooks.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/jobs.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

namespace {

constexpr uint16_t kRowHeadBytes = 13;

const ChainListRow* ChainRowAt(int n) {
  const ItemListControl* chain = AppChainList();
  if (chain == nullptr || n < 0) return nullptr;
  return reinterpret_cast<const ChainListRow*>(ItemStoreGet(&chain->rows, static_cast<uint32_t>(n)));
}

// The description gets all but one character at most, so the comment always has room for its terminator.
void BuildChainRow(ModuleInstance* settings, uint8_t state, ChainListRow* row) {
  memset(row, 0, sizeof *row);
  row->state = state;
  row->settings = settings;
  DescribeModuleInstance(settings, row->text, kChainTextCapacity - 1);
  const size_t description = WideLength(row->text) + 1;
  wchar_t* comment = row->text + description;
  GetModuleInstanceComment(settings, comment, kChainTextCapacity - static_cast<int>(description));
  CutAtLineBreak(comment);
  const size_t commentLine = WideLength(comment) + 1;
  row->descriptionLength = static_cast<uint16_t>(description);
  row->length = static_cast<uint16_t>(kRowHeadBytes + 2 * (description + commentLine));
}

// The text a chain row shows in its main column.
const wchar_t* RowDescription(const uint8_t* row) { return reinterpret_cast<const ChainListRow*>(row)->text; }

// A copy of the file list's focused row, when there is one and it has a name.
bool CopyFocusedFileRow(FileListRow* copy) {
  const ItemListControl* files = g_app->fileList;
  if (files == nullptr || files->focusedIndex < 0) return false;
  const uint8_t* row = ItemStoreGet(&files->rows, static_cast<uint32_t>(files->focusedIndex));
  if (row == nullptr) return false;
  uint16_t length = 0;
  memcpy(&length, row, sizeof length);
  memset(copy, 0, sizeof *copy);
  memcpy(copy, row, length < sizeof *copy ? length : sizeof *copy);
  copy->currentName[kFileNameCapacity - 1] = 0;
  return copy->currentName[0] != 0;
}

// The dialog may return another record than the row's; the row keeps the one stored last.
bool KeepEditedSettings(ModuleInstance* previous, ModuleInstance* edited, int n) {
  if (RefreshStepText(edited, n) != 0) {
    if (edited != previous) FreeModuleInstance(edited);
    return edited == previous;
  }
  if (edited != previous) FreeModuleInstance(previous);
  return true;
}

int EditStepWhileJobsHeldOff(HWND owner, int n) {
  ModuleInstance* settings = GetStepInstance(n);
  if (settings == nullptr) return 0;
  // A copy: the rows' block may move while the dialog runs.
  FileListRow sample;
  FileContext context;
  wchar_t sampleName[kApplyPartCapacity] = {};
  const bool hasSample = CopyFocusedFileRow(&sample);
  InitFileContext(&context, hasSample ? &sample : nullptr);
  if (hasSample) {
    CopyWideBounded(sample.currentName, sampleName, kApplyPartCapacity);
    ApplyChainToName(n, &sample, sampleName, kApplyPartCapacity);
  }
  ModuleInstance* edited = EditModuleInstance(owner, settings, GetStepContext(settings, &context), sampleName);
  if (edited == nullptr || !KeepEditedSettings(settings, edited, n)) return 0;
  MarkSettingsChanged(1);
  return 1;
}

}  // namespace

void InitStepBatch(StepBatch* batch) { RecordBufferInit(&batch->rows, true); }

bool AddToStepBatch(StepBatch* batch, ModuleInstance* settings, bool checked) {
  if (settings == nullptr) return false;
  ChainListRow row;
  BuildChainRow(settings, checked ? kRowChecked : 0, &row);
  return RecordBufferAppend(&batch->rows, &row, row.length) == 0;
}

uint32_t CountBatchSteps(const StepBatch* batch) { return RecordBufferCount(&batch->rows); }

bool ReplaceStepsByBatch(StepBatch* batch) {
  ItemListControl* chain = AppChainList();
  if (CountBatchSteps(batch) == 0) return true;
  // A job begun while a long load answered messages may be applying the steps that would be freed here; an
  // empty chain (the restore at start, beside the start's jobs) has none to free.
  if (CountSteps() != 0 && ChainChangesRefused()) return false;
  const bool stored = chain != nullptr && DeleteAllSteps() &&
                      ItemsViewAppendRecords(chain, RecordBufferData(&batch->rows),
                                             RecordBufferUsedBytes(&batch->rows), RowDescription) == 0;
  if (stored) RecordBufferReset(&batch->rows);
  return stored;
}

void FreeStepBatch(StepBatch* batch) {
  const uint8_t* rows = RecordBufferData(&batch->rows);
  for (uint32_t at = 0; at < RecordBufferUsedBytes(&batch->rows);) {
    const ChainListRow* row = reinterpret_cast<const ChainListRow*>(rows + at);
    FreeModuleInstance(row->settings);
    at += row->length;
  }
  RecordBufferDestroy(&batch->rows);
}

int InsertStepIntoList(ModuleInstance* settings, int position, bool checked) {
  ItemListControl* chain = AppChainList();
  if (chain == nullptr || settings == nullptr) return -1;
  ChainListRow row;
  BuildChainRow(settings, checked ? kRowChecked : 0, &row);
  return ItemsViewInsertRecord(chain, &row, position, row.text);
}

int RefreshStepText(ModuleInstance* settings, int n) {
  const ChainListRow* stored = ChainRowAt(n);
  if (stored == nullptr) return ERROR_INVALID_INDEX;
  ChainListRow row;
  BuildChainRow(settings, stored->state, &row);
  if (ItemsViewUpdateItem(AppChainList(), n, &row) == 1) return ERROR_TIMEOUT;
  InterlockedCompareExchange(&g_app->settingsChanged, 1, 0);
  InterlockedIncrement(&g_app->chainColumnFitCounter);
  return 0;
}

ModuleInstance* GetStepInstance(int n) {
  const ChainListRow* row = ChainRowAt(n);
  return row != nullptr ? row->settings : nullptr;
}

uint32_t CountSteps() {
  const ItemListControl* chain = AppChainList();
  return chain != nullptr ? ItemStoreCount(&chain->rows) : 0;
}

bool IsStepChecked(int n) {
  const ChainListRow* row = ChainRowAt(n);
  return row != nullptr && (row->state & kRowChecked) != 0;
}

bool DeleteAllSteps() {
  ItemListControl* chain = AppChainList();
  return chain != nullptr && ItemsViewDeleteItem(chain, -1, false) == 0;
}

void FreeStepInstanceCallback(uint8_t* row) {
  if (row == nullptr) return;
  ChainListRow* chainRow = reinterpret_cast<ChainListRow*>(row);
  FreeModuleInstance(chainRow->settings);
  chainRow->settings = nullptr;
}

bool ChainChangesRefused() { return g_app == nullptr || IsJobBusy(); }

int EditStep(HWND owner, int n) {
  // The dialog's OK writes the step in place, and a listing's preview reads it: none begins meanwhile.
  if (g_app == nullptr || !HoldOffJobs()) return 0;
  const int edited = EditStepWhileJobsHeldOff(owner, n);
  EndHoldingOffJobs();
  return edited;
}

void EditSelectedStep(HWND owner) {
  const ItemListControl* chain = AppChainList();
  if (chain == nullptr || GetStepInstance(chain->focusedIndex) == nullptr) return;
  EditStep(owner, chain->focusedIndex);
}

void MoveSelectedStep(HWND, int step) {
  ItemListControl* chain = AppChainList();
  if (chain == nullptr || ChainChangesRefused()) return;
  const int focused = chain->focusedIndex;
  const int moved = ItemsViewMoveFocus(chain, step);
  if (moved < 0 || moved == focused) return;
  UpdateMenuStatesHook();
  MarkSettingsChanged(1);
}
