// The main window's commands in the running program: what the state table lets through, renaming in place,
// dropped files and the command line, the closing question, keeping the selected files and the recent files.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "engine/chain_files.h"
#include "engine/chain_list.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/text/bounded_text.h"
#include "foundation/core/item_store.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/command_ids.h"
#include "profile_text.h"
#include "program_fixture.h"
#include "shell/chain_commands.h"
#include "shell/closing.h"
#include "shell/file_drop.h"
#include "shell/file_list_notifications.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "shell/startup_commands.h"
#include "ui_seams_scope.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

namespace {

using Names = std::vector<std::wstring>;

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

int RowNamed(const wchar_t* name) {
  const ItemStore* rows = &g_app->fileList->rows;
  for (uint32_t i = 0; i < ItemStoreCount(rows); ++i) {
    if (wcscmp(reinterpret_cast<const FileListRow*>(ItemStoreGet(rows, i))->currentName, name) == 0) return i;
  }
  return -1;
}

// A settings file of one or more step lines, UTF-16 with its mark.
std::string SettingsFile(const std::wstring& lines) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : lines) bytes.append(reinterpret_cast<const char*>(&c), 2);
  return bytes;
}

std::wstring StepText(int n) {
  wchar_t text[1024] = {};
  SerializeModuleInstance(GetStepInstance(n), text, 1024);
  return text;
}

