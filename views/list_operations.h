// The list-control operations a folder listing calls on the file list, from its worker thread.
#pragma once

struct ItemListControl;

// Removes every row (each row's own data is freed with it) and every path-pool entry. False when the stores'
// locks could not be had; then nothing is removed.
bool EmptyFileList(ItemListControl* list);

// Sorts the rows by the list's sort key; `folder` is handed to the key function.
void SortFileListRows(ItemListControl* list, const wchar_t* folder);

// Makes the list show the rows its store now holds.
void RefreshFileListRowCount(ItemListControl* list);

// Selects the first row without moving the focus.
void SelectFirstFileRow(ItemListControl* list);

// Rows are about to change under the list: a pending rename by a slow click is dropped and an open in-place
// editor closed without a change.
void StopRenamingInList(ItemListControl* list);
