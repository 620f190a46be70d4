// The open and save dialogs: what they are handed (watched through the dialog calls), what comes back, and one
// real dialog of the system, cancelled.
#include "foundation/ui/file_dialogs.h"

#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "foundation/text/bounded_text.h"
#include "program_state_scope.h"
#include "support/dialog_template.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "support/test_window.h"
#include "ui_seams_scope.h"
#include "foundation/files/paths.h"

namespace {

// What the dialog was handed, and what it answers.
struct DialogCall {
  DWORD maxFile = 0;
  DWORD flags = 0;
  DWORD filterIndex = 0;
  std::wstring startFile;
  std::wstring initialFolder;
  std::wstring currentDirectory;
};

DialogCall g_call;
std::wstring g_answer;
DWORD g_answerFilter = 0;
bool g_chosen = true;

BOOL WINAPI AnswerFileDialog(OPENFILENAMEW* record) {
  g_call.maxFile = record->nMaxFile;
  g_call.flags = record->Flags;
  g_call.filterIndex = record->nFilterIndex;
  g_call.startFile = record->lpstrFile;
  g_call.initialFolder = record->lpstrInitialDir ? record->lpstrInitialDir : L"";
  wchar_t directory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, directory);
  g_call.currentDirectory = directory;
  // A real dialog may fill the whole buffer it was promised; stay inside ours while the promise is checked.
  const size_t room = std::min<size_t>(record->nMaxFile, kPathCapacity) - 1;
  const size_t kept = g_answer.copy(record->lpstrFile, room);
  record->lpstrFile[kept] = 0;
  record->nFilterIndex = g_answerFilter;
  return g_chosen;
}

class FileDialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    g_uiSeams.getOpenFileNameW = AnswerFileDialog;
    g_uiSeams.getSaveFileNameW = AnswerFileDialog;
    g_call = DialogCall();
    g_answer = L"C:\\chosen\\file.txt";
    g_answerFilter = 0;
    g_chosen = true;
  }

  UiSeamsScope seams_;
  ProgramStateScope state_;
};

std::wstring CurrentDirectory() {
  wchar_t directory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, directory);
  return directory;
}

}  // namespace

TEST_F(FileDialogsTest, TheDialogNeverGetsMoreRoomThanItsBuffer) {
  static wchar_t path[8192] = L"";
  g_answer = L"C:\\" + std::wstring(2000, L'n');
  EXPECT_EQ(ShowOpenFileDialog(nullptr, path, 8192, L"All\0*.*\0", nullptr, true), 1);
  EXPECT_EQ(g_call.maxFile, static_cast<DWORD>(kPathCapacity));
  EXPECT_EQ(g_call.flags, static_cast<DWORD>(OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
                                              OFN_ALLOWMULTISELECT));
  EXPECT_EQ(WideLength(path), static_cast<size_t>(kPathCapacity - 1));
  wchar_t small[100] = L"";
  EXPECT_EQ(ShowOpenFileDialog(nullptr, small, 100, nullptr, nullptr, false), 1);
  EXPECT_EQ(g_call.maxFile, 100u);
  EXPECT_EQ(WideLength(small), 99u);
}

TEST_F(FileDialogsTest, OpenStartsWithAShortUnquotedPathAndGivesTheChoice) {
  wchar_t path[MAX_PATH] = L"\"C:\\a b\\c.txt\"";
  g_answerFilter = 3;
  EXPECT_EQ(ShowOpenFileDialog(nullptr, path, MAX_PATH, nullptr, L"Title", false), 3);
  EXPECT_EQ(g_call.startFile, L"C:\\a b\\c.txt");
  EXPECT_STREQ(path, L"C:\\chosen\\file.txt");

  g_chosen = false;
  EXPECT_EQ(ShowOpenFileDialog(nullptr, path, MAX_PATH, nullptr, nullptr, false), 0);
  EXPECT_STREQ(path, L"C:\\chosen\\file.txt") << "cancel leaves the path";
}

