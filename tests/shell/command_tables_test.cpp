// The command table, the state table, the command names and the menus built from the resource library's
// definitions, without a main window.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "engine/module_table.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/resource_library.h"
#include "metadata/column_page.h"
#include "metadata/plugin_page.h"
#include "program_state_scope.h"
#include "shell/command_trees.h"
#include "shell/help_requests.h"
#include "shell/keyboard_hook.h"
#include "shell/main_commands.h"
#include "shell/shortcut_page.h"
#include "shell/status_notices.h"
#include "shell/toolbar_descriptor.h"

namespace {

void CollectMenuCommands(const MenuDefinitionEntry* table, std::set<int>* ids) {
  for (; table && table->commandId != 0; ++table) {
    if (table->commandId == kMenuSeparatorId) continue;
    if (table->children) {
      CollectMenuCommands(table->children, ids);
    } else {
      ids->insert(table->commandId);
    }
  }
}

const MenuItemRecord* FindRecord(const MenuItemRecord* records, int id) {
  for (; records && records->commandId != 0; ++records) {
    if (records->commandId == id) return records;
    if (const MenuItemRecord* inner = FindRecord(records->children, id)) return inner;
  }
  return nullptr;
}

std::wstring MenuText(HMENU menu, int id) {
  wchar_t text[80] = {};
  GetMenuStringW(menu, id, text, 80, MF_BYCOMMAND);
  return text;
}

// A module of the spare slot with a long title and two fields, one of them without a name.
void LongTitle(wchar_t* text, int capacity) {
  CopyWideBounded(L"A module whose title runs on far beyond what a menu item can hold", text, capacity);
}

void TwoFields(ModuleFieldCallback callback, void* userData) {
  callback(L"Width", L"Width", 0, 0, userData);
  callback(L"", L"", 1, 0, userData);
  callback(L"Height", L"Height", 2, 0, userData);
}

class SpareModule {
 public:
  SpareModule() {
    ModuleDescriptor& slot = g_moduleDescriptors[kModuleSlotCount - 1];
    slot.keyName = L"Spare";
    slot.title = LongTitle;
    slot.enumerateFields = TwoFields;
  }
  ~SpareModule() { g_moduleDescriptors[kModuleSlotCount - 1] = ModuleDescriptor{}; }
};

constexpr int kSpareIndex = kModuleSlotCount - 1;

// The module table emptied for a test, and given back after it: a program run earlier in the same process has
// filled it.
class NoModules {
 public:
  NoModules() {
    std::copy(std::begin(g_moduleDescriptors), std::end(g_moduleDescriptors), kept_);
    std::fill(std::begin(g_moduleDescriptors), std::end(g_moduleDescriptors), ModuleDescriptor{});
  }
  ~NoModules() { std::copy(std::begin(kept_), std::end(kept_), g_moduleDescriptors); }

 private:
  ModuleDescriptor kept_[kModuleSlotCount];
};

struct CommandRowRange {
  int first;
  int last;
  bool Single() const { return first == last; }
  bool Holds(int id) const { return id >= first && id <= last; }
};

std::vector<CommandRowRange> CommandRows() {
  std::vector<CommandRowRange> rows;
  CommandRowRange row = {};
  for (int i = 0; CommandTableId(i, &row.first, &row.last); ++i) rows.push_back(row);
  return rows;
}

std::vector<int> ToolbarCommands() {
  ToolbarDescriptor toolbar = {};
  InitMainToolbarDescriptor(&toolbar, nullptr);
  std::vector<int> ids;
  for (const ToolbarButtonRow* row = toolbar.buttons; row->commandId != 0; ++row) {
    if (row->commandId != toolbar.separatorId) ids.push_back(row->commandId);
  }
  for (const uint16_t* id = toolbar.defaultChoice; *id != 0; ++id) {
    if (*id != toolbar.separatorId) ids.push_back(*id);
  }
  return ids;
}

std::vector<int> KeyCommands() {
  std::vector<int> ids;
  for (const CommandNameEntry& entry : kCommandNameTable) {
    if (entry.commandId != 0) ids.push_back(entry.commandId);
  }
  for (const ShortcutDefault* table : {kDefaultShortcutTable, kFixedKeyTable}) {
    for (const ShortcutDefault* pair = table; pair->keyCode != 0; ++pair) ids.push_back(pair->commandId);
  }
  return ids;
}

int MenuItemHelpTopic(int id) {
  HELPINFO info = {sizeof info, HELPINFO_MENUITEM, id, nullptr, 0, {}};
  return HelpTopicForRequest(&info);
}

// The menu items whose help request has a topic of its own: any other topic than that of an item that is no
// command.
std::vector<int> HelpCommands() {
  const int general = MenuItemHelpTopic(0);
  std::vector<int> ids;
  for (int id = 1; id <= 0xFFFF; ++id) {
    if (MenuItemHelpTopic(id) != general) ids.push_back(id);
  }
  return ids;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The commands of a toolbar's buttons, separators left out.
std::vector<int> ToolbarButtonCommands(HWND toolbar) {
  std::vector<int> ids;
  const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button = {};
    SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (!(button.fsStyle & BTNS_SEP)) ids.push_back(button.idCommand);
  }
  return ids;
}

}  // namespace

