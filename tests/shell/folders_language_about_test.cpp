// The history of visited folders behind back and forward, the language dialog's list and the menus in the
// chosen language, and the About text.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/command_ids.h"
#include "foundation/win32/menus.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/resource_library.h"
#include "foundation/win32/dialog_controls.h"
#include "program_fixture.h"
#include "program_state_scope.h"
#include "shell/about_box.h"
#include "shell/file_commands.h"
#include "shell/folder_history.h"
#include "shell/folder_navigation.h"
#include "shell/language.h"
#include "support/temp_folder.h"
#include "ui_seams_scope.h"
#include "views/file_list_row.h"
#include "views/folder_tree.h"
#include "views/items_view.h"

namespace {

std::wstring Visited(int n) { return L"C:\\visited\\" + std::to_wstring(n); }

std::vector<std::wstring> Entries(const FolderHistory& history) {
  std::vector<std::wstring> entries;
  for (int n = 0; n < kFolderHistoryCount && FolderHistoryEntry(&history, n)[0]; ++n) {
    entries.push_back(FolderHistoryEntry(&history, n));
  }
  return entries;
}

std::vector<std::wstring> MenuEntries(const FolderHistory& history, bool older) {
  int entries[kHistoryMenuLimit];
  std::vector<std::wstring> folders;
  for (int i = 0, count = HistoryMenuEntries(&history, older, entries); i < count; ++i) {
    folders.push_back(FolderHistoryEntry(&history, entries[i]));
  }
  return folders;
}

// The text of a menu-bar item, which the program draws itself from the item's record.
std::wstring BarText(HWND window, int position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  if (!GetMenuItemInfoW(GetMenu(window), static_cast<UINT>(position), TRUE, &info) || !info.dwItemData) return L"";
  return reinterpret_cast<const MenuItemRecord*>(info.dwItemData)->text;
}

using LanguageChoice = ProgramFixture;
using HistoryProgram = ProgramFixture;


// The same folder, with or without a closing backslash.
bool SameFolder(std::wstring a, std::wstring b) {
  for (std::wstring* path : {&a, &b}) {
    if (!path->empty() && path->back() == L'\\') path->pop_back();
  }
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

class History : public testing::Test {
 protected:
  History() { InitFolderHistory(&history_, "Recent"); }
  ~History() override { FreeFolderHistory(&history_); }
  void Visit(int n) { AddRecentEntry(&history_, Visited(n).c_str()); }
  FolderHistory history_;
};

}  // namespace

TEST_F(History, NewFoldersGoFirstWalkingKeepsTheOrderAndTheOldestDropsOut) {
  for (int n : {1, 2, 3}) Visit(n);
  EXPECT_EQ(Entries(history_), (std::vector<std::wstring>{Visited(3), Visited(2), Visited(1)}));
  EXPECT_FALSE(CanStepFolderHistory(&history_, -1));
  // Back (older) twice, then forward (newer) once; the listing of a folder at the position adds nothing.
  EXPECT_EQ(std::wstring(StepFolderHistory(&history_, 1)), Visited(2));
  EXPECT_EQ(std::wstring(StepFolderHistory(&history_, 1)), Visited(1));
  EXPECT_EQ(StepFolderHistory(&history_, 1), nullptr);
  EXPECT_EQ(history_.position, 2);
  AddRecentEntry(&history_, L"c:\\VISITED\\1");
  EXPECT_EQ(MenuEntries(history_, false), (std::vector<std::wstring>{Visited(2), Visited(3)}));
  EXPECT_TRUE(MenuEntries(history_, true).empty());
  EXPECT_EQ(std::wstring(StepFolderHistory(&history_, -1)), Visited(2));
  EXPECT_EQ(Entries(history_).size(), 3u);
  // A folder seen before moves to the front; the position returns to the newest.
  Visit(3);
  EXPECT_EQ(Entries(history_), (std::vector<std::wstring>{Visited(3), Visited(2), Visited(1)}));
  EXPECT_EQ(history_.position, 0);
  Visit(1);
  EXPECT_EQ(Entries(history_), (std::vector<std::wstring>{Visited(1), Visited(3), Visited(2)}));
  for (int n = 4; n <= 51; ++n) Visit(n);
  const std::vector<std::wstring> entries = Entries(history_);
  ASSERT_EQ(entries.size(), static_cast<size_t>(kFolderHistoryCount));
  EXPECT_EQ(entries.front(), Visited(51));
  EXPECT_EQ(entries.back(), Visited(3)) << "the 51st folder pushed the oldest one out";
  EXPECT_EQ(MenuEntries(history_, true).size(), static_cast<size_t>(kHistoryMenuLimit));
  history_.position = kFolderHistoryCount - 1;
  EXPECT_FALSE(CanStepFolderHistory(&history_, 1));
  EXPECT_TRUE(MenuEntries(history_, true).empty());
  EXPECT_EQ(MenuEntries(history_, false).size(), static_cast<size_t>(kHistoryMenuLimit));
}

TEST(LanguageDialog, BuiltInLanguagesThenTheFilesOnceEachWithTheCurrentSelected) {
  TempFolder folder;
  UiSeamsScope seams;
  seams.PretendProgramFile(folder / L"QVRX.exe");
  const std::string padding = "\r\n; " + std::string(100, '-') + "\r\n";
  folder.WriteFile(L"QVRX_FR.LNG", "\xEF\xBB\xBFLanguage=Fran\xC3\xA7" "ais" + padding);
  folder.WriteFile(L"QVRX_US.LNG", "Language=American" + padding);
  folder.WriteFile(L"QVRX_DE.LNG", "Language=Deutsch" + padding);
  ProgramStateScope state;
  state->uiStrings = LoadResourceLibrary()->languages[0].table;
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LANGUAGE), nullptr,
                                   LanguageDialogProc, reinterpret_cast<LPARAM>("fr"));
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
  std::vector<std::wstring> names;
  for (int item = 0; item < ListBoxGetCount(list); ++item) {
    wchar_t name[64];
    ListBoxGetItemText(list, item, name, 64);
    names.push_back(name);
  }
  // The file of the built-in "US" is no second entry; the files come where the library lists them.
  EXPECT_EQ(names[0], L"English");
  std::vector<std::wstring> files(names.begin() + 1, names.end());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::wstring>{L"Deutsch", L"Fran\u00e7ais"}));
  ASSERT_GE(ListBoxGetCurSel(list), 0);
  EXPECT_EQ(names[static_cast<size_t>(ListBoxGetCurSel(list))], L"Fran\u00e7ais");
  DestroyWindow(dialog);
}

