// Restoring the settings takes only a file the program saved: any other would replace every setting and the
// last chain with nothing. Exporting them replaces no file.
#include "shell/settings_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/profile/profile_store.h"
#include "foundation/providers/providers.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "ui_seams_scope.h"

namespace {

std::wstring g_chosenFile;

BOOL WINAPI ChooseTheTestsFile(OPENFILENAMEW* dialog) {
  wcsncpy(dialog->lpstrFile, g_chosenFile.c_str(), dialog->nMaxFile);
  return TRUE;
}

}  // namespace

TEST(SettingsRestore, OnlyAFileWithTheMainSectionIsASettingsStore) {
  TempFolder folder;
  const struct {
    const char* text;
    bool store;
  } cases[] = {
      {"[QVRX]\r\nVersion=26.01\r\n", true},
      {"\xEF\xBB\xBF[QVRX]\r\nVersion=26.01\r\n", true},
      {"[QK]\r\nR1=<Case,n,2>\r\n\r\n  [qvrx]\r\nOpt=32\r\n", true},
      {"[QVRXX]\r\n", false},
      {"Version=26.01 [QVRX]\r\n", false},
      {"<Case,n,2>\r\n", false},
      {"", false},
  };
  for (const auto& c : cases) {
    const std::wstring path = folder.WriteFile(L"chosen.ini", c.text);
    EXPECT_EQ(IsSettingsStoreFile(path.c_str()), c.store) << c.text;
  }
  EXPECT_FALSE(IsSettingsStoreFile((folder / L"missing.ini").c_str()));
}

TEST(SettingsExport, PutsTheCopyBesideAFileOfTheChosenNameAndNeverReplacesIt) {
  TempFolder folder;
  ProfileStoreConstruct(&g_settingsStore, folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nOpt=32\r\n").c_str(),
                        kProfileNoAutoLocation);
  UiSeamsScope seams;
  g_uiSeams.getSaveFileNameW = ChooseTheTestsFile;
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  InitFileSystemProviders();
  g_chosenFile = folder / L"exported.ini";
  const std::vector<std::wstring> copies = {L"exported.ini", L"exported (2).ini", L"exported (3).ini"};
  for (const std::wstring& copy : copies) {
    EXPECT_EQ(ExportSettingsStore(nullptr), 0);
    EXPECT_EQ(ReadWholeFile(folder / copy), "[QVRX]\r\nOpt=32\r\n") << copy.c_str();
  }
  folder.WriteFile(L"exported (2).ini", "theirs");
  EXPECT_EQ(ExportSettingsStore(nullptr), 0);
  EXPECT_EQ(ReadWholeFile(folder / L"exported (2).ini"), "theirs");
  EXPECT_TRUE(PathExists(folder / L"exported (4).ini"));
  EXPECT_EQ(boxes.Answered(), 0);
  ShutdownProviders();
  ProfileStoreDestroy(&g_settingsStore);
}