TEST(CommandTable, EveryCommandHasAHandlerOrIsGreyedWithTheReason) {
  ProgramStateScope state;
  const ResourceLibrary* library = LoadResourceLibrary();
  ASSERT_NE(library, nullptr);
  std::set<int> ids;
  CollectMenuCommands(library->mainMenu, &ids);
  for (const CommandNameEntry& entry : kCommandNameTable) {
    if (entry.commandId != 0) ids.insert(entry.commandId);
  }
  for (int i = 0; i < CommandStateCount(); ++i) ids.insert(CommandStateAt(i)->commandId);
  int first = 0;
  int last = 0;
  for (int i = 0; CommandTableId(i, &first, &last); ++i) ids.insert(first);
  int missing = 0;
  for (int id : ids) {
    SCOPED_TRACE(id);
    const CommandState* row = FindCommandState(id);
    if (row && row->missing) {
      ++missing;
      EXPECT_EQ(FindCommandHandler(id), nullptr) << "a command with a handler is not missing its part";
      EXPECT_TRUE(IsCommandDisabled(id));
      EXPECT_GT(strlen(row->missing), 5u);
    } else {
      EXPECT_NE(FindCommandHandler(id), nullptr);
    }
  }
  EXPECT_EQ(missing, 0) << "every part of the program is there";
  EXPECT_STREQ(kCommandNameTable[kCommandNameCount - 1].name, "-");
}

// A command has one row: a row of its own, or else exactly one range. Single ids come before the ranges, so
// that an id of its own inside a range (the window list among the field sort keys) finds its own row.
TEST(CommandTable, EveryCommandOfTheMenusToolbarKeysAndHelpHasExactlyOneRow) {
  ProgramStateScope state;
  const ResourceLibrary* library = LoadResourceLibrary();
  ASSERT_NE(library, nullptr);
  std::set<int> menuIds;
  CollectMenuCommands(library->mainMenu, &menuIds);
  CollectMenuCommands(library->listPopup, &menuIds);
  std::vector<int> stateIds;
  for (int i = 0; i < CommandStateCount(); ++i) stateIds.push_back(CommandStateAt(i)->commandId);
  const struct {
    const char* source;
    std::vector<int> ids;
  } sources[] = {
      {"menus", {menuIds.begin(), menuIds.end()}},
      {"toolbar", ToolbarCommands()},
      {"keys", KeyCommands()},
      {"help", HelpCommands()},
      {"states", stateIds},
  };
  const std::vector<CommandRowRange> rows = CommandRows();
  for (const auto& source : sources) {
    EXPECT_FALSE(source.ids.empty()) << source.source;
    for (int id : source.ids) {
      int own = 0;
      int ranges = 0;
      for (const CommandRowRange& row : rows) {
        if (row.Holds(id)) ++(row.Single() ? own : ranges);
      }
      EXPECT_TRUE(own == 1 || (own == 0 && ranges == 1)) << source.source << " " << id << ": " << own
                                                          << " own rows, " << ranges << " ranges";
      EXPECT_NE(FindCommandHandler(id), nullptr) << source.source << " " << id;
    }
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    for (size_t j = i + 1; j < rows.size(); ++j) {
      const bool overlap = rows[i].first <= rows[j].last && rows[j].first <= rows[i].last;
      const bool ownBeforeRange = rows[i].Single() && !rows[j].Single();
      EXPECT_TRUE(!overlap || ownBeforeRange) << "rows " << i << " and " << j << " share ids from "
                                              << std::max(rows[i].first, rows[j].first);
    }
  }
}

