#include "engine/preview.h"

#include <cwchar>

#include "engine/chain_list.h"
#include "engine/duplicate_names.h"
#include "engine/engine_hooks.h"
#include "engine/module_table.h"
#include "engine/name_marks.h"
#include "engine/rename_run.h"
#include "engine/undo.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/jobs.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/core/threads.h"
#include "foundation/text/name_parts.h"
#include "foundation/ui/ui_text_ids.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

// The checked steps of the chain in chain order.
struct StepList {
  ModuleInstance** steps;
  uint32_t count;
  bool failed;  // no memory to list them
};

StepList CollectCheckedSteps(uint32_t limit) {
  StepList list{};
  const ItemListControl* chain = AppChainList();
  if (chain == nullptr) return list;
  const uint32_t rows = limit < ItemStoreCount(&chain->rows) ? limit : ItemStoreCount(&chain->rows);
  if (rows == 0) return list;
  list.steps = static_cast<ModuleInstance**>(AllocZeroed(rows * static_cast<uint32_t>(sizeof(ModuleInstance*))));
  list.failed = list.steps == nullptr;
  for (uint32_t i = 0; i < rows && !list.failed; ++i) {
    const ChainListRow* row = reinterpret_cast<const ChainListRow*>(ItemStoreGet(&chain->rows, i));
    if (row != nullptr && (row->state & kRowChecked) != 0 && row->settings != nullptr)
      list.steps[list.count++] = row->settings;
  }
  return list;
}

void PrepareSteps(const StepList& list) {
  for (uint32_t i = 0; i < list.count; ++i) PrepareModuleInstance(list.steps[i]);
}

// A step that passes a file over, or fails for it (a value its pattern names that the file lacks, with the
// step set to fail then), leaves the name as the step before made it, and the next steps still run. A step
// that could not do its part (a fault, a name that no longer fits) ends the walk: the name is unusable whatever
// follows. That step's result, or kStepApplied.
int ApplySteps(const StepList& list, FileContext* context, wchar_t* name, int capacity) {
  for (uint32_t i = 0; i < list.count; ++i) {
    ModuleInstance* step = list.steps[i];
    const int result = ApplyModuleToFileName(step, GetStepContext(step, context), name, capacity);
    if (result != kStepApplied && result != kStepLeftAlone) return result;
  }
  return kStepApplied;
}

// Why a name is marked after the walk, as the reason's UI text; 0 when the name can be used as far as the steps go.
int StepMarkReason(int walked, const wchar_t* name) {
  switch (walked) {
    case kStepFailed:
      return kTextStepFailed;
    case kStepNameTooLong:
      return kTextNameTooLong;
    default:
      return WideLength(name) > static_cast<size_t>(kMaxFileNameLength) ? kTextNameTooLong : 0;
  }
}

// The new name of one row. The steps work in a buffer far larger than a folder entry, so that a name too long
// for one is marked instead of cut.
void ComputeRowName(const StepList& list, FileListRow* row, const wchar_t* errorText) {
  wchar_t name[kApplyPartCapacity];
  CopyWideBounded(row->currentName, name, kApplyPartCapacity);
  FileContext context;
  InitFileContext(&context, row);
  const int reason = StepMarkReason(ApplySteps(list, &context, name, kApplyPartCapacity), name);
  if (reason == 0) {
    CopyWideBounded(name, row->newName, kFileNameCapacity);
  } else {
    WriteNameMark(errorText, reason, nullptr, row->newName, kFileNameCapacity);
  }
}

// How a pass runs: on the GUI thread, or as part of the job of the worker that calls it, with the job's
// progress display and its Stop.
struct PassRun {
  bool forJob;
};

// The Stops a job had seen when its worker's first pass began. A Stop during a listing's walk still leaves its
// rows previewed; a Stop during a pass ends that pass and the job's later ones. Every job runs on a thread of
// its own, so the count belongs to the job.
thread_local LONG t_stopsBeforeFirstPass = -1;

bool StoppedSincePassBegan() { return g_app->cancelCounter != t_stopsBeforeFirstPass; }

void NoteJobPassBegins(uint32_t rowCount) {
  if (t_stopsBeforeFirstPass < 0) t_stopsBeforeFirstPass = g_app->cancelCounter;
  ShowJobProgress(0, rowCount);
}

void ShowPassProgress(uint32_t done, uint32_t rowCount) {
  if (done * 100ull / rowCount != (done - 1) * 100ull / rowCount) ShowJobProgress(done, rowCount);
}

// A row the stopped pass did not reach, or one a stopped run renamed, keeps its name: the run leaves it alone.
void KeepCurrentName(FileListRow* row) { CopyWideBounded(row->currentName, row->newName, kFileNameCapacity); }

// The names that the rows a stopped run renamed had before it, read from the run's undo pairs (new path, old
// path), which hold every rename of the runs that went on in this list: a row's pair is the last one whose new
// path is the row's path. A row without one kept its name in the run.
struct NamesBeforeRun {
  PairsByNewPath index;
  wchar_t path[kLongPathCapacity];
};

