#include "shell/shortcut_page.h"

#include "foundation/core/app_state.h"
#include "foundation/ui/dialog_list_views.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/list_views.h"
#include "foundation/win32/menu_icons.h"
#include "foundation/win32/toolbars.h"
#include "foundation/win32/window_wrappers.h"
#include "metadata/option_pages.h"
#include "shell/key_names.h"
#include "shell/keyboard_hook.h"
#include "shell/main_commands.h"
#include "shell/menu_icon_table.h"
#include "shell/settings_values.h"
#include "shell/shortcut_key_dialog.h"

namespace {

constexpr int kListIconSize = 16;
constexpr int kColumnCount = 2;
constexpr int kColumnTextIds[] = {kTextDescription, kTextShortcutKey, 0};
constexpr int16_t kSortColumnIds[] = {kTextDescription, kTextShortcutKey, 0};

constexpr ToolbarIconRow kShortcutToolbar[] = {
    {IDC_ENTRY_EDIT, 124, BTNS_BUTTON},
    {IDC_ENTRY_DUPLICATE, 902, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {IDC_ENTRY_REMOVE, 125, BTNS_BUTTON},
    {0, 0, 0},
};

// The sorted column plus one (0: none) and the direction; one page is open at a time.
struct ShortcutSort {
  int column;
  int descending;
};

ShortcutSort g_shortcutSort = {};

HWND ShortcutList(HWND dialog) { return GetDialogItem(dialog, IDC_SHORTCUT_LIST); }

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int CommandOfRow(HWND list, int row) { return HIWORD(ListViewItemParam(list, row)); }
uint16_t KeyOfRow(HWND list, int row) { return LOWORD(ListViewItemParam(list, row)); }

void SetRowKey(HWND list, int row, int commandId, uint16_t keyCode) {
  ListViewSetItemParam(list, row, MAKELPARAM(keyCode, commandId));
  wchar_t name[kKeyNameCapacity] = {};
  if (keyCode != 0) FormatKeyName(keyCode, name, kKeyNameCapacity);
  ListViewSetItemText(list, row, 1, name);
}

void UseMenuIcons(HWND list) {
  HIMAGELIST icons = MenuIconsLoadImageList(&g_menuIcons, ProgramInstance(), 0, kMenuIconTable, kListIconSize, true);
  if (icons) SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
}

// The header's sort mark on the sorted column only.
void MarkSortedColumn(HWND list, int column, bool descending) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  for (int index = 0; index < kColumnCount; ++index) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (index == column) item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageW(header, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
  }
}

void WriteKey(uint16_t keyCode, const char* value) { StoreShortcutSetting(g_keyHookState.section, keyCode, value); }

}  // namespace

void SetupShortcutListPage(HWND dialog) {
  ReplacePlaceholderWithToolbar(dialog, IDC_SHORTCUT_TOOLBAR, kShortcutToolbar);
  HWND list = SetupDialogListViewById(dialog, IDC_SHORTCUT_LIST, kColumnTextIds, nullptr, 0);
  g_shortcutSort = {};
  UseMenuIcons(list);
  FillShortcutList(&g_keyHookState, list);
  AutoSizeListColumns(list, kColumnCount);
  UpdateListToolbarButtons(dialog, IDC_SHORTCUT_LIST, IDC_SHORTCUT_TOOLBAR, -1);
}

void FillShortcutList(const KeyHookState* state, HWND list) {
  for (const CommandNameEntry* entry = state->commandNames; entry && entry->commandId != 0; ++entry) {
    if (!entry->name || entry->name[0] == 0) continue;
    bool listed = false;
    for (int keyCode = 1; keyCode < kShortcutTableSize; ++keyCode) {
      if (state->shortcuts[keyCode] != entry->commandId) continue;
      AddShortcutListRow(state, list, entry, static_cast<uint16_t>(keyCode));
      listed = true;
    }
    if (!listed) AddShortcutListRow(state, list, entry, 0);
  }
}

void AddShortcutListRow(const KeyHookState* state, HWND list, const CommandNameEntry* entry, uint16_t keyCode) {
  wchar_t label[kKeyNameCapacity];
  GetCommandLabel(state, entry, label, kKeyNameCapacity);
  if (label[0] == 0) return;
  const int image = MenuIconIndexForCommand(&g_menuIcons, entry->commandId);
  const LPARAM data = MAKELPARAM(keyCode, entry->commandId);
  const int row = ListViewInsertItem(list, label, -1, image, reinterpret_cast<const void*>(data), 0);
  if (row >= 0 && keyCode != 0) SetRowKey(list, row, entry->commandId, keyCode);
}

void ShortcutPageCommand(HWND dialog, int command) {
  switch (command) {
    case IDC_ENTRY_EDIT:
      EditShortcutOfFocusedRow(dialog);
      break;
    case IDC_ENTRY_DUPLICATE:
      DuplicateShortcutItem(dialog);
      break;
    case IDC_ENTRY_REMOVE:
      RemoveShortcutKey(dialog);
      break;
    default:
      break;
  }
}