// A drop of these paths, as the shell hands it over.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  size_t characters = 1;
  for (const std::wstring& path : paths) characters += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& path : paths) {
    memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    text += path.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// The save dialog's answer for a name typed without an extension: the dialog completes it with the default
// extension it is given, and only then can it ask before a file of the completed name is replaced.
std::wstring g_typedName;
std::wstring g_defaultExtension;
BOOL WINAPI TypeNameWithoutExtension(OPENFILENAMEW* record) {
  g_defaultExtension = record->lpstrDefExt ? record->lpstrDefExt : L"";
  const std::wstring path = g_typedName + (g_defaultExtension.empty() ? L"" : L"." + g_defaultExtension);
  record->lpstrFile[path.copy(record->lpstrFile, record->nMaxFile - 1)] = 0;
  return TRUE;
}

// The file list's answer to a name typed in place over row `row`: 1 renamed, 0 refused; -1 when it faulted.
LRESULT TypeInPlace(int row, const wchar_t* typed) {
  wchar_t text[260];
  CopyWideBounded(typed, text, 260);
  NMLVDISPINFOW request = {};
  request.item.iItem = row;
  request.item.pszText = text;
  return GuardedCall<LRESULT>(-1, [&] { return EndFileRename(&request); });
}

// For the time of `work` the file list's rows lie in memory that ends where the row last in the block ends, with
// a page behind it that cannot be read; then they are put back. Runs on the GUI thread, with no job busy.
void WithRowsBeforeUnreadablePage(const std::function<void()>& work) {
  RecordBuffer* block = &g_app->fileList->rows.buffer;
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  const uint32_t page = system.dwPageSize;
  const uint32_t used = block->used;
  const uint32_t pages = (used + page - 1) / page + 1;
  auto* region = static_cast<uint8_t*>(VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(region, nullptr);
  DWORD previous = 0;
  ASSERT_TRUE(VirtualProtect(region + (pages - 1) * page, page, PAGE_NOACCESS, &previous));
  uint8_t* moved = region + (pages - 1) * page - used;
  memcpy(moved, block->data, used);
  uint8_t* kept = block->data;
  const uint32_t capacity = block->capacity;
  block->data = moved;
  block->capacity = used;
  work();
  ASSERT_LE(block->used, capacity);
  memcpy(kept, moved, block->used);
  block->data = kept;
  block->capacity = capacity;
  VirtualFree(region, 0, MEM_RELEASE);
}

// The row whose bytes come last in the block.
int RowLastInBlock() {
  const ItemStore* rows = &g_app->fileList->rows;
  uint32_t last = 0;
  for (uint32_t i = 1; i < ItemStoreCount(rows); ++i) {
    if (rows->index[i] > rows->index[last]) last = i;
  }
  return static_cast<int>(last);
}

class MainCommands : public ProgramFixture {};

}  // namespace

TEST_F(MainCommands, TheStateTableGreysWhatCannotRunNowAndTheMenuFollows) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {"<Ext,\"bak\">", "<Case,n,2>"}));
  EXPECT_FALSE(Disabled(IDM_START_RENAMING));
  EXPECT_TRUE(Disabled(IDM_UNDO));
  EXPECT_TRUE(Disabled(IDM_STOP));
  Gui([] { ItemsViewFocusItem(g_app->chainList, 0, false); });
  EXPECT_FALSE(Disabled(IDM_EDIT_STEP));
  EXPECT_TRUE(Disabled(IDM_STEP_UP)) << "the first step cannot move up";
  EXPECT_FALSE(Disabled(IDM_STEP_DOWN));

  Gui([] { InterlockedIncrement(&g_app->busyCounter); });
  for (int id : {IDM_START_RENAMING, IDM_NEW_LIST, IDM_OPEN_SETTINGS, IDM_ATTRIBUTES, IDM_TIMESTAMPS, IDM_EDIT_STEP,
                 IDM_STEP_DOWN, IDM_RELOAD_LIST, IDM_SELECTED_ONLY, IDM_RESTORE_SETTINGS, IDM_RESET_SETTINGS,
                 IDM_DISPLAY_LIGHT, IDM_RECENT_FILE_FIRST, IDM_ADD_MODULE_FIRST}) {
    EXPECT_TRUE(Disabled(id)) << id;
  }
  EXPECT_FALSE(Disabled(IDM_STOP));
  Gui([] { InterlockedDecrement(&g_app->busyCounter); });

  // Marked new names stop a run, but not the undo of the last one: that gives back the old names.
  Gui([] {
    g_app->problemCount = 2;
    g_app->undoPairCount = 1;
  });
  EXPECT_TRUE(Disabled(IDM_START_RENAMING));
  EXPECT_FALSE(Disabled(IDM_UNDO));
  Gui([] {
    g_app->problemCount = 0;
    g_app->undoPairCount = 0;
  });

  Gui([this] {
    ItemsViewDeleteItem(g_app->fileList, -1, false);
    UpdateMenuStates(window_, false);
  });
  for (int id : {IDM_RENAME_IN_PLACE, IDM_START_RENAMING, IDM_EXPORT_LIST, IDM_ATTRIBUTES, IDM_TIMESTAMPS,
                 IDM_PROPERTIES, IDM_OPEN_FILES, IDM_RECYCLE, IDM_SELECT_ALL, IDM_SELECT_NONE, IDM_INVERT_SELECTION,
                 IDM_COPY_NAMES, IDM_COPY_PATHS, IDM_COPY_ROWS, IDM_COPY_ROWS_WITH_TITLES, IDM_OPEN_IN_FILE_MANAGER,
                 IDM_SHOW_IN_FILE_MANAGER, IDM_FOLDER_UP}) {
    EXPECT_TRUE(Disabled(id)) << id;
  }
  HMENU menu = GetMenu(window_);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(GetMenuState(menu, IDM_START_RENAMING, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, IDM_TOOLBAR_BUTTONS, MF_BYCOMMAND) & MF_GRAYED)
      << "the toolbar's dialog needs no files";
  EXPECT_FALSE(GetMenuState(menu, IDM_NEW_LIST, MF_BYCOMMAND) & MF_GRAYED);
  // A refused command does nothing: the chain stays.
  SendMessageW(window_, WM_COMMAND, IDM_START_RENAMING, 0);
  EXPECT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Close(), 0);
}