TEST_F(FileDialogsTest, AnEmptyPathOpensInTheListsFolderForTheDialogsTime) {
  TempFolder folder;
  CopyWideBounded(folder.Path().c_str(), state_->currentFolder, 1024);
  const std::wstring before = CurrentDirectory();
  ASSERT_FALSE(EqualsIgnoreCaseWide(before.c_str(), folder.Path().c_str()));
  wchar_t path[MAX_PATH] = L"";
  ShowOpenFileDialog(nullptr, path, MAX_PATH, nullptr, nullptr, false);
  EXPECT_TRUE(EqualsIgnoreCaseWide(g_call.currentDirectory.c_str(), folder.Path().c_str()));
  EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(FileDialogsTest, SaveStartsInTheListsFolderOrInAGivenFolder) {
  TempFolder folder;
  CopyWideBounded(L"D:\\list folder", state_->currentFolder, 1024);
  wchar_t path[MAX_PATH] = L"";
  EXPECT_EQ(ShowSaveFileDialog(nullptr, path, MAX_PATH, nullptr, nullptr, 2), 1);
  EXPECT_EQ(g_call.flags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
  EXPECT_EQ(g_call.filterIndex, 2u);
  EXPECT_EQ(g_call.initialFolder, L"D:\\list folder");
  EXPECT_STREQ(path, L"C:\\chosen\\file.txt");

  CopyWideBounded(folder.Path().c_str(), path, MAX_PATH);
  ShowSaveFileDialog(nullptr, path, MAX_PATH, nullptr, nullptr, 1);
  EXPECT_EQ(g_call.initialFolder, folder.Path());
  EXPECT_EQ(g_call.startFile, L"") << "an existing folder starts with an empty name";

  CopyWideBounded(L"E:\\out\\list.txt", path, MAX_PATH);
  ShowSaveFileDialog(nullptr, path, MAX_PATH, nullptr, nullptr, 1);
  EXPECT_EQ(g_call.initialFolder, L"");
  EXPECT_EQ(g_call.startFile, L"E:\\out\\list.txt");
}

TEST_F(FileDialogsTest, PathFieldsAskWithTheirPlaceholdersExpanded) {
  DialogTemplate layout(L"Settings", 200, 40);
  layout.AddControl(L"EDIT", L"", 300, ES_AUTOHSCROLL, 5, 5, 190, 12);
  OwnedWindow dialog(layout.Create(nullptr));
  SetDlgItemTextW(dialog, 300, L"%TEMP%\\list.csv");
  wchar_t temp[MAX_PATH];
  ExpandEnvironmentStringsW(L"%TEMP%\\list.csv", temp, MAX_PATH);
  EXPECT_EQ(AskFileName(dialog, 300, nullptr, false), 1);
  EXPECT_TRUE(EqualsIgnoreCaseWide(g_call.startFile.c_str(), temp)) << "started with the expanded path";
  wchar_t field[MAX_PATH];
  GetDlgItemTextW(dialog, 300, field, MAX_PATH);
  EXPECT_STREQ(field, L"C:\\chosen\\file.txt");
  g_chosen = false;
  EXPECT_EQ(AskFileName(dialog, 300, nullptr, true), 0);
  EXPECT_EQ(g_call.flags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
  GetDlgItemTextW(dialog, 300, field, MAX_PATH);
  EXPECT_STREQ(field, L"C:\\chosen\\file.txt") << "cancel leaves the field";
}

TEST(FileDialogs, TheSystemsOpenDialogCanBeCancelled) {
  ProgramStateScope state;
  DialogWatcher watcher(GetCurrentProcessId(), IDCANCEL);
  wchar_t path[MAX_PATH] = L"";
  EXPECT_EQ(ShowOpenFileDialog(nullptr, path, MAX_PATH, L"Text\0*.txt\0", L"Open a list", false), 0);
  EXPECT_GE(watcher.Answered(), 1);
  EXPECT_EQ(watcher.LastCaption(), L"Open a list");
}
