#include "shell/language.h"

#include "foundation/app_state.h"
#include "foundation/bounded_text.h"
#include "foundation/file_type_table.h"
#include "foundation/header_columns.h"
#include "foundation/language_files.h"
#include "foundation/memory.h"
#include "foundation/profile_store.h"
#include "foundation/resource_library.h"
#include "foundation/ui_strings.h"
#include "foundation/ui_text_ids.h"
#include "shell/command_trees.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "views/item_list_control.h"
#include "views/item_list_sort.h"

namespace {

bool IsBuiltInTable(const ResourceLibrary* library, const UiStringTable* table) {
  for (const ResourceLanguage* language = library->languages; language->table; ++language) {
    if (language->table == table) return true;
  }
  return false;
}

const UiStringTable* BuiltInTableOf(const ResourceLibrary* library, const char* code) {
  for (const ResourceLanguage* language = library->languages; language->table; ++language) {
    if (EqualsIgnoreCaseNarrow(language->code, code)) return language->table;
  }
  return nullptr;
}

void ReleaseOwnTable(const ResourceLibrary* library) {
  if (!g_app->uiStrings || IsBuiltInTable(library, g_app->uiStrings)) return;
  auto* own = const_cast<UiStringTable*>(g_app->uiStrings);
  FreeAndNull(&own);
  g_app->uiStrings = nullptr;
}

void RenameListColumns(ItemListControl* list) {
  if (!list || !list->header) return;
  HeaderResetColumns(list->header, list->creation.columns);
  ItemsViewUpdateSortArrow(list);
}

}  // namespace

void ReadLanguageSetting(char* code, int capacity) {
  if (code[0] != 0) return;
  ProfileGetString(&g_settingsStore, kMainSection, "Language", "", code, capacity);
  if (code[0] != 0) return;
  char system[3];
  GetDefaultLanguageCode(system);
  CopyNarrowBounded(system, code, capacity);
  ProfileSetString(&g_settingsStore, kMainSection, "Language", code);
  ProfileSave(&g_settingsStore);
}

void LoadLanguage(HWND window) {
  const ResourceLibrary* library = LoadResourceLibrary();
  if (!library) return;
  ReleaseOwnTable(library);
  g_app->uiStrings = library->languages[0].table;
  ReadLanguageSetting(g_app->languageCode, sizeof g_app->languageCode);
  if (const UiStringTable* builtIn = BuiltInTableOf(library, g_app->languageCode)) {
    g_app->uiStrings = builtIn;
  } else if (UiStringTable* loaded = LoadLanguageFile(library->languages, g_app->languageCode)) {
    g_app->uiStrings = loaded;
  }
  RebuildMainMenu(window);
  RebuildRecentMenu(&g_recentFiles, window);
  wchar_t fileWord[kFileWordCapacity];
  GetUiText(kTextFileWord, fileWord, kFileWordCapacity);
  FileTypeTableSetFileWord(&g_fileTypes, fileWord);
  RenameListColumns(g_app->chainList);
  RenameListColumns(g_app->fileList);
  UpdateMenuStates(window, true);
}
