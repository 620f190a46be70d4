#include "metadata/plugin_page.h"

#include <commctrl.h>

#include <cstring>

#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/system_functions.h"
#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/toolbars.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/plugin_entry_dialog.h"
#include "metadata/option_pages.h"
#include "metadata/plugin_host.h"
#include "foundation/files/paths.h"

namespace {

constexpr ToolbarIconRow kPluginToolbar[] = {
    {IDC_ENTRY_ADD, IDC_ENTRY_ADD, BTNS_BUTTON},   {IDC_ENTRY_EDIT, IDC_ENTRY_EDIT, BTNS_BUTTON},
    {IDC_ENTRY_DUPLICATE, IDC_ENTRY_DUPLICATE, BTNS_BUTTON}, {-1, 0, BTNS_SEP},
    {IDC_ENTRY_REMOVE, IDC_ENTRY_REMOVE, BTNS_BUTTON}, {-2, 0, BTNS_SEP},
    {IDC_ENTRY_UP, IDC_ENTRY_UP, BTNS_BUTTON},     {IDC_ENTRY_DOWN, IDC_ENTRY_DOWN, BTNS_BUTTON},
    {0, 0, 0},
};

constexpr int kPluginCaptionIds[kPluginColumnCount] = {kTextDescription, kTextPluginLibrary,
                                                       kTextPluginDetectString, kTextPluginParameter};
constexpr int kPluginColumnWidths[kPluginColumnCount] = {100, 200, 120, 100};

HWND PluginList(HWND dialog) { return GetDialogItem(dialog, IDC_PLUGIN_LIST); }

void WritePluginRow(HWND list, int row, const PluginListEntry& entry) {
  const wchar_t* cells[kPluginColumnCount] = {entry.name, entry.libraryPath, entry.detectString, entry.initParameter};
  for (int column = 0; column < kPluginColumnCount; ++column) ListViewSetItemText(list, row, column, cells[column]);
  ListViewSetState(list, row, INDEXTOSTATEIMAGEMASK(entry.enabled ? 2 : 1), LVIS_STATEIMAGEMASK);
}

int InsertPluginRow(HWND list, int row, const PluginListEntry& entry) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(entry.name);
  const int inserted = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (inserted >= 0) WritePluginRow(list, inserted, entry);
  return inserted;
}

int AddPluginRowFromProfile(const char*, const char* value, void* userData) {
  HWND list = static_cast<HWND>(userData);
  PluginListEntry* entry = static_cast<PluginListEntry*>(AllocZeroed(sizeof(PluginListEntry)));
  if (entry == nullptr) return 1;
  if (ParsePluginListValue(value, entry)) InsertPluginRow(list, ListRowCount(list), *entry);
  FreeAndNull(&entry);
  return 0;
}

// Runs `edit` on a heap entry (entries are too large for a dialog's stack frame to hold several).
template <typename Edit>
void WithEntry(Edit edit) {
  PluginListEntry* entry = static_cast<PluginListEntry*>(AllocZeroed(sizeof(PluginListEntry)));
  if (entry == nullptr) return;
  edit(entry);
  FreeAndNull(&entry);
}

void AddPluginListEntry(HWND dialog) {
  HWND list = PluginList(dialog);
  WithEntry([&](PluginListEntry* entry) {
    entry->enabled = 1;
    if (ShowPluginEntryDialog(dialog, entry) != 1) return;
    const int focused = ListFocusedRow(list);
    const int row = InsertPluginRow(list, focused >= 0 ? focused + 1 : ListRowCount(list), *entry);
    if (row >= 0) ListViewSelectOnly(list, row);
  });
}

void EditPluginListEntry(HWND dialog) {
  HWND list = PluginList(dialog);
  const int focused = ListFocusedRow(list);
  WithEntry([&](PluginListEntry* entry) {
    if (ReadPluginRow(list, focused, entry) && ShowPluginEntryDialog(dialog, entry) == 1) {
      WritePluginRow(list, focused, *entry);
    }
  });
}

