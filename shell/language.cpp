#include "shell/language.h"

#include "foundation/core/app_state.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/file_type_table.h"
#include "foundation/ui/header_columns.h"
#include "foundation/ui/language_files.h"
#include "foundation/core/memory.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/resource_library.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_operations.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/theme.h"
#include "foundation/win32/window_wrappers.h"
#include "shell/command_trees.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "views/items_view.h"
#include "shell/profile_notices.h"
#include "shell/settings_values.h"

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

void RenameListColumns(const ItemListControl* list) {
  if (list) RefreshHeaderTexts(list->header);
}

constexpr int kLanguageDialogTextIds[] = {185, 0};
constexpr int kCodeLength = 2;

// A two-letter code as a list item's data (never 0), and back.
LPARAM PackCode(const char* code) {
  return static_cast<LPARAM>(static_cast<uint8_t>(code[0]) | static_cast<uint8_t>(code[1]) << 8);
}

void UnpackCode(LPARAM data, char* code) {
  code[0] = static_cast<char>(data & 0xFF);
  code[1] = static_cast<char>((data >> 8) & 0xFF);
  code[2] = 0;
}

struct LanguageList {
  HWND list;
  const char* current;
  int currentItem;
};

void AddLanguage(const char* code, const wchar_t* displayName, void* userData) {
  auto* languages = static_cast<LanguageList*>(userData);
  const int count = ListBoxGetCount(languages->list);
  for (int item = 0; item < count; ++item) {
    if (ListBoxGetItemData(languages->list, item) == PackCode(code)) return;
  }
  if (displayName[0] == 0) return;
  const int item = ListBoxAddStringWithData(languages->list, displayName, PackCode(code));
  if (item >= 0 && EqualsIgnoreCaseNarrow(code, languages->current)) languages->currentItem = item;
}

// The built-in languages in library order; the language files where the marker entry stands.
void FillLanguageList(HWND list, const char* current) {
  const ResourceLibrary* library = LoadResourceLibrary();
  if (!library) return;
  LanguageList languages = {list, current, -1};
  for (const ResourceLanguage* language = library->languages; language->table; ++language) {
    if (language->code[0] == '-' || NarrowLength(language->code) < kCodeLength) {
      EnumLanguageFiles(AddLanguage, &languages);
    } else if (NarrowLength(language->code) == kCodeLength) {
      wchar_t name[kLanguageNameCapacity];
      CopyWideBounded(language->displayName, name, kLanguageNameCapacity);
      AddLanguage(language->code, name, &languages);
    }
  }
  if (languages.currentItem >= 0) ListBoxSetCurSel(list, languages.currentItem);
}

void InitLanguageDialog(HWND dialog, const char* current) {
  ApplyWindowTheme(dialog);
  CenterWindowOnParent(dialog);
  ApplyDialogTexts(dialog, kLanguageDialogTextIds);
  wchar_t text[kUiTextCapacity];
  GetUiText(kTextOk, text, kUiTextCapacity);
  SetDialogItemText(dialog, IDOK, text);
  GetUiText(kTextCancel, text, kUiTextCapacity);
  SetDialogItemText(dialog, IDCANCEL, text);
  FillLanguageList(GetDialogItem(dialog, IDC_LANGUAGE_LIST), current);
}

}  // namespace

void ReadLanguageSetting(char* code, int capacity) {
  if (code[0] != 0) return;
  LoadLanguageSetting(code, capacity);
  if (code[0] != 0) return;
  char system[3];
  GetDefaultLanguageCode(system);
  CopyNarrowBounded(system, code, capacity);
  StoreLanguageSetting(code);
  // While the window is being made: a trouble is told by the start-up command, once the window stands.
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

void ShowLanguageDialog(HWND window) {
  char code[sizeof g_app->languageCode] = {};
  const INT_PTR chosen = ShowModalDialog(g_app->instance, IDD_LANGUAGE, window, LanguageDialogProc,
                                         reinterpret_cast<LPARAM>(g_app->languageCode));
  if (chosen > 0) {
    UnpackCode(chosen, code);
  } else if (g_app->languageCode[0] != 0) {
    return;
  } else {
    GetDefaultLanguageCode(code);
  }
  CopyNarrowBounded(code, g_app->languageCode, sizeof g_app->languageCode);
  StoreLanguageSetting(code);
  SaveSettings(&g_settingsStore, window);
  LoadLanguage(window);
}

INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitLanguageDialog(dialog, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || (LOWORD(wParam) == IDC_LANGUAGE_LIST && HIWORD(wParam) == LBN_DBLCLK)) {
        EndDialogWithSelectedItem(dialog);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
      }
      return TRUE;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(HandleCtlColorDark(reinterpret_cast<HDC>(wParam)));
    default:
      return FALSE;
  }
}
