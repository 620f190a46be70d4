// The history of visited folders behind the toolbar's back (IDM_FOLDER_BACK, older folders) and forward
// (IDM_FOLDER_FORWARD, newer folders) buttons and their drop-down menus. Entry 0 is the newest folder, higher
// entries are older; the position is the entry shown now. A folder newly listed goes first and the position returns
// to 0; walking the history leaves it as it is. The history lives for the whole process.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/files/paths.h"

constexpr int kFolderHistoryCount = 50;
constexpr int kFolderHistoryNameCapacity = 16;
// A drop-down shows at most this many folders.
constexpr int kHistoryMenuLimit = 20;
// The drop-down's item of entry n has the id 100 + n.
constexpr int kHistoryMenuFirstId = 100;

struct FolderHistory {
  char name[kFolderHistoryNameCapacity];
  int32_t position;  // 0 is the newest folder
  wchar_t* folders;  // kFolderHistoryCount paths of kPathCapacity characters
};

extern FolderHistory g_folderHistory;

// Sets the history up empty under its name. 0, or 1 when the block could not be had.
int InitFolderHistory(FolderHistory* history, const char* name);
// Frees the block.
void FreeFolderHistory(FolderHistory* history);

// Entry n; null outside the history or without its block (an empty entry is an empty text).
const wchar_t* FolderHistoryEntry(const FolderHistory* history, int n);

// A newly listed folder: nothing when it is the folder at the position; otherwise an older entry of the same
// folder leaves, every entry moves one place back (the oldest drops out), the folder becomes entry 0 and the
// position 0.
void AddRecentEntry(FolderHistory* history, const wchar_t* path);

// True when the history holds a folder one older (+1) or newer (-1) than the one at the position.
bool CanStepFolderHistory(const FolderHistory* history, int step);
// Moves the position one older (+1) or newer (-1) folder on; the folder there, or null when there is none
// (the position then stays).
const wchar_t* StepFolderHistory(FolderHistory* history, int step);
// The entries a drop-down offers: the older ones after the position, or the newer ones from the position - 1
// down to 0; at most kHistoryMenuLimit. Their count.
int HistoryMenuEntries(const FolderHistory* history, bool older, int* entries);

// Commands IDM_FOLDER_BACK and IDM_FOLDER_FORWARD: the next older or newer folder is selected.
void NavigateForward(HWND window);
void NavigateBack(HWND window);
// The drop-downs of IDM_FOLDER_BACK and IDM_FOLDER_FORWARD at the cursor; a chosen folder becomes the position and
// is selected.
void ShowForwardHistoryMenu(HWND window);
void ShowBackHistoryMenu(HWND window);