TEST_F(MainCommands, AFileRenamedInPlaceTakesTheTypedNameOrMaskAndNamesNoFileCanTakeAreRefusedWithWhy) {
  ASSERT_TRUE(Start({L"report.txt", L"other.txt"}, {"<Case,n,2>"}));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  struct Case {
    std::wstring typed;
    LRESULT answer;
    const wchar_t* listed;
    std::wstring why = {};  // the reason the box gives; empty: none
  };
  const std::wstring invalid = L"The file cannot be given this name: invalid character ";
  const Case cases[] = {
      {L"..\\moved.txt", kEndEditKeepOpen, L"report.txt", invalid + L"\\"},
      {L"sub\\made.txt", kEndEditKeepOpen, L"report.txt", invalid + L"\\"},
      {L"a:b.txt", kEndEditKeepOpen, L"report.txt", invalid + L":"},
      {L"a|b.txt", kEndEditKeepOpen, L"report.txt", invalid + L"|"},
      {L"spaced ", kEndEditKeepOpen, L"report.txt", invalid + L"U+0020"},
      {L"CON", kEndEditKeepOpen, L"report.txt", L"The file cannot be given this name: name reserved for a device"},
      {L"com\u00B9.log", kEndEditKeepOpen, L"report.txt",
       L"The file cannot be given this name: name reserved for a device"},
      {std::wstring(256, L'n'), kEndEditKeepOpen, L"report.txt",
       L"The file cannot be given this name: name longer than 255 characters"},
      {L"other.txt", 0, L"report.txt"},
      {L"*.bak", 1, L"report.bak"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << Narrow(c.typed.substr(0, 20)));
    const int answered = boxes.Answered();
    LRESULT answer = -1;
    Gui([&] {
      const int row = std::max(RowNamed(L"report.txt"), RowNamed(L"report.bak"));
      wchar_t text[260];
      CopyWideBounded(c.typed.c_str(), text, 260);
      NMLVDISPINFOW request = {};
      request.item.iItem = row;
      request.item.pszText = text;
      answer = EndFileRename(&request);
    });
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(Sorted(ListedNames()), Sorted({c.listed, L"other.txt"}));
    EXPECT_EQ(Disk(), Sorted({c.listed, L"other.txt"}));
    if (!c.why.empty()) {
      EXPECT_EQ(boxes.Answered(), answered + 1);
      EXPECT_EQ(boxes.LastText(), c.why + L"\r\n\r\n" + c.typed);
    }
  }
  EXPECT_EQ(boxes.Answered(), 9) << "the existing other file is named in an error box";
  EXPECT_FALSE(PathExists(temp_ / L"moved.txt"));
  EXPECT_FALSE(PathExists(FilesFolder() + L"\\sub"));
}

// A row renamed shorter leaves bytes behind it in the rows' block, one renamed longer moves to its end: the list,
// its sorts and the run still hold every file, each once.
TEST_F(MainCommands, FilesRenamedInPlaceShorterOrLongerStayListedSortedAndRenamed) {
  const std::wstring longName = L"abcdr" + std::wstring(51, L'q') + L".txt";
  ASSERT_TRUE(Start({longName, L"bb.txt", L"cc.txt", L"dd.txt"}, {"<Case,n,2>"}));
  struct Rename {
    std::wstring from;
    const wchar_t* typed;
    Names listed;  // in ascending name order
  };
  const Rename renames[] = {
      {longName, L"xyz", {L"bb.txt", L"cc.txt", L"dd.txt", L"xyz"}},
      {L"bb.txt", L"bb-and-a-longer-name.txt", {L"bb-and-a-longer-name.txt", L"cc.txt", L"dd.txt", L"xyz"}},
  };
  for (const Rename& rename : renames) {
    SCOPED_TRACE(testing::Message() << Narrow(rename.typed));
    LRESULT answer = 0;
    Gui([&] { answer = TypeInPlace(RowNamed(rename.from.c_str()), rename.typed); });
    ASSERT_EQ(answer, 1);
    SendMessageW(window_, WM_COMMAND, IDM_SORT_AGAIN, 0);
    EXPECT_EQ(ListedNames(), rename.listed);
    Names descending = rename.listed;
    std::reverse(descending.begin(), descending.end());
    // Descending, ascending again, then by name.
    const std::pair<int, Names> sorts[] = {{IDM_SORT_DESCENDING, descending}, {IDM_SORT_DESCENDING, rename.listed},
                                           {IDM_SORT_NAME, rename.listed}};
    for (const auto& [command, expected] : sorts) {
      SendMessageW(window_, WM_COMMAND, command, 0);
      EXPECT_EQ(ListedNames(), expected) << "after command " << command;
    }
  }
  const Names renamed = {L"BB-AND-A-LONGER-NAME.txt", L"CC.txt", L"DD.txt", L"XYZ"};
  EXPECT_EQ(Sorted(NewNames()), renamed);
  SendMessageW(window_, WM_COMMAND, IDM_START_RENAMING, 0);
  EXPECT_TRUE(WaitFor([&] { return Disk() == renamed; })) << "every file is renamed";
  EXPECT_EQ(Close(), 0);
}

// The rename in place copies the row's own bytes, not the most a row can hold: the row last in the block is
// followed by memory that cannot be read.
TEST_F(MainCommands, AFileRenamedInPlaceIsCopiedOnlyAsFarAsItsRowReaches) {
  ASSERT_TRUE(Start({L"alpha-report.txt", L"beta-report.txt", L"gamma-report.txt"}, {}));
  std::wstring last;
  LRESULT answer = 0;
  Gui([&] {
    const int row = RowLastInBlock();
    last = reinterpret_cast<const FileListRow*>(ItemStoreGet(&g_app->fileList->rows, row))->currentName;
    WithRowsBeforeUnreadablePage([&] { answer = TypeInPlace(row, L"z.txt"); });
  });
  EXPECT_EQ(answer, 1) << "a fault gives -1";
  Names expected = {L"alpha-report.txt", L"beta-report.txt", L"gamma-report.txt"};
  std::replace(expected.begin(), expected.end(), last, std::wstring(L"z.txt"));
  EXPECT_EQ(Sorted(ListedNames()), Sorted(expected));
  EXPECT_EQ(Disk(), Sorted(expected));
}

