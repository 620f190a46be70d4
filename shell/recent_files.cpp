#include "shell/recent_files.h"

#include <cwchar>

#include "engine/chain_files.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/command_ids.h"
#include "shell/main_commands.h"
#include "shell/settings_values.h"

RecentFilesTable g_recentFiles;

namespace {

static_assert(IDM_RECENT_FILE_LAST - IDM_RECENT_FILE_FIRST + 1 == kRecentFileLimit, "one command per recent file");

bool EnsureEntries(RecentFilesTable* table) {
  if (table->entries) return true;
  const uint32_t bytes = static_cast<uint32_t>(table->limit + 1) * sizeof(RecentFileEntry);
  table->entries = static_cast<RecentFileEntry*>(AllocZeroed(bytes));
  return table->entries != nullptr;
}

void RemoveEntry(RecentFilesTable* table, int n) {
  RecentFileEntry* entries = table->entries;
  for (int i = n; i + 1 < table->limit; ++i) entries[i] = entries[i + 1];
  entries[table->limit - 1] = RecentFileEntry{};
}

int FindEntry(const RecentFilesTable* table, const wchar_t* path) {
  for (int i = 0; i < table->limit && table->entries[i].path[0]; ++i) {
    if (EqualsIgnoreCaseWide(table->entries[i].path, path)) return i;
  }
  return -1;
}

// "&k path", or "&k name" when the path makes the text too long for a menu item.
void EntryText(int number, const wchar_t* path, wchar_t* text) {
  wchar_t full[kMenuTextCapacity + kShortPathCapacity];
  const int written = swprintf(full, sizeof full / sizeof full[0], L"&%d %ls", number, path);
  if (written < 0 || written >= kMenuTextCapacity) {
    swprintf(full, sizeof full / sizeof full[0], L"&%d %ls", number, path + FileNameOffset(path));
  }
  CopyWideBounded(full, text, kMenuTextCapacity);
}

HMENU FirstSubmenu(HWND window) {
  HMENU bar = window ? GetMenu(window) : nullptr;
  return bar ? GetSubMenu(bar, 0) : nullptr;
}

bool InsertBeforeExit(HMENU menu, UINT id, const wchar_t* text, ULONG_PTR data) {
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA | (text ? MIIM_STRING : 0);
  item.fType = text ? MFT_STRING : MFT_SEPARATOR;
  item.wID = id;
  item.dwItemData = data;
  item.dwTypeData = const_cast<wchar_t*>(text);
  return InsertMenuItemW(menu, IDM_EXIT, FALSE, &item) != FALSE;
}

void Changed(RecentFilesTable* table) {
  RebuildRecentMenu(table, g_mainWindow);
  SaveRecentFiles(table);
}

}  // namespace

void InitRecentFiles(RecentFilesTable* table, int limit) {
  if (!table) return;
  table->limit = limit;
  table->entries = nullptr;
}

void FreeRecentFiles(RecentFilesTable* table) {
  if (table) FreeAndNull(&table->entries);
}

void LoadRecentFiles(RecentFilesTable* table, HWND window) {
  if (!EnsureEntries(table)) return;
  for (int i = 0; i < table->limit; ++i) {
    LoadRecentFileSetting(i, table->entries[i].path, kShortPathCapacity);
  }
  // An empty path ends the used entries.
  for (int i = 0; i < table->limit; ++i) {
    if (table->entries[i].path[0] == 0) {
      while (i < table->limit) table->entries[i++] = RecentFileEntry{};
    }
  }
  RebuildRecentMenu(table, window);
}

void SaveRecentFiles(const RecentFilesTable* table) {
  if (!table->entries) return;
  for (int i = 0; i < table->limit; ++i) StoreRecentFileSetting(i, table->entries[i].path, table->limit);
}

void RebuildRecentMenu(RecentFilesTable* table, HWND window) {
  HMENU menu = FirstSubmenu(window);
  if (!menu || !table->entries) return;
  for (int id = kRecentSeparatorId; id <= kRecentSeparatorId + table->limit; ++id) DeleteMenu(menu, id, MF_BYCOMMAND);
  int inserted = 0;
  for (int i = 0; i < table->limit && table->entries[i].path[0]; ++i) {
    RecentFileEntry& entry = table->entries[i];
    EntryText(i + 1, entry.path, entry.item.text);
    entry.item.commandId = static_cast<uint16_t>(IDM_RECENT_FILE_FIRST + i);
    if (InsertBeforeExit(menu, entry.item.commandId, entry.item.text, reinterpret_cast<ULONG_PTR>(&entry.item))) {
      ++inserted;
    }
  }
  if (inserted > 0) InsertBeforeExit(menu, kRecentSeparatorId, nullptr, 0);
}

void AddRecentFile(RecentFilesTable* table, const wchar_t* path) {
  if (!path || path[0] == 0 || !EnsureEntries(table)) return;
  const int found = FindEntry(table, path);
  if (found == 0) return;
  if (found > 0) RemoveEntry(table, found);
  for (int i = table->limit - 1; i > 0; --i) table->entries[i] = table->entries[i - 1];
  table->entries[0] = RecentFileEntry{};
  CopyWideBounded(path, table->entries[0].path, kShortPathCapacity);
  Changed(table);
}

void RemoveRecentFile(RecentFilesTable* table, const wchar_t* path) {
  if (!path || !table->entries) return;
  bool removed = false;
  for (int found = FindEntry(table, path); found >= 0; found = FindEntry(table, path)) {
    RemoveEntry(table, found);
    removed = true;
  }
  if (removed) Changed(table);
}

const wchar_t* RecentFileAt(const RecentFilesTable* table, int n) {
  if (!table->entries || n < 0 || n >= table->limit || table->entries[n].path[0] == 0) return nullptr;
  return table->entries[n].path;
}

const wchar_t* FirstRecentFile(const RecentFilesTable* table) { return RecentFileAt(table, 0); }

void OpenRecentFile(HWND window, int commandId) {
  const wchar_t* path = RecentFileAt(&g_recentFiles, commandId - IDM_RECENT_FILE_FIRST);
  if (!path) return;
  // The load may reorder the table under the pointer.
  wchar_t copy[kShortPathCapacity];
  CopyWideBounded(path, copy, kShortPathCapacity);
  LoadSettingsFile(window, copy);
}
