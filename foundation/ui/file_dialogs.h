// The system's open and save dialogs over the program's path buffers.
#pragma once
#include <windows.h>

#include "foundation/files/paths.h"

// The open dialog for an existing file. It starts with `path` (enclosing quotes removed) when that is shorter
// than 260 characters; with an empty path it starts in the file list's current folder, which is the process's
// current directory for the time of the dialog. On OK the chosen path, made absolute, is copied into `path`
// (bounded by `capacity` and by kPathCapacity, which also bound what the dialog may write). The result is the
// chosen filter's number (1 when the dialog names none); 0 on cancel.
int ShowOpenFileDialog(HWND owner, wchar_t* path, int capacity, const wchar_t* filter, const wchar_t* title,
                       bool multipleSelection);

// The save dialog, asking before an existing file is replaced, with filter number `filterIndex` chosen. It
// starts in the file list's current folder when `path` is empty, and in `path` itself with an empty name when
// that is an existing folder. With a default extension (without its dot) a name typed without one gets the
// chosen file type's extension, or else the default, before the dialog asks about replacing. Results as
// ShowOpenFileDialog's.
int ShowSaveFileDialog(HWND owner, wchar_t* path, int capacity, const wchar_t* filter, const wchar_t* title,
                       int filterIndex, const wchar_t* defaultExtension = nullptr);

// Asks for the file of a dialog's path field: the field's path, its placeholders expanded, starts the open
// dialog (or, with `save`, the save dialog) without a title; on OK the chosen path goes into the field.
// Results as ShowOpenFileDialog's.
int AskFileName(HWND dialog, int itemId, const wchar_t* filter, bool save);
