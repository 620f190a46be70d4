// The main window run inside the test process: the restart loop, the refusals while a worker is busy, the
// commands the window posts itself and how it routes commands, and what a failing pane does to the run.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/core/system_seams.h"
#include "foundation/providers/providers.h"
#include "foundation/text/bounded_text.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/command_ids.h"
#include "foundation/win32/menu_icons.h"
#include "hook_tables_scope.h"
#include "in_process_program.h"
#include "profile_text.h"
#include "shell/app_run.h"
#include "shell/program_hooks.h"
#include "shell/toolbar_descriptor.h"
#include "support/temp_folder.h"
#include "views/file_list_row.h"
#include "views/folder_listing.h"
#include "views/items_view.h"
#include "views/items_view_window.h"

namespace {

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

std::vector<std::string> StoredSection(const std::wstring& path) { return SectionLines(ReadWholeFile(path), "QVRX"); }

}  // namespace

TEST(MainWindow, RestartBuildsTheWindowAgainOverTheSameStoreWithoutWritingTwice) {
  TempFolder folder;
  const std::wstring profile = folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nPos=100,70,700,450,1\r\nExpMode=8\r\n");
  InProcessProgram program(profile);
  program.Start();
  HWND first = InProcessProgram::WaitForMainWindow();
  ASSERT_NE(first, nullptr);
  const RECT stored = WindowRect(first);
  EXPECT_EQ(stored.left, 100);
  EXPECT_EQ(stored.right - stored.left, 700);
  int restarted = -1;
  InProcessProgram::OnGuiThread(first, [&] {
    EXPECT_EQ(g_app->exportMode, 0);
    EXPECT_EQ(g_app->options, 32u);
    // What a display-mode change does: store its own setting, then restart.
    ProfileSetInt(&g_settingsStore, "QVRX", "DM", 2);
    ProfileSave(&g_settingsStore);
    restarted = RestartMainWindow(first);
  });
  ASSERT_EQ(restarted, 0);
  HWND second = InProcessProgram::WaitForMainWindow(first);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(WindowRect(second).left, stored.left);
  EXPECT_EQ(WindowRect(second).top, stored.top);
  // The closing window's state did not reach the file: only the restarting command's save did.
  std::vector<std::string> lines = StoredSection(profile);
  EXPECT_EQ(ValueOf(lines, "DM"), "2");
  EXPECT_EQ(ValueOf(lines, "ExpMode"), "8");
  EXPECT_EQ(ValueOf(lines, "Opt"), "(missing)");
  InProcessProgram::OnGuiThread(second, [] {
    EXPECT_EQ(g_app->displayMode, 2);
    EXPECT_EQ(g_app->restartCounter, 0);
  });
  PostMessageW(second, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Finish(), 0);
  lines = StoredSection(profile);
  EXPECT_EQ(ValueOf(lines, "Pos"), "100,70,700,450,1");
  EXPECT_EQ(ValueOf(lines, "DM"), "2");
  EXPECT_EQ(ValueOf(lines, "ExpMode"), "0");
  EXPECT_EQ(ValueOf(lines, "Opt"), "32");
}

TEST(MainWindow, ClosingEndingTheSessionAndRestartingWaitWhileAWorkerIsBusy) {
  TempFolder folder;
  // With its language chosen the program saves nothing while it starts.
  const std::wstring profile = folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n");
  InProcessProgram program(profile);
  program.Start();
  HWND window = InProcessProgram::WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  InProcessProgram::OnGuiThread(window, [] { InterlockedIncrement(&g_app->busyCounter); });
  EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
  int restarted = -1;
  InProcessProgram::OnGuiThread(window, [&] { restarted = RestartMainWindow(window); });
  EXPECT_EQ(restarted, ERROR_BUSY);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(ValueOf(StoredSection(profile), "Pos"), "(missing)") << "nothing was saved";
  InProcessProgram::OnGuiThread(window, [] {
    EXPECT_EQ(g_app->restartCounter, 0);
    InterlockedDecrement(&g_app->busyCounter);
  });
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_NE(ValueOf(StoredSection(profile), "Pos"), "(missing)") << "the session's end saved the placement";
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Finish(), 0);
}

namespace {

// A job as a listing or a rename run is: it works in the application state until it is stopped.
HANDLE g_jobEnded;

DWORD WINAPI WorkUntilStopped(void*) {
  while (!JobStopRequested()) Sleep(10);
  Sleep(100);
  EndExclusiveJob();
  SetEvent(g_jobEnded);
  return 0;
}

}  // namespace

