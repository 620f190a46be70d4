// Starts the real QVRX.exe, as a user would: its window, its profile file, its placement across starts and
// the order in which its process-wide objects are built and torn down.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "foundation/files/shell_folders.h"
#include "foundation/ui/command_ids.h"
#include "foundation/win32/window_placement.h"
#include "support/process_driver.h"
#include "profile_text.h"
#include "program_copy.h"
#include "remote_program.h"
#include "support/temp_folder.h"

namespace {

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

// Starts another instance of the copy with the arguments, does the work with its window and closes it.
void RunInstance(const ProgramCopy& copy, const std::wstring& arguments,
                 const std::function<void(const ProcessDriver&, HWND)>& work) {
  ProcessDriver instance;
  HWND window = copy.Start(&instance, arguments);
  ASSERT_NE(window, nullptr);
  work(instance, window);
  ASSERT_EQ(ProgramCopy::Close(&instance, window), 0);
}

bool WaitUntil(bool (*condition)(HWND), HWND window) {
  for (int i = 0; i < 500; ++i) {
    if (condition(window)) return true;
    Sleep(20);
  }
  return false;
}

// The base names of the libraries loaded in the process, in lower case.
std::vector<std::wstring> LoadedLibraries(HANDLE process) {
  HMODULE modules[1024];
  DWORD needed = 0;
  std::vector<std::wstring> names;
  if (!K32EnumProcessModulesEx(process, modules, sizeof modules, &needed, LIST_MODULES_ALL)) return names;
  for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 1024; ++i) {
    wchar_t name[MAX_PATH] = {};
    if (K32GetModuleBaseNameW(process, modules[i], name, MAX_PATH)) names.push_back(_wcslwr(name));
  }
  return names;
}

}  // namespace

// The system libraries bound on their first call (the update check's, the file dialogs', the network names')
// cost the start their loading when a direct import slips in.
TEST(ProgramStart, LibrariesBoundOnFirstCallAreNotLoadedByTheStart) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  ProcessDriver driver;
  HWND window = copy.Start(&driver);
  ASSERT_NE(window, nullptr);
  const std::vector<std::wstring> loaded = LoadedLibraries(driver.Process());
  EXPECT_GT(loaded.size(), 3u);
  for (const wchar_t* late : {L"urlmon.dll", L"wininet.dll", L"comdlg32.dll", L"mpr.dll"}) {
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), late), 0) << late;
  }
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
}

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

namespace {

std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) bytes.append(reinterpret_cast<const char*>(&c), 2);
  return bytes;
}

std::string Narrowed(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

// A profile saved as UTF-16 (by an editor) gives the program none of its settings: the user is told once, with
// its path, and the file stays as it is.
TEST(ProgramStart, AProfileThatCannotBeReadIsToldOnceAndLeftAsItIs) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::string bytes = Utf16File(L"[QVRX]\r\nOpt=33\r\nLanguage=US\r\n");
  copy.Folder().WriteFile(L"QVRX.INI", bytes);
  ProcessDriver driver;
  HWND window = copy.Start(&driver);
  ASSERT_NE(window, nullptr);
  DialogWatcher watcher(driver.ProcessId(), IDOK);
  ASSERT_TRUE(WaitUntil([&] { return watcher.Answered() >= 1; }));
  EXPECT_EQ(watcher.LastOwner(), window);
  EXPECT_NE(watcher.LastText().find(copy.ProfileFile()), std::wstring::npos);
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
  EXPECT_EQ(watcher.Answered(), 1) << "told once, not again when the settings are not saved at the end";
  EXPECT_EQ(ReadWholeFile(copy.ProfileFile()), bytes);
}

// Instance B runs on a folder while instance A starts, loads a settings file (its chain and a recent file) and
// ends: when B ends, A's chain and recent file stay beside B's own change.
TEST(ProgramStart, TwoInstancesOnOneProfileKeepEachOthersSettings) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring folder = copy.Folder().MakeFolder(L"photos");
  copy.Folder().WriteFile(L"photos\\a.txt", "a");
  const std::wstring settingsFile = copy.Folder().WriteFile(L"steps.zqr", Utf16File(L"<Case,n,2>\r\n"));
  copy.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n");
  ProcessDriver instanceB;
  HWND windowB = copy.Start(&instanceB, Quoted(folder));
  ASSERT_NE(windowB, nullptr);
  RunInstance(copy, Quoted(settingsFile), [](const ProcessDriver&, HWND) {});
  const std::string afterA = ReadWholeFile(copy.ProfileFile());
  ASSERT_EQ(ValueOf(SectionLines(afterA, "QK"), "R1"), "<Case,n,2>");
  ASSERT_EQ(ValueOf(SectionLines(afterA, "MRU"), "1"), Narrowed(settingsFile));
  ASSERT_EQ(ProgramCopy::Close(&instanceB, windowB), 0);
  const std::string text = ReadWholeFile(copy.ProfileFile());
  EXPECT_EQ(ValueOf(SectionLines(text, "QK"), "R1"), "<Case,n,2>");
  EXPECT_EQ(ValueOf(SectionLines(text, "MRU"), "1"), Narrowed(settingsFile));
  EXPECT_EQ(ValueOf(SectionLines(text, "QVRX"), "LastFolder"), Narrowed(folder));
}

// Three instances start on a profile saved for the first time. B loads a settings file; A loads another and hides
// the status bar; C sorts its folder by size. A and C end before B, which changed neither setting: both changes
// stay, and the recent files of A and B are merged, B's first.
TEST(ProgramStart, InstancesKeepWhatAnotherSetOfWhatTheyOnlyReadAndMergeTheirRecentFiles) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring folder = copy.Folder().MakeFolder(L"photos");
  copy.Folder().WriteFile(L"photos\\a.txt", "22");
  copy.Folder().WriteFile(L"photos\\b.txt", "1");
  const std::wstring fileOfB = copy.Folder().WriteFile(L"b.zqr", Utf16File(L"<Case,n,2>\r\n"));
  const std::wstring fileOfA = copy.Folder().WriteFile(L"a.zqr", Utf16File(L"<Case,n,1>\r\n"));
  ProcessDriver instanceB;
  HWND windowB = copy.Start(&instanceB, Quoted(fileOfB));
  ASSERT_NE(windowB, nullptr);
  RunInstance(copy, Quoted(fileOfA), [](const ProcessDriver&, HWND window) {
    SendMessageW(window, WM_COMMAND, IDM_STATUS_BAR, 0);
  });
  ASSERT_EQ(ValueOf(SectionLines(ReadWholeFile(copy.ProfileFile()), "QVRX"), "Opt"), "34");
  RunInstance(copy, Quoted(folder), [](const ProcessDriver& instance, HWND window) {
    const RemoteList list(instance.Process(), GetDlgItem(window, kFileListId));
    EXPECT_TRUE(SendUntil(window, IDM_SORT_SIZE, [&] { return list.Count() == 2 && list.Cell(0, kNameColumn) == L"b.txt"; }));
  });
  ASSERT_EQ(ProgramCopy::Close(&instanceB, windowB), 0);
  const std::string text = ReadWholeFile(copy.ProfileFile());
  EXPECT_EQ(ValueOf(SectionLines(text, "QVRX"), "Opt"), "34");
  EXPECT_EQ(ValueOf(SectionLines(text, "QVRX"), "Sort"), "4");
  EXPECT_EQ(ValueOf(SectionLines(text, "MRU"), "1"), Narrowed(fileOfB));
  EXPECT_EQ(ValueOf(SectionLines(text, "MRU"), "2"), Narrowed(fileOfA));
}
