// The address bar's edit mode: a combo box over the bar in which the user types a path. While typing, its
// list offers the subfolders whose names begin with the text after the last separator; Enter (or a chosen
// entry) opens the path when its provider knows it, and the box closes on Enter, Escape and focus loss.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/address_bar.h"
#include "foundation/files/paths.h"

// The combo box's control id, and how much taller than the bar it is (room for its list).
constexpr int kPathEditId = 16;
constexpr int kPathEditListHeight = 110;

// The combo box's window data: a pending restore of the text (showing the list replaces it), the text and
// selection saved before the list was rebuilt, and the folder whose subfolder names are loaded, followed by
// the names, each zero-terminated, ended by an empty name.
struct CompletionData {
  uint16_t pendingRestore;
  uint16_t finished;  // the path was taken: later requests to open it are ignored
  uint32_t selectionStart;
  uint32_t selectionEnd;
  int32_t provider;
  wchar_t savedText[kPathCapacity];
  wchar_t folder[1];
};

// Commands IDM_PATH_EDIT (edit the shown path), IDM_PATH_COPY (copy the shown path to the clipboard) and
// IDM_PATH_PASTE (edit the clipboard's text, cut to 1023 characters). Nothing while an in-place editor is open. The
// whole path is taken, also beyond the segments the bar draws.
void BeginPathBarEdit(AddressBar* bar, HWND barWindow, int command);

// A notification of the combo box (WM_COMMAND with kPathEditId at the bar).
void OnPathEditNotification(AddressBar* bar, WORD code, HWND combo);
// Fits an open combo box to the bar's width.
void MovePathEditToBar(const AddressBar* bar);

// The completion after each change of the text: loads the names of the typed text's folder when that
// folder changed (and the provider knows it), then fills the list with the matching subfolders as full paths
// and shows it when there is one.
void AutoCompletePath(HWND combo, int32_t provider);
// Loads the subfolder names of `folder` as the combo box's completion data, replacing what it had.
void LoadCompletionData(HWND combo, int32_t provider, const wchar_t* folder);
// The combo box's completion data; null when it has none.
const CompletionData* GetCompletionData(HWND combo);
