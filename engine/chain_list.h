// The chain: the ordered rename steps in the chain list (an ItemListControl with check boxes). Each row owns
// its step's settings record; a checked row is an active step. The operations that edit steps are here.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "engine/module_table.h"
#include "foundation/core/record_buffer.h"

// Characters the description and the comment of a row share, terminators included.
constexpr int kChainTextCapacity = 2048;

#pragma pack(push, 1)
// Stored only as long as its texts: 13 bytes, then the description and the comment's first line, each
// zero-terminated.
struct ChainListRow {
  uint16_t length;
  uint8_t state;  // kRowFocused, kRowSelected, kRowChecked
  ModuleInstance* settings;
  uint16_t descriptionLength;  // characters, terminator included
  wchar_t text[kChainTextCapacity];
};
#pragma pack(pop)
static_assert(offsetof(ChainListRow, settings) == 3, "ChainListRow layout");
static_assert(offsetof(ChainListRow, text) == 13, "ChainListRow layout");
static_assert(sizeof(ChainListRow) == 4109, "a chain-list row is at most 4109 bytes");

// Inserts a row for the step at `position` (-1 or beyond the end: at the end), checked when asked. The row's
// index, after which the row owns the settings; -1 when it could not be stored (the caller keeps them).
int InsertStepIntoList(ModuleInstance* settings, int position, bool checked);

// Steps made to be added at once (a restored chain, a loaded settings file): their rows gathered back to back,
// so that the chain list stores them under one lock and lays itself out once, however many there are.
struct StepBatch {
  RecordBuffer rows;
};
void InitStepBatch(StepBatch* batch);
// Adds a row for the step, checked when asked; the batch then owns the settings. False when the row could not
// be added (the caller keeps the settings).
bool AddToStepBatch(StepBatch* batch, ModuleInstance* settings, bool checked);
// Number of steps in the batch.
uint32_t CountBatchSteps(const StepBatch* batch);
// Empties the chain and puts the batch's steps in their place; an empty batch leaves the chain as it is. True
// when the steps are in the chain (which owns them from then on); false when the chain could not be emptied or
// the rows stored, and the steps then stay in the batch.
bool ReplaceStepsByBatch(StepBatch* batch);
// Frees the rows and the settings of the steps the batch still holds.
void FreeStepBatch(StepBatch* batch);

// Rebuilds row n for `settings` (its state is kept), stores the pointer in it, marks the chain as changed and
// asks for the chain list's columns to be fitted again. 0; 1413 without row n; 1460 when the row could not be
// written (it then stays as it was).
int RefreshStepText(ModuleInstance* settings, int n);

// The settings of step n, or null.
ModuleInstance* GetStepInstance(int n);

// Number of steps in the chain list; 0 without one.
uint32_t CountSteps();

// True when step n exists and its check box is set (the step is active).
bool IsStepChecked(int n);

// Empties the chain list; each row's step goes with it through the list's deletion callback. False when the
// rows could not be had (they stay).
bool DeleteAllSteps();

// The chain list's deletion callback: frees the step a removed row owns.
void FreeStepInstanceCallback(uint8_t* row);

// True while the chain must not change: a rename run, an undo or a listing is busy and reads the new names.
// Commands that change the chain ask first.
bool ChainChangesRefused();

// Lets the user edit step n in its module's dialog, with the file list's focused file as the sample, named as
// the steps before n leave it. On confirmation the row takes the settings the dialog returns (a replaced
// record is freed) and the preview is recomputed. 1 when the user confirmed, else 0 (also while busy).
int EditStep(HWND owner, int n);

// EditStep on the chain list's focused row; nothing without one.
void EditSelectedStep(HWND owner);

// Commands IDM_STEP_UP and IDM_STEP_DOWN: moves the chain list's focused step one place up (step -1) or down (+1);
// when it moved, the menu states are refreshed and the chain marked as changed. Nothing without a focused step or
// while busy.
void MoveSelectedStep(HWND owner, int step);
