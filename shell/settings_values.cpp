#include "shell/settings_values.h"

#include <cstdio>

#include "foundation/core/app_state.h"
#include "foundation/profile/profile_store.h"
#include "foundation/profile/profile_values.h"
#include "foundation/text/numbers.h"
#include "foundation/win32/window_placement.h"
#include "shell/main_window.h"
#include "shell/update_check.h"
#include "views/filter_text_form.h"

namespace {

SettingsStore* Store() { return &g_settingsStore; }

}  // namespace

void LoadUpdateSiteSetting(char* site, int capacity) {
  ProfileGetString(Store(), kMainSection, kUpdateSiteKey, kMakerWebSite, site, capacity);
}

uint32_t LoadOptionWordSetting() {
  return static_cast<uint32_t>(ProfileGetOptInt(Store(), kMainSection, kDefaultOptions));
}

void StoreOptionWordSetting(uint32_t options) {
  ProfileSetOptInt(Store(), kMainSection, static_cast<int32_t>(options));
}

constexpr char kSortKey[] = "Sort";

SortSetting LoadSortSetting() {
  const int32_t sort = ProfileGetInt(Store(), kMainSection, kSortKey, 0);
  return {LOWORD(sort), static_cast<int16_t>(HIWORD(sort))};
}

void StoreSortSetting(uint16_t key, bool descending) {
  const uint32_t direction = descending ? 1 : 0;
  ProfileSetInt(Store(), kMainSection, kSortKey, static_cast<int32_t>(direction << 16 | key));
}

constexpr char kLastFolderKey[] = "LastFolder";

void LoadLastFolderSetting(wchar_t* folder, int capacity) {
  ProfileGetPath(Store(), kMainSection, kLastFolderKey, L"", folder, capacity);
}

void StoreLastFolderSetting(const wchar_t* folder) { ProfileSetPath(Store(), kMainSection, kLastFolderKey, folder); }

constexpr char kDisplayModeKey[] = "DM";

int32_t LoadDisplayModeSetting() { return ProfileGetInt(Store(), kMainSection, kDisplayModeKey, 0); }

void StoreDisplayModeSetting(int32_t mode) { ProfileSetInt(Store(), kMainSection, kDisplayModeKey, mode); }

constexpr char kLanguageKey[] = "Language";

void LoadLanguageSetting(char* code, int capacity) {
  ProfileGetString(Store(), kMainSection, kLanguageKey, "", code, capacity);
}

void StoreLanguageSetting(const char* code) { ProfileSetString(Store(), kMainSection, kLanguageKey, code); }

constexpr char kExportModeKey[] = "ExpMode";
constexpr int kExportModeCount = 8;

int32_t LoadExportModeSetting() {
  const int32_t mode = ProfileGetInt(Store(), kMainSection, kExportModeKey, 0);
  return static_cast<uint32_t>(mode) < kExportModeCount ? mode : 0;
}

void StoreExportModeSetting(int32_t mode) { ProfileSetInt(Store(), kMainSection, kExportModeKey, mode); }

constexpr char kFilterKey[] = "Filter";
constexpr char kTimeConditionsKey[] = "Attr";

void LoadFilterSetting(FilterRecord* filter) { LoadFilterDefinition(filter, kMainSection, kFilterKey); }

int StoreFilterSetting(FilterRecord* filter) { return SaveFilterDefinition(filter, kMainSection, kFilterKey); }

void LoadTimeConditionsSetting(FilterRecord* times) { LoadFilterDefinition(times, kMainSection, kTimeConditionsKey); }

int StoreTimeConditionsSetting(FilterRecord* times) {
  return SaveFilterDefinition(times, kMainSection, kTimeConditionsKey);
}

namespace {
constexpr const char* kIconSizeKeys[] = {"Icon", "IconTB", "IconMn"};
constexpr int kLargestIconSize = 256;

const char* IconSizeKey(IconSizeSetting which) { return kIconSizeKeys[static_cast<int>(which)]; }
}  // namespace

uint16_t LoadIconSizeSetting(IconSizeSetting which) {
  const int32_t size = ProfileGetInt(Store(), kMainSection, IconSizeKey(which), 0);
  return static_cast<uint16_t>(size > 0 && size <= kLargestIconSize ? size : 0);
}

void StoreIconSizeSetting(IconSizeSetting which, uint16_t size) {
  ProfileSetInt(Store(), kMainSection, IconSizeKey(which), size);
}

constexpr char kSaveFolderKey[] = "Save";

void LoadSaveFolderSetting(wchar_t* folder, int capacity) {
  ProfileGetPath(Store(), kMainSection, kSaveFolderKey, L"", folder, capacity);
}

void StoreSaveFolderSetting(const wchar_t* folder) { ProfileSetPath(Store(), kMainSection, kSaveFolderKey, folder); }

constexpr char kTimestampOptionsKey[] = "OptTS";