INT_PTR ShortcutPageNotify(HWND dialog, NMHDR* header) {
  if (header->code == TTN_GETDISPINFOW) return AnswerToolbarTooltip(header);
  if (header->idFrom != IDC_SHORTCUT_LIST) return FALSE;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  switch (header->code) {
    case LVN_COLUMNCLICK:
      SortShortcutList(dialog, change->iSubItem);
      return TRUE;
    case LVN_ITEMCHANGED:
      if (change->uNewState & LVIS_FOCUSED) {
        UpdateListToolbarButtons(dialog, IDC_SHORTCUT_LIST, IDC_SHORTCUT_TOOLBAR, change->iItem);
      }
      return TRUE;
    case NM_DBLCLK:
      PostMessageW(dialog, WM_COMMAND, IDC_ENTRY_EDIT, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void EditShortcutOfFocusedRow(HWND dialog) {
  HWND list = ShortcutList(dialog);
  const int row = ListViewFocusedItem(list);
  if (row < 0) return;
  ShortcutEditRecord record = {};
  record.keyCode = KeyOfRow(list, row);
  record.commandId = static_cast<uint16_t>(CommandOfRow(list, row));
  record.list = list;
  ListViewGetItemText(list, row, 0, record.label, kCellTextCapacity);
  if (ShowShortcutKeyDialog(dialog, &record) != 1) return;
  const int conflict = CheckShortcutConflict(nullptr, &record);
  if (conflict < 0) return;
  if (conflict > 0) SetRowKey(list, conflict - 1, CommandOfRow(list, conflict - 1), 0);
  SetRowKey(list, row, record.commandId, record.keyCode);
}

void DuplicateShortcutItem(HWND dialog) {
  HWND list = ShortcutList(dialog);
  const int row = ListViewFocusedItem(list);
  if (row < 0) return;
  wchar_t label[kCellTextCapacity];
  ListViewGetItemText(list, row, 0, label, kCellTextCapacity);
  const LPARAM data = MAKELPARAM(0, CommandOfRow(list, row));
  const int copy = ListViewInsertItem(list, label, row + 1, ListViewItemImage(list, row),
                                      reinterpret_cast<const void*>(data), 0);
  if (copy >= 0) ListViewSelectOnly(list, copy);
}

void RemoveShortcutKey(HWND dialog) {
  HWND list = ShortcutList(dialog);
  const int row = ListViewFocusedItem(list);
  if (row < 0) return;
  const int command = CommandOfRow(list, row);
  if (!IsCommandListedTwice(list, command)) {
    SetRowKey(list, row, command, 0);
    return;
  }
  SendMessageW(list, LVM_DELETEITEM, row, 0);
  const int count = RowCount(list);
  if (count > 0) ListViewSelectOnly(list, row < count ? row : count - 1);
}

void SortShortcutList(HWND dialog, int column) {
  HWND list = ShortcutList(dialog);
  ListViewSortByColumn(list, column, &g_shortcutSort.column, &g_shortcutSort.descending, kSortColumnIds, true);
  MarkSortedColumn(list, g_shortcutSort.column - 1, g_shortcutSort.descending != 0);
}

bool IsCommandListedTwice(HWND list, int commandId) {
  int found = 0;
  const int count = RowCount(list);
  for (int row = 0; row < count; ++row) {
    if (CommandOfRow(list, row) == commandId && ++found == 2) return true;
  }
  return false;
}

void UpdateListToolbarButtons(HWND dialog, int listId, int toolbarId, int item) {
  HWND list = GetDialogItem(dialog, listId);
  HWND toolbar = GetDialogItem(dialog, toolbarId);
  if (item == -1) item = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  const int count = RowCount(list);
  const bool valid = item >= 0 && item < count;
  const struct {
    int command;
    bool enabled;
  } kStates[] = {{IDC_ENTRY_EDIT, valid},
                 {IDC_ENTRY_DUPLICATE, valid},
                 {IDC_ENTRY_REMOVE, valid},
                 {IDC_ENTRY_UP, valid && item > 0},
                 {IDC_ENTRY_DOWN, valid && item < count - 1}};
  for (const auto& state : kStates) {
    SendMessageW(toolbar, TB_ENABLEBUTTON, state.command, MAKELPARAM(state.enabled ? TRUE : FALSE, 0));
  }
}

void SaveShortcutKeys(HWND dialog) {
  KeyHookState* state = &g_keyHookState;
  HWND list = ShortcutList(dialog);
  DeleteShortcutSettings(state->section);
  bool used[kShortcutTableSize] = {};
  const int count = RowCount(list);
  for (int row = 0; row < count; ++row) {
    const uint16_t keyCode = KeyOfRow(list, row);
    if (keyCode == 0 || keyCode >= kShortcutTableSize) continue;
    used[keyCode] = true;
    const int command = CommandOfRow(list, row);
    if (DefaultCommandOfKey(state, keyCode) == command) continue;
    const char* name = CommandNameForId(command);
    WriteKey(keyCode, name ? name : "");
  }
  // A default key that no row holds any more is taken away from its command.
  for (const ShortcutDefault* pair = state->defaults; pair && pair->keyCode != 0; ++pair) {
    if (pair->keyCode < kShortcutTableSize && !used[pair->keyCode]) WriteKey(pair->keyCode, "-");
  }
  FillShortcutTable(state);
}