// The option pages' toolbars, built on the options dialog's own template: every button is one of the list
// editors' commands, each with its tooltip text and its language-file key, and every such command has a button.
TEST(CommandTable, TheOptionPagesToolbarsRunTheListEditorsCommandsWithTheirTexts) {
  ProgramStateScope state;
  const ResourceLibrary* library = LoadResourceLibrary();
  ASSERT_NE(library, nullptr);
  state->uiStrings = library->languages[0].table;
  const UiStringTable* keys = library->languages[1].table;
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), nullptr,
                                   QuietDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  SetupColumnPage(dialog);
  SetupPluginListPage(dialog);
  SetupShortcutListPage(dialog);
  const std::set<int> named = {IDC_ENTRY_ADD,   IDC_ENTRY_UP,     IDC_ENTRY_DOWN,   IDC_ENTRY_EDIT,
                               IDC_ENTRY_DUPLICATE, IDC_ENTRY_REMOVE, IDC_ALIGN_LEFT, IDC_ALIGN_CENTRE,
                               IDC_ALIGN_RIGHT, IDC_ENTRY_FROM_MENU};
  std::set<int> shown;
  for (int toolbar : {kColumnToolbarPlaceholder, IDC_PLUGIN_TOOLBAR, IDC_SHORTCUT_TOOLBAR}) {
    const std::vector<int> ids = ToolbarButtonCommands(GetDlgItem(dialog, toolbar));
    EXPECT_FALSE(ids.empty()) << toolbar;
    for (int id : ids) {
      EXPECT_EQ(named.count(id), 1u) << toolbar << ": " << id;
      wchar_t tooltip[80] = {};
      GetUiTooltipText(id, tooltip, 80);
      wchar_t key[80] = {};
      GetUiTextFromTable(keys, id, key, 80);
      EXPECT_GT(wcslen(tooltip), 0u) << id;
      EXPECT_GT(wcslen(key), 0u) << id;
      shown.insert(id);
    }
  }
  EXPECT_EQ(shown, named);
  DestroyWindow(dialog);
}

TEST(CommandTable, RangesAreTriedAfterTheSingleIdsAndTheEmptyListGreysTheFileCommands) {
  ProgramStateScope state;
  // The window list lies in the range of the field sort keys, but has a handler of its own.
  EXPECT_NE(FindCommandHandler(IDM_WINDOW_LIST), FindCommandHandler(IDM_SORT_FIELD_FIRST));
  EXPECT_EQ(FindCommandHandler(221), nullptr);
  EXPECT_EQ(FindCommandHandler(IDM_RECENT_FILE_FIRST), FindCommandHandler(IDM_RECENT_FILE_LAST));
  EXPECT_NE(FindCommandHandler(230), FindCommandHandler(IDM_RECENT_FILE_LAST));
  EXPECT_EQ(FindCommandHandler(IDM_ADD_MODULE_FIRST), FindCommandHandler(IDM_ADD_MODULE_LAST));
  // Without lists nothing that needs rows, a step or the chain can run; Stop waits for a job.
  for (int id : {IDM_RENAME_IN_PLACE, IDM_START_RENAMING, IDM_EXPORT_LIST, IDM_ATTRIBUTES, IDM_TIMESTAMPS,
                 IDM_PROPERTIES, IDM_OPEN_FILES, IDM_RECYCLE, IDM_UNDO, IDM_EDIT_STEP, IDM_REMOVE_STEP, IDM_STEP_UP,
                 IDM_STEP_DOWN, IDM_SELECT_ALL, IDM_SELECT_NONE, IDM_INVERT_SELECTION, IDM_COPY_NAMES, IDM_COPY_PATHS,
                 IDM_COPY_ROWS, IDM_COPY_ROWS_WITH_TITLES, IDM_SORT_NAME, IDM_SORT_AGAIN, IDM_STOP,
                 IDM_OPEN_IN_FILE_MANAGER, IDM_SHOW_IN_FILE_MANAGER, IDM_FOLDER_UP}) {
    EXPECT_TRUE(IsCommandDisabled(id)) << id;
  }
  for (int id : {IDM_EXIT, IDM_NEW_LIST, IDM_OPEN_SETTINGS, IDM_SAVE_SETTINGS, IDM_STARTUP, IDM_RELOAD_LIST,
                 IDM_SUBFOLDERS, IDM_RESTORE_CHAIN, IDM_FILTER, IDM_RESTORE_SETTINGS, IDM_RECENT_FILE_FIRST,
                 IDM_ADD_MODULE_FIRST}) {
    EXPECT_FALSE(IsCommandDisabled(id)) << id;
  }
  InterlockedIncrement(&state->busyCounter);
  for (int id : {IDM_NEW_LIST, IDM_OPEN_SETTINGS, IDM_RELOAD_LIST, IDM_SELECTED_ONLY, IDM_RESTORE_SETTINGS,
                 IDM_RESET_SETTINGS, IDM_DISPLAY_LIGHT, IDM_RECENT_FILE_FIRST, IDM_ADD_MODULE_FIRST}) {
    EXPECT_TRUE(IsCommandDisabled(id)) << id;
  }
  EXPECT_FALSE(IsCommandDisabled(IDM_STOP));
  EXPECT_FALSE(IsCommandDisabled(IDM_SAVE_SETTINGS));
}

