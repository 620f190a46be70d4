// The status bar: count texts, parts laid out by the layout's widths, the percentage and its bar, hints over
// the parts, and texts that never lose their end.
#include "views/status_bar.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <string>

#include "foundation/win32/gdi.h"
#include "foundation/win32/theme.h"
#include "pane_test_parent.h"
#include "program_state_scope.h"
#include "status_texts.h"
#include "window_image.h"

namespace {

struct CountCase {
  ListStatistics counts;
  int textId;
  bool cancelled;
  bool plainSizes;
  const wchar_t* text;
};

const CountCase kCountCases[] = {
    {{0, 1, 1}, 1221, false, true, L"Listed 1 file, 1 byte"},
    {{0, 3, 250}, 1221, false, true, L"Listed 3 files, 250 bytes"},
    {{0, 0, 0}, 1221, false, true, L"0 files"},
    {{0, 0, 0}, 1222, false, true, L""},
    {{0, 0, 7}, 1222, false, true, L"Selected 7 bytes"},
    {{0, 2, 0}, 1221, true, true, L"Listed 2 files - stopped"},
    {{0, 0, 0}, 1221, true, true, L"0 files - stopped"},
    {{0, 2, 0}, 1222, true, true, L"Selected 2 files"},
};

// Part widths the test's layout hands out, from the first part to the last.
int32_t g_widths[kStatusPartCount];

void TestLayout(int, int, int32_t* widths, int partCount) {
  for (int i = 0; i < partCount; ++i) widths[i] = g_widths[i];
}

int g_positionsSet = 0;
WNDPROC g_progressProc = nullptr;

LRESULT CALLBACK CountingProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PBM_SETPOS) ++g_positionsSet;
  return CallWindowProcW(g_progressProc, window, message, wParam, lParam);
}

class StatusBarWindow : public testing::Test {
 protected:
  StatusBarWindow() {
    state_.UseTexts(kStatusTexts);
    InitStatusBar(&bar_, TestLayout);
    CreateStatusBar(&bar_, parent_.Window(), GetModuleHandleW(nullptr));
    MoveWindow(bar_.window, 0, 0, kWidth, kHeight, TRUE);
  }
  ~StatusBarWindow() override { DestroyStatusBar(&bar_); }

  void Layout(int32_t first, int32_t second, int32_t third) {
    g_widths[0] = first;
    g_widths[1] = second;
    g_widths[2] = third;
    LayoutStatusParts(&bar_, kWidth, kHeight);
  }

  // The bar's top row at x: the separator of the part that begins there, or the fill where no part is drawn.
  COLORREF TopRowAt(int x) {
    WindowImage image(kWidth, kHeight);
    RenderClient(bar_.window, &image);
    return image.At(x, 1);
  }

  static COLORREF Separator() { return BlendColors(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), 1); }

  static constexpr int kWidth = 600;
  static constexpr int kHeight = 22;
  ProgramStateScope state_;
  PaneTestParent parent_{kWidth, 100};
  StatusBar bar_ = {};
};

}  // namespace

TEST(StatusCounts, TextsFollowTheCountsTheSizesAndTheStopCommand) {
  ProgramStateScope state;
  state.UseTexts(kStatusTexts);
  for (const CountCase& c : kCountCases) {
    wchar_t text[512];
    FormatStatusCounts(c.counts, c.textId, c.cancelled, c.plainSizes, text, 512);
    EXPECT_STREQ(text, c.text) << c.textId << " " << c.counts.files << " " << c.counts.bytes;
  }
  wchar_t sized[512];
  FormatStatusCounts({0, 1, 3000}, 1221, false, false, sized, 512);
  EXPECT_EQ(std::wstring(sized).find(L"Listed 1 file, "), 0u);
  EXPECT_NE(std::wstring(sized).find(L"KB"), std::wstring::npos) << "sizes in units unless plain numbers are asked";
}

