// Starts the real QVRX.exe, as a user would, and checks it shows its main window and ends cleanly.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

// A private copy of the program, so that files it writes beside itself stay in the test's folder.
std::wstring CopyProgramTo(const TempFolder& folder) {
  std::wstring copy = folder / L"QVRX.exe";
  if (!CopyFileW((ExecutableFolder() + L"\\QVRX.exe").c_str(), copy.c_str(), FALSE)) return L"";
  return copy;
}

}  // namespace

TEST(ProgramStart, ShowsMainWindowAndExitsWithZeroOnClose) {
  TempFolder folder;
  std::wstring program = CopyProgramTo(folder);
  ASSERT_FALSE(program.empty());
  ProcessDriver driver;
  ASSERT_TRUE(driver.Start(program, L"", folder.Path()));
  HWND window = driver.WaitForWindow(L"QVRX");
  ASSERT_NE(window, nullptr);
  RECT frame;
  ASSERT_TRUE(GetWindowRect(window, &frame));
  EXPECT_GT(frame.right - frame.left, 0);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(driver.WaitForExit(), 0);
}
