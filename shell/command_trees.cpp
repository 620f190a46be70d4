#include "shell/command_trees.h"

#include <cstring>

#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/message_boxes.h"
#include "foundation/ui/owner_drawn_menus.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/menu_icons.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/list_views.h"
#include "foundation/ui/dialog_list_views.h"
#include "shell/key_names.h"
#include "shell/keyboard_hook.h"
#include "views/column_fit.h"

namespace {

constexpr int kFieldsPerModule = 256;
constexpr wchar_t kModuleTitleSuffix[] = L"...";

MenuItemRecord* g_mainMenuTree = nullptr;

MenuItemRecord* AllocRecords(int count) {
  return static_cast<MenuItemRecord*>(AllocZeroed(static_cast<uint32_t>(count + 1) * sizeof(MenuItemRecord)));
}

bool IsLeftOut(uint16_t id) {
  if (id == IDM_DISPLAY_MENU) return SetDarkModePreference(kAskDarkAvailable) == 0;
  return id >= IDM_DISPLAY_FIRST && id <= IDM_DISPLAY_LAST && IsDisplayModeCommandActive(id);
}

int CountEntries(const MenuDefinitionEntry* definition) {
  int count = 0;
  while (definition[count].commandId != 0) ++count;
  return count;
}

// Records built in a growing array: each added record is zero-filled and the array stays 0-terminated.
struct RecordArray {
  MenuItemRecord* records;
  int count;
  int capacity;
  bool failed;  // a record could not be had
};

MenuItemRecord* AddRecord(RecordArray* array, int id, const wchar_t* text) {
  if (array->count + 1 >= array->capacity) {
    const int capacity = array->capacity ? array->capacity * 2 : 32;
    MenuItemRecord* grown = AllocRecords(capacity);
    if (!grown) {
      array->failed = true;
      return nullptr;
    }
    if (array->records) memcpy(grown, array->records, static_cast<size_t>(array->count) * sizeof(MenuItemRecord));
    FreeAndNull(&array->records);
    array->records = grown;
    array->capacity = capacity;
  }
  MenuItemRecord* record = &array->records[array->count++];
  record->commandId = static_cast<uint16_t>(id);
  record->flags = kRecordOwnText;
  CopyWideBounded(text, record->text, kMenuTextCapacity);
  return record;
}

void FreeRecordArray(RecordArray* array) {
  FreeCommandTree(array->records);
  *array = RecordArray{};
}

int AddModuleRecord(const wchar_t*, const wchar_t* title, int index, void* userData) {
  if (title[0] == 0) return 0;
  wchar_t text[kMenuTextCapacity];
  CopyWideBounded(title, text, kMenuTextCapacity - static_cast<int>(WideLength(kModuleTitleSuffix)));
  AppendWideBounded(kModuleTitleSuffix, text, kMenuTextCapacity);
  return AddRecord(static_cast<RecordArray*>(userData), IDM_ADD_MODULE_FIRST + index, text) ? 0 : 1;
}

struct FieldWalk {
  RecordArray fields;
  int moduleIndex;
};

int AddFieldRecord(const wchar_t* fieldName, const wchar_t* displayName, int fieldIndex, int, void* userData) {
  auto* walk = static_cast<FieldWalk*>(userData);
  if (fieldName == nullptr || fieldName[0] == 0 || fieldIndex < 0 || fieldIndex >= kFieldsPerModule) return 0;
  const int id = IDM_SORT_FIELD_FIRST + kFieldsPerModule * walk->moduleIndex + fieldIndex;
  return AddRecord(&walk->fields, id, displayName ? displayName : fieldName) ? 0 : 1;
}

int AddModuleFieldGroup(const wchar_t*, const wchar_t* title, int index, void* userData) {
  if (title[0] == 0) return 0;
  FieldWalk walk = {{}, index};
  const bool listed = GuardedCall(false, [&] {
    return EnumerateModuleFields(static_cast<uint32_t>(index), AddFieldRecord, &walk) != 0;
  });
  auto* groups = static_cast<RecordArray*>(userData);
  groups->failed |= walk.fields.failed;
  if (!listed || walk.fields.count == 0 || walk.fields.failed) {
    FreeRecordArray(&walk.fields);
    return groups->failed ? 1 : 0;
  }
  MenuItemRecord* group = AddRecord(groups, IDM_SORT_FIELD_FIRST + kFieldsPerModule * index, title);
  if (!group) {
    FreeRecordArray(&walk.fields);
    return 1;
  }
  group->children = walk.fields.records;
  return 0;
}

// The text an item shows: its own, or the UI text of its id up to the status hint (and, in pop-ups and for
// items that open a pop-up, without the shortcut after the tab). Separators have none.
void ItemText(const UiStringTable* table, const MenuItemRecord& record, bool cutAtTab, wchar_t* text) {
  if (record.flags & kRecordOwnText) {
    CopyWideBounded(record.text, text, kMenuTextCapacity);
    return;
  }
  text[0] = 0;
  if (static_cast<int16_t>(record.commandId) <= 0) return;
  GetUiTextFromTable(table, record.commandId, text, kMenuTextCapacity);
  for (wchar_t* c = text; *c; ++c) {
    if (*c == L';' || (cutAtTab && *c == L'\t')) {
      *c = 0;
      break;
    }
  }
}

// A command item of the menu bar's menus shows its shortcut.
void AddShortcutName(const KeyHookState* keys, const MenuItemRecord& record, bool cutAtTab, wchar_t* text) {
  if (keys && !cutAtTab && text[0] != 0 && static_cast<int16_t>(record.commandId) > 0) {
    AppendShortcutToMenuText(keys, record.commandId, text, kMenuTextCapacity);
  }
}

bool IsSeparator(const MenuItemRecord& record) {
  return (record.flags & kMenuSeparatorType) != 0 || static_cast<int16_t>(record.commandId) < 0;
}

bool IsSeparatorEntry(const MenuDefinitionEntry& entry) {
  return (entry.itemType & kMenuSeparatorType) != 0 || entry.commandId == kMenuSeparatorId;
}

bool CursorOnWindow(HWND window) {
  POINT cursor = {};
  RECT rect = {};
  return GetCursorPos(&cursor) && GetWindowRect(window, &rect) && PtInRect(&rect, cursor);
}

void ApplyEnableList(HMENU menu, const uint16_t* enableList) {
  for (const uint16_t* entry = enableList; entry && entry[0] != 0; entry += 2) {
    EnableMenuItem(menu, entry[0], MF_BYCOMMAND | entry[1]);
  }
}

// An array whose walk failed half-way is dropped: a menu with modules missing would mislead.
MenuItemRecord* TakeRecords(RecordArray* array) {
  if (array->failed || array->count == 0) {
    FreeRecordArray(array);
    return nullptr;
  }
  return array->records;
}

}  // namespace