TEST_F(MainCommands, TheFirstDroppedOrNamedSettingsFileThatLoadsEndsTheScan) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  const std::wstring notChain = temp_.WriteFile(L"notes.zqr", "just words");
  const std::wstring first = temp_.WriteFile(L"first.zqr", SettingsFile(L"<Ext,\"one\">\r\n"));
  const std::wstring second = temp_.WriteFile(L"second.zqr", SettingsFile(L"<Ext,\"two\">\r\n"));
  Gui([&] { OnDropFiles(window_, MakeDrop({notChain, first, second})); });
  EXPECT_EQ(boxes.Answered(), 1);
  EXPECT_EQ(boxes.LastText().rfind(L"This is no settings file", 0), 0u) << "a file refused says why";
  Gui([&] {
    EXPECT_STREQ(FirstRecentFile(&g_recentFiles), first.c_str());
    EXPECT_EQ(RecentFileAt(&g_recentFiles, 1), nullptr) << "the file after it was not tried";
    EXPECT_EQ(StepText(0), L"<Ext,\"one\">");
  });

  // A folder named first becomes the start folder and the file after it is left alone.
  Gui([&] {
    const wchar_t* arguments[] = {temp_.Path().c_str(), second.c_str()};
    ProcessArguments(window_, arguments, 2);
    EXPECT_STREQ(g_app->startFolder, temp_.Path().c_str());
    EXPECT_EQ(StepText(0), L"<Ext,\"one\">");
    wchar_t folder[1024];
    TakeStartFolder(folder, 1024);
    EXPECT_EQ(g_app->startFolder, nullptr);
  });
  // A file that is no chain and a path that names nothing are told, and the scan goes on.
  const int answered = boxes.Answered();
  const std::wstring nothing = temp_ / L"nothing";
  Gui([&] {
    const wchar_t* arguments[] = {notChain.c_str(), nothing.c_str(), second.c_str()};
    ProcessArguments(window_, arguments, 3);
    EXPECT_EQ(StepText(0), L"<Ext,\"two\">");
    EXPECT_STREQ(FirstRecentFile(&g_recentFiles), second.c_str());
  });
  EXPECT_EQ(boxes.Answered() - answered, 2);
  EXPECT_NE(boxes.LastText().find(nothing), std::wstring::npos);
}

TEST_F(MainCommands, ASettingsFileNamedOnTheCommandLineWinsOverTheStoredChainEvenReadInPart) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  const std::wstring partial = temp_.WriteFile(L"partial.zqr", SettingsFile(L"<Ext,\"one\">\r\n<Nope,1>\r\n"));
  Gui([&] {
    const wchar_t* arguments[] = {partial.c_str()};
    ProcessArguments(window_, arguments, 1);
  });
  EXPECT_EQ(boxes.Answered(), 1) << "some steps were not read";
  // The start restores the stored chain after the command line is read.
  SendMessageW(window_, WM_COMMAND, IDM_RESTORE_CHAIN, 2);
  Gui([&] {
    EXPECT_EQ(CountSteps(), 1u);
    EXPECT_EQ(StepText(0), L"<Ext,\"one\">");
  });
}

TEST_F(MainCommands, AChainThatCannotBeStoredForTheNextStartIsToldOnClosing) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  // Read from a line, a step holds more than a line can: its own line would be too long.
  const std::wstring longText(600, L'x');
  const std::wstring step = L"<Sbst,n,\"" + longText + L"\",\"" + longText + L"\">";
  Gui([&] {
    ASSERT_GE(InsertStepIntoList(CreateModuleFromText(step.c_str()), -1, true), 0);
    MarkSettingsChanged(1);
  });
  EXPECT_EQ(Close(), 0);
  EXPECT_EQ(boxes.Answered(), 1);
  EXPECT_EQ(boxes.LastText().rfind(L"The steps could not be stored", 0), 0u);
  std::vector<std::string> stored = SectionLines(ReadWholeFile(ProfilePath()), "QK");
  stored.erase(std::remove(stored.begin(), stored.end(), ""), stored.end());
  EXPECT_EQ(stored, std::vector<std::string>{"R1=<Case,n,2>"}) << "the section keeps the chain it held";
}

