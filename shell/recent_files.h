// The recent settings files, listed in the first menu before Exit and kept in section "MRU" (keys "1" to "8").
// Entry 0 is the file loaded or saved last; an empty path ends the used entries. The table lives for the whole
// process.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/win32/menus.h"
#include "foundation/files/paths.h"

constexpr int kRecentFileLimit = 8;
// The separator above the recent files; their commands follow it.
constexpr int kRecentSeparatorId = 221;

#pragma pack(push, 1)
// A menu item of the recent-files list and the file it opens.
struct RecentFileEntry {
  MenuItemRecord item;
  wchar_t path[kShortPathCapacity];
};
#pragma pack(pop)

struct RecentFilesTable {
  int32_t limit;
  RecentFileEntry* entries;  // limit + 1 entries (the last is the separator's), allocated on first use
};

extern RecentFilesTable g_recentFiles;

// Sets the table up empty with its limit.
void InitRecentFiles(RecentFilesTable* table, int limit);
// Frees the entries.
void FreeRecentFiles(RecentFilesTable* table);

// Reads section "MRU" into the table and lists the files in the main window's menu.
void LoadRecentFiles(RecentFilesTable* table, HWND window);
// Writes the table into section "MRU".
void SaveRecentFiles(const RecentFilesTable* table);
// The menu items of the files, numbered from 1, before Exit in the first menu of the window's menu bar; a
// separator above them when there is one.
void RebuildRecentMenu(RecentFilesTable* table, HWND window);

// The file goes first (ignoring case, a file listed further down moves up), the last one drops out; the menu
// and section "MRU" follow. Nothing changes when it is first already.
void AddRecentFile(RecentFilesTable* table, const wchar_t* path);
// The file leaves the list; the menu and section "MRU" follow.
void RemoveRecentFile(RecentFilesTable* table, const wchar_t* path);

// The path of entry n; null when there is none.
const wchar_t* RecentFileAt(const RecentFilesTable* table, int n);
// The file loaded or saved last; null when there is none.
const wchar_t* FirstRecentFile(const RecentFilesTable* table);

// Commands IDM_RECENT_FILE_FIRST to IDM_RECENT_FILE_LAST: loads the recent file of entry id - IDM_RECENT_FILE_FIRST.
void OpenRecentFile(HWND window, int commandId);