void FindNamesBeforeRun(NamesBeforeRun* names) {
  const int32_t pairs = g_app->undoPairCount;
  names->index = {ListUndoPairTexts(g_app->undoList, pairs), pairs, nullptr, nullptr, true, {}, false};
  IndexPairsByNewPath(&names->index, static_cast<uint32_t>(pairs));
}

void FreeNamesBeforeRun(NamesBeforeRun* names) {
  FreePairsByNewPath(&names->index);
  FreeAndNull(&names->index.texts);
}

// The name the row had before the stopped run renamed it; its current name when the run did not rename it (or
// there was no memory to find out).
const wchar_t* NameBeforeRun(NamesBeforeRun* names, const FileListRow& row) {
  if (names == nullptr || names->index.texts == nullptr) return row.currentName;
  if (GetRowFullPath(AppFileList(), &row, names->path, kLongPathCapacity) != 0) return row.currentName;
  const int32_t pair = FindPairByNewPath(names->index, names->path);
  return pair >= 0 ? OldNameOfPair(names->index, pair) : row.currentName;
}

// A row a stopped run renamed keeps its name, but the steps still see it as the pass the run was started from
// saw it, under the name it had then: the steps that count files (a counter, the lines of a list) go on to the
// rows not yet renamed from where they were in that pass, and give those rows the names that pass gave them.
void PassSettledRow(const StepList& list, FileListRow* row, NamesBeforeRun* names) {
  wchar_t name[kApplyPartCapacity];
  CopyWideBounded(NameBeforeRun(names, *row), name, kApplyPartCapacity);
  FileContext context;
  InitFileContext(&context, row);
  ApplySteps(list, &context, name, kApplyPartCapacity);
  KeepCurrentName(row);
}

// Rows are redrawn a run at a time: whether a row is in view takes a look at the window, which from a worker goes
// through the system; row by row that slowed a listing's pass over 100 000 rows by a third.
constexpr uint32_t kRedrawRunRows = 1024;

void RedrawRunEndingAt(const ItemListControl* files, uint32_t row) {
  ItemsViewRedrawRange(files, static_cast<int>(row / kRedrawRunRows * kRedrawRunRows), static_cast<int>(row));
}

int ComputePass(ItemListControl* files, const StepList& list, uint32_t rowCount, const wchar_t* errorText,
                const PassRun& run) {
  if (run.forJob) NoteJobPassBegins(rowCount);
  PrepareSteps(list);
  // A row a stopped run renamed has its new name already: the steps again would rename it twice.
  const uint32_t settled = RowsSettledByStoppedRun(files);
  NamesBeforeRun* names = nullptr;
  if (settled > 0 && list.count > 0) {
    names = static_cast<NamesBeforeRun*>(AllocZeroed(sizeof(NamesBeforeRun)));
    if (names != nullptr) FindNamesBeforeRun(names);
  }
  bool stopped = false;
  for (uint32_t i = 0; i < rowCount; ++i) {
    if (FileListRow* row = reinterpret_cast<FileListRow*>(ItemStoreGet(&files->rows, i))) {
      stopped = stopped || (run.forJob && StoppedSincePassBegan());
      if (stopped) {
        KeepCurrentName(row);
      } else if (i < settled) {
        PassSettledRow(list, row, names);
      } else {
        ComputeRowName(list, row, errorText);
      }
      if (run.forJob) ShowPassProgress(i + 1, rowCount);
    }
    if ((i + 1) % kRedrawRunRows == 0 || i + 1 == rowCount) RedrawRunEndingAt(files, i);
  }
  if (names != nullptr) FreeNamesBeforeRun(names);
  FreeAndNull(&names);
  return MarkNamesWithInvalidChars(rowCount, errorText) + ResolveDuplicateNames(rowCount, errorText);
}

void StoreProblemCount(int problems) {
  if (InterlockedExchange(&g_app->problemCount, problems) != problems) UpdateMenuStatesHook();
}

LRESULT ComputeNewNamesHere(void* argument) {
  if (g_app == nullptr || g_app->fileList == nullptr) return 0;
  const PassRun& run = *static_cast<const PassRun*>(argument);
  ItemListControl* files = g_app->fileList;
  wchar_t errorText[kPreviewErrorTextCapacity];
  BuildPreviewErrorText(errorText, kPreviewErrorTextCapacity);
  const uint32_t rowCount = ItemStoreCount(&files->rows);
  StepList list = CollectCheckedSteps(UINT32_MAX);
  int problems = -1;
  if (!list.failed) problems = GuardedCall(-1, [&] { return ComputePass(files, list, rowCount, errorText, run); });
  FreeAndNull(&list.steps);
  // A pass that did not finish leaves names that no run may trust.
  StoreProblemCount(problems >= 0 ? problems : static_cast<int>(rowCount));
  return 0;
}

void ComputeAndShow() {
  GuardedCall(0, [] {
    ComputeNewNames();
    if (g_app->fileList != nullptr) ItemsViewRedrawItem(g_app->fileList, -1);
    UpdateProblemCountNoticeHook();
    return 0;
  });
}