TEST(AboutBox, TitleVersionNoticeAndTheFoldersInUse) {
  TempFolder folder;
  ProfileStoreConstruct(&g_settingsStore, (folder / L"QVRX.INI").c_str(), kProfileNoAutoLocation);
  ProgramStateScope state(L"Quorvex");
  state->uiStrings = LoadResourceLibrary()->languages[0].table;
  wchar_t text[4096];
  BuildAboutText(text, 4096);
  const std::wstring about = text;
  EXPECT_EQ(about.rfind(L"Quorvex\r\nVersion 26.01 (64-Bit)\r\n\r\n", 0), 0u);
  EXPECT_NE(about.find(L"\r\nLanguage: English\r\n"), std::wstring::npos);
  EXPECT_NE(about.find(L"\r\n%MY_PATH% - " + ExecutableFolder()), std::wstring::npos);
  EXPECT_NE(about.find(L"\r\n%TEMP% - "), std::wstring::npos);
  const std::wstring ini = L"\r\nINI - " + (folder / L"QVRX.INI");
  EXPECT_EQ(about.substr(about.size() - ini.size()), ini);
  ProfileStoreDestroy(&g_settingsStore);
}

namespace {

int g_dialogsMade = 0;

LRESULT CALLBACK CountDialogs(int code, WPARAM wParam, LPARAM lParam) {
  wchar_t name[16] = {};
  const bool made = code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16);
  if (made && wcscmp(name, L"#32770") == 0) ++g_dialogsMade;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

HICON DialogClassIcon() {
  WNDCLASSEXW dialogClass = {};
  dialogClass.cbSize = sizeof dialogClass;
  return GetClassInfoExW(nullptr, WC_DIALOG, &dialogClass) ? dialogClass.hIcon : nullptr;
}

}  // namespace