TEST(MainWindow, AJobStillRunningWhenTheRunEndsIsStoppedBeforeItsStateGoes) {
  TempFolder folder;
  // A restored chain: an empty one would offer the module menu, whose loop would take the WM_QUIT.
  InProcessProgram program(folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<Case,n,2>\r\n"));
  program.Start();
  HWND window = InProcessProgram::WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  g_jobEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool started = false;
  InProcessProgram::OnGuiThread(window, [&] {
    started = StartExclusiveJob(WorkUntilStopped, window);
    // The window refuses to close while the job runs; a run can still end by WM_QUIT.
    PostQuitMessage(0);
  });
  ASSERT_TRUE(started);
  EXPECT_EQ(program.Finish(), 0);
  EXPECT_EQ(WaitForSingleObject(g_jobEnded, 0), WAIT_OBJECT_0) << "the run ended only after its job";
  WaitForSingleObject(g_jobEnded, 5000);
  CloseHandle(g_jobEnded);
}

namespace {

int RootQ(FileSystemProvider*, ProviderFolder*, wchar_t* target, int capacity) {
  return CopyWideBounded(L"Q:\\", target, capacity);
}

// A folder whose listing takes until it is stopped (a minute at most).
int FolderListedUntilStopped(FileSystemProvider*, ProviderFolder*, const wchar_t*, ProviderItemCallback, void*) {
  for (ULONGLONG end = GetTickCount64() + 60000; !JobStopRequested() && GetTickCount64() < end;) Sleep(10);
  return 0;
}

bool IsBusy(HWND window) {
  bool busy = true;
  InProcessProgram::OnGuiThread(window, [&] { busy = IsJobBusy(); });
  return busy;
}

}  // namespace

TEST(MainWindow, AClosedWindowStopsAFolderListingAndClosesWhenItHasEnded) {
  HookTablesScope hooks;
  InstallProgramHooks();
  TempFolder folder;
  InProcessProgram program(folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<Case,n,2>\r\n"));
  program.Start();
  HWND window = InProcessProgram::WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  for (ULONGLONG end = GetTickCount64() + 10000; IsBusy(window) && GetTickCount64() < end;) Sleep(10);
  bool listing = false;
  InProcessProgram::OnGuiThread(window, [&] {
    FileSystemProvider& slow = g_fileSystemProviders[2];
    slow.kind = 9;
    slow.slots.rootPath = RootQ;
    slow.slots.enumerate = FolderListedUntilStopped;
    SetCurrentFolder(L"Q:\\slow");
    listing = IsFolderListingRunning();
  });
  ASSERT_TRUE(listing);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Finish(), 0) << "the listing stopped and the window closed";
}

namespace {

// The rows of the chain or of the file list.
size_t RowCount(HWND window, bool chain) {
  size_t rows = 0;
  InProcessProgram::OnGuiThread(window, [&] {
    const ItemListControl* list = chain ? g_app->chainList : g_app->fileList;
    rows = list ? ItemStoreCount(&list->rows) : 0;
  });
  return rows;
}

// The window procedure of a list class that refuses every window, registered in place of the list control's.
LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return message == WM_NCCREATE ? FALSE : DefWindowProcW(window, message, wParam, lParam);
}

class ListsThatCannotBeCreated {
 public:
  ListsThatCannotBeCreated() {
    UnregisterClassW(kItemListClassName, GetModuleHandleW(nullptr));
    WNDCLASSEXW refusing = {};
    refusing.cbSize = sizeof refusing;
    refusing.lpfnWndProc = RefuseCreation;
    refusing.hInstance = GetModuleHandleW(nullptr);
    // The list control's own brush: the program keeps a class it finds with that brush.
    refusing.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    refusing.lpszClassName = kItemListClassName;
    registered_ = RegisterClassExW(&refusing) != 0;
  }
  ~ListsThatCannotBeCreated() { UnregisterClassW(kItemListClassName, GetModuleHandleW(nullptr)); }
  bool Registered() const { return registered_; }

 private:
  bool registered_ = false;
};

// A profile whose last folder holds one file and whose chain holds one step.
std::wstring WriteOneFileStartProfile(TempFolder* folder) {
  folder->WriteFile(L"files\\a.txt", "a");
  const std::wstring files = *folder / L"files";
  const std::string profile = "[QVRX]\r\nLanguage=US\r\nLastFolder=" + std::string(files.begin(), files.end()) +
                              "\r\n[QK]\r\nR1=<Case,n,2>\r\n";
  return folder->WriteFile(L"QVRX.INI", profile);
}

// No job is busy, the start folder's file is listed and the chain's step restored.
bool StartedOnOneFile(HWND window) {
  bool idle = false;
  InProcessProgram::OnGuiThread(window, [&] { idle = !IsJobBusy(); });
  return idle && RowCount(window, false) == 1 && RowCount(window, true) == 1;
}

// Both icon lists are in place: the menus' and the toolbar's.
bool WaitForIcons(HWND window) {
  bool taken = false;
  for (int i = 0; i < 500 && !taken; ++i) {
    InProcessProgram::OnGuiThread(window, [&] {
      taken = g_menuIcons.imageList != nullptr && ImageList_GetImageCount(g_mainToolbar.toolbarImages) > 0;
    });
    if (!taken) Sleep(20);
  }
  return taken;
}

// Holds every load of the New list command's icon, on whichever thread, until the gate opens.
struct IconGate {
  HANDLE reached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
} g_iconGate;

HANDLE WINAPI HeldIconLoad(HINSTANCE module, LPCWSTR name, UINT type, int width, int height, UINT flags) {
  if (type == IMAGE_ICON && name == MAKEINTRESOURCEW(IDM_NEW_LIST)) {
    SetEvent(g_iconGate.reached);
    WaitForSingleObject(g_iconGate.open, INFINITE);
  }
  return LoadImageW(module, name, type, width, height, flags);
}

}  // namespace