MenuItemRecord* DynamicMenuProvider(const MenuDefinitionEntry* definition) {
  const ResourceLibrary* library = LoadResourceLibrary();
  if (!library || !definition) return nullptr;
  if (definition == library->moduleList) return BuildModuleMenuItems();
  if (definition == library->fieldList) return BuildFieldMenuItems();
  return nullptr;
}

MenuItemRecord* CopyFilteredCommandTree(const MenuDefinitionEntry* definition, MenuContentProvider provider) {
  if (!definition) return nullptr;
  if (provider) {
    if (MenuItemRecord* dynamic = provider(definition)) return dynamic;
  }
  const int count = CountEntries(definition);
  MenuItemRecord* records = AllocRecords(count);
  if (!records) return nullptr;
  int copied = 0;
  for (int i = 0; i < count; ++i) {
    const MenuDefinitionEntry& entry = definition[i];
    if (IsLeftOut(entry.commandId)) continue;
    MenuItemRecord* children = entry.children ? CopyFilteredCommandTree(entry.children, provider) : nullptr;
    // A pop-up left without items (no fields to sort by, say) is left out.
    if (entry.children && (!children || children->commandId == 0)) {
      FreeCommandTree(children);
      continue;
    }
    // Two separators in a row stay one where an item between them was left out.
    if (IsSeparatorEntry(entry) && copied > 0 && IsSeparator(records[copied - 1])) continue;
    MenuItemRecord& record = records[copied++];
    record.commandId = entry.commandId;
    record.flags = entry.itemType;
    record.children = children;
  }
  return records;
}

void FreeCommandTree(MenuItemRecord* tree) {
  if (!tree) return;
  for (MenuItemRecord* record = tree; record->commandId != 0; ++record) FreeCommandTree(record->children);
  FreeAndNull(&tree);
}

MenuItemRecord* BuildModuleMenuItems() {
  RecordArray array = {};
  EnumerateModules(AddModuleRecord, &array);
  return TakeRecords(&array);
}

MenuItemRecord* BuildFieldMenuItems() {
  RecordArray array = {};
  EnumerateModules(AddModuleFieldGroup, &array);
  return TakeRecords(&array);
}

int BuildMenuFromTable(const UiStringTable* table, HMENU menu, MenuItemRecord* records, bool popupContext,
                       const KeyHookState* keys) {
  for (MenuItemRecord* record = records; record && record->commandId != 0; ++record) {
    const bool separator = IsSeparator(*record);
    const bool cutAtTab = popupContext || record->children;
    wchar_t text[kMenuTextCapacity];
    ItemText(table, *record, cutAtTab, text);
    if (!separator && text[0] == 0) return 1;
    if (!separator) AddShortcutName(keys, *record, cutAtTab, text);
    CopyWideBounded(text, record->text, kMenuTextCapacity);
    HMENU popup = nullptr;
    if (record->children) {
      popup = CreatePopupMenu();
      if (!popup) return 1;
      if (BuildMenuFromTable(table, popup, record->children, popupContext, keys) != 0) {
        DestroyMenu(popup);
        return 1;
      }
    }
    const UINT type = record->flags & ~(kRecordOwnText | kMenuSeparatorType);
    if (!AppendMenuItem(menu, record->commandId, separator ? nullptr : text, type, 0,
                        reinterpret_cast<ULONG_PTR>(record), popup)) {
      if (popup) DestroyMenu(popup);
      return 1;
    }
  }
  return 0;
}

