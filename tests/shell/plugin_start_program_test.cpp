// QVRX.exe with a stored chain whose content plug-in hangs in its load: that run ends instead of freezing, and
// the next start asks about the plug-in before the chain can load it, then goes on without it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "program_copy.h"
#include "remote_program.h"
#include "support/process_driver.h"

namespace {

constexpr wchar_t kHangingLoadPlugin[] = L"HangingLoadTestPlugin.wdx64";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TEST(PluginStartProgram, ARunThatHungInALoadEndsAndTheNextStartAsksBeforeTheChainLoadsThePlugin) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring files = copy.Folder().MakeFolder(L"files");
  copy.Folder().WriteFile(L"files\\a.txt", "x");
  copy.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<PgnCont,0,\"OFN\"-\"Hostile=Value\">\r\n"
                                       "[pgnCont]\r\n1=Hostile;+" +
                                           Narrow(ExecutableFolder() + L"\\" + kHangingLoadPlugin) + ";;\r\n");
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