TEST_F(MainCommands, TheClosingQuestionOffersTheSettingsFileAndItsAnswersDoWhatTheySay) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  const std::wstring file = temp_.WriteFile(L"steps.zqr", SettingsFile(L"<Ext,\"one\">\r\n"));
  Gui([&] { ASSERT_EQ(LoadSettingsFile(window_, file.c_str()), 0); });
  const std::string loaded = ReadWholeFile(file);
  struct Case {
    int answer;
    bool fileWritten;
  };
  int steps = 1;
  for (const Case& c : {Case{IDNO, false}, Case{IDCANCEL, false}, Case{IDYES, true}}) {
    SCOPED_TRACE(c.answer);
    const std::string before = ReadWholeFile(file);
    DialogWatcher boxes(GetCurrentProcessId(), c.answer);
    Gui([&] {
      InsertStepIntoList(CreateModuleFromText(L"<Case,n,1>"), -1, true);
      MarkSettingsChanged(1);
      SaveChangedSettingsOnClose(window_);
    });
    ++steps;
    EXPECT_EQ(boxes.Answered(), 1);
    EXPECT_NE(boxes.LastText().find(file), std::wstring::npos);
    EXPECT_EQ(ReadWholeFile(file) != before, c.fileWritten);
    // Whatever the answer, the next start finds the chain as it is.
    int stored = 0;
    Gui([&] { stored = ProfileEnumSection(&g_settingsStore, "QK", [](const char*, const char*, void*) { return 0; }, nullptr); });
    EXPECT_EQ(stored, steps);
  }
  EXPECT_NE(ReadWholeFile(file), loaded);

  // A new chain belongs to no file: its changes go to "QK" without a question.
  DialogWatcher boxes(GetCurrentProcessId(), IDYES);
  SendMessageW(window_, WM_COMMAND, IDM_NEW_LIST, 0);
  Gui([&] {
    InsertStepIntoList(CreateModuleFromText(L"<Ext,\"new\">"), -1, true);
    MarkSettingsChanged(1);
  });
  EXPECT_EQ(Close(), 0);
  EXPECT_EQ(boxes.Answered(), 0);
  EXPECT_EQ(SectionLines(ReadWholeFile(ProfilePath()), "QK"), std::vector<std::string>{"R1=<Ext,\"new\">"});
}

TEST_F(MainCommands, SavingAnEmptyChainSaysThereIsNothingToSave) {
  ASSERT_TRUE(Start({L"a.txt"}, {}));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  SendMessageW(window_, WM_COMMAND, IDM_SAVE_SETTINGS, 0);
  ASSERT_EQ(boxes.Answered(), 1) << "a message, not the save dialog";
  EXPECT_EQ(boxes.LastText(), L"There are no steps to save.");
}

TEST_F(MainCommands, ANameTypedWithoutExtensionIsCompletedByTheSaveDialog) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  UiSeamsScope seams;
  g_uiSeams.getSaveFileNameW = TypeNameWithoutExtension;
  g_typedName = temp_ / L"steps";
  SendMessageW(window_, WM_COMMAND, IDM_SAVE_SETTINGS, 0);
  EXPECT_EQ(g_defaultExtension, L"zqr");
  EXPECT_EQ(ReadWholeFile(temp_ / L"steps.zqr"), SettingsFile(L"<Case,n,2>\r\n"));
}

TEST_F(MainCommands, AListingOptionChangedWhileAJobIsBusyListsTheFolderWhenTheJobEnds) {
  ASSERT_TRUE(Start({L"a.txt"}, {}));
  temp_.WriteFile(L"files\\sub\\b.txt", "b");
  const std::vector<std::wstring> before = ListedNames();
  Gui([] { InterlockedIncrement(&g_app->busyCounter); });
  SendMessageW(window_, WM_COMMAND, IDM_SUBFOLDERS, 0);
  EXPECT_EQ(ListedNames(), before) << "no listing while the job runs";
  Gui([] { InterlockedDecrement(&g_app->busyCounter); });
  EXPECT_TRUE(WaitFor([] {
    const ItemStore* rows = &g_app->fileList->rows;
    for (uint32_t i = 0; i < ItemStoreCount(rows); ++i)
      if (wcscmp(reinterpret_cast<const FileListRow*>(ItemStoreGet(rows, i))->currentName, L"b.txt") == 0) return true;
    return false;
  })) << "the recursive listing the command asked for";
  EXPECT_TRUE(WaitUntilIdle());
}

