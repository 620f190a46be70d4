// The hand-over to the maker's file manager Halvane, found by its window class: a folder to go to (command
// IDM_OPEN_IN_FILE_MANAGER) or a file to show (command IDM_SHOW_IN_FILE_MANAGER), sent by WM_COPYDATA, first as UTF-8
// (the letter OR 0x800) and, when that is not taken, as UTF-16 (the letter in lower case). Without Halvane, the
// first opens the folder with the shell and the second says that Halvane is not running.
#pragma once
#include <windows.h>

constexpr char kFileManagerClass[] = "Halvane";
constexpr char kFileManagerGoTo = 'G';
constexpr char kFileManagerShow = 'V';
// The flag of dwData that marks the UTF-8 form.
constexpr ULONG_PTR kFileManagerUtf8 = 0x800;
// The longest UTF-8 form sent; a longer path goes as UTF-16 only, never cut.
constexpr int kFileManagerUtf8Limit = 2730;

// Refreshes the cached window (a window that is gone is dropped, then the class is looked for): true when
// Halvane runs.
bool FindFileManagerWindow(HWND* cache);

// Sends the letter and the path (none: the plain letter) to the target window, which must be a window; the
// first non-zero answer, else 0 (also on a fault).
LRESULT SendToFileManager(HWND sender, HWND target, char letter, const wchar_t* path);

// Hands `path` to Halvane to go to and brings Halvane to the front; when Halvane does not run or does not take
// it, opens the path's folder (the path itself when it is one) with the shell's "explore" verb, else "open",
// else shows the error. Nothing for an empty path.
void OpenFolderInFileManager(HWND owner, HWND* cache, const wchar_t* path);

// Hands `path` to Halvane to show and brings the window it answers with to the front; without Halvane shows
// UI text 2191. Nothing for an empty path.
void ShowFileInFileManager(HWND owner, HWND* cache, const wchar_t* path);

// Command IDM_OPEN_IN_FILE_MANAGER: the focused file row's path when a list is the active pane (nothing without a
// focused row), else the current folder.
void GoToFolderInFileManager(HWND window);
// Command IDM_SHOW_IN_FILE_MANAGER: the focused file row's path.
void ShowFocusedFileInFileManager(HWND window);