TEST(MainWindow, AnswersAndListsTheStartFolderWhileItsIconsLoad) {
  HookTablesScope hooks;
  TempFolder folder;
  g_systemSeams.loadImageW = HeldIconLoad;
  InProcessProgram program(WriteOneFileStartProfile(&folder));
  program.Start();
  HWND window = InProcessProgram::WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WaitForSingleObject(g_iconGate.reached, 10000), WAIT_OBJECT_0);
  // Held icons must not hold the window: a window thread waiting for them would not answer at all.
  DWORD_PTR answer = 0;
  const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
  if (!answered) SetEvent(g_iconGate.open);
  EXPECT_TRUE(answered);
  for (int i = 0; i < 500 && !StartedOnOneFile(window); ++i) Sleep(20);
  EXPECT_TRUE(StartedOnOneFile(window));
  SetEvent(g_iconGate.open);
  EXPECT_TRUE(WaitForIcons(window));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Finish(), 0);
  RestoreSystemSeams();
}

TEST(MainWindow, PostsStartupAndChainRestoreAndRoutesOnlyEnabledCommands) {
  HookTablesScope hooks;
  TempFolder folder;
  InProcessProgram program(WriteOneFileStartProfile(&folder));
  program.Start();
  HWND window = InProcessProgram::WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  // The start-up command lists the last folder; the chain's restore brings its step back.
  for (int i = 0; i < 500 && !StartedOnOneFile(window); ++i) Sleep(20);
  EXPECT_EQ(RowCount(window, false), 1u);
  EXPECT_EQ(RowCount(window, true), 1u);
  // The icons, loaded once the window shows: one per toolbar button.
  EXPECT_TRUE(WaitForIcons(window));
  InProcessProgram::OnGuiThread(window, [] {
    HWND toolbar = g_mainToolbar.toolbar;
    ASSERT_NE(toolbar, nullptr);
    const int images = ImageList_GetImageCount(g_mainToolbar.toolbarImages);
    const int buttons = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    int iconButtons = 0;
    for (int i = 0; i < buttons; ++i) {
      TBBUTTON button = {};
      SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
      if (button.idCommand == 0) continue;
      EXPECT_EQ(button.iBitmap, iconButtons++) << button.idCommand;
    }
    EXPECT_GT(iconButtons, 0);
    EXPECT_EQ(images, iconButtons);
    EXPECT_NE(g_menuIcons.imageList, nullptr);
  });
  // Clearing the chain is refused while a job is busy, and done when none is.
  InProcessProgram::OnGuiThread(window, [] { InterlockedIncrement(&g_app->busyCounter); });
  SendMessageW(window, WM_COMMAND, IDM_NEW_LIST, 0);
  EXPECT_EQ(RowCount(window, true), 1u);
  InProcessProgram::OnGuiThread(window, [] { InterlockedDecrement(&g_app->busyCounter); });
  SendMessageW(window, WM_COMMAND, IDM_NEW_LIST, 0);
  EXPECT_EQ(RowCount(window, true), 0u);
  MINMAXINFO limits = {};
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 400);
  EXPECT_EQ(limits.ptMinTrackSize.y, 300);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Finish(), 0);
}

