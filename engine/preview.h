// The preview: every listed file's new name, computed by running the checked steps of the chain, in chain
// order, over its current name; names no file system can hold are marked, duplicates within a folder get
// numbered variants, and the number of names left unusable is the problem count in AppState, which refuses
// the rename run while it is not 0.
//
// A pass runs on the GUI thread (another thread's call is sent there), except the pass of a busy job's worker
// (a folder listing at its end), which runs on the worker with the job's progress and Stop. A pass that would
// hold the GUI thread long (a long chain over many files, or steps that read every file) after a chain change,
// a job's end or a reorder runs as a job of its own. Two passes never meet in the same steps: while a job is
// busy, chain changes and their passes wait for its end.
#pragma once
#include <cstdint>

#include "foundation/files/paths.h"

struct FileListRow;
struct ModuleInstance;

// Every change of the chain comes here. Marks the chain as changed by `increment` when it was unchanged (0
// only recomputes), then, unless recomputation is suspended or there is no chain list yet, recomputes the
// preview, repaints the file list and updates the status bar's problem notice. While a run or a listing is
// busy the preview waits for RunDeferredPreview: a run must not see its new names change under it.
void MarkSettingsChanged(int increment);

// Called whenever a job ends (any thread): shows a chain change that came while the job was busy, which the
// job's own preview pass may have missed.
void RunDeferredPreview();
// A pass over every row that is about to begin reads the chain as it is now: it answers every change deferred
// before it, which RunDeferredPreview would otherwise show by a second pass at the job's end.
void ForgetDeferredPreview();

// The preview pass over every file-list row. Also called at the end of a folder listing and by the commands
// that change the file list or the filter. On a busy job's worker a Stop that comes after the job's first pass
// began ends the pass: the rows it did not reach keep their current names.
// After a run that stopped on an error, the rows it renamed keep their names; the steps still pass over them
// under the names they had before that run (its undo pairs hold them), so that the steps that count files (a
// counter, the lines of a list) give the rows not yet renamed the names of the pass the run was started from.
void ComputeNewNames();

// The duplicate numbering assumes that the list order is the renaming order: whatever reorders the file list
// (sorting, keeping only the selected rows) calls this afterwards. Recomputes, repaints and updates the
// problem notice; nothing while recomputation is suspended.
void RecomputeAfterReorder();

// Around the insertion of many steps (loading a chain): no preview until ResumeRecomputation, after which the
// caller runs MarkSettingsChanged(0) once.
void SuspendRecomputation();
void ResumeRecomputation();

// Prepares the checked steps among the first `count` of the chain and applies them in order to `name`, with
// what they ask of the file row (null: nothing). 0; when a step could not do its part the walk ends there,
// the name as the step before left it: 111 when the step's result no longer fitted `capacity`, 1627 when the
// step or the walk failed; 8 without memory. A step that fails for the file (a value it lacks) leaves the name
// as the step before made it and the walk goes on.
int ApplyChainToName(int count, const FileListRow* row, wchar_t* name, int capacity);

// What the steps' apply operations receive about one file. The full path is built the first time a step asks.
struct FileContext {
  const FileListRow* row;
  int pathState;  // 0 not built yet, 1 built, -1 not available
  wchar_t path[kLongPathCapacity];
};

void InitFileContext(FileContext* context, const FileListRow* row);

// The context a step asks for by its flags: the file's full path (GetRowFullPath; null when the folder is
// unknown or the path does not fit), its FileInfo, or null.
const void* GetStepContext(const ModuleInstance* step, FileContext* context);
