// Fitting every shown column of a list to its widest text (the header menu's choice). The file list's cells are
// made straight from its rows, so that a fit over many of them is measured as a job on a worker, with the job's
// progress display and its Stop; the widths are set on the list's thread when the job ends, all at once, and a
// fit that was stopped changes none. A short fit, and one of any other list, is done at once.
#pragma once
#include <windows.h>

void FitAllListColumns(HWND list);
