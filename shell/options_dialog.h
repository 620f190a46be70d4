// The options dialog (command IDM_OPTIONS, template 5100): six pages chosen in a list at the left (general options,
// icons and menus, list colours, the file list's columns, keyboard shortcuts, content plug-ins) under a
// painted header. Nothing changes before OK. OK takes the option word, the icon sizes, the columns, the colours,
// the keys and the plug-in list, and then the main window follows what changed: menus, list styles, the folder
// tree with the file icons, the stored values. The page last shown opens first the next time.
//
// The columns take their field columns from the field-reference list, which a folder listing or a rename
// run reads while it is busy, and new file icons are looked up in every row of the list such a job fills:
// while a job runs, OK refuses a changed column page or icon option with a message (the dialog stays open),
// and a changed plug-in list restarts the plug-ins only once the job has ended.
#pragma once
#include <windows.h>

// Command IDM_OPTIONS: shows the dialog and applies what OK changed.
void RunOptionsDialog(HWND window);
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
