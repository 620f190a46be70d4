// Files dropped on the main window are settings files.
#pragma once
#include <windows.h>
#include <shellapi.h>

// Loads the dropped paths as settings files in order; the first one that loads ends it. Nothing is loaded
// while a job is busy. The drop is always finished.
void OnDropFiles(HWND window, HDROP drop);
