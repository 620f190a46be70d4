// Restoring the settings takes only a file the program saved: any other would replace every setting and the
// last chain with nothing. Exporting them writes the chosen file, replacing one the user agreed to replace.
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

TEST(SettingsExport, TheChosenFileIsWrittenAndAFileTheUserAgreedToReplaceIsReplaced) {
  TempFolder folder;
  ProfileStoreConstruct(&g_settingsStore, folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nOpt=32\r\n").c_str(),
                        kProfileNoAutoLocation);
  UiSeamsScope seams;
  g_uiSeams.getSaveFileNameW = ChooseTheTestsFile;
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  InitFileSystemProviders();
  g_chosenFile = folder / L"exported.ini";
  // New, then over the file of the first export, then over someone else's file: the dialog asked first.
  for (const char* before : {static_cast<const char*>(nullptr), "", "theirs"}) {
    if (before != nullptr && before[0] != 0) folder.WriteFile(L"exported.ini", before);
    EXPECT_EQ(ExportSettingsStore(nullptr), 0);
    EXPECT_EQ(ReadWholeFile(folder / L"exported.ini"), "[QVRX]\r\nOpt=32\r\n");
    EXPECT_FALSE(PathExists(folder / L"exported (2).ini")) << "no copy beside the chosen file";
  }
  EXPECT_EQ(boxes.Answered(), 0);
  ShutdownProviders();
  ProfileStoreDestroy(&g_settingsStore);
}
