#include "shell/folder_history.h"

#include "foundation/bounded_text.h"
#include "foundation/memory.h"

FolderHistory g_folderHistory;

int InitFolderHistory(FolderHistory* history, const char* name) {
  if (!history) return 1;
  *history = FolderHistory{};
  CopyNarrowBounded(name, history->name, kFolderHistoryNameCapacity);
  history->folders = AllocZeroedWide(kFolderHistoryCount * kFolderHistoryPathCapacity);
  return history->folders ? 0 : 1;
}

void FreeFolderHistory(FolderHistory* history) {
  if (history) FreeAndNull(&history->folders);
}