TEST(AboutBox, TheSilentStartUpMakesADialogOnlyWhileDialogsLackTheProgramIcon) {
  ProgramStateScope state(L"Quorvex");
  state->instance = GetModuleHandleW(nullptr);
  state->largeIcon =
      static_cast<HICON>(LoadImageW(state->instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(state->largeIcon, nullptr);
  const HICON before = DialogClassIcon();
  g_dialogsMade = 0;
  HHOOK hook = SetWindowsHookExW(WH_CBT, CountDialogs, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  ShowAboutBox(nullptr, true);
  ShowAboutBox(nullptr, true);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(g_dialogsMade, 1);
  EXPECT_EQ(DialogClassIcon(), state->largeIcon);
  HWND dialog = CreateWindowExW(0, WC_DIALOG, L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  SetClassLongPtrW(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(before));
  DestroyWindow(dialog);
  DestroyIcon(state->largeIcon);
}

TEST_F(LanguageChoice, TheChosenLanguageFileRenamesTheMenusAtOnce) {
  UiSeamsScope seams;
  seams.PretendProgramFile(temp_ / L"QVRX.exe");
  temp_.WriteFile(L"QVRX_DE.LNG", "Language=Deutsch\r\nMenuFile=&Datei\r\nFileNew=&Neue Liste\r\n; " +
                                      std::string(100, '-') + "\r\n");
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  EXPECT_EQ(BarText(window_, 0), L"&File");
  PostMessageW(window_, WM_COMMAND, IDM_LANGUAGE, 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    dialog = FindProcessWindow(GetCurrentProcessId(), L"#32770", [](HWND w) { return IsWindowVisible(w) != FALSE; });
    return dialog != nullptr;
  }));
  const LRESULT german =
      SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"Deutsch"));
  ASSERT_NE(german, LB_ERR);
  SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, LB_SETCURSEL, german, 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return BarText(window_, 0) == L"&Datei"; }));
  wchar_t item[60] = {};
  GetMenuStringW(GetMenu(window_), IDM_NEW_LIST, item, 60, MF_BYCOMMAND);
  EXPECT_STREQ(item, L"&Neue Liste");
}

TEST_F(HistoryProgram, AFolderRowOfTheTreesFolderIsOpenedThroughTheTree) {
  temp_.WriteFile(L"files\\sub\\inner.txt", "x");
  ASSERT_TRUE(Start({L"a.txt"}, {}));
  const std::wstring sub = temp_ / L"files\\sub";
  const auto treeAt = [](const std::wstring& folder) {
    wchar_t selected[MAX_PATH] = {};
    GetSelectedTreePath(g_app->paneWindows[0], selected, MAX_PATH);
    return SameFolder(selected, folder);
  };
  ASSERT_TRUE(WaitFor([&] { return g_app->busyCounter == 0 && treeAt(FilesFolder()); }));
  // The listing shows no folders; a folder row of the listed folder is made here, focused and opened.
  Gui([&] {
    ItemListControl* files = g_app->fileList;
    FileListRow row = {};
    row.folderIndex = reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, 0))->folderIndex;
    row.info.attributes = FILE_ATTRIBUTE_DIRECTORY;
    SetFileListRowName(&row, L"sub");
    ASSERT_EQ(ItemStoreAppend(&files->rows, &row, row.length), 0);
    files->focusedIndex = 1;
    OpenFocusedFileOrFolder(window_);
  });
  EXPECT_TRUE(WaitFor([&] { return g_app->busyCounter == 0 && SameFolder(g_app->currentFolder, sub); }));
  EXPECT_TRUE(treeAt(sub)) << "the tree shows the opened folder";
  EXPECT_EQ(ListedNames(), std::vector<std::wstring>{L"inner.txt"});
}

TEST_F(HistoryProgram, BackAndForwardSelectTheVisitedFoldersInTheTree) {
  const std::wstring other = temp_.MakeFolder(L"other");
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  const auto at = [&](const std::wstring& folder) {
    return WaitFor([&] {
      wchar_t selected[MAX_PATH] = {};
      GetSelectedTreePath(g_app->paneWindows[0], selected, MAX_PATH);
      return SameFolder(g_app->currentFolder, folder) && SameFolder(selected, folder) && g_app->busyCounter == 0;
    });
  };
  ASSERT_TRUE(at(FilesFolder()));
  Gui([&] { NavigateToFolder(window_, other.c_str()); });
  ASSERT_TRUE(at(other));
  const struct {
    int command;
    std::wstring folder;
    int position;
  } steps[] = {{IDM_FOLDER_BACK, FilesFolder(), 1},
               {IDM_FOLDER_FORWARD, other, 0},
               {IDM_FOLDER_BACK, FilesFolder(), 1}};
  for (const auto& step : steps) {
    PostMessageW(window_, WM_COMMAND, step.command, 0);
    EXPECT_TRUE(at(step.folder)) << step.command;
    Gui([&] {
      EXPECT_EQ(g_folderHistory.position, step.position);
      EXPECT_TRUE(SameFolder(FolderHistoryEntry(&g_folderHistory, 0), other)) << "walking keeps the order";
      EXPECT_TRUE(SameFolder(FolderHistoryEntry(&g_folderHistory, 1), FilesFolder()));
    });
  }
}
