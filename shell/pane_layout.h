// Where the bars and panes of the main window go: the toolbar and the address bar along the top, the status
// bar along the bottom, the folder tree at the left and the chain list above the file list at the right,
// with a splitter's gap between the panes.
#pragma once
#include <windows.h>

constexpr int kSplitterGap = 4;

// Lays the main window's client area out anew.
void LayoutMainWindow(HWND window);
