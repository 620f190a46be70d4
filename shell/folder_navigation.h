// Opening folders through the folder tree: the tree's selection is listed; a typed or clicked path, the
// parent folder, the refresh and the start folder are selected in the tree. A folder the tree cannot reach
// (a share that no root leads to) is listed all the same.
#pragma once
#include <windows.h>
#include <commctrl.h>

// TVN_SELCHANGEDW: the new node's folder becomes the current folder, unless the window is closing.
void OnFolderTreeSelChanged(const NMTREEVIEWW* change);

// Selects the path in the folder tree; when the current folder is not the path afterwards and the path exists,
// it is listed itself. Then the menu states follow.
void NavigateToFolder(HWND window, const wchar_t* path);
// Command IDM_FOLDER_UP: the parent of the current folder.
void NavigateUp(HWND window);

// Command IDM_REFRESH_TREE: every node is made again and the current folder selected anew; no listing starts
// meanwhile.
void RefreshFolderTree(HWND window);
// The folder tree made again with the file-icons option and the list icon size, the lists with their styles,
// font and colours; the file list keeps the focus when it had it.
void RecreateFolderTree(HWND window);
// Command IDM_FILE_ICONS: the file-icons option changes, and the folder tree is made again with it.
void ToggleFileIcons(HWND window);
// Command IDM_FOLDER_TREE: shows or hides the folder tree; a hidden tree hands the focus to the file list.
void ToggleFolderTree(HWND window);

// The start-up fill on a worker thread: the tree's top level, then the start folder (from the command line,
// else "LastFolder") is selected.
void StartFolderTreeFill(HWND window);
