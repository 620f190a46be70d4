#include "shell/folder_history.h"

#include <cwchar>

#include "foundation/core/memory.h"
#include "foundation/files/shell_folders.h"
#include "foundation/text/bounded_text.h"
#include "foundation/win32/menus.h"
#include "shell/folder_navigation.h"
#include "foundation/files/paths.h"

FolderHistory g_folderHistory;

namespace {

constexpr int kOldestEntry = kFolderHistoryCount - 1;

wchar_t* EntryAt(FolderHistory* history, int n) {
  return history->folders + static_cast<size_t>(n) * kPathCapacity;
}

void MoveEntry(FolderHistory* history, int from, int to) {
  wmemcpy(EntryAt(history, to), EntryAt(history, from), kPathCapacity);
}

void RemoveEntry(FolderHistory* history, int n) {
  for (int i = n; i < kOldestEntry; ++i) MoveEntry(history, i + 1, i);
  EntryAt(history, kOldestEntry)[0] = 0;
}

int FindSameFolder(FolderHistory* history, const wchar_t* path) {
  for (int i = 0; i < kOldestEntry; ++i) {
    const wchar_t* entry = EntryAt(history, i);
    if (entry[0] != 0 && ComparePathsWithPlaceholders(entry, path)) return i;
  }
  return -1;
}

bool HasEntry(const FolderHistory* history, int n) {
  const wchar_t* entry = FolderHistoryEntry(history, n);
  return entry && entry[0] != 0;
}

// The folder is selected in the folder tree, whose selection lists it; the history stays as it is, since the
// folder is the one at the position.
void SelectHistoryFolder(HWND window, const wchar_t* path) {
  if (!path) return;
  wchar_t folder[kPathCapacity];
  CopyWideBounded(path, folder, kPathCapacity);
  NavigateToFolder(window, folder);
}

void ShowHistoryMenu(HWND window, bool older) {
  int entries[kHistoryMenuLimit];
  const int count = HistoryMenuEntries(&g_folderHistory, older, entries);
  if (count == 0) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (int i = 0; i < count; ++i) {
    AppendMenuW(menu, MF_STRING, kHistoryMenuFirstId + entries[i], FolderHistoryEntry(&g_folderHistory, entries[i]));
  }
  const int chosen = TrackPopupMenuAtCursor(menu, window, 0, true, true) - kHistoryMenuFirstId;
  if (!HasEntry(&g_folderHistory, chosen)) return;
  g_folderHistory.position = chosen;
  SelectHistoryFolder(window, FolderHistoryEntry(&g_folderHistory, chosen));
}

}  // namespace

int InitFolderHistory(FolderHistory* history, const char* name) {
  if (!history) return 1;
  *history = FolderHistory{};
  CopyNarrowBounded(name, history->name, kFolderHistoryNameCapacity);
  history->folders = AllocZeroedWide(kFolderHistoryCount * kPathCapacity);
  return history->folders ? 0 : 1;
}

void FreeFolderHistory(FolderHistory* history) {
  if (history) FreeAndNull(&history->folders);
}

const wchar_t* FolderHistoryEntry(const FolderHistory* history, int n) {
  if (!history || !history->folders || n < 0 || n >= kFolderHistoryCount) return nullptr;
  return history->folders + static_cast<size_t>(n) * kPathCapacity;
}

void AddRecentEntry(FolderHistory* history, const wchar_t* path) {
  if (!history || !history->folders || !path || path[0] == 0) return;
  if (EqualsIgnoreCaseWide(FolderHistoryEntry(history, history->position), path)) return;
  const int same = FindSameFolder(history, path);
  if (same >= 0) RemoveEntry(history, same);
  for (int i = kOldestEntry; i > 0; --i) MoveEntry(history, i - 1, i);
  CopyWideBounded(path, EntryAt(history, 0), kPathCapacity);
  history->position = 0;
}

bool CanStepFolderHistory(const FolderHistory* history, int step) {
  return history && HasEntry(history, history->position + step);
}

const wchar_t* StepFolderHistory(FolderHistory* history, int step) {
  if (!CanStepFolderHistory(history, step)) return nullptr;
  const int target = history->position + step;
  history->position = target;
  return FolderHistoryEntry(history, target);
}

int HistoryMenuEntries(const FolderHistory* history, bool older, int* entries) {
  int count = 0;
  const int step = older ? 1 : -1;
  for (int n = history->position + step; count < kHistoryMenuLimit && HasEntry(history, n); n += step) {
    entries[count++] = n;
  }
  return count;
}

void NavigateForward(HWND window) { SelectHistoryFolder(window, StepFolderHistory(&g_folderHistory, 1)); }

void NavigateBack(HWND window) { SelectHistoryFolder(window, StepFolderHistory(&g_folderHistory, -1)); }

void ShowForwardHistoryMenu(HWND window) { ShowHistoryMenu(window, true); }

void ShowBackHistoryMenu(HWND window) { ShowHistoryMenu(window, false); }
