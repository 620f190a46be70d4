// The dialog of one configured content plug-in (template 5530): its name, library, detect-string override and
// init parameter. A new entry (without a name) opens the file dialog for the library at once and fills the
// name and detect string from what the library says of itself; the settings button appears when the library
// has a settings dialog of its own.
#pragma once
#include <windows.h>

#include "metadata/plugin_list.h"

// 1 when the user confirmed (the entry then holds the dialog's fields), 0 when not.
int ShowPluginEntryDialog(HWND owner, PluginListEntry* entry);

INT_PTR CALLBACK PluginListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
