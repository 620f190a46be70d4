// The resource library QVRXRES.dll as the program loads it: its languages, string tables and menu definitions.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_library.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "support/temp_folder.h"

namespace {

constexpr int kRecordLimit = 10000;
constexpr int kMenuLimit = 100;

struct CommandName {
  int id;
  const char* name;
};

// The command names of the shortcut settings that the main window knows by itself.
const CommandName kCommandNames[] = {
    {IDM_NEW_LIST, "FileNew"}, {IDM_OPEN_SETTINGS, "FileOpen"}, {IDM_SAVE_SETTINGS, "FileSave"},
    {IDM_RENAME_IN_PLACE, "FileRen"}, {IDM_START_RENAMING, "FileQK"}, {IDM_STOP, "Stop"}, {IDM_UNDO, "Undo"},
    {IDM_EXPORT_LIST, "Export"}, {IDM_SHOW_IN_FILE_MANAGER, "FileView"}, {IDM_ATTRIBUTES, "FileAttrib"},
    {IDM_TIMESTAMPS, "FileTime"}, {IDM_PROPERTIES, "Prop"}, {IDM_EXIT, "Exit"}, {IDM_ADD_STEP, "RuleAdd"},
    {IDM_EDIT_STEP, "RuleEdit"}, {IDM_REMOVE_STEP, "RuleDel"}, {IDM_STEP_UP, "RuleUp"}, {IDM_STEP_DOWN, "RuleDown"},
    {IDM_SELECT_ALL, "SelectAll"}, {IDM_SELECT_NONE, "SelDel"}, {IDM_INVERT_SELECTION, "SelInv"},
    {IDM_COPY_NAMES, "SelSaveClip"}, {IDM_COPY_PATHS, "SelPathClip"}, {IDM_COPY_ROWS, "SelClipNameD"},
    {IDM_COPY_ROWS_WITH_TITLES, "SelClipNameH"}, {IDM_FOLDER_TREE, "ViewTree"}, {IDM_SUBFOLDERS, "ViewFlds"},
    {IDM_SELECTED_ONLY, "ViewSele"}, {IDM_APPLY_FILTER, "ViewFilt"}, {IDM_TOOLBAR, "Toolbar"},
    {IDM_ADDRESS_BAR, "AdrBar"}, {IDM_STATUS_BAR, "Statusbar"}, {IDM_FILE_ICONS, "ViewIcon"},
    {IDM_REFRESH_TREE, "Refresh"}, {IDM_SORT_NAME, "SrtName"}, {IDM_SORT_EXTENSION, "SrtExt"},
    {IDM_SORT_NEW_NAME, "SrtNameNew"}, {IDM_SORT_CREATED, "SrtTimeC"}, {IDM_SORT_MODIFIED, "SrtTime"},
    {IDM_SORT_ACCESSED, "SrtTimeA"}, {IDM_SORT_SIZE, "SrtSize"}, {IDM_SORT_ATTRIBUTES, "SrtAttr"},
    {IDM_SORT_TYPE, "SrtType"}, {IDM_SORT_FOLDER, "SrtPath"}, {IDM_SORT_DESCENDING, "SrtRevers"},
    {IDM_CONNECT_DRIVE, "ConnDrv"}, {IDM_DISCONNECT_DRIVE, "DiscDrv"}, {IDM_OPEN_IN_FILE_MANAGER, "GoTo"},
    {IDM_TOOLBAR_BUTTONS, "OptToolbar"}, {IDM_LIST_FONT, "Font"}, {IDM_OPTIONS, "Config"}, {IDM_FILTER, "CfgFilter"},
    {IDM_BACK_UP_SETTINGS, "OptBack"}, {IDM_RESTORE_SETTINGS, "OptRest"}, {IDM_LANGUAGE, "Language"},
    {IDM_WINDOW_LIST, "TaskList"}, {IDM_KEYS_PAGE, "HelpKeys"}, {IDM_CHECK_UPDATES, "ChkUpd"}, {IDM_ABOUT, "About"},
};

// Every command the main window carries out, and the pop-ups of the main menu.
const std::set<int> kMenuCommands = {IDM_EXIT, IDM_NEW_LIST, IDM_OPEN_SETTINGS, IDM_SAVE_SETTINGS, IDM_RENAME_IN_PLACE,
                                     IDM_START_RENAMING, IDM_EXPORT_LIST, IDM_ATTRIBUTES, IDM_TIMESTAMPS,
                                     IDM_PROPERTIES, IDM_OPEN_FILES, IDM_RECYCLE, IDM_UNDO, IDM_ADD_STEP, IDM_EDIT_STEP,
                                     IDM_REMOVE_STEP, IDM_STEP_UP, IDM_STEP_DOWN, IDM_SELECT_ALL, IDM_SELECT_NONE,
                                     IDM_INVERT_SELECTION, IDM_COPY_NAMES, IDM_COPY_PATHS, IDM_COPY_ROWS,
                                     IDM_COPY_ROWS_WITH_TITLES, IDM_RELOAD_LIST, IDM_SORT_NAME, IDM_SORT_EXTENSION,
                                     IDM_SORT_NEW_NAME, IDM_SORT_MODIFIED, IDM_SORT_CREATED, IDM_SORT_ACCESSED,
                                     IDM_SORT_SIZE, IDM_SORT_ATTRIBUTES, IDM_SORT_TYPE, IDM_SORT_FOLDER,
                                     IDM_SORT_DESCENDING, IDM_FOLDER_TREE, IDM_SUBFOLDERS, IDM_SELECTED_ONLY,
                                     IDM_APPLY_FILTER, IDM_TOOLBAR, IDM_ADDRESS_BAR, IDM_STATUS_BAR, IDM_FILE_ICONS,
                                     IDM_REFRESH_TREE, IDM_STOP, IDM_OPEN_IN_FILE_MANAGER, IDM_SHOW_IN_FILE_MANAGER,
                                     IDM_CONNECT_DRIVE, IDM_DISCONNECT_DRIVE, IDM_TOOLBAR_BUTTONS, IDM_LIST_FONT,
                                     IDM_OPTIONS, IDM_FILTER, IDM_LANGUAGE, IDM_BACK_UP_SETTINGS, IDM_RESTORE_SETTINGS,
                                     IDM_RESET_SETTINGS, IDM_HELP_TOPICS, IDM_KEYS_PAGE, IDM_CHECK_UPDATES, IDM_ABOUT,
                                     IDM_DISPLAY_LIGHT, IDM_DISPLAY_SYSTEM, IDM_DISPLAY_DARK, IDM_WINDOW_LIST};
const std::set<int> kPopupIds = {IDM_FILE_MENU, IDM_EDIT_MENU, IDM_SORT_MENU, IDM_VIEW_MENU, IDM_TOOLS_MENU,
                                 IDM_OPTIONS_MENU, IDM_HELP_MENU, IDM_DISPLAY_MENU, IDM_SORT_FIELD_FIRST};

const ResourceLibrary* Library() {
  const ResourceLibrary* library = LoadResourceLibrary();
  EXPECT_NE(library, nullptr) << "QVRXRES.dll beside the test program";
  return library;
}

const ResourceLanguage* FindLanguage(const ResourceLibrary* library, const char* code) {
  for (const ResourceLanguage* language = library->languages; language->table; ++language)
    if (std::string(language->code) == code) return language;
  return nullptr;
}

const UiStringTable* EnglishTable() { return Library()->languages[0].table; }
const UiStringTable* KeyTable() { return FindLanguage(Library(), "-")->table; }

// Records of a table from record 1 up to the end record; empty when no end record comes within the limit.
std::vector<UiStringRecord> Records(const UiStringTable* table) {
  std::vector<UiStringRecord> records;
  for (int i = 1; i < kRecordLimit; ++i) {
    if (table->records[i].id == 0) return records;
    records.push_back(table->records[i]);
  }
  return {};
}

std::wstring Text(const UiStringTable* table, int id) {
  wchar_t buffer[1024];
  GetUiTextFromTable(table, id, buffer, 1024);
  return buffer;
}

std::wstring MenuPart(const std::wstring& text) { return text.substr(0, text.find(L';')); }

std::string Key(const UiStringRecord& record) { return static_cast<const char*>(record.text); }

// The value a language file gives for a key: the first place where the key stands before any '_' and a '=';
// the value runs to the end of its line.
std::wstring LanguageFileValue(const std::wstring& file, const std::wstring& key) {
  for (size_t at = file.find(key); at != std::wstring::npos; at = file.find(key, at + 1)) {
    size_t next = at + key.size();
    while (next < file.size() && file[next] == L'_') ++next;
    if (next < file.size() && file[next] == L'=')
      return file.substr(next + 1, file.find_first_of(L"\r\n", next) - next - 1);
  }
  return L"<missing>";
}

// Calls `visit` for every entry of a menu definition and its children; false when a table has no end.
template <typename Visit>
bool VisitMenu(const MenuDefinitionEntry* table, Visit&& visit, int depth = 0) {
  if (depth > 4) return false;
  for (int i = 0; i < kMenuLimit; ++i) {
    if (table[i].commandId == 0) return true;
    visit(table[i]);
    if (table[i].children && !VisitMenu(table[i].children, visit, depth + 1)) return false;
  }
  return false;
}

std::vector<int> Ids(const MenuDefinitionEntry* table) {
  std::vector<int> ids;
  for (int i = 0; i < kMenuLimit && table[i].commandId; ++i) ids.push_back(table[i].commandId);
  return ids;
}

const MenuDefinitionEntry* Popup(const MenuDefinitionEntry* table, int id) {
  for (int i = 0; i < kMenuLimit && table[i].commandId; ++i)
    if (table[i].commandId == id) return table[i].children;
  return nullptr;
}

}  // namespace

