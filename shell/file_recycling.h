// Command IDM_RECYCLE: the selected files go to the recycle bin, on a worker thread as a job (the system asks the
// user first). Afterwards the rows of the files that left their folder are removed, and the status bar shows
// the new counts.
#pragma once
#include <windows.h>

// Starts the recycling of the selected file rows but those whose names end in a dot or a blank, which the shell
// would take for their twins; false when no row is left or another job is busy.
bool RecycleSelectedFiles(HWND window);

// On the GUI thread once the files are recycled: removes in one pass the rows that `gone` flags (one byte a row,
// non-zero for a selected row whose file went; null: none), clears the selection, counts the rows again and shows
// the counts. 1.
LRESULT RecycleDoneCallback(void* gone);
