// The address bar: a path into segments, the folders the segments open, hit tests, measuring and overflow, the
// whole path copied also beyond the drawn segments, and clicks that navigate (these take the foreground, so they
// run alone).
#include "views/address_bar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/providers/providers.h"
#include "foundation/ui/clipboard.h"
#include "foundation/ui/command_ids.h"
#include "foundation/core/memory.h"
#include "pane_test_parent.h"
#include "program_state_scope.h"
#include "support/temp_folder.h"
#include "views/address_bar_paint.h"
#include "views/path_edit.h"
#include "foundation/files/paths.h"

namespace {

using Segments = std::vector<std::wstring>;

Segments SegmentsOf(const AddressBar& bar) {
  Segments segments;
  for (int i = 0; i < bar.segmentCount; ++i) segments.emplace_back(SegmentText(&bar, i));
  return segments;
}

std::wstring SegmentPath(const AddressBar& bar, int index) {
  wchar_t path[kPathCapacity];
  BuildSegmentPath(&bar, index, path, kPathCapacity);
  return path;
}

struct SplitCase {
  const wchar_t* path;
  int32_t provider;
  bool single;
  Segments segments;
  int32_t hot;
};

const SplitCase kSplitCases[] = {
    {L"C:\\Windows\\System32", kLocalDiskIndex, false, {L"C:", L"Windows", L"System32"}, kNoHotSegment},
    {L"\\\\server\\share\\dir", kLocalDiskIndex, false, {L"\\\\server\\share", L"dir"}, kNoHotSegment},
    {L"C:\\", kLocalDiskIndex, false, {L"C:"}, kNoHotSegment},
    {L"D:/a//b/", kLocalDiskIndex, false, {L"D:", L"a", L"b"}, kNoHotSegment},
    {L"C:\\x\\y", kLocalDiskIndex, true, {L"C:\\x\\y"}, kNoHotSegment},
    {L"My Computer", kDrivesViewIndex, false, {L"My Computer"}, kTrackingOff},
};

class AddressBarObject : public testing::Test {
 protected:
  AddressBarObject() { InitAddressBar(&bar_); }
  ~AddressBarObject() override { DestroyAddressBar(&bar_); }
  AddressBar bar_ = {};
};

// A bar in a parent window, 600 pixels wide.
class AddressBarInteractive : public testing::Test {
 protected:
  AddressBarInteractive() {
    InitAddressBar(&bar_);
    ShowWindow(parent_.Window(), SW_SHOWNA);
    CreateAddressBar(&bar_, parent_.Window(), GetModuleHandleW(nullptr));
    MoveWindow(bar_.window, 0, 0, 600, bar_.rowHeight, TRUE);
    InitFileSystemProviders();
  }
  ~AddressBarInteractive() override {
    DestroyAddressBar(&bar_);
    ShutdownProviders();
  }

  // Shows the path and lets the bar measure its segments.
  void Show(const std::wstring& path) {
    PathBarSetPath(&bar_, kLocalDiskIndex, path.c_str(), false);
    RedrawWindow(bar_.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }

  // A press at x of segment `index`: its middle, or the middle of its drop part.
  void Press(int index, bool dropPart) {
    const LRESULT extent = SendMessageW(bar_.window, kAddressBarSegmentExtentMessage, index, 0);
    const int left = LOWORD(extent);
    const int right = HIWORD(extent);
    const int x = dropPart ? right - kSegmentDropWidth / 2 : (left + right - kSegmentDropWidth) / 2;
    PostMessageW(bar_.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, bar_.rowHeight / 2));
    PostMessageW(bar_.window, WM_LBUTTONUP, 0, MAKELPARAM(x, bar_.rowHeight / 2));
    parent_.Pump();
  }

  ProgramStateScope state_;
  PaneTestParent parent_{600, 200};
  AddressBar bar_ = {};
  TempFolder folder_;
};

}  // namespace

TEST_F(AddressBarObject, PathsSplitIntoTheirRootAndOneSegmentPerComponent) {
  for (const SplitCase& c : kSplitCases) {
    PathBarSetPath(&bar_, c.provider, c.path, c.single);
    EXPECT_EQ(SegmentsOf(bar_), c.segments) << c.path;
    EXPECT_EQ(bar_.hotSegment, c.hot) << c.path;
  }
  PathBarSetPath(&bar_, kLocalDiskIndex, L"C:\\Windows", false);
  EXPECT_EQ(SegmentPath(bar_, 0), L"C:\\") << "a drive opens at its root";
  EXPECT_EQ(SegmentPath(bar_, 1), L"C:\\Windows");
  PathBarSetPath(&bar_, kLocalDiskIndex, L"\\\\server\\share\\dir", false);
  EXPECT_EQ(SegmentPath(bar_, 0), L"\\\\server\\share");
  EXPECT_EQ(SegmentPath(bar_, 1), L"\\\\server\\share\\dir");

  bar_.measured = 1;
  PathBarSetPath(&bar_, kLocalDiskIndex, L"\\\\server\\share\\dir", false);
  EXPECT_EQ(bar_.measured, 1) << "the same folder again keeps its measures";
  PathBarSetPath(&bar_, kLocalDiskIndex, L"\\\\server\\share", false);
  EXPECT_EQ(bar_.measured, 0);
}