TEST(ResourceLibrary, LoadsOnceWithTheLayoutOfThisBuild) {
  const ResourceLibrary* library = Library();
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->size, sizeof(ResourceLibrary));
  EXPECT_EQ(library->version, kResourceLibraryVersion);
  EXPECT_EQ(LoadResourceLibrary(), library);
  HMODULE module = GetModuleHandleW(kResourceLibraryFileName);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "r"), nullptr) << "the export keeps its undecorated name";
}

TEST(ResourceLibrary, IsMissingFromAFolderWithoutIt) {
  TempFolder folder;
  EXPECT_EQ(LoadResourceLibraryFrom(folder.Path().c_str()), nullptr);
  folder.WriteFile(L"QVRXRES.dll", "not a library");
  EXPECT_EQ(LoadResourceLibraryFrom(folder.Path().c_str()), nullptr);
  const ResourceLibrary* beside = LoadResourceLibraryFrom(ExecutableFolder().c_str());
  ASSERT_NE(beside, nullptr);
  EXPECT_EQ(beside, LoadResourceLibrary()) << "the same library as the program's";
}

TEST(ResourceLibrary, ListsEnglishFirstAndTheKeyTable) {
  const ResourceLibrary* library = Library();
  ASSERT_NE(library, nullptr);
  const ResourceLanguage& first = library->languages[0];
  EXPECT_STREQ(first.code, "US");
  EXPECT_STREQ(first.displayName, L"English");
  EXPECT_LT(first.table->records[0].id, 0) << "UTF-16 texts";
  EXPECT_STRNE(static_cast<const char*>(first.table->records[0].text), "-");
  const ResourceLanguage* marker = FindLanguage(library, "-");
  ASSERT_NE(marker, nullptr);
  EXPECT_NE(marker, &first) << "the key table must not be the default";
  EXPECT_GE(marker->table->records[0].id, 0) << "8-bit keys";
  EXPECT_STREQ(static_cast<const char*>(marker->table->records[0].text), "-");
  int languages = 0;
  while (library->languages[languages].table && languages < 100) ++languages;
  EXPECT_EQ(languages, 2);
}

