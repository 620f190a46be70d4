#include "shell/recent_files.h"

#include "foundation/memory.h"

RecentFilesTable g_recentFiles;

void InitRecentFiles(RecentFilesTable* table, int limit) {
  if (!table) return;
  table->limit = limit;
  table->entries = nullptr;
}

void FreeRecentFiles(RecentFilesTable* table) {
  if (table) FreeAndNull(&table->entries);
}
