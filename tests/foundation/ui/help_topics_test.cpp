// Help by topic: which file opens how, watched through the help and shell calls so that no help window or
// other program appears.
#include "foundation/ui/help_topics.h"

#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_state_scope.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "support/test_window.h"
#include "ui_seams_scope.h"

namespace {

struct HtmlHelpCall {
  HWND caller;
  std::wstring file;
  UINT command;
  DWORD_PTR data;
};

struct ShellCall {
  std::wstring file;
  std::wstring parameters;
  int show;
};

std::vector<HtmlHelpCall> g_htmlHelpCalls;
std::vector<ShellCall> g_shellCalls;
HWND g_helpWindow = nullptr;
bool g_winHelpStarts = true;

HWND WINAPI RecordHtmlHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) {
  g_htmlHelpCalls.push_back({caller, file, command, data});
  return g_helpWindow;
}

BOOL WINAPI RecordShellExecute(SHELLEXECUTEINFOW* info) {
  g_shellCalls.push_back({info->lpFile, info->lpParameters ? info->lpParameters : L"", info->nShow});
  return std::wstring(info->lpFile) != L"WinHelp" || g_winHelpStarts;
}

// Help files beside a program that seems to be "qvrx64.exe"; the help and shell calls are recorded.
class HelpTopicsTest : public testing::Test {
 protected:
  void SetUp() override {
    seams_.PretendProgramFile(folder_ / L"qvrx64.exe");
    g_uiSeams.htmlHelpW = RecordHtmlHelp;
    g_uiSeams.shellExecuteExW = RecordShellExecute;
    g_htmlHelpCalls.clear();
    g_shellCalls.clear();
    g_helpWindow = nullptr;
    g_winHelpStarts = true;
  }

  std::wstring HelpFile(const wchar_t* name) { return folder_.WriteFile(name, "help"); }

  TempFolder folder_;
  UiSeamsScope seams_;
  ProgramStateScope state_;
  OwnedWindow owner_{CreateTestPopup(0, 0, 100, 100)};
};

}  // namespace

TEST_F(HelpTopicsTest, HtmlHelpOpensAtTheTopic) {
  const std::wstring chm = HelpFile(L"qvrx6_DE.CHM");
  OwnedWindow help(CreateTestPopup(10, 10, 50, 50));
  g_helpWindow = help;
  EXPECT_EQ(OpenHelpFile(owner_, "DE", true, 42), reinterpret_cast<INT_PTR>(g_helpWindow));
  EXPECT_EQ(OpenHelpFile(owner_, "DE", true, 0), reinterpret_cast<INT_PTR>(g_helpWindow));
  SetOptionBits(0x100, true);  // attached to the program's window
  EXPECT_EQ(OpenHelpFile(owner_, "DE", true, 7), reinterpret_cast<INT_PTR>(g_helpWindow));
  ASSERT_EQ(g_htmlHelpCalls.size(), 3u);
  EXPECT_EQ(g_htmlHelpCalls[0].file, chm);
  EXPECT_EQ(g_htmlHelpCalls[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
  EXPECT_EQ(g_htmlHelpCalls[0].data, 42u);
  EXPECT_EQ(g_htmlHelpCalls[0].caller, GetDesktopWindow());
  EXPECT_EQ(g_htmlHelpCalls[1].command, static_cast<UINT>(HH_DISPLAY_TOPIC));
  EXPECT_EQ(g_htmlHelpCalls[1].data, 0u);
  EXPECT_EQ(g_htmlHelpCalls[2].caller, owner_.get());
  EXPECT_TRUE(g_shellCalls.empty());
}

TEST_F(HelpTopicsTest, AHelpFileThatDoesNotOpenLeadsToTheNextKind) {
  HelpFile(L"qvrx6_DE.CHM");
  const std::wstring hlp = HelpFile(L"qvrx6_DE.HLP");
  const std::wstring htm = HelpFile(L"qvrx6_DE.HTM");
  g_winHelpStarts = false;
  EXPECT_EQ(OpenHelpFile(owner_, "DE", true, 3), 1);
  EXPECT_EQ(g_htmlHelpCalls.size(), 1u);
  ASSERT_EQ(g_shellCalls.size(), 2u);
  EXPECT_EQ(g_shellCalls[0].file, L"WinHelp");
  EXPECT_EQ(g_shellCalls[0].parameters, hlp.find(L' ') == std::wstring::npos ? hlp : L"\"" + hlp + L"\"");
  EXPECT_EQ(g_shellCalls[0].show, SW_SHOW);
  EXPECT_EQ(g_shellCalls[1].file, htm);
  EXPECT_EQ(g_shellCalls[1].show, SW_SHOWNORMAL);

  g_shellCalls.clear();
  g_winHelpStarts = true;
  EXPECT_EQ(OpenHelpFile(owner_, "DE", true, 3), 1);
  EXPECT_EQ(g_shellCalls.size(), 1u) << "a WinHelp that starts ends the search";
}

TEST_F(HelpTopicsTest, TopicsFallBackToTheUsFilesAndNoHelpIsSaid) {
  const UiStringRecord texts[] = {{-1, L"US"}, {10102, L"No help:"}, {0, nullptr}};
  state_.UseTexts(texts);
  {
    DialogWatcher boxes(GetCurrentProcessId(), IDOK);
    EXPECT_EQ(ShowHelpTopic(owner_, "DE", 5), 0) << "no help file at all";
    EXPECT_EQ(boxes.Answered(), 1);
    EXPECT_NE(boxes.LastText().find((folder_ / L"qvrx6_DE.CHM").c_str()), std::wstring::npos) << "names the file";
  }
  EXPECT_TRUE(g_shellCalls.empty());
  const std::wstring htm = HelpFile(L"qvrx6_US.HTM");
  EXPECT_EQ(OpenHelpFile(owner_, "DE", true, 5), 0);
  EXPECT_EQ(ShowHelpTopic(owner_, "DE", 5), 1);
  CopyNarrowBounded("DE", state_->languageCode, 4);
  EXPECT_EQ(ShowCheckListHelp(owner_), 1);
  ASSERT_EQ(g_shellCalls.size(), 2u);
  EXPECT_EQ(g_shellCalls[0].file, htm);
  EXPECT_EQ(g_shellCalls[1].file, htm);
}
