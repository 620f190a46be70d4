// The keyboard shortcuts as a web page: "Keys.htm" in the temporary folder (or the first free numbered name
// beside it), UTF-8 with a byte-order mark, one table row per command that has a shortcut, opened with the
// shell once it is complete.
#pragma once
#include <windows.h>

struct KeyHookState;

// Command IDM_KEYS_PAGE: writes the page and opens it. Nothing is opened after a failed write.
void ExportKeysHtml(HWND owner);

// Writes the whole page to `path` (replacing a file there). 0, or the first error (the file is closed then).
int WriteKeysHtml(const KeyHookState* state, HWND owner, const wchar_t* path);

// The table rows: for each named command of the command-name table, in its order, the lowest key code that
// runs it; rows alternate between two background colours. 0, or the first write error.
int WriteKeysHtmlRows(const KeyHookState* state, HANDLE file);
