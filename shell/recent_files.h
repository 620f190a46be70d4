// The recent settings files, listed in the first menu. The table lives for the whole process.
#pragma once
#include <cstdint>

#include "foundation/menus.h"

constexpr int kRecentFileLimit = 8;
constexpr int kRecentFilePathCapacity = 260;

#pragma pack(push, 1)
// A menu item of the recent-files list and the file it opens.
struct RecentFileEntry {
  MenuItemRecord item;
  wchar_t path[kRecentFilePathCapacity];
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
