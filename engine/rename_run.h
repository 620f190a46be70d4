// The rename run: every listed file gets, on disk, exactly the new name the preview shows (the steps are not
// applied again). It runs on a worker thread in list order, keeps each pair of new and old path for undo,
// shows its progress and stops at the first error or when the user stops it. A run that ends without error
// empties the file list, whose rows no longer match the disk; after an error the rows it renamed take their new
// names as current ones and the preview is computed again. Rows whose name does not change give no pair.
// The rows a stopped run renamed are done: their new name stays their current one until the chain or the list
// changes, and the next run in the same list goes on with the same undo list, so that one undo covers both.
// A run renames only what it listed: a row whose path now holds an entry of the other kind (a folder where a
// file was listed, or the reverse) stops the run as a file not found does, with its path.
//
// A run and an undo are jobs (foundation/core/jobs.h): neither starts while another job is busy, and the
// commands that change the file list or the chain are refused meanwhile.
#pragma once
#include <windows.h>

#include <cstdint>

struct FileListRow;
struct ItemListControl;

// Command IDM_START_RENAMING: starts RenameFilesThread for the owner window. Nothing happens (false) while new names
// are marked as problems, while another job is busy, or when the thread cannot start.
bool StartRenameRun(HWND owner);

// The run's thread, started by StartRenameRun as an exclusive job, which it ends. Always 0.
DWORD WINAPI RenameFilesThread(void* owner);

// The one rename of the run and of undo. 0 when the entry is under the new path; for identical texts nothing
// is done. A target that exists and is not the entry itself (the two paths differ in more than letter case)
// is never replaced, also one that appears just before the rename: the result is 183. Every failure is shown
// to the user in an error box owned by `owner` (183 with the target path, others with the source path), except
// a rename the user aborted (1235).
int RenameItemFile(HWND owner, const wchar_t* from, const wchar_t* to);
// RenameItemFile for a caller that lists the names taken itself: 183 shows no box.
int RenameItemFileUnlessTaken(HWND owner, const wchar_t* from, const wchar_t* to);

// The rows at the top of `files` that a stopped run renamed and that have nothing left to do; 0 when no run
// stopped in this list or the list has changed since.
uint32_t RowsSettledByStoppedRun(const ItemListControl* files);
// The chain changed: the rows a stopped run renamed take the chain again (its undo list still goes on).
void ForgetSettledRows();
// Nothing continues the stopped run any more (its undo list is given up).
void ForgetStoppedRun();

// The name a file-list row takes as its current one (null, or its own name, keeps it); `index` is its place.
using RowNameChoice = const wchar_t* (*)(const FileListRow& row, uint32_t index, void* context);
// After a job renamed files, the rows take the names their files now have, as `nameFor` chooses them on the job's
// worker: rebuilt in one block on the GUI thread, and the preview is computed again when the job has ended.
void RenameFileListRows(RowNameChoice nameFor, void* context);
