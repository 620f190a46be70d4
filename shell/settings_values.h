// The values the shell keeps in the profile store, each read and written by one pair of functions beside its
// key, so that a value's encoding is written in one place. Unless said otherwise a value lives in section
// "QVRX". A read gives the default when the value is missing or the store is busy.
#pragma once
#include <windows.h>

#include <cstdint>

struct FilterRecord;
struct SettingsStore;
struct WindowPlacementRecord;

// "UpdateSite": the address the update check downloads the product list from; the maker's when missing.
constexpr char kUpdateSiteKey[] = "UpdateSite";
void LoadUpdateSiteSetting(char* site, int capacity);

// "Opt": the option word (default 32).
uint32_t LoadOptionWordSetting();
void StoreOptionWordSetting(uint32_t options);

// "Sort": the file list's sort key in the low word and its direction in the high one (1 descending).
struct SortSetting {
  uint16_t key;
  int16_t direction;
};
SortSetting LoadSortSetting();
void StoreSortSetting(uint16_t key, bool descending);

// "LastFolder": the folder listed last; empty when none is stored.
void LoadLastFolderSetting(wchar_t* folder, int capacity);
void StoreLastFolderSetting(const wchar_t* folder);

// "DM": the display mode (0 follows the system).
int32_t LoadDisplayModeSetting();
void StoreDisplayModeSetting(int32_t mode);

// "Language": the code of the user interface's language; empty when none is stored.
void LoadLanguageSetting(char* code, int capacity);
void StoreLanguageSetting(const char* code);

// "ExpMode": the list export's mode; a mode the export lacks reads as 0.
int32_t LoadExportModeSetting();
void StoreExportModeSetting(int32_t mode);

// "Filter": the file filter, and "Attr": the attributes tool's two time rows, both in the filter's text form.
// A store gives the formatting error, and then writes nothing.
void LoadFilterSetting(FilterRecord* filter);
int StoreFilterSetting(FilterRecord* filter);
void LoadTimeConditionsSetting(FilterRecord* times);
int StoreTimeConditionsSetting(FilterRecord* times);

// "Icon", "IconTB" and "IconMn": the icon sizes of the lists, the toolbar and the menus; a size no icon has
// reads as 0 (the default).
enum class IconSizeSetting { kList, kToolbar, kMenu };
uint16_t LoadIconSizeSetting(IconSizeSetting which);
void StoreIconSizeSetting(IconSizeSetting which, uint16_t size);

// "Save": the folder settings files were last saved in; empty when none is stored.
void LoadSaveFolderSetting(wchar_t* folder, int capacity);
void StoreSaveFolderSetting(const wchar_t* folder);

// "OptTS": the timestamps tool's option bits (default 0).
uint32_t LoadTimestampOptions();
void StoreTimestampOptions(uint32_t options);

// "Sep": the tree width and the chain height as "width,height". A value is taken only as exactly two numbers,
// the width 1-1000 and the height 1-999; false (and nothing changed) otherwise.
bool ParseSplitterPosition(const char* text, int32_t* treeWidth, int32_t* chainHeight);
bool LoadSplitterSetting(int32_t* treeWidth, int32_t* chainHeight);
void StoreSplitterSetting(int32_t treeWidth, int32_t chainHeight);

// "Font": the lists' font; null when none is stored.
HFONT LoadListFontSetting();
void StoreListFontSetting(HFONT font);

// "CC": the colour chooser's 16 custom colours.
void LoadCustomColoursSetting(COLORREF* colours);
void StoreCustomColoursSetting(const COLORREF* colours);

// "Pos": the main window's placement (900 x 600 when none is stored).
void LoadMainWindowPlacement(WindowPlacementRecord* placement);
void StoreMainWindowPlacement(HWND window);

// "TB": the toolbar's chosen buttons as text, in the store the toolbar keeps them in.
void LoadToolbarChoiceSetting(SettingsStore* store, char* text, int capacity);
void StoreToolbarChoiceSetting(SettingsStore* store, const char* text);

// Section "MRU": the recent settings file at `index` (from 0) as key "1", "2" ...; an empty path removes it. The
// section is a list of recent entries of at most `limit`: where another instance of the program changed it too,
// the two lists are merged at the save (ProfileDeclareRecentList).
void LoadRecentFileSetting(int index, wchar_t* path, int capacity);
void StoreRecentFileSetting(int index, const wchar_t* path, int limit);

// Section "Keys" (the shortcut state may name another): one line per key whose command differs from its default,
// the key code in decimal = the command's name ("-" for none). The reader calls `visit` for each line.
constexpr char kShortcutsSection[] = "Keys";
using ShortcutSettingVisitor = void (*)(uint32_t keyCode, const char* commandName, void* userData);
void LoadShortcutSettings(const char* section, ShortcutSettingVisitor visit, void* userData);
void StoreShortcutSetting(const char* section, uint16_t keyCode, const char* commandName);
void DeleteShortcutSettings(const char* section);

// Section "LR" is not kept from one run to the next.
void DeleteLrSection();