void SetMenuFromTable(HWND window, const UiStringTable* table, MenuItemRecord* records, MenuIconHelper* icons,
                      const KeyHookState* keys) {
  DestroyWindowMenu(window);
  HMENU bar = CreateMenu();
  if (!bar || BuildMenuFromTable(table, bar, records, false, keys) != 0) {
    if (bar) DestroyMenu(bar);
    ShowMessageBoxNarrow(window, "Loading error.", "", MB_ICONERROR);
    return;
  }
  // Owner-drawn before it is set: setting it measures and draws the window's frame, which would otherwise be
  // measured and drawn again for the owner-drawn items.
  if (icons) MakeMenuOwnerDrawn(icons, nullptr, bar);
  SetMenu(window, bar);
}

void RebuildMainMenu(HWND window) {
  FreeMainMenuTree();
  const ResourceLibrary* library = LoadResourceLibrary();
  if (!library || !g_app) return;
  g_mainMenuTree = CopyFilteredCommandTree(library->mainMenu, DynamicMenuProvider);
  MenuIconHelper* icons = ResolveFlagDefault(0) ? &g_menuIcons : nullptr;
  if (g_mainMenuTree) SetMenuFromTable(window, g_app->uiStrings, g_mainMenuTree, icons, &g_keyHookState);
}

int ResolveFlagDefault(int flag) {
  if (flag != 0) return flag;
  return g_app && (g_app->options & kOptionSystemMenus) ? 0 : 1;
}

void FreeMainMenuTree() {
  FreeCommandTree(g_mainMenuTree);
  g_mainMenuTree = nullptr;
}

int ShowPopupMenuAtCursor(HWND owner, HWND window, MenuItemRecord* records, const uint16_t* enableList, UINT flags) {
  if (window && !CursorOnWindow(window)) return 0;
  HMENU menu = CreatePopupMenu();
  if (!menu) return 0;
  if (BuildMenuFromTable(g_app ? g_app->uiStrings : nullptr, menu, records, true) != 0) {
    DestroyMenu(menu);
    return 0;
  }
  ApplyEnableList(menu, enableList);
  return TrackPopupMenuAtCursor(menu, owner, flags, true, true);
}

int ShowPopupMenuFromTable(HWND owner, HWND window, const MenuDefinitionEntry* definition,
                           const uint16_t* enableList, UINT flags) {
  MenuItemRecord* tree = CopyFilteredCommandTree(definition, DynamicMenuProvider);
  if (!tree) return 0;
  const int chosen = ShowPopupMenuAtCursor(owner, window, tree, enableList, flags);
  FreeCommandTree(tree);
  return chosen;
}

int ShowColumnHeaderMenu(HWND owner, HWND list, const MenuDefinitionEntry* definition, const uint16_t* enableList,
                         int column) {
  const int given = definition ? CountEntries(definition) : 0;
  auto* menu = static_cast<MenuDefinitionEntry*>(
      AllocZeroed(static_cast<uint32_t>(given + 4) * sizeof(MenuDefinitionEntry)));
  if (!menu) return 0;
  int count = 0;
  if (column >= 0) menu[count++] = {IDM_FIT_COLUMN, 0, nullptr};
  menu[count++] = {IDM_FIT_ALL_COLUMNS, 0, nullptr};
  if (given > 0) menu[count++] = {kMenuSeparatorId, kMenuSeparatorType, nullptr};
  for (int i = 0; i < given; ++i) menu[count++] = definition[i];
  const int chosen = ShowPopupMenuFromTable(owner, nullptr, menu, enableList, 0);
  FreeAndNull(&menu);
  if (chosen == IDM_FIT_COLUMN) {
    ListViewAutoSizeColumn(list, column);
  } else if (chosen == IDM_FIT_ALL_COLUMNS) {
    FitAllListColumns(list);
  } else if (chosen != 0) {
    PostMessageW(owner, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
  }
  return 1;
}

void ShowListSelectionMenu(HWND owner, HWND list) {
  const ResourceLibrary* library = LoadResourceLibrary();
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  if (!library || count < 2) return;
  switch (ShowPopupMenuFromTable(owner, list, library->listPopup, nullptr, 0)) {
    case IDM_SELECT_ALL:
      ListViewSetCheck(list, -1, true);
      break;
    case IDM_SELECT_NONE:
      ListViewSetCheck(list, -1, false);
      break;
    case IDM_INVERT_SELECTION:
      ListViewInvertChecks(list);
      break;
    default:
      break;
  }
}
