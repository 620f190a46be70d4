// Where the bars and panes of the main window go: the toolbar and the address bar along the top, the status
// bar along the bottom, the folder tree at the left and the chain list above the file list at the right,
// with a splitter's gap between the panes. The tree ends 2 pixels before the tree width and the lists begin 2
// pixels after it; the chain list ends 2 pixels before the chain height (counted from the top of the panes)
// and the file list begins 2 pixels after it. Without the tree the lists take the whole width.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kSplitterGap = 4;
// The lists keep at least this width beside the tree: the vertical splitter stops short of it, and a stored
// place is drawn in for it.
constexpr int kSmallestListWidth = 64;

// Lays the main window's client area out anew. Without stored places the tree gets a quarter of the width and
// the chain an eighth of the height (stored as "Sep").
void LayoutMainWindow(HWND window);
// The part of the client area the last layout left the panes.
void GetPaneArea(RECT* area);
// Where the last layout put the vertical splitter: the tree width, or less in a window too narrow for it.
int32_t PlacedTreeWidth();

// The status bar's part widths for its client width and height: the last part is the height + 19 pixels wide,
// the middle one half of what remains, the first the rest. Nothing with fewer than two parts.
void StatusBarLayoutCallback(int clientWidth, int barHeight, int32_t* widths, int partCount);
