// What the attributes and timestamps tools share: one run over the selected rows of the file list. The run is
// a job (foundation/core/jobs.h): it shows its progress, stops when the user stops it, and each selected row
// goes to the tool's action with its full path. Attributes and times are written through the file-system
// providers, then read back: a row shows what its file now has, and every change the system did not make
// (a refusal, or a value it did not keep, as Wine keeps no creation time of its own) is told at the end of
// the run, one line per change with the file's path.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/files/file_info.h"
#include "views/file_list_row.h"

struct ItemListControl;
struct ToolRun;

// The row the action works on: its index, a copy of its record and its full path.
struct ToolRow {
  int index;
  FileListRow record;
  const wchar_t* path;
};

using ToolRowAction = void (*)(ToolRun* run, ToolRow* row);

struct ToolRun {
  HWND owner;
  ItemListControl* files;
  ToolRowAction action;
  void* settings;           // the tool's own choices, a heap block the run frees
  wchar_t* path;            // kLongPathCapacity characters
  wchar_t* unmade;          // the closing list's lines; null until the first
  uint32_t unmadeLines;
  uint32_t unmadeMore;      // lines left out of a full list
};

// A run of the application's file list with the tool's action and settings (a heap block the run takes over);
// null without memory, the settings then freed.
ToolRun* CreateToolRun(HWND owner, ToolRowAction action, void* settings);
// Starts the run as a job on a thread that calls RunToolOverSelectedRows; false, with the run freed, while
// another job is busy or when the thread cannot start.
bool StartToolRun(ToolRun* run, LPTHREAD_START_ROUTINE thread);
// The job's body: goes through the rows in list order with the progress shown, tells of the changes not made,
// then frees the run and ends the job. Faults end it quietly. Always 0.
DWORD RunToolOverSelectedRows(ToolRun* run);

// Sets the given times of the row's file (null: keep), reads the file's data back into the row and reports each
// time the file did not take. 0 when the times were set (kept or not), else the provider's error.
int SetRowTimes(ToolRun* run, ToolRow* row, const FILETIME* creation, const FILETIME* lastWrite);

// Sets and clears attribute bits of the row's file when that changes them, reads the file's data back into the
// row and reports each bit the file did not take.
void SetRowAttributes(ToolRun* run, ToolRow* row, uint32_t set, uint32_t clear);