TEST_F(MainCommands, SelectedFilesOnlyKeepsTheSelectedRowsAndLeavesTheDisk) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt", L"c.txt"}, {"<Case,n,2>"}));
  Gui([] {
    ItemsViewSelectItems(g_app->fileList, -1, 0);
    ItemsViewSelectItems(g_app->fileList, RowNamed(L"b.txt"), 1);
  });
  SendMessageW(window_, WM_COMMAND, IDM_SELECTED_ONLY, 0);
  EXPECT_EQ(ListedNames(), Names{L"b.txt"});
  EXPECT_EQ(NewNames(), Names{L"B.txt"});
  EXPECT_EQ(Disk(), (Names{L"a.txt", L"b.txt", L"c.txt"}));
  SendMessageW(window_, WM_COMMAND, IDM_SELECTED_ONLY, 0);
  EXPECT_TRUE(WaitFor([] { return ItemStoreCount(&g_app->fileList->rows) == 3 && g_app->busyCounter == 0; }));
}

TEST_F(MainCommands, RecentFilesStandBeforeExitNewestFirstAndStayInTheStore) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  const std::wstring longPath = L"C:\\a folder with a name long enough\\to push the menu text past\\sixty.zqr";
  Gui([&] {
    // The last one is first already (ignoring case): it changes nothing.
    for (const wchar_t* path : {L"C:\\one.zqr", L"C:\\two.zqr", longPath.c_str(), L"C:\\ONE.ZQR", L"c:\\one.ZQR"}) {
      AddRecentFile(&g_recentFiles, path);
    }
  });
  HMENU file = GetSubMenu(GetMenu(window_), 0);
  const int exit = GetMenuItemCount(file) - 1;
  ASSERT_EQ(GetMenuItemID(file, exit), 101u);
  EXPECT_EQ(GetMenuItemID(file, exit - 1), 221u);
  const std::wstring expected[] = {L"&1 C:\\ONE.ZQR", L"&2 sixty.zqr", L"&3 C:\\two.zqr"};
  for (int i = 0; i < 3; ++i) {
    wchar_t text[80] = {};
    GetMenuStringW(file, IDM_RECENT_FILE_FIRST + i, text, 80, MF_BYCOMMAND);
    EXPECT_EQ(text, expected[i]);
  }
  Gui([] { RemoveRecentFile(&g_recentFiles, L"c:\\two.zqr"); });
  EXPECT_EQ(GetMenuState(file, IDM_RECENT_FILE_FIRST + 2, MF_BYCOMMAND), 0xFFFFFFFFu);
  EXPECT_EQ(Close(), 0);
  const std::vector<std::string> recent = SectionLines(ReadWholeFile(ProfilePath()), "MRU");
  EXPECT_EQ(ValueOf(recent, "1"), "C:\\ONE.ZQR");
  EXPECT_EQ(ValueOf(recent, "2"), Narrow(longPath));
  EXPECT_EQ(ValueOf(recent, "3"), "(missing)");
}

TEST_F(MainCommands, ResettingTheSettingsRestartsTheWindowOnAnEmptyStoreButNotWhileAJobIsBusy) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}, "ExpMode=3\r\n"));
  DialogWatcher boxes(GetCurrentProcessId(), IDYES);
  Gui([] { InterlockedIncrement(&g_app->busyCounter); });
  SendMessageW(window_, WM_COMMAND, IDM_RESET_SETTINGS, 0);
  EXPECT_EQ(boxes.Answered(), 0);
  Gui([] { InterlockedDecrement(&g_app->busyCounter); });
  const HWND first = window_;
  SendMessageW(first, WM_COMMAND, IDM_RESET_SETTINGS, 0);
  EXPECT_EQ(boxes.Answered(), 1);
  window_ = InProcessProgram::WaitForMainWindow(first);
  ASSERT_NE(window_, nullptr);
  Gui([] {
    EXPECT_EQ(g_app->exportMode, 0);
    EXPECT_EQ(g_app->currentFolder[0], 0) << "the folder of the last run is forgotten";
  });
  EXPECT_EQ(Close(), 0);
  const std::string profile = ReadWholeFile(ProfilePath());
  EXPECT_EQ(ValueOf(SectionLines(profile, "QVRX"), "ExpMode"), "0");
  EXPECT_TRUE(SectionLines(profile, "QK").empty());
}
