// The panes' layout: the splitters' stored places and their gaps, a drag within its limits and Esc during one,
// splitters dragged with the mouse in the real program and kept over a restart, and Tab between the panes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/command_ids.h"
#include "profile_text.h"
#include "program_copy.h"
#include "program_fixture.h"
#include "program_state_scope.h"
#include "remote_program.h"
#include "shell/pane_layout.h"
#include "shell/settings_values.h"
#include "shell/splitters.h"
#include "views/status_bar.h"
#include "support/system_input.h"
#include "support/temp_folder.h"

namespace {

constexpr int kTreeId = 60;

// A pane's place in the client area of the main window.
RECT PlaceOf(HWND window, HWND pane) {
  RECT place = {};
  GetWindowRect(pane, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

bool Near(LONG value, LONG wanted) { return value >= wanted - 2 && value <= wanted + 2; }

// A stand-in main window of the size, not shown yet, with the tree 200 pixels wide and the chain 100 high.
HWND CreateStandInMain(ProgramStateScope& state, int width, int height) {
  state->treeWidth = 200;
  state->chainHeight = 100;
  return CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"main", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

using SplitterDrag = ProgramFixture;
using PaneFocusInteractive = ProgramFixture;

}  // namespace

TEST(Splitters, SepIsTakenOnlyAsTwoNumbersInRange) {
  const struct {
    const char* text;
    bool taken;
    int32_t width;
    int32_t height;
  } cases[] = {
      {"1000,999", true, 1000, 999}, {"1,1", true, 1, 1},  {"1000,1000", false, 0, 0}, {"1001,5", false, 0, 0},
      {"0,5", false, 0, 0},          {"5", false, 0, 0},   {"5,6,7", false, 0, 0},     {"5,x", false, 0, 0},
      {"", false, 0, 0},             {"-3,5", false, 0, 0},
  };
  for (const auto& c : cases) {
    int32_t width = 0;
    int32_t height = 0;
    EXPECT_EQ(ParseSplitterPosition(c.text, &width, &height), c.taken) << c.text;
    EXPECT_EQ(width, c.width) << c.text;
    EXPECT_EQ(height, c.height) << c.text;
  }
}

TEST(Splitters, PanesLieAroundTheGapsThatTheHitTestFinds) {
  TempFolder folder;
  ProfileStoreConstruct(&g_settingsStore, (folder / L"QVRX.INI").c_str(), kProfileNoAutoLocation);
  ProgramStateScope state;
  HWND main = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"main", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(main, nullptr);
  for (HWND& pane : state->paneWindows) {
    pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, main, nullptr, nullptr, nullptr);
  }
  ShowWindow(main, SW_SHOWNOACTIVATE);
  const struct {
    int32_t width, height;
    bool treeShown;
    RECT tree, chain, files;
    LONG vertical[2], horizontal[2];  // points on the vertical gap, and beside it
  } cases[] = {
      {200, 100, true, {0, 0, 198, 600}, {202, 0, 800, 98}, {202, 102, 800, 600}, {199, 201}, {198, 202}},
      {200, 100, false, {}, {0, 0, 800, 98}, {0, 102, 800, 600}, {}, {199, 201}},
      // Stored for a larger window: drawn where the lists beyond keep their width and the file list its rows.
      {1000, 999, true, {0, 0, 732, 600}, {736, 0, 800, 539}, {736, 543, 800, 600}, {733, 735}, {732, 736}},
      // Too small to be used: drawn where a drag would stop.
      {1, 1, true, {0, 0, 2, 600}, {6, 0, 800, 53}, {6, 57, 800, 600}, {3, 5}, {2, 6}},
      // Nothing stored: a quarter of the width and an eighth of the height, stored at once.
      {0, 0, true, {0, 0, 198, 600}, {202, 0, 800, 73}, {202, 77, 800, 600}, {199, 201}, {198, 202}},
  };
  for (const auto& c : cases) {
    state->treeWidth = c.width;
    state->chainHeight = c.height;
    ShowWindow(state->paneWindows[0], c.treeShown ? SW_SHOW : SW_HIDE);
    LayoutMainWindow(main);
    const RECT places[] = {PlaceOf(main, state->paneWindows[0]), PlaceOf(main, state->paneWindows[1]),
                           PlaceOf(main, state->paneWindows[2])};
    if (c.treeShown) {
      EXPECT_TRUE(EqualRect(&places[0], &c.tree)) << c.width << " tree " << places[0].right;
    }
    EXPECT_TRUE(EqualRect(&places[1], &c.chain)) << c.width << " chain " << places[1].left << "," << places[1].bottom;
    EXPECT_TRUE(EqualRect(&places[2], &c.files)) << c.width << " files " << places[2].left << "," << places[2].top;
    for (LONG x : c.vertical) {
      if (c.treeShown) {
        EXPECT_EQ(SplitterHitTest(POINT{x, 300}), kSplitterVertical) << c.width << " at " << x;
      }
    }
    for (LONG x : c.horizontal) {
      EXPECT_EQ(SplitterHitTest(POINT{x, 300}), kSplitterHorizontal) << c.width << " at " << x;
    }
  }
  char stored[32];
  ProfileGetString(&g_settingsStore, "QVRX", "Sep", "", stored, sizeof stored);
  EXPECT_STREQ(stored, "200,75");
  DestroyWindow(main);
  ProfileStoreDestroy(&g_settingsStore);
}

// The window's creation lays the panes out before it shows: they must stand as they will once it shows, so that
// showing it moves nothing.
TEST(Splitters, PanesOfAWindowNotShownYetStandWhereTheyWillOnceItShows) {
  ProgramStateScope state;
  HWND main = CreateStandInMain(state, 800, 600);
  ASSERT_NE(main, nullptr);
  for (HWND& pane : state->paneWindows) {
    pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, main, nullptr, nullptr, nullptr);
  }
  LayoutMainWindow(main);
  RECT hidden[3];
  for (int i = 0; i < 3; ++i) hidden[i] = PlaceOf(main, state->paneWindows[i]);
  ShowWindow(main, SW_SHOWNOACTIVATE);
  LayoutMainWindow(main);
  const RECT tree = {0, 0, 198, 600};
  EXPECT_TRUE(EqualRect(&hidden[0], &tree)) << hidden[0].right;
  for (int i = 0; i < 3; ++i) {
    const RECT shown = PlaceOf(main, state->paneWindows[i]);
    EXPECT_TRUE(EqualRect(&hidden[i], &shown)) << "pane " << i << " left " << hidden[i].left << " / " << shown.left;
  }
  DestroyWindow(main);
}

TEST(StatusBarPlace, TheBarTakesFiveMoreWhileTheWindowHasHeightToSpare) {
  ProgramStateScope state;
  HWND main = CreateStandInMain(state, 400, 300);
  ASSERT_NE(main, nullptr);
  ASSERT_EQ(InitStatusBar(&g_statusBar, StatusBarLayoutCallback), 0);
  ASSERT_NE(CreateStatusBar(&g_statusBar, main, GetModuleHandleW(nullptr)), nullptr);
  g_statusBar.shown = 1;
  // Heights of the bar in a tall window and in one lower than the bar: only the tall one has height to spare.
  int heights[2] = {};
  const int clientHeights[2] = {300, 8};
  for (int i = 0; i < 2; ++i) {
    SetWindowPos(main, nullptr, 0, 0, 400, clientHeights[i], SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutMainWindow(main);
    RECT bar = {};
    GetWindowRect(g_statusBar.window, &bar);
    heights[i] = bar.bottom - bar.top;
    RECT panes = {};
    GetPaneArea(&panes);
    EXPECT_EQ(panes.bottom, clientHeights[i] - heights[i]);
  }
  EXPECT_EQ(heights[0] - heights[1], 5);
  DestroyStatusBar(&g_statusBar);
  DestroyWindow(main);
}

TEST_F(SplitterDrag, ADragStaysWithinItsLimitsAndEscPutsTheSplitterBack) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}, "Sep=200,150\r\n"));
  RECT client = {};
  GetClientRect(window_, &client);
  const LONG paneTop = PlaceOf(window_, GetDlgItem(window_, kChainListId)).top;
  // Each drag at once on the program's thread: no move of the real mouse comes in between.
  const auto drag = [&](POINT from, POINT to) {
    Gui([&] {
      SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
      SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
      SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    });
  };
  int32_t width = 0;
  int32_t height = 0;
  const auto places = [&] {
    Gui([&] {
      width = g_app->treeWidth;
      height = g_app->chainHeight;
    });
  };
  places();
  EXPECT_EQ(width, 200);
  EXPECT_EQ(height, 150);
  // The tree keeps 4 pixels and leaves the lists their usable width; the chain keeps room for its header and a
  // row.
  drag({200, paneTop + 300}, {2, paneTop + 300});
  places();
  EXPECT_EQ(width, 4);
  drag({4, paneTop + 300}, {client.right + 50, paneTop + 300});
  places();
  EXPECT_EQ(width, client.right - 2 - kSmallestListWidth);
  drag({width, paneTop + 10}, {300, paneTop + 10});
  drag({600, paneTop + 150}, {600, paneTop + 1});
  places();
  EXPECT_EQ(width, 300);
  EXPECT_GT(height, 20);
  EXPECT_LT(height, 100);
  EXPECT_EQ(PlaceOf(window_, GetDlgItem(window_, kTreeId)).right, 298);
  EXPECT_EQ(PlaceOf(window_, GetDlgItem(window_, kFileListId)).left, 302);
  EXPECT_EQ(PlaceOf(window_, GetDlgItem(window_, kFileListId)).top, paneTop + height + 2);
  // Esc during a drag puts the splitter back where the drag began.
  int32_t dragged = 0;
  Gui([&] {
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, paneTop + 300));
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(450, paneTop + 300));
    dragged = g_app->treeWidth;
    SendMessageW(window_, WM_COMMAND, IDM_CANCEL, 0);
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, paneTop + 300));
  });
  EXPECT_EQ(dragged, 450);
  places();
  EXPECT_EQ(width, 300);
  EXPECT_EQ(PlaceOf(window_, GetDlgItem(window_, kTreeId)).right, 298);
  EXPECT_EQ(Close(), 0);
  EXPECT_EQ(ValueOf(SectionLines(ReadWholeFile(ProfilePath()), "QVRX"), "Sep"),
            "300," + std::to_string(height));
}

