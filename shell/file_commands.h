// The main window's commands on the file list: renaming a file in place, opening files and their properties,
// the selection, copying paths, listing the folder again, the sort choice, the view options that change what
// is listed, the filter, and stopping a job.
#pragma once
#include <windows.h>

struct ItemListControl;

// Command IDM_RENAME_IN_PLACE: the in-place editor on the focused file row, when there is one.
void RenameFocusedFileInPlace(HWND window);
// Command IDM_PROPERTIES: the shell's properties of the selected files (the focused one when none is selected); a
// beep when the list has no row to show.
void ShowSelectedFilesProperties(HWND window);
// Command IDM_OPEN_FILES: opens each selected file with its program.
void OpenSelectedFiles(HWND window);
// Activation of a file row (double click, Enter): commits an open editor, or opens the focused file unless a
// job is busy.
void OpenFocusedFileOrFolder(HWND window);

// Commands IDM_SELECT_ALL, IDM_SELECT_NONE, IDM_INVERT_SELECTION: selects every file row, none, or the others.
void SelectAllFiles();
void SelectNoFiles();
void InvertFileSelection();
// Command IDM_COPY_PATHS: the full paths of the selected rows, each with CR LF, on the clipboard (emptied when none
// is selected). Nothing while a job is busy.
void CopySelectedPathsToClipboard(HWND window);

// The full paths of the selected file rows (or of the focused row alone), each ended by `separator` (null
// gives a zero-terminated list ended by an empty entry). A heap block as long as the paths need (free it with
// FreeAndNull), or null without rows or memory.
wchar_t* JoinRowPaths(const ItemListControl* files, bool focusedAlone, const wchar_t* separator);

// The Explorer context menu of the selected file rows (of the focused row alone when it is the only selected
// one, or none is selected: then renaming is offered too), with the program's own item, at the mouse or, asked
// for by the keyboard (WM_CONTEXTMENU's position), at the focused row. The verbs the program performs itself
// come back as posted commands: open IDM_OPEN_FILES, rename IDM_RENAME_IN_PLACE, delete IDM_RECYCLE, the own item
// IDM_OPEN_IN_FILE_MANAGER. Nothing for an empty list; rows of several folders (a listing with subfolders) get a
// message instead, since a menu acts on one folder.
void ShowFileContextMenu(HWND window, LPARAM position);
// The Explorer context menu of the folder tree's selected folder, with the program's own item (posted as
// command IDM_OPEN_IN_FILE_MANAGER); the shell runs every verb of it on the folder. A right click (at the screen
// position of WM_CONTEXTMENU) first selects the node under it and shows nothing off the nodes; the keyboard's menu
// keeps the selection.
void ShowFolderContextMenu(HWND window, HWND tree, LPARAM position);

// Command IDM_RELOAD_LIST: lists the current folder again, unless a job is busy.
void RefreshFileList();
// Commands IDM_SUBFOLDERS and IDM_APPLY_FILTER: subfolders listed too, and the filter applied, switched on or off;
// the folder is listed again and the option word stored.
void ToggleRecursiveListing(HWND window);
void ToggleFilterApplied(HWND window);
// Command IDM_SELECTED_ONLY: on, keeps only the selected rows (the files stay on disk); off, lists the folder again.
void ToggleSelectedOnlyView(HWND window);
// Removes every file row that is not selected, counts what stays and recomputes the preview in the new order.
void KeepSelectedFilesOnly();

// The sort keys of commands IDM_SORT_NAME to IDM_SORT_FOLDER (-1 for another command), and the command of a key (0
// for a key no command has).
int SortKeyOfCommand(int commandId);
int CommandOfSortKey(int key);
// Commands IDM_SORT_NAME-IDM_SORT_FOLDER and IDM_SORT_FIELD_FIRST and above: the file list sorted by that key (a
// field key first rebuilds the main menu). Every sort recomputes the preview, whose numbered variants follow the list
// order. A long list is sorted as a job on a worker, with the preview's progress and Stop; nothing is sorted while
// another job is busy.
void SetSortChoice(HWND window, int key);
// Command IDM_SORT_DESCENDING: the other direction.
void ToggleSortDirection(HWND window);
// Command IDM_SORT_AGAIN: sorted again by the current key.
void ResortFileList(HWND window);
// A click on the file list's header, on the column at that table position and client x: that column's key (the
// same again: the other direction). Nothing while a job reads the rows.
void SortFileListByColumn(int tablePosition, int x);

// Command IDM_FILTER: the filter dialog; on OK the filter is stored as "Filter" and, while it is applied, the folder
// listed again through it.
void EditFilter(HWND window);