// The work of a pass in units of about a third of a microsecond: a unit for each row, and for each checked
// step a unit a row, or kFileReadingStepWork when the step reads the file (it asks for the file's path).
constexpr uint64_t kFileReadingStepWork = 256;
constexpr uint64_t kLongPassWork = 1 << 18;

bool PassWouldBeLong() {
  const ItemListControl* files = AppFileList();
  if (files == nullptr) return false;
  StepList list = CollectCheckedSteps(UINT32_MAX);
  uint64_t perRow = 1;
  for (uint32_t i = 0; i < list.count; ++i)
    perRow += (GetModuleInstanceFlags(list.steps[i]) & kApplyNeedsPath) != 0 ? kFileReadingStepWork : 1;
  FreeAndNull(&list.steps);
  return perRow * ItemStoreCount(&files->rows) > kLongPassWork;
}

DWORD WINAPI ComputeAndShowJob(void*) {
  ComputeAndShow();
  EndExclusiveJob();
  return 0;
}

// A pass that would hold the GUI thread long runs as a job instead, with progress and Stop: a long chain over
// many files, or steps that read every file.
void RecomputeAndShow() {
  if (PassWouldBeLong() && StartExclusiveJob(ComputeAndShowJob, nullptr)) return;
  ComputeAndShow();
}

LRESULT RunDeferredPreviewHere(void*) {
  if (g_app == nullptr || IsJobBusy() || g_app->recomputationSuspended != 0) return 0;
  if (InterlockedExchange(&g_app->previewDeferred, 0) != 0) RecomputeAndShow();
  return 0;
}

}  // namespace

void MarkSettingsChanged(int increment) {
  if (g_app == nullptr) return;
  ForgetSettledRows();
  InterlockedCompareExchange(&g_app->settingsChanged, increment, 0);
  if (g_app->recomputationSuspended != 0 || g_app->chainList == nullptr) return;
  // A run reads the new names while it renames them; they must not change under it.
  if (IsJobBusy()) {
    InterlockedExchange(&g_app->previewDeferred, 1);
    return;
  }
  RecomputeAndShow();
}

void RunDeferredPreview() { RunOnGuiThread(RunDeferredPreviewHere, nullptr); }

void ForgetDeferredPreview() {
  if (g_app != nullptr) InterlockedExchange(&g_app->previewDeferred, 0);
}

void ComputeNewNames() {
  static PassRun onGuiThread{false};
  static PassRun forJob{true};
  const bool guiThread = OnGuiThread();
  // A job's worker (a listing at its end) computes the pass itself: the job holds the file list, whose rows
  // move only on the GUI thread, and no other pass runs while a job is busy.
  if (IsJobBusy() && !guiThread) {
    ComputeNewNamesHere(&forJob);
    return;
  }
  RunOnGuiThread(ComputeNewNamesHere, &onGuiThread);
}

void RecomputeAfterReorder() {
  if (g_app == nullptr || g_app->recomputationSuspended != 0) return;
  RecomputeAndShow();
}

void SuspendRecomputation() {
  if (g_app != nullptr) InterlockedIncrement(&g_app->recomputationSuspended);
}

void ResumeRecomputation() {
  if (g_app == nullptr) return;
  if (InterlockedDecrement(&g_app->recomputationSuspended) < 0) InterlockedIncrement(&g_app->recomputationSuspended);
}

int ApplyChainToName(int count, const FileListRow* row, wchar_t* name, int capacity) {
  if (name == nullptr || capacity <= 0) return ERROR_INVALID_PARAMETER;
  StepList list = CollectCheckedSteps(count > 0 ? static_cast<uint32_t>(count) : 0);
  if (list.failed) return ERROR_NOT_ENOUGH_MEMORY;
  FileContext context;
  InitFileContext(&context, row);
  const int walked = GuardedCall(static_cast<int>(kStepFailed), [&] {
    PrepareSteps(list);
    return ApplySteps(list, &context, name, capacity);
  });
  FreeAndNull(&list.steps);
  switch (walked) {
    case kStepApplied:
      return 0;
    case kStepNameTooLong:
      return ERROR_BUFFER_OVERFLOW;
    default:
      return ERROR_FUNCTION_FAILED;
  }
}

void InitFileContext(FileContext* context, const FileListRow* row) {
  context->row = row;
  context->pathState = 0;
  context->path[0] = 0;
}

const void* GetStepContext(const ModuleInstance* step, FileContext* context) {
  if (context == nullptr || context->row == nullptr) return nullptr;
  const int32_t flags = GetModuleInstanceFlags(step);
  if ((flags & kApplyNeedsPath) != 0) {
    if (context->pathState == 0) {
      const int built = GetRowFullPath(AppFileList(), context->row, context->path, kLongPathCapacity);
      context->pathState = built == 0 ? 1 : -1;
    }
    return context->pathState > 0 ? context->path : nullptr;
  }
  if ((flags & kApplyNeedsFileInfo) != 0) return &context->row->info;
  return nullptr;
}
