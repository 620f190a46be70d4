// Placement records, the work area with its screen tiles, centring and moving windows.
#include "foundation/win32/window_placement.h"

#include <gtest/gtest.h>

#include "foundation/win32/window_position.h"
#include "support/test_window.h"

namespace {

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

WindowPlacementRecord Placement(int x, int y, int width, int height) {
  return WindowPlacementRecord{x, y, width, height, 1};
}

}  // namespace

TEST(WindowPlacement, WorkAreaIsTheDisplayAndMovesToTheWindowsTile) {
  RECT area = GetWorkAreaRect(nullptr, true);
  RECT screen = GetWorkAreaRect(nullptr, false);
  EXPECT_EQ(screen.right - screen.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screen.bottom - screen.top, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_LE(area.right - area.left, screen.right - screen.left);
  SIZE size = GetWorkAreaSize(true);
  EXPECT_EQ(size.cx, area.right - area.left);
  EXPECT_EQ(size.cy, area.bottom - area.top);

  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  OwnedWindow beside(CreateTestPopup(screenWidth + 100, 50, 200, 100));
  RECT moved = GetWorkAreaRect(beside, true);
  EXPECT_EQ(moved.left, area.left + screenWidth);
  EXPECT_EQ(moved.right, area.right + screenWidth);
  EXPECT_EQ(moved.top, area.top);
}

TEST(WindowPlacement, TileOriginsRoundDownAlsoLeftOfThePrimaryScreen) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  POINT inside = GetScreenTileOrigin(POINT{width / 2, height / 2});
  EXPECT_EQ(inside.x, 0);
  EXPECT_EQ(inside.y, 0);
  POINT right = GetScreenTileOrigin(POINT{width * 2 + 5, height + 1});
  EXPECT_EQ(right.x, width * 2);
  EXPECT_EQ(right.y, height);
  POINT left = GetScreenTileOrigin(POINT{-5, -height});
  EXPECT_EQ(left.x, -width);
  EXPECT_EQ(left.y, -height);
}

TEST(WindowPlacement, ClampKeepsThePlacementOnTheWorkArea) {
  RECT area = GetWorkAreaRect(nullptr, true);
  int areaWidth = area.right - area.left;
  int areaHeight = area.bottom - area.top;

  WindowPlacementRecord huge = Placement(-500, -500, areaWidth + 400, areaHeight + 300);
  ClampRectToWorkArea(nullptr, &huge, 8);
  EXPECT_EQ(huge.width, areaWidth);
  EXPECT_EQ(huge.height, areaHeight);
  EXPECT_EQ(huge.x, area.left - 8);
  EXPECT_EQ(huge.y, area.top - 8);

  WindowPlacementRecord offRight = Placement(area.right - 50, area.bottom - 20, 400, 300);
  ClampRectToWorkArea(nullptr, &offRight, 10);
  EXPECT_EQ(offRight.x, area.right + 10 - 400);
  EXPECT_EQ(offRight.y, area.bottom + 10 - 300);
  EXPECT_EQ(offRight.width, 400);

  WindowPlacementRecord inside = Placement(area.left + 100, area.top + 100, 400, 300);
  ClampRectToWorkArea(nullptr, &inside, 0);
  EXPECT_EQ(inside.x, area.left + 100);
  EXPECT_EQ(inside.y, area.top + 100);

  WindowPlacementRecord unset = Placement(kPlacementUnset, kPlacementUnset, 900, 600);
  ClampRectToWorkArea(nullptr, &unset, 0);
  EXPECT_EQ(unset.x, kPlacementUnset);
  EXPECT_EQ(unset.width, 900);
}

TEST(WindowPlacement, ClampFollowsTheWindowToItsTile) {
  RECT area = GetWorkAreaRect(nullptr, true);
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  OwnedWindow beside(CreateTestPopup(screenWidth + 100, 100, 300, 200));
  WindowPlacementRecord record = Placement(screenWidth * 2 + 500, 100, 300, 200);
  ClampRectToWorkArea(beside, &record, 0);
  EXPECT_EQ(record.x, area.right + screenWidth - 300);
}