TEST(MainMenu, EveryItemGetsItsTextAndTheCurrentDisplayModeIsLeftOut) {
  ProgramStateScope state;
  NoModules noModules;
  const ResourceLibrary* library = LoadResourceLibrary();
  ASSERT_NE(library, nullptr);
  state->uiStrings = library->languages[0].table;
  state->displayMode = 1;
  MenuItemRecord* tree = CopyFilteredCommandTree(library->mainMenu, DynamicMenuProvider);
  ASSERT_NE(tree, nullptr);
  // Without dark mode there is no appearance menu; without fields no field sort.
  EXPECT_EQ(FindRecord(tree, IDM_DISPLAY_MENU), nullptr);
  EXPECT_EQ(FindRecord(tree, IDM_SORT_FIELD_FIRST), nullptr);
  HMENU bar = CreateMenu();
  ASSERT_EQ(BuildMenuFromTable(state->uiStrings, bar, tree, false), 0);
  EXPECT_EQ(GetMenuItemCount(bar), 6);
  EXPECT_EQ(MenuText(bar, IDM_SAVE_SETTINGS), L"&Save settings file..");
  EXPECT_NE(GetMenuState(GetSubMenu(bar, 2), IDM_FOLDER_TREE, MF_BYCOMMAND), 0xFFFFFFFFu);
  HMENU popup = CreatePopupMenu();
  ASSERT_EQ(BuildMenuFromTable(state->uiStrings, popup, tree, true), 0);
  EXPECT_EQ(MenuText(popup, IDM_SAVE_SETTINGS), L"&Save settings file..");
  // With the key table the menu bar's menus name the shortcuts; pop-ups never do.
  KeyHookState keys;
  InitKeyHookState(&keys);
  keys.section = nullptr;
  FillShortcutTable(&keys);
  HMENU barWithKeys = CreateMenu();
  HMENU popupWithKeys = CreatePopupMenu();
  ASSERT_EQ(BuildMenuFromTable(state->uiStrings, barWithKeys, tree, false, &keys), 0);
  ASSERT_EQ(BuildMenuFromTable(state->uiStrings, popupWithKeys, tree, true, &keys), 0);
  EXPECT_EQ(MenuText(barWithKeys, IDM_SAVE_SETTINGS), L"&Save settings file..\tCtrl+S");
  EXPECT_EQ(MenuText(barWithKeys, IDM_NEW_LIST), L"&New list");
  EXPECT_EQ(MenuText(popupWithKeys, IDM_SAVE_SETTINGS), L"&Save settings file..");
  for (HMENU menu : {bar, popup, barWithKeys, popupWithKeys}) DestroyMenu(menu);
  FreeCommandTree(tree);

  // The display modes leave out the current one (their appearance menu waits for dark mode).
  const MenuDefinitionEntry modes[] = {{IDM_DISPLAY_LIGHT, 0, nullptr}, {IDM_DISPLAY_SYSTEM, 0, nullptr},
                                       {IDM_DISPLAY_DARK, 0, nullptr}, {0, 0, nullptr}};
  tree = CopyFilteredCommandTree(modes, nullptr);
  ASSERT_NE(tree, nullptr);
  EXPECT_NE(FindRecord(tree, IDM_DISPLAY_LIGHT), nullptr);
  EXPECT_EQ(FindRecord(tree, IDM_DISPLAY_SYSTEM), nullptr);
  EXPECT_NE(FindRecord(tree, IDM_DISPLAY_DARK), nullptr);
  FreeCommandTree(tree);

  // An item without a text makes the whole build fail.
  MenuItemRecord unknown[] = {
      {IDM_ADD_STEP, 0, 0, nullptr, {}, nullptr}, {29999, 0, 0, nullptr, {}, nullptr}, {0, 0, 0, nullptr, {}, nullptr}};
  HMENU failed = CreatePopupMenu();
  EXPECT_EQ(BuildMenuFromTable(state->uiStrings, failed, unknown, true), 1);
  DestroyMenu(failed);
}

