// QVRX.exe with a stored chain whose content plug-in loads slowly: the run goes on and the plug-in's values
// arrive. One whose plug-in hangs in its load: that run ends instead of freezing, and the next start asks about
// the plug-in before the chain can load it, then goes on without it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "program_copy.h"
#include "remote_program.h"
#include "support/process_driver.h"

namespace {

constexpr wchar_t kHangingLoadPlugin[] = L"HangingLoadTestPlugin.wdx64";
constexpr wchar_t kSlowLoadPlugin[] = L"SlowLoadTestPlugin.wdx64";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string ChainWithPlugin(const std::wstring& library) {
  return "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<PgnCont,0,\"OFN\"-\"Hostile=Value\">\r\n[pgnCont]\r\n1=Hostile;+" +
         Narrow(library) + ";;\r\n";
}

}  // namespace

TEST(PluginStartProgram, ARunThatHungInALoadEndsAndTheNextStartAsksBeforeTheChainLoadsThePlugin) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring files = copy.Folder().MakeFolder(L"files");
  copy.Folder().WriteFile(L"files\\a.txt", "x");
  copy.Folder().WriteFile(L"QVRX.INI", ChainWithPlugin(ExecutableFolder() + L"\\" + kHangingLoadPlugin));
  const std::wstring arguments = Quoted(files);
  {
    ProcessDriver hung;
    ASSERT_TRUE(hung.Start(copy.Program(), arguments, copy.Folder().Path()));
    EXPECT_EQ(hung.WaitForExit(60000), static_cast<long>(ERROR_TIMEOUT)) << "the run that hung in the load ends";
  }
  ProcessDriver driver;
  ASSERT_TRUE(driver.Start(copy.Program(), arguments, copy.Folder().Path()));
  DialogWatcher boxes(driver.ProcessId(), IDNO);
  const HWND window = driver.WaitForWindow(L"QVRX");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return boxes.Answered() == 1; }));
  EXPECT_NE(boxes.LastText().find(kHangingLoadPlugin), std::wstring::npos) << Narrow(boxes.LastText());
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0) << "the run goes on without the plug-in and ends as usual";
}

TEST(PluginStartProgram, ARunWhosePluginTakesSecondsToLoadGoesOnAndShowsItsValues) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  // The test plug-in's entry point sleeps as many milliseconds as its file name says.
  const std::wstring library = copy.Folder() / L"SlowLoad2500.wdx64";
  ASSERT_TRUE(CopyFileW((ExecutableFolder() + L"\\" + kSlowLoadPlugin).c_str(), library.c_str(), FALSE));
  const std::wstring files = copy.Folder().MakeFolder(L"files");
  copy.Folder().WriteFile(L"files\\a.txt", "x");
  copy.Folder().WriteFile(L"QVRX.INI", ChainWithPlugin(library));
  ProcessDriver driver;
  const HWND window = copy.Start(&driver, Quoted(files));
  ASSERT_NE(window, nullptr);
  RemoteList list(driver.Process(), GetDlgItem(window, kFileListId));
  EXPECT_TRUE(WaitUntil([&] { return list.Column(kNewNameColumn) == Names{L"a-7.txt"}; })) << "the value arrives";
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0) << "the run goes on and ends as usual";
  EXPECT_EQ(ReadWholeFile(copy.ProfileFile()).find("\r\nHostile="), std::string::npos) << "no load mark is left";
}
