// Restoring the settings takes only a file the program saved: any other would replace every setting and the
// last chain with nothing.
#include "shell/settings_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

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
