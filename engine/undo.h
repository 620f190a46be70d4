// Undo of the last rename run: the pairs of new and old path that the run stored, renamed back, the last one
// first, so that a file that took another file's old name has given it back before that file needs it.
// Each pair undone leaves the list at once: an undo that stops (at an error or by the user) keeps exactly the
// pairs not yet undone, and the next undo goes on with them; after a complete undo nothing is left to undo.
// Listed rows of the files renamed back take their old names again and the preview is computed anew.
// The application's undo list and pair count are written by the job that runs (a rename run or an undo, on its
// worker) and by the GUI thread only while no job runs, always with interlocked writes; the GUI thread reads the
// pair count for the menu states meanwhile.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/record_buffer.h"

// Zero-terminated wide texts appended in pairs: NEW 1, OLD 1, NEW 2, OLD 2, ... The number of pairs that
// count is the application state's undo pair count; texts beyond them mean nothing.
struct UndoList {
  RecordBuffer texts;
};

// A new, empty list, not yet the application's; null without memory.
UndoList* CreateUndoList();
void FreeUndoList(UndoList** list);

// Appends one pair, the new path first. 0; 8 when the list could not take both (it then holds what it held).
int AppendUndoPair(UndoList* list, const wchar_t* newPath, const wchar_t* oldPath);

// Makes `list` the application's undo list holding `pairs` pairs; the list it replaces is freed.
void InstallUndoList(UndoList* list, int32_t pairs);

// Frees the application's undo list (when the main window is destroyed).
void ReleaseUndoList();

// Command 121: starts UndoThread for the owner window. Nothing happens (false) without pairs, while another
// job is busy, or when the thread cannot start.
bool StartUndo(HWND owner);

// The undo thread, started by StartUndo as an exclusive job, which it ends. Always 0.
DWORD WINAPI UndoThread(void* owner);
