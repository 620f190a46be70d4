// The page of configured content plug-ins: list 5501 (a check box per plug-in for enabled, columns name,
// library, detect string, init parameter) and the toolbar that replaces placeholder 5502 (add, edit, duplicate,
// delete, move up, move down). The page belongs to the options dialog.
#pragma once
#include <windows.h>

#include "metadata/plugin_list.h"

// List 5501's columns: name, library path, detect string, init parameter.
constexpr int kPluginColumnCount = 4;

// Sets the page up in `dialog`: the toolbar, the list's columns and one row per entry of section "pgnCont".
void SetupPluginListPage(HWND dialog);
// Runs a toolbar command of the page (IDC_ENTRY_*: add, up, down, edit, duplicate, remove).
void PluginsPageToolbarCommand(HWND dialog, int command);
// Writes the list into section "pgnCont" ("1".."n"); when the section's text changed, every plug-in is
// ended and those still configured loaded again with their new settings, once no job that may be inside a
// plug-in runs. True when it changed.
bool SavePluginList(HWND dialog);

// Row `index` of a plug-in list as an entry (enabled = checked); false outside the list.
bool ReadPluginRow(HWND list, int index, PluginListEntry* entry);