TEST_F(SplitterDrag, ADragUnderWayWhenTheWindowClosesIsStoredWhereItIs) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}, "Sep=200,150\r\n"));
  const LONG paneTop = PlaceOf(window_, GetDlgItem(window_, kChainListId)).top;
  // The window refuses to close while a job is busy; the drag and the close at once on the program's thread,
  // so that no move of the real mouse comes in between.
  ASSERT_TRUE(WaitUntilIdle());
  Gui([&] {
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, paneTop + 300));
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(320, paneTop + 300));
    SendMessageW(window_, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(Close(), 0);
  EXPECT_EQ(ValueOf(SectionLines(ReadWholeFile(ProfilePath()), "QVRX"), "Sep"), "320,150");
}

TEST(SplittersProgramInteractive, SplittersDraggedWithTheMouseResizeThePanesAndComeBackAfterARestart) {
  SKIP_WITH_PER_USER_PROFILE();
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const std::wstring files = copy.Folder().MakeFolder(L"files");
  copy.Folder().WriteFile(L"files\\a.txt", "x");
  copy.Folder().WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\nSep=200,150\r\n[QK]\r\nR1=-<Case,n,2>\r\n");
  ProcessDriver driver;
  HWND window = copy.Start(&driver, Quoted(files));
  ASSERT_NE(window, nullptr);
  const auto tree = [&] { return PlaceOf(window, GetDlgItem(window, kTreeId)); };
  const auto chain = [&] { return PlaceOf(window, GetDlgItem(window, kChainListId)); };
  ASSERT_TRUE(WaitUntil([&] { return tree().right == 198 && chain().left == 202; }));
  const LONG top = chain().top;
  EXPECT_EQ(chain().bottom, top + 148);

  const auto fileList = [&] { return PlaceOf(window, GetDlgItem(window, kFileListId)); };
  DragAt(window, POINT{200, top + 250}, POINT{260, top + 250});
  EXPECT_TRUE(WaitUntil([&] { return Near(tree().right, 258) && Near(fileList().left, 262); })) << tree().right;
  DragAt(window, POINT{chain().left + 40, top + 150}, POINT{chain().left + 40, top + 190});
  EXPECT_TRUE(WaitUntil([&] { return Near(chain().bottom, top + 188) && Near(fileList().top, top + 192); }))
      << chain().bottom - top;
  EXPECT_EQ(ProgramCopy::Close(&driver, window), 0);
  // The places as the drags left them, and as the next run lays the panes out.
  int width = 0;
  int height = 0;
  const std::string stored = ValueOf(SectionLines(ReadWholeFile(copy.ProfileFile()), "QVRX"), "Sep");
  ASSERT_EQ(sscanf(stored.c_str(), "%d,%d", &width, &height), 2) << stored;
  EXPECT_TRUE(Near(width, 260)) << stored;
  EXPECT_TRUE(Near(height, 190)) << stored;

  ProcessDriver again;
  window = copy.Start(&again, Quoted(files));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitUntil([&] {
    return tree().right == width - 2 && chain().left == width + 2 && chain().bottom == top + height - 2 &&
           fileList().left == width + 2 && fileList().top == top + height + 2;
  })) << stored << " " << tree().right << " " << chain().bottom - top << " " << fileList().top - top;
  EXPECT_EQ(ProgramCopy::Close(&again, window), 0);
}

TEST_F(PaneFocusInteractive, TabAndShiftTabWalkTheShownPanes) {
  ASSERT_TRUE(Start({L"a.txt"}, {"<Case,n,2>"}));
  HWND tree = GetDlgItem(window_, kTreeId);
  HWND chain = GetDlgItem(window_, kChainListId);
  HWND files = GetDlgItem(window_, kFileListId);
  const struct {
    int command;
    HWND focus;
  } steps[] = {{IDM_NEXT_PANE, tree},     {IDM_NEXT_PANE, chain},     {IDM_PREVIOUS_PANE, tree},
               {IDM_PREVIOUS_PANE, files}, {IDM_FOLDER_TREE, files}, {IDM_NEXT_PANE, chain},
               {IDM_NEXT_PANE, files}};
  // Each command runs on the program's thread at once, and the focus is read there before anything else can
  // move it.
  std::vector<HWND> seen;
  Gui([&] {
    SetFocus(files);
    for (const auto& step : steps) {
      SendMessageW(window_, WM_COMMAND, step.command, 0);
      seen.push_back(GetFocus());
    }
  });
  ASSERT_EQ(seen.size(), std::size(steps));
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], steps[i].focus) << "step " << i;
}