void DuplicatePluginListRow(HWND dialog) {
  HWND list = PluginList(dialog);
  const int focused = ListFocusedRow(list);
  WithEntry([&](PluginListEntry* entry) {
    if (ReadPluginRow(list, focused, entry)) InsertPluginRow(list, focused, *entry);
  });
}

// The section's text, or null when it cannot be had; the caller frees it.
char* CopyPluginSection() {
  const int length = ProfileGetSectionLength(&g_settingsStore, kPluginSection);
  char* text = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(length > 0 ? length : 0) + 2));
  if (text != nullptr) ProfileCopySection(&g_settingsStore, kPluginSection, text, length + 2);
  return text;
}

bool SameSectionText(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  // Lines end at zeros and the text at an empty line.
  for (;; ++a, ++b) {
    if (*a != *b) return false;
    if (*a == 0 && a[1] == 0 && b[1] == 0) return true;
  }
}

void WritePluginRows(HWND list) {
  char* value = static_cast<char*>(AllocZeroed(kPluginValueCapacity));
  if (value == nullptr) return;
  const int count = ListRowCount(list);
  for (int row = 0; row < count; ++row) {
    WithEntry([&](PluginListEntry* entry) {
      if (!ReadPluginRow(list, row, entry) || FormatPluginListValue(entry, value, kPluginValueCapacity) != 0) return;
      char key[16];
      IntToNarrowDecimal(row + 1, key, 16);
      ProfileSetString(&g_settingsStore, kPluginSection, key, value);
    });
  }
  FreeAndNull(&value);
}

}  // namespace

void SetupPluginListPage(HWND dialog) {
  ReplacePlaceholderWithToolbar(dialog, IDC_PLUGIN_TOOLBAR, kPluginToolbar);
  HWND list = PluginList(dialog);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddListColumns(list, kPluginCaptionIds, kPluginColumnWidths, kPluginColumnCount);
  ProfileEnumSection(&g_settingsStore, kPluginSection, AddPluginRowFromProfile, list);
  if (ListRowCount(list) > 0) ListViewSelectOnly(list, 0);
}

void PluginsPageToolbarCommand(HWND dialog, int command) {
  switch (command) {
    case IDC_ENTRY_ADD:
      AddPluginListEntry(dialog);
      break;
    case IDC_ENTRY_UP:
      ListViewMoveFocusedUpById(dialog, IDC_PLUGIN_LIST);
      break;
    case IDC_ENTRY_DOWN:
      ListViewMoveFocusedDownById(dialog, IDC_PLUGIN_LIST);
      break;
    case IDC_ENTRY_EDIT:
      EditPluginListEntry(dialog);
      break;
    case IDC_ENTRY_DUPLICATE:
      DuplicatePluginListRow(dialog);
      break;
    case IDC_ENTRY_REMOVE:
      ListViewDeleteFocusedById(dialog, IDC_PLUGIN_LIST);
      break;
    default:
      break;
  }
}

bool SavePluginList(HWND dialog) {
  char* before = CopyPluginSection();
  ProfileDeleteSection(&g_settingsStore, kPluginSection);
  WritePluginRows(PluginList(dialog));
  char* after = CopyPluginSection();
  const bool changed = !SameSectionText(before, after);
  FreeAndNull(&before);
  FreeAndNull(&after);
  if (changed) RequestPluginRestart();
  return changed;
}

bool ReadPluginRow(HWND list, int index, PluginListEntry* entry) {
  if (list == nullptr || index < 0 || index >= ListRowCount(list)) return false;
  memset(entry, 0, sizeof *entry);
  wchar_t* cells[kPluginColumnCount] = {entry->name, entry->libraryPath, entry->detectString, entry->initParameter};
  const int capacities[kPluginColumnCount] = {kPluginEntryNameCapacity, kPathCapacity, kPluginTextCapacity,
                                              kPluginTextCapacity};
  for (int column = 0; column < kPluginColumnCount; ++column) ListViewGetItemText(list, index, column, cells[column], capacities[column]);
  const UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK));
  entry->enabled = (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2) ? 1 : 0;
  return true;
}
