// Starts the real QVRX.exe, as a user would: its window, its profile file, its placement across starts and
// the order in which its process-wide objects are built and torn down.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/files/shell_folders.h"
#include "foundation/win32/window_placement.h"
#include "support/process_driver.h"
#include "profile_text.h"
#include "program_copy.h"
#include "support/temp_folder.h"

namespace {

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

bool WaitUntil(bool (*condition)(HWND), HWND window) {
  for (int i = 0; i < 500; ++i) {
    if (condition(window)) return true;
    Sleep(20);
  }
  return false;
}

}  // namespace

TEST(ProgramStart, FirstStartShowsDefaultWindowAndLeavesProfileOnClose) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  ProcessDriver driver;
  HWND window = copy.Start(&driver);
  ASSERT_NE(window, nullptr);
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"Quorvex");
  const RECT frame = WindowRect(window);
  EXPECT_EQ(frame.right - frame.left, ScaleByScreenWidth(900));
  EXPECT_EQ(frame.bottom - frame.top, ScaleByScreenWidth(600));
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
  const std::vector<std::string> lines = SectionLines(ReadWholeFile(copy.ProfileFile()), "QVRX");
  EXPECT_EQ(ValueOf(lines, "Version"), "26.01");
  EXPECT_EQ(ValueOf(lines, "Opt"), "32");
  EXPECT_NE(ValueOf(lines, "Pos"), "(missing)");
}

TEST(ProgramStart, ComesBackWhereItWasMovedAndMaximised) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  {
    ProcessDriver driver;
    HWND window = copy.Start(&driver);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 120, 90, 640, 470, SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_EQ(ProgramCopy::Close(&driver, window), 0);
  }
  {
    ProcessDriver driver;
    HWND window = copy.Start(&driver);
    ASSERT_NE(window, nullptr);
    const RECT frame = WindowRect(window);
    EXPECT_EQ(frame.left, 120);
    EXPECT_EQ(frame.top, 90);
    EXPECT_EQ(frame.right - frame.left, 640);
    EXPECT_EQ(frame.bottom - frame.top, 470);
    ShowWindowAsync(window, SW_MAXIMIZE);
    ASSERT_TRUE(WaitUntil([](HWND w) { return IsZoomed(w) != FALSE; }, window));
    ASSERT_EQ(ProgramCopy::Close(&driver, window), 0);
  }
  ProcessDriver driver;
  HWND window = copy.Start(&driver);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsZoomed(window));
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
}

TEST(ProgramStart, BuildsItsObjectsInOrderAndTearsThemDownInReverse) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring trace = copy.Folder() / L"trace.txt";
  SetEnvironmentVariableW(L"QVRX_TRACE", trace.c_str());
  ProcessDriver driver;
  HWND window = copy.Start(&driver);
  SetEnvironmentVariableW(L"QVRX_TRACE", nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(ProgramCopy::Close(&driver, window), 0);
  const std::vector<std::string> lines = TextLines(ReadWholeFile(trace));
  ASSERT_EQ(lines.size(), 26u);
  for (int n = 1; n <= 13; ++n) {
    EXPECT_EQ(lines[n - 1].rfind("built " + std::to_string(n) + " ", 0), 0u) << lines[n - 1];
    EXPECT_EQ(lines[26 - n].rfind("destroyed " + std::to_string(n) + " ", 0), 0u) << lines[26 - n];
  }
  EXPECT_EQ(lines[4], "built 5 profile store");
  EXPECT_EQ(lines[13], "destroyed 13 theme object");
  EXPECT_EQ(lines[25], "destroyed 1 menu-icon holder");
}