TEST(ModuleMenus, ModulesAreOfferedByTitleAndFieldsGroupedByModule) {
  ProgramStateScope state;
  const ResourceLibrary* library = LoadResourceLibrary();
  ASSERT_NE(library, nullptr);
  state->uiStrings = library->languages[0].table;
  InitModuleDescriptors();
  SpareModule spare;
  MenuItemRecord* modules = BuildModuleMenuItems();
  ASSERT_NE(modules, nullptr);
  const MenuItemRecord* caseModule = FindRecord(modules, IDM_ADD_MODULE_FIRST + kModuleCase);
  ASSERT_NE(caseModule, nullptr);
  EXPECT_EQ(caseModule->flags, kRecordOwnText);
  const std::wstring long_ = FindRecord(modules, IDM_ADD_MODULE_FIRST + kSpareIndex)->text;
  EXPECT_EQ(long_.size(), static_cast<size_t>(kMenuTextCapacity - 1));
  EXPECT_EQ(long_.substr(long_.size() - 3), L"...");
  FreeCommandTree(modules);

  MenuItemRecord* fields = BuildFieldMenuItems();
  ASSERT_NE(fields, nullptr);
  // A group for each module with fields, in index order; modules without fields have no entry.
  const auto group = [](int module) { return IDM_SORT_FIELD_FIRST + 256 * module; };
  std::vector<int> groups;
  for (const MenuItemRecord* record = fields; record->commandId != 0; ++record) groups.push_back(record->commandId);
  EXPECT_EQ(groups, (std::vector<int>{group(kModuleAudio), group(kModuleImage), group(kModuleExif),
                                      group(kModuleEMail), group(kSpareIndex)}));
  ASSERT_EQ(groups.size(), 5u);
  ASSERT_NE(fields[0].children, nullptr);
  EXPECT_EQ(fields[0].children[0].commandId, group(kModuleAudio) + 1) << "field numbers count from 1";
  const MenuItemRecord& spareGroup = fields[4];
  ASSERT_NE(spareGroup.children, nullptr);
  EXPECT_EQ(spareGroup.children[0].commandId, group(kSpareIndex));
  EXPECT_EQ(spareGroup.children[1].commandId, group(kSpareIndex) + 2);
  EXPECT_EQ(spareGroup.children[2].commandId, 0);
  FreeCommandTree(fields);
}

TEST(TitleNotices, TheCountTakesTheOneIntegerFieldAndNothingElse) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"%d new names cannot be used", L"3 new names cannot be used"},
      {L"%s and %d and %d", L"%s and 3 and %d"},
      {L"100%% of %u", L"100% of 3"},
      {L"no field", L"no field"},
  };
  for (const Case& c : cases) {
    wchar_t text[64];
    FormatCountText(c.pattern, 3, text, 64);
    EXPECT_STREQ(text, c.expected);
  }
}
