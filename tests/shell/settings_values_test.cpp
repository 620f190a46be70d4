// The shell's stored values: each pair writes the text earlier runs wrote and reads such texts back, with the
// defaults for missing and unusable values.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/profile/profile_store.h"
#include "shell/settings_values.h"
#include "support/temp_folder.h"
#include "views/settings_values.h"

namespace {

class SettingsValues : public ::testing::Test {
 protected:
  SettingsValues() {
    ProfileStoreConstruct(&g_settingsStore, (folder_ / L"QVRX.INI").c_str(), kProfileNoAutoLocation);
  }
  ~SettingsValues() override { ProfileStoreDestroy(&g_settingsStore); }

  static std::string Stored(const char* section, const char* key) {
    char text[256];
    return ProfileGetString(&g_settingsStore, section, key, "", text, sizeof text) == 0 ? text : "(missing)";
  }

  TempFolder folder_;
};

int64_t LoadedSort() {
  const SortSetting sort = LoadSortSetting();
  return sort.key | static_cast<int64_t>(sort.direction) << 16;
}

int64_t LoadedColours() {
  ListColoursSetting colours;
  if (!LoadListColoursSetting(&colours)) return -1;
  return static_cast<int64_t>(colours.text) << 24 | colours.background | (colours.used ? 1ll << 48 : 0);
}

}  // namespace

TEST_F(SettingsValues, EachValueIsWrittenInTheFormEarlierRunsWrote) {
  const struct {
    const char* section;
    const char* key;
    std::function<void()> store;
    const char* written;
  } cases[] = {
      {"QVRX", "Sort", [] { StoreSortSetting(7, true); }, "65543"},
      {"QVRX", "Sort", [] { StoreSortSetting(2, false); }, "2"},
      {"QVRX", "DM", [] { StoreDisplayModeSetting(2); }, "2"},
      {"QVRX", "ExpMode", [] { StoreExportModeSetting(5); }, "5"},
      {"QVRX", "Language", [] { StoreLanguageSetting("DE"); }, "DE"},
      {"QVRX", "LastFolder", [] { StoreLastFolderSetting(L"C:\\Fotos"); }, "C:\\Fotos"},
      {"QVRX", "Save", [] { StoreSaveFolderSetting(L"D:\\Sets"); }, "D:\\Sets"},
      {"QVRX", "Opt", [] { StoreOptionWordSetting(0x10020); }, "65568"},
      {"QVRX", "OptTS", [] { StoreTimestampOptions(0x608); }, "1544"},
      {"QVRX", "IconTB", [] { StoreIconSizeSetting(IconSizeSetting::kToolbar, 24); }, "24"},
      {"QVRX", "IconMn", [] { StoreIconSizeSetting(IconSizeSetting::kMenu, 20); }, "20"},
      {"QVRX", "Sep", [] { StoreSplitterSetting(200, 75); }, "200,75"},
      {"QVRX", "TB", [] { StoreToolbarChoiceSetting(&g_settingsStore, "5,0,6"); }, "5,0,6"},
      {"QVRX", "Color", [] { StoreListColoursSetting({0x102030, 0xFFFFFF, true}); }, "#102030,ffffff,1"},
      {"QVRX", "Color", [] { StoreListColoursSetting({0x102030, 0xFFFFFF, false}); }, "#102030,ffffff"},
      {"MRU", "2", [] { StoreRecentFileSetting(1, L"C:\\a.zqr", 8); }, "C:\\a.zqr"},
      {"Keys", "624", [] { StoreShortcutSetting(kShortcutsSection, 624, "FileNew"); }, "FileNew"},
      {"MRU", "2", [] { StoreRecentFileSetting(1, L"", 8); }, "(missing)"},
  };
  for (const auto& c : cases) {
    c.store();
    EXPECT_EQ(Stored(c.section, c.key), c.written) << c.key;
  }
}

TEST_F(SettingsValues, StoredTextsReadAsTheirValuesAndUnusableOnesAsTheDefault) {
  const struct {
    const char* key;
    const char* text;  // null: no such key
    std::function<int64_t()> load;
    int64_t value;
  } cases[] = {
      {"Sort", "65543", LoadedSort, 7 | 1 << 16},
      {"Sort", nullptr, LoadedSort, 0},
      {"ExpMode", "7", LoadExportModeSetting, 7},
      {"ExpMode", "8", LoadExportModeSetting, 0},
      {"ExpMode", "-1", LoadExportModeSetting, 0},
      {"Icon", "256", [] { return LoadIconSizeSetting(IconSizeSetting::kList); }, 256},
      {"Icon", "257", [] { return LoadIconSizeSetting(IconSizeSetting::kList); }, 0},
      {"Icon", "-16", [] { return LoadIconSizeSetting(IconSizeSetting::kList); }, 0},
      {"Opt", nullptr, LoadOptionWordSetting, 32},
      {"Sep", "1000,999", [] { int32_t w = 0, h = 0; return LoadSplitterSetting(&w, &h) ? w * 1000ll + h : -1; },
       1000999},
      {"Sep", "1001,5", [] { int32_t w = 0, h = 0; return LoadSplitterSetting(&w, &h) ? w * 1000ll + h : -1; }, -1},
      {"Color", "#102030,ffffff,1", LoadedColours, 0x102030ll << 24 | 0xFFFFFF | 1ll << 48},
      {"Color", "#102030,ffffff", LoadedColours, 0x102030ll << 24 | 0xFFFFFF},
      {"Color", "#102030,102031,1", LoadedColours, -1},  // too alike to read text on
  };
  for (const auto& c : cases) {
    ProfileSetString(&g_settingsStore, "QVRX", c.key, c.text);
    EXPECT_EQ(c.load(), c.value) << c.key << "=" << (c.text ? c.text : "(missing)");
  }
}