TEST(MainWindow, APaneThatFailsToBeCreatedEndsTheRunAndItsWindow) {
  HookTablesScope hooks;
  TempFolder folder;
  ListsThatCannotBeCreated refusing;
  ASSERT_TRUE(refusing.Registered());
  InProcessProgram program(folder / L"QVRX.INI");
  program.Start();
  EXPECT_EQ(program.Finish(), 0);
  EXPECT_EQ(ValueOf(StoredSection(folder / L"QVRX.INI"), "Opt"), "32");
}

namespace {

LRESULT SendNotify(HWND window, NMHDR* header, UINT_PTR from, UINT code) {
  header->idFrom = from;
  header->code = code;
  return SendMessageW(window, WM_NOTIFY, from, reinterpret_cast<LPARAM>(header));
}

}  // namespace

TEST(MainWindow, ListsKeepTheirSortAndAnswerThePanesNotifications) {
  TempFolder folder;
  const std::wstring profile = folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nSort=65539\r\n");
  InProcessProgram program(profile);
  program.Start();
  HWND window = InProcessProgram::WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  InProcessProgram::OnGuiThread(window, [] {
    ASSERT_NE(g_app->fileList, nullptr);
    ASSERT_NE(g_app->chainList, nullptr);
    EXPECT_EQ(g_app->paneWindows[2], g_app->fileList->window);
    EXPECT_EQ(g_app->fileList->sortKey, 3);
    EXPECT_NE(g_app->fileList->sortDirection, 0);
  });

  // Rows whose new name is marked unusable are painted on red.
  FileListRow marked = {};
  CopyWideBounded(L"<report.txt>", marked.newName, kFileNameCapacity);
  FileListRow plain = {};
  CopyWideBounded(L"report.txt", plain.newName, kFileNameCapacity);
  struct Case {
    DWORD stage;
    const FileListRow* row;
    LRESULT answer;
    COLORREF background;
  };
  const Case cases[] = {{CDDS_PREPAINT, nullptr, CDRF_NOTIFYITEMDRAW, 0},
                        {CDDS_ITEMPREPAINT, &marked, CDRF_NEWFONT, 0x8080FF},
                        {CDDS_ITEMPREPAINT, &plain, CDRF_DODEFAULT, 0}};
  for (const Case& c : cases) {
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.dwDrawStage = c.stage;
    draw.nmcd.lItemlParam = reinterpret_cast<LPARAM>(c.row);
    EXPECT_EQ(SendNotify(window, &draw.nmcd.hdr, 62, NM_CUSTOMDRAW), c.answer);
    EXPECT_EQ(draw.clrTextBk, c.background);
  }

  // A check box of a step changes the chain.
  NMLISTVIEW change = {};
  change.uOldState = 0x1000;
  change.uNewState = 0x2000;
  SendNotify(window, &change.hdr, 61, LVN_ITEMCHANGED);
  InProcessProgram::OnGuiThread(window, [] { EXPECT_NE(g_app->settingsChanged, 0); });

  // A change of the file list's selection is counted once it has settled, and the timer stops.
  NMLISTVIEW selection = {};
  SendNotify(window, &selection.hdr, 62, LVN_ITEMCHANGED);
  bool settled = false;
  for (int i = 0; i < 200 && !settled; ++i) {
    Sleep(20);
    InProcessProgram::OnGuiThread(window, [&] {
      settled = g_app->selectionChangeCount == 0 && !KillTimer(window, 7);
    });
  }
  EXPECT_TRUE(settled);

  NMHDR find = {};
  EXPECT_EQ(SendNotify(window, &find, 62, LVN_ODFINDITEMW), -1);
  SendMessageW(window, kPaneNotifyMessage, kPaneGotFocus, kFileListId);
  InProcessProgram::OnGuiThread(window, [] { EXPECT_EQ(g_app->activePane, 2); });

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Finish(), 0);
  EXPECT_EQ(ValueOf(StoredSection(profile), "Sort"), "65539");
}