TEST(WindowPlacement, RecordsOfNormalAndMaximisedWindows) {
  OwnedWindow window(CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 120, 80, 400, 300, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
  ShowWindow(window, SW_SHOWNORMAL);
  WindowPlacementRecord normal;
  GetWindowPlacementRecord(window, &normal);
  EXPECT_EQ(normal.x, 120);
  EXPECT_EQ(normal.y, 80);
  EXPECT_EQ(normal.width, 400);
  EXPECT_EQ(normal.height, 300);
  EXPECT_EQ(normal.showState, 1);

  ShowWindow(window, SW_SHOWMAXIMIZED);
  WindowPlacementRecord maximised;
  GetWindowPlacementRecord(window, &maximised);
  EXPECT_EQ(maximised.showState, 3);
  EXPECT_EQ(maximised.width, 400);
  EXPECT_EQ(maximised.height, 300);

  ShowWindow(window, SW_MINIMIZE);
  WindowPlacementRecord minimised;
  GetWindowPlacementRecord(window, &minimised);
  EXPECT_EQ(minimised.showState, 0);
  EXPECT_EQ(minimised.width, 400);
}

TEST(WindowPlacement, RecordOfAMissingWindowIsUnset) {
  HWND gone = CreateTestPopup(0, 0, 10, 10);
  DestroyWindow(gone);
  WindowPlacementRecord record = Placement(1, 2, 3, 4);
  GetWindowPlacementRecord(gone, &record);
  EXPECT_EQ(record.x, kPlacementUnset);
  EXPECT_EQ(record.y, kPlacementUnset);
  EXPECT_EQ(record.width, kPlacementUnset);
  EXPECT_EQ(record.height, kPlacementUnset);
  EXPECT_EQ(record.showState, 0);
  EXPECT_FALSE(IsPlacementSet(record));
}

TEST(WindowPlacement, ApplyingRecords) {
  OwnedWindow window(CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
  SetWindowPlacementRecord(window, WindowPlacementRecord{150, 160, 500, 350, 1});
  RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 150);
  EXPECT_EQ(rect.top, 160);
  EXPECT_EQ(rect.right - rect.left, 500);
  EXPECT_TRUE(IsWindowVisible(window));

  SetWindowPlacementRecord(window, WindowPlacementRecord{kPlacementUnset, 0, 100, 100, 1});
  EXPECT_EQ(WindowRect(window).left, 150);

  // A maximised record only moves the window; maximising is the caller's.
  SetWindowPlacementRecord(window, WindowPlacementRecord{40, 50, 300, 200, 3});
  rect = WindowRect(window);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.bottom - rect.top, 200);
  EXPECT_FALSE(IsZoomed(window));
}

TEST(WindowPlacement, ScaleFollowsTheWorkAreaWidth) {
  EXPECT_EQ(ScreenWidthScalePercent(1280), 100);
  EXPECT_EQ(ScreenWidthScalePercent(1599), 100);
  EXPECT_EQ(ScreenWidthScalePercent(1600), 100);
  EXPECT_EQ(ScreenWidthScalePercent(1920), 120);
  int percent = ScreenWidthScalePercent(GetWorkAreaSize(true).cx);
  EXPECT_EQ(ScaleByScreenWidth(50), 50 * percent / 100);
  if (GetWorkAreaSize(true).cx == 1920) {
    EXPECT_EQ(ScaleByScreenWidth(50), 60);
  }
}

TEST(WindowPosition, CenterWindowModesOnAnOwner) {
  OwnedWindow owner(CreateTestPopup(100, 100, 600, 400));
  OwnedWindow window(CreateTestPopup(0, 0, 200, 100));
  struct Case {
    int horizontal;
    int vertical;
    LONG x;
    LONG y;
  };
  const Case cases[] = {{kAlignRight, kAlignTop, 500, 100},
                        {kAlignCentre, kAlignCentre, 300, 250},
                        {kAlignLeft, kAlignBottom, 100, 400},
                        {kAlignFiveSixthsAcross, kAlignOneSixthDown, 433, 150},
                        {kAlignOneSixthAcross, kAlignFiveSixthsDown, 166, 350}};
  for (const Case& c : cases) {
    CenterWindow(owner, window, c.horizontal, c.vertical);
    RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, c.x) << c.horizontal << "," << c.vertical;
    EXPECT_EQ(rect.top, c.y) << c.horizontal << "," << c.vertical;
    EXPECT_EQ(rect.right - rect.left, 200);
  }
}

TEST(WindowPosition, CenteredWindowStaysInsideTheWorkArea) {
  RECT area = GetWorkAreaRect(nullptr, true);
  // Both owners have their centres on the primary screen, but reach past its edges.
  OwnedWindow owner(CreateTestPopup(area.right - 250, area.bottom - 200, 400, 300));
  OwnedWindow window(CreateTestPopup(0, 0, 300, 200));
  CenterWindow(owner, window, kAlignRight, kAlignBottom);
  RECT rect = WindowRect(window);
  EXPECT_EQ(rect.right, area.right);
  EXPECT_EQ(rect.bottom, area.bottom);

  OwnedWindow farLeft(CreateTestPopup(area.left - 150, area.top - 100, 400, 300));
  CenterWindow(farLeft, window, kAlignLeft, kAlignTop);
  rect = WindowRect(window);
  EXPECT_EQ(rect.left, area.left);
  EXPECT_EQ(rect.top, area.top);
}

TEST(WindowPosition, MoveOnlyWhenTheRectangleChanges) {
  OwnedWindow window(CreateTestPopup(10, 20, 100, 50));
  int moves = 0;
  MoveWindowIfChanged(window, 10, 20, 100, 50, &moves);
  EXPECT_EQ(moves, 0);
  MoveWindowIfChanged(window, 30, 40, 120, 60, &moves);
  EXPECT_EQ(moves, 1);
  RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.bottom - rect.top, 60);
  MoveWindowIfChanged(window, CW_USEDEFAULT, CW_USEDEFAULT, 120, 60, nullptr);
  rect = WindowRect(window);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  MoveWindowIfChanged(nullptr, 1, 1, 1, 1, &moves);
  EXPECT_EQ(moves, 1);
}