TEST_F(AddressBarObject, OnlyTheFirst128SegmentsAreDrawnButThePathStaysWhole) {
  std::wstring path = L"C:";
  for (int i = 0; i < 130; ++i) path += L"\\" + std::to_wstring(i % 10);
  PathBarSetPath(&bar_, kLocalDiskIndex, path.c_str(), false);
  EXPECT_EQ(bar_.segmentCount, 131);
  EXPECT_EQ(DrawnSegmentCount(&bar_), kAddressBarSegmentLimit);
  EXPECT_EQ(std::wstring(bar_.path), path);
  EXPECT_EQ(SegmentPath(bar_, kAddressBarSegmentLimit - 1), path.substr(0, 2 + 2 * (kAddressBarSegmentLimit - 1)));
}

TEST_F(AddressBarObject, HitTestsFindTheSegmentItsDropPartAndInOverflowThePrefix) {
  PathBarSetPath(&bar_, kLocalDiskIndex, L"C:\\ab\\cd", false);
  bar_.table[0].width = 50;
  bar_.table[1].width = 40;
  bar_.table[2].width = 30;
  struct Hit {
    int x;
    int segment;
    bool drop;
  };
  const Hit hits[] = {{18, 0, false}, {56, 0, false}, {57, 0, true}, {68, 1, false}, {107, 1, true},
                      {108, 2, false}, {137, 2, true}, {138, kNoHotSegment, false}, {500, kNoHotSegment, false}};
  for (const Hit& hit : hits) {
    bool drop = false;
    EXPECT_EQ(SegmentAt(&bar_, hit.x, &drop), hit.segment) << hit.x;
    EXPECT_EQ(drop, hit.drop) << hit.x;
  }
  bar_.overflowMode = 1;
  bar_.table[0].prefixRight = 40;
  bar_.table[1].prefixRight = 80;
  bar_.table[2].prefixRight = 120;
  const Hit overflowing[] = {{20, 0, false}, {40, 0, false}, {41, 1, false}, {120, 2, false},
                             {121, kNoHotSegmentOverflowing, false}};
  for (const Hit& hit : overflowing) {
    bool drop = true;
    EXPECT_EQ(SegmentAt(&bar_, hit.x, &drop), hit.segment) << hit.x;
    EXPECT_FALSE(drop);
  }
}

TEST_F(AddressBarObject, ANarrowBarOverflowsAndAWideOneDoesNot) {
  PathBarSetPath(&bar_, kLocalDiskIndex, L"C:\\Program Files\\Common Files\\System", false);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  MeasureAddressBar(&bar_, dc, 4000);
  EXPECT_EQ(bar_.overflow, 0);
  EXPECT_EQ(bar_.overflowMode, 0);
  EXPECT_GT(bar_.table[1].width, kSegmentExtraWidth);
  EXPECT_LT(bar_.table[0].prefixRight, bar_.table[1].prefixRight);
  MeasureAddressBar(&bar_, dc, 60);
  EXPECT_EQ(bar_.overflow, 1) << "the tooltip shows the path";
  EXPECT_EQ(bar_.overflowMode, 1) << "the path is drawn as text";
  DeleteDC(dc);
}

TEST_F(AddressBarInteractive, ClicksOpenTheSegmentsFolderAndAnEmptyDropPartNothing) {
  const std::wstring sub = folder_.MakeFolder(L"sub");
  Show(sub);
  EXPECT_EQ(bar_.tooltip, nullptr) << "the tooltip waits for the pointer";
  SendMessageW(bar_.window, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  ASSERT_NE(bar_.tooltip, nullptr);
  EXPECT_EQ(SendMessageW(bar_.tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  const int last = bar_.segmentCount - 1;
  Press(last, false);
  EXPECT_EQ(parent_.Navigations(), std::vector<std::wstring>{sub});
  EXPECT_GE(parent_.Count(kAddressBarPressMessage), 1);
  Press(last - 1, false);
  EXPECT_EQ(parent_.Navigations().back(), folder_.Path());
  parent_.messages.clear();
  Press(last, true);
  EXPECT_TRUE(parent_.Navigations().empty()) << "a folder without subfolders opens no menu and goes nowhere";
}

TEST_F(AddressBarInteractive, CopyingThePathCopiesAllOfItBeyondTheDrawnSegments) {
  std::wstring path = folder_.Path();
  while (std::count(path.begin(), path.end(), L'\\') < 131) path += L"\\d";
  ASSERT_LT(path.size(), static_cast<size_t>(kPathCapacity));
  PathBarSetPath(&bar_, kLocalDiskIndex, path.c_str(), false);
  ASSERT_GT(bar_.segmentCount, kAddressBarSegmentLimit);
  SendMessageW(bar_.window, WM_COMMAND, IDM_PATH_COPY, 0);
  wchar_t* copied = GetClipboardTextAlloc(bar_.window);
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(std::wstring(copied), path);
  FreeAndNull(&copied);
}