uint32_t LoadTimestampOptions() {
  return static_cast<uint32_t>(ProfileGetInt(Store(), kMainSection, kTimestampOptionsKey, 0));
}

void StoreTimestampOptions(uint32_t options) {
  ProfileSetInt(Store(), kMainSection, kTimestampOptionsKey, static_cast<int32_t>(options));
}

constexpr char kSplitterKey[] = "Sep";
constexpr int kSplitterTextCapacity = 32;
constexpr int32_t kLargestTreeWidth = 1000;
constexpr int32_t kLargestChainHeight = 999;

bool ParseSplitterPosition(const char* text, int32_t* treeWidth, int32_t* chainHeight) {
  int width = 0;
  int height = 0;
  int end = 0;
  if (sscanf(text, "%d,%d%n", &width, &height, &end) != 2 || text[end] != 0) return false;
  if (width < 1 || width > kLargestTreeWidth || height < 1 || height > kLargestChainHeight) return false;
  *treeWidth = width;
  *chainHeight = height;
  return true;
}

bool LoadSplitterSetting(int32_t* treeWidth, int32_t* chainHeight) {
  char text[kSplitterTextCapacity];
  ProfileGetString(Store(), kMainSection, kSplitterKey, "", text, sizeof text);
  return ParseSplitterPosition(text, treeWidth, chainHeight);
}

void StoreSplitterSetting(int32_t treeWidth, int32_t chainHeight) {
  char text[kSplitterTextCapacity];
  snprintf(text, sizeof text, "%d,%d", static_cast<int>(treeWidth), static_cast<int>(chainHeight));
  ProfileSetString(Store(), kMainSection, kSplitterKey, text);
}

constexpr char kListFontKey[] = "Font";

HFONT LoadListFontSetting() { return ProfileGetFont(Store(), kMainSection, kListFontKey); }

void StoreListFontSetting(HFONT font) { ProfileSetFont(Store(), kMainSection, kListFontKey, font); }

void LoadCustomColoursSetting(COLORREF* colours) { ProfileGetCustomColors(Store(), kMainSection, colours); }

void StoreCustomColoursSetting(const COLORREF* colours) { ProfileSetCustomColors(Store(), kMainSection, colours); }

void LoadMainWindowPlacement(WindowPlacementRecord* placement) {
  ProfileGetWindowPos(Store(), kMainSection, placement, kMainWindowDefaultWidth, kMainWindowDefaultHeight);
}

void StoreMainWindowPlacement(HWND window) { ProfileSaveWindowPos(Store(), kMainSection, window); }

constexpr char kToolbarChoiceKey[] = "TB";

void LoadToolbarChoiceSetting(SettingsStore* store, char* text, int capacity) {
  ProfileGetString(store, kMainSection, kToolbarChoiceKey, "", text, capacity);
}

void StoreToolbarChoiceSetting(SettingsStore* store, const char* text) {
  ProfileSetString(store, kMainSection, kToolbarChoiceKey, text);
}

namespace {
constexpr char kRecentFilesSection[] = "MRU";

// Keys "1" to "9", one character each.
void RecentFileKey(int index, char (&key)[2]) {
  key[0] = static_cast<char>('1' + index);
  key[1] = 0;
}
}  // namespace

void LoadRecentFileSetting(int index, wchar_t* path, int capacity) {
  char key[2];
  RecentFileKey(index, key);
  ProfileGetPath(Store(), kRecentFilesSection, key, L"", path, capacity);
}

void StoreRecentFileSetting(int index, const wchar_t* path, int limit) {
  ProfileDeclareRecentList(Store(), kRecentFilesSection, static_cast<uint32_t>(limit));
  char key[2];
  RecentFileKey(index, key);
  if (path[0] != 0) {
    ProfileSetPath(Store(), kRecentFilesSection, key, path);
  } else {
    ProfileDeleteKey(Store(), kRecentFilesSection, key);
  }
}

namespace {
struct ShortcutWalk {
  ShortcutSettingVisitor visit;
  void* userData;
};

int VisitShortcutLine(const char* key, const char* value, void* userData) {
  const auto* walk = static_cast<const ShortcutWalk*>(userData);
  walk->visit(NarrowToUIntDecimal(key), value, walk->userData);
  return 0;
}
}  // namespace

void LoadShortcutSettings(const char* section, ShortcutSettingVisitor visit, void* userData) {
  ShortcutWalk walk = {visit, userData};
  ProfileEnumSection(Store(), section, VisitShortcutLine, &walk);
}

void StoreShortcutSetting(const char* section, uint16_t keyCode, const char* commandName) {
  char key[16];
  IntToNarrowDecimal(keyCode, key, sizeof key);
  ProfileSetString(Store(), section, key, commandName);
}

void DeleteShortcutSettings(const char* section) { ProfileDeleteSection(Store(), section); }

constexpr char kLrSection[] = "LR";

void DeleteLrSection() { ProfileDeleteSection(Store(), kLrSection); }
