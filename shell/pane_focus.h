// Moving the focus between the main window's panes (Tab and Shift+Tab), and Esc.
#pragma once
#include <windows.h>

// The pane windows (folder tree, chain list, file list) that carry WS_TABSTOP, in this order, become the
// tab-stop list.
void CollectTabStopPanes();

// Commands IDM_NEXT_PANE and IDM_PREVIOUS_PANE: the focus goes to the next (previous) shown pane of the tab-stop
// list, around its end; when no pane holds the focus, the first one gets it.
void FocusNextPane(bool backwards);

// Command IDM_CANCEL (Esc): while a job is busy, asks it to stop. Otherwise a splitter drag is undone, or an open
// in-place rename of the file list cancelled, or the file list's pending click let go; then Esc goes on to the
// main window.
void CancelOrEscape(HWND window);