TEST(ResourceLibrary, LooksUpEnglishTextsAndRemappedIds) {
  const UiStringTable* english = EnglishTable();
  EXPECT_EQ(Text(english, kTextLanguageName), L"English");
  // Shortcut names are not part of the texts: the menus append the key that is really assigned.
  EXPECT_EQ(Text(english, IDM_SAVE_SETTINGS), L"&Save settings file..;Save the rename steps in a settings file;"
                                L"Save settings file");
  EXPECT_EQ(Text(english, 2400), Text(english, kTextAttributes));
  EXPECT_EQ(Text(english, IDM_FOLDER_BACK), Text(english, 9008));
  EXPECT_EQ(Text(english, 32000), L"");
  EXPECT_EQ(Text(english, 13256), L"(MP3, iTunes, OggVorbis, WMA, FLAC)");
}

TEST(ResourceLibrary, EveryTextIsNotEmptyAndEndsItsTable) {
  std::vector<UiStringRecord> english = Records(EnglishTable());
  ASSERT_GT(english.size(), 300u);
  for (const UiStringRecord& record : english)
    EXPECT_FALSE(Text(EnglishTable(), record.id).empty()) << "text " << record.id;
}

TEST(ResourceLibrary, KeyTableNamesEveryTextOnceWithAnIdentifier) {
  std::vector<UiStringRecord> english = Records(EnglishTable());
  std::vector<UiStringRecord> keys = Records(KeyTable());
  ASSERT_EQ(keys.size(), english.size());
  std::set<std::string> seen;
  for (size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(keys[i].id, english[i].id);
    std::string key = Key(keys[i]);
    ASSERT_FALSE(key.empty());
    EXPECT_TRUE(isalpha(static_cast<unsigned char>(key[0]))) << key;
    for (char c : key) EXPECT_TRUE(isalnum(static_cast<unsigned char>(c))) << key;
    EXPECT_TRUE(seen.insert(key).second) << "key given twice: " << key;
  }
  for (const std::string& shorter : seen) {
    for (const std::string& longer : seen) {
      bool endsWith = longer.size() > shorter.size() &&
                      longer.compare(longer.size() - shorter.size(), shorter.size(), shorter) == 0;
      EXPECT_FALSE(endsWith) << longer << " ends with the key " << shorter;
    }
  }
  EXPECT_EQ(Key(keys[0]), "Language");
}

