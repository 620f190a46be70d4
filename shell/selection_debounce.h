// The file list's selection settles before its counts are shown: every change raises a count and starts the
// main window's selection timer; once a tick finds the count unchanged since the tick before, the selection
// statistics, their status-bar text and the menu states are brought up to date.
#pragma once
#include <windows.h>

// A tick of the selection timer.
void OnSelectionTimer(HWND window);