TEST_F(StatusBarWindow, PartsEndWhereTheLaterOnesBeginAndTextsKeepTheirEnd) {
  Layout(250, 200, 150);
  EXPECT_EQ(bar_.parts[0].rightEdge, 250);
  EXPECT_EQ(bar_.parts[1].rightEdge, 450);
  EXPECT_EQ(bar_.parts[2].rightEdge, 600);
  Layout(100, 400, 400);
  EXPECT_EQ(bar_.parts[1].rightEdge, 200);
  EXPECT_EQ(bar_.parts[0].rightEdge, 0) << "an edge left of the bar is its left end";

  const std::wstring longText(400, L'x');
  SetStatusPart(&bar_, 1, longText.c_str(), nullptr);
  EXPECT_EQ(std::wstring(bar_.parts[1].text), longText.substr(0, kStatusPartTextCapacity - 1));
  EXPECT_EQ(bar_.parts[1].text[kStatusPartTextCapacity - 1], 0);
  wchar_t read[kStatusPartTextCapacity] = {};
  EXPECT_EQ(SendMessageW(bar_.window, SB_GETTEXTLENGTHW, 1, 0), kStatusPartTextCapacity - 1);
  SendMessageW(bar_.window, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(read));
  EXPECT_STREQ(read, bar_.parts[1].text) << "tools read the parts as from a status control";
}

TEST_F(StatusBarWindow, TheSamePercentageTwiceChangesNothingAndAWideOneMakesRoom) {
  g_progressProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(bar_.progressBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProgressProc)));
  g_positionsSet = 0;
  ShowStatusProgress(&bar_, true);
  parent_.Pump();
  g_positionsSet = 0;
  SetProgressPercent(&bar_, 42);
  SetProgressPercent(&bar_, 42);
  parent_.Pump();
  EXPECT_EQ(g_positionsSet, 1);
  EXPECT_STREQ(bar_.parts[kStatusProgressPart].text, L"  42 %");
  EXPECT_EQ(SendMessageW(bar_.progressBar, PBM_GETPOS, 0, 0), 42);

  // A font so large that the percentage needs more than the room kept for it: the layout is asked once.
  Layout(200, 200, 200);
  bar_.font = CreateFontW(-48, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  parent_.messages.clear();
  TopRowAt(0);
  TopRowAt(0);
  parent_.Pump();
  EXPECT_EQ(parent_.Count(WM_SIZE), 1);
  EXPECT_GT(bar_.progressTextWidth, kStatusProgressTextWidth);
  DeleteObject(bar_.font);
  bar_.font = nullptr;
}

TEST_F(StatusBarWindow, AHintHidesThePartsItCoversUntilItGoes) {
  const wchar_t* hint = L"Move the selected files to the recycle bin.";
  bool created = false;
  HFONT font = GetStatusBarFont(&bar_, &created);
  HDC dc = GetDC(bar_.window);
  HGDIOBJ previous = SelectObject(dc, font);
  const int hintWidth = MeasureTextWidth(dc, (std::wstring(L"  ") + hint).c_str(), static_cast<int>(wcslen(hint)) + 2);
  SelectObject(dc, previous);
  ReleaseDC(bar_.window, dc);
  if (created) DeleteObject(font);
  // Part 0 ends within the hint, part 1 begins within it and reaches beyond it, part 2 begins after it.
  const int thirdPart = hintWidth + 10;
  Layout(hintWidth / 2, thirdPart - hintWidth / 2, kWidth - thirdPart);
  const int secondPart = hintWidth / 2;
  EXPECT_EQ(TopRowAt(secondPart), Separator());

  StatusBarSetHintText(&bar_, hint);
  EXPECT_STREQ(bar_.hint, (std::wstring(L"  ") + hint).c_str());
  EXPECT_EQ(TopRowAt(secondPart), GetSysColor(COLOR_BTNFACE)) << "part 1 would write over the hint";
  EXPECT_EQ(TopRowAt(thirdPart), Separator()) << "part 2 begins after it";

  StatusBarSetHintText(&bar_, nullptr);
  EXPECT_FALSE(StatusBarHasHint(&bar_));
  EXPECT_EQ(TopRowAt(secondPart), Separator());
}
