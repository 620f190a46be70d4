// The attributes tool (command IDM_ATTRIBUTES): its dialog sets or clears the archive, read-only, hidden, system and
// compressed attributes of the selected files and sets or moves their creation and modification times
// (shell/time_conditions.h); a worker then changes the files (shell/tool_run.h). With one file marked the
// boxes show its attributes; with several each box starts in the third state, which leaves that attribute as
// it is on every file. The two time rows are kept as "Attr" of section "QVRX", in the filter's text form.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/file_filter.h"

// What the worker changes on each selected file.
struct AttributeChanges {
  uint32_t set;
  uint32_t clear;
  bool changeTimes;
  FilterRecord times;  // lower half: the creation time's condition, upper half: the modification time's
};

// Shows the dialog for the selected rows of the file list and, after OK with something to change, starts the
// worker. Nothing happens while a job is busy or without a selected row. 1 when the worker started.
int ShowAttributesDialog(HWND owner);

// Starts the worker on the selected rows; false while another job is busy.
bool StartAttributesJob(HWND owner, const AttributeChanges& changes);

// The worker's thread: its parameter is the run StartAttributesJob made.
DWORD WINAPI ApplyAttributesThread(void* run);

// The dialog procedure (dialog 2400).
INT_PTR CALLBACK AttributesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// 1 unless the letter names a drive whose file system is NTFS (a file system name longer than "NTFS" counts
// as another): only NTFS compresses files.
int IsNotNtfsDrive(wchar_t letter);
