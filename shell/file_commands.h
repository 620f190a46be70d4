// The main window's commands on the file list: renaming a file in place, opening files and their properties,
// the selection, copying paths, listing the folder again, the sort choice, the view options that change what
// is listed, the filter, and stopping a job.
#pragma once
#include <windows.h>

// Command 105: the in-place editor on the focused file row, when there is one.
void RenameFocusedFileInPlace(HWND window);
// Command 110: the shell's properties of the selected files (the focused one when none is selected); a beep
// when the list has no row to show.
void ShowSelectedFilesProperties(HWND window);
// Command 111: opens each selected file with its program.
void OpenSelectedFiles(HWND window);
// Activation of a file row (double click, Enter): commits an open editor, or opens the focused file unless a
// job is busy.
void OpenFocusedFileOrFolder(HWND window);

// Commands 130, 131, 132: selects every file row, none, or the others.
void SelectAllFiles();
void SelectNoFiles();
void InvertFileSelection();
// Command 134: the full paths of the selected rows, each with CR LF, on the clipboard (emptied when none is
// selected). Nothing while a job is busy.
void CopySelectedPathsToClipboard(HWND window);

// Command 139: lists the current folder again, unless a job is busy.
void RefreshFileList();
// Commands 162 and 164: subfolders listed too, and the filter applied, switched on or off; the folder is
// listed again and the option word stored.
void ToggleRecursiveListing(HWND window);
void ToggleFilterApplied(HWND window);
// Command 163: on, keeps only the selected rows (the files stay on disk); off, lists the folder again.
void ToggleSelectedOnlyView(HWND window);
// Removes every file row that is not selected, counts what stays and recomputes the preview in the new order.
void KeepSelectedFilesOnly();

// The sort keys of commands 141 to 150.
int SortKeyOfCommand(int commandId);
// Commands 141-150 and 600 and above: the file list sorted by that key (a field key first rebuilds the main
// menu). Every sort recomputes the preview, whose numbered variants follow the list order.
void SetSortChoice(HWND window, int key);
// Command 152: the other direction.
void ToggleSortDirection(HWND window);
// Command 153: sorted again by the current key.
void ResortFileList(HWND window);

// Command 171: while a job is busy, asks it to stop.
void StopRunningJob();

// Command 184: the filter dialog; on OK the filter is stored as "Filter" and, while it is applied, the folder
// listed again through it.
void EditFilter(HWND window);