// Each value carries its id, so that a key that finds another key's line shows even where two texts are equal.
TEST(ResourceLibrary, LanguageFileWrittenFromTheKeysGivesBackEveryText) {
  std::vector<UiStringRecord> keys = Records(KeyTable());
  ASSERT_FALSE(keys.empty());
  auto value = [](const UiStringRecord& record) {
    return std::to_wstring(record.id) + L":" + Text(EnglishTable(), record.id);
  };
  std::wstring file = L"\xFEFF";
  for (const UiStringRecord& record : keys) {
    std::string key = Key(record);
    file += std::wstring(key.begin(), key.end()) + L"___=" + value(record) + L"\r\n";
  }
  for (const UiStringRecord& record : keys) {
    std::string key = Key(record);
    EXPECT_EQ(LanguageFileValue(file, std::wstring(key.begin(), key.end())), value(record)) << key;
  }
}

TEST(ResourceLibrary, CommandNamesLeadToTheirCommands) {
  std::vector<UiStringRecord> keys = Records(KeyTable());
  for (const CommandName& command : kCommandNames) {
    for (size_t i = 1; i < keys.size(); ++i) {
      if (Key(keys[i]) == command.name) {
        EXPECT_EQ(keys[i].id, command.id) << command.name;
      }
    }
    EXPECT_NE(MenuPart(Text(EnglishTable(), command.id)), L"") << command.name;
  }
}

TEST(ResourceLibrary, MainMenuHoldsTheCommandsWithTexts) {
  const ResourceLibrary* library = Library();
  ASSERT_NE(library, nullptr);
  std::set<int> commands;
  bool ended = VisitMenu(library->mainMenu, [&](const MenuDefinitionEntry& entry) {
    if (entry.itemType == kMenuSeparatorType) {
      EXPECT_EQ(entry.commandId, kMenuSeparatorId);
      EXPECT_EQ(entry.children, nullptr);
      return;
    }
    EXPECT_EQ(entry.itemType, 0u) << entry.commandId;
    EXPECT_NE(MenuPart(Text(EnglishTable(), entry.commandId)), L"") << "menu item " << entry.commandId;
    const std::set<int>& allowed = entry.children ? kPopupIds : kMenuCommands;
    EXPECT_TRUE(allowed.count(entry.commandId)) << "menu id " << entry.commandId;
    EXPECT_TRUE(commands.insert(entry.commandId).second) << "listed twice: " << entry.commandId;
  });
  EXPECT_TRUE(ended) << "every table of the main menu ends";
  for (const CommandName& command : kCommandNames)
    EXPECT_TRUE(commands.count(command.id)) << command.name << " is in the menu";
}

TEST(ResourceLibrary, MainMenuKeepsThePlacesTheWindowRelyOn) {
  const ResourceLibrary* library = Library();
  ASSERT_NE(library, nullptr);
  std::vector<int> bar = Ids(library->mainMenu);
  ASSERT_GE(bar.size(), 3u);
  std::vector<int> file = Ids(library->mainMenu[0].children);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file.back(), IDM_EXIT) << "recent files go before Exit, the file menu's last item";
  std::vector<int> view = Ids(library->mainMenu[2].children);
  EXPECT_NE(std::find(view.begin(), view.end(), IDM_FOLDER_TREE), view.end()) << "the view menu stands at position 2";
  const MenuDefinitionEntry* sort = Popup(library->mainMenu[2].children, IDM_SORT_MENU);
  ASSERT_NE(sort, nullptr);
  EXPECT_EQ(Popup(sort, IDM_SORT_FIELD_FIRST), library->fieldList);
  const MenuDefinitionEntry* display = Popup(library->mainMenu[4].children, IDM_DISPLAY_MENU);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(Ids(display), (std::vector<int>{IDM_DISPLAY_LIGHT, IDM_DISPLAY_SYSTEM, IDM_DISPLAY_DARK}));
}

TEST(ResourceLibrary, PlaceholdersAndListPopup) {
  const ResourceLibrary* library = Library();
  ASSERT_NE(library, nullptr);
  EXPECT_NE(library->moduleList, library->fieldList);
  EXPECT_EQ(library->moduleList[0].commandId, 0);
  EXPECT_EQ(library->fieldList[0].commandId, 0);
  EXPECT_EQ(Ids(library->listPopup), (std::vector<int>{IDM_SELECT_ALL, IDM_SELECT_NONE, IDM_INVERT_SELECTION}));
  for (int id : Ids(library->listPopup)) EXPECT_NE(MenuPart(Text(EnglishTable(), id)), L"");
}
