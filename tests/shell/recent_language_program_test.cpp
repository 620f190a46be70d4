// QVRX.exe as a user works its File menu, its language dialog and its About box: a recent settings file opens
// from the menu through the keyboard, and a language file chosen in the dialog gives the program its texts at
// once and at the next start, as the About box shows with the program's name and version.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "profile_text.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "support/process_driver.h"
#include "support/system_input.h"

namespace {

std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) bytes.append(reinterpret_cast<const char*>(&c), 2);
  return bytes;
}

// The About box in the language of the file: its caption, the program's line and the language line.
void ExpectGermanAboutBox(DWORD processId, HWND window) {
  DialogWatcher about(processId, IDOK);
  PostMessageW(window, WM_COMMAND, IDM_ABOUT, 0);
  ASSERT_TRUE(WaitUntil([&] { return about.Answered() == 1; }));
  EXPECT_EQ(about.LastCaption(), L"\u00dcber Quorvex");
  EXPECT_EQ(about.LastText().rfind(L"Quorvex\r\nVersion 26.01 (64-Bit)\r\n", 0), 0u);
  EXPECT_NE(about.LastText().find(L"Sprache: Deutsch"), std::wstring::npos);
}

bool InMenuMode(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
}

using RecentAndLanguageInteractive = ProgramOnFolder;

HWND ShownDialog(DWORD processId) {
  return FindProcessWindow(processId, L"#32770", [](HWND w) { return IsWindowVisible(w) != FALSE; });
}

}  // namespace

TEST_F(RecentAndLanguageInteractive, ARecentFileOpensFromTheFileMenuAndAChosenLanguageGivesItsTextsAtOnceAndAfterARestart) {
  const TempFolder& folder = copy_.Folder();
  const std::wstring settings = folder.WriteFile(L"steps.zqr", Utf16File(L"<Ext,\"old\">\r\n-<Case,n,2>\r\n"));
  const std::wstring files = Prepare({L"a.txt"}, "[QVRX]\r\nLanguage=US\r\n[MRU]\r\n1=" +
                                                     std::string(settings.begin(), settings.end()) +
                                                     "\r\n[QK]\r\nR1=-<Case,n,2>\r\n");
  folder.WriteFile(L"QVRX_DE.LNG", "\xEF\xBB\xBFLanguage=Deutsch\r\nMenuFile=&Datei\r\nMenuEdit=&Bearbeiten\r\n"
                                   "AboutNotice=Sprache: Deutsch\r\nAbout=&\xC3\x9C" "ber Quorvex..\r\n; " +
                                       std::string(100, '-') + "\r\n");
  ProgramRun run(copy_, files);
  HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  HWND list = GetDlgItem(window, kFileListId);
  RemoteList rows(run.Process(), list);
  RemoteList chain(run.Process(), GetDlgItem(window, kChainListId));
  ASSERT_TRUE(WaitUntil([&] { return rows.Count() == 1 && chain.Count() == 1; }));

  // Alt+F opens the File menu (retried while Wine still takes the Alt key's state from the X server after the
  // click); '1' chooses the first recent file, whose two steps become the chain.
  ClickWindow(list);
  ASSERT_TRUE(WaitForFocus(list));
  for (int attempt = 0; attempt < 10 && !InMenuMode(window); ++attempt) {
    PressKey('F', MOD_ALT);
    WaitForMenuMode(window);
  }
  ASSERT_TRUE(InMenuMode(window));
  PressKey('1');
  EXPECT_TRUE(WaitUntil([&] { return chain.Count() == 2; }));

  // The language dialog lists the file by its own name; OK takes it at once.
  PostMessageW(window, WM_COMMAND, IDM_LANGUAGE, 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = ShownDialog(run.ProcessId())) != nullptr; }));
  // The system carries the text of a list-box message over to the other process.
  const LRESULT german =
      SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"Deutsch"));
  ASSERT_NE(german, LB_ERR);
  SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, LB_SETCURSEL, german, 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  ExpectGermanAboutBox(run.ProcessId(), window);
  EXPECT_TRUE(WaitUntil(
      [&] { return ValueOf(SectionLines(ReadWholeFile(copy_.ProfileFile()), "QVRX"), "Language") == "DE"; }));
  EXPECT_EQ(run.Close(), 0);

  ProgramRun again(copy_, files);
  window = again.Window();
  ASSERT_NE(window, nullptr);
  ExpectGermanAboutBox(again.ProcessId(), window);
  EXPECT_EQ(again.Close(), 0);
}
