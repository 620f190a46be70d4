// The options dialog: what a changed option word or icon size sets off, the header's gradient, and the dialog
// in the running program: OK without changes stores nothing, changed boxes, sizes and columns take effect and
// are stored, a changed column page waits while a job is busy, and each page has its help topic.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/list_views.h"
#include "profile_text.h"
#include "program_fixture.h"
#include "shell/options_header.h"
#include "shell/options_pages.h"
#include "support/dialog_action.h"
#include "support/process_driver.h"
#include "views/items_view.h"

TEST(OptionEffects, EachChangeSetsOffItsOwnSteps) {
  const OptionValues before = {32, 16, 16};
  const struct {
    OptionValues after;
    uint32_t effects;
  } cases[] = {
      {{32, 16, 16}, kRestyleLists},
      {{32 | 0x200, 16, 16}, kRebuildMenu | kRestyleLists | kStoreOptions | kSaveStore},
      {{32 | 0x8, 16, 16}, kRecreateTree | kStoreOptions | kSaveStore},
      {{32, 32, 16}, kRecreateTree | kStoreListIcons | kSaveStore},
      {{32, 16, 24}, kRestyleLists | kStoreMenuIcons | kSaveStore},
      {{32 | 0x20000, 16, 16}, kRestyleLists | kRefreshSizeTexts | kStoreOptions | kSaveStore},
      {{0, 16, 16}, kRestyleLists | kStoreOptions | kSaveStore},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OptionEffects(before, c.after), c.effects) << std::hex << c.after.options << " " << c.after.listIconSize;
  }
}

TEST(OptionsHeader, TheGradientRunsInStripsFromTheStartToTheEndColour) {
  const struct {
    COLORREF start;
    COLORREF end;
    int width;
    int strips;
    GradientStrip second;
  } cases[] = {
      {RGB(0, 0, 0), RGB(100, 50, 200), 250, 125, {2, 4, RGB(0, 0, 1)}},      // two pixels per step of red
      {RGB(10, 0, 0), RGB(10, 250, 0), 5, 5, {1, 2, RGB(10, 50, 0)}},          // no red difference: one pixel
      {RGB(255, 0, 0), RGB(0, 0, 0), 100, 100, {1, 2, RGB(253, 0, 0)}},      // more steps than pixels
      {RGB(0, 0, 0), RGB(40, 0, 0), 100, 50, {2, 4, RGB(0, 0, 0)}},
  };
  for (const auto& c : cases) {
    std::vector<GradientStrip> strips(512);
    const int count = ComputeGradientStrips(c.start, c.end, c.width, strips.data(), 512);
    ASSERT_EQ(count, c.strips) << c.width;
    EXPECT_EQ(strips[0].left, 0);
    EXPECT_EQ(strips[0].colour, c.start);
    EXPECT_EQ(strips[1].left, c.second.left);
    EXPECT_EQ(strips[1].right, c.second.right);
    EXPECT_EQ(strips[1].colour, c.second.colour);
    for (int i = 1; i < count; ++i) EXPECT_EQ(strips[i].left, strips[i - 1].right) << i;
    EXPECT_EQ(strips[count - 1].right, c.width);
    EXPECT_EQ(strips[count - 1].colour, c.end);
  }
  EXPECT_EQ(ComputeGradientStrips(0, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(DarkGradientStart(RGB(100, 20, 0), RGB(200, 40, 255)), RGB(150, 30, 127));
}

namespace {

class OptionsDialog : public ProgramFixture {
 protected:
  // Opens the dialog and runs `work` on the program's thread while it is shown; false when it did not come.
  bool WithDialog(const std::function<void(HWND)>& work) {
    PostMessageW(window_, WM_COMMAND, IDM_OPTIONS, 0);
    const DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i) {
      dialog = FindShownDialog(thread);
      if (!dialog) Sleep(20);
    }
    if (!dialog || !GetDlgItem(dialog, IDC_OPTIONS_PAGES)) return false;
    Gui([&] { work(dialog); });
    return WaitFor([&] { return !IsWindow(dialog); });
  }
  std::string Stored() const { return ReadWholeFile(ProfilePath()); }
};

void ShowPage(HWND dialog, int page) {
  SendDlgItemMessageW(dialog, IDC_OPTIONS_PAGES, LB_SETCURSEL, page, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_OPTIONS_PAGES, LBN_SELCHANGE), 0);
}

bool Ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

int RowNamed(HWND list, const wchar_t* text) {
  LVFINDINFOW find = {};
  find.flags = LVFI_STRING;
  find.psz = text;
  return static_cast<int>(SendMessageW(list, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
}

// Answers the message box the window shows with OK; how many it answered (0 after ten seconds without one).
int AnswerBoxOf(HWND owner) {
  for (int i = 0; i < 500; ++i) {
    HWND box = FindProcessWindow(GetCurrentProcessId(), L"#32770", [owner](HWND w) {
      return IsWindowVisible(w) != FALSE && GetWindow(w, GW_OWNER) == owner;
    });
    if (box) {
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 1;
    }
    Sleep(20);
  }
  return 0;
}

std::wstring Cell(HWND list, int row) {
  wchar_t text[260];
  ListViewGetItemText(list, row, 0, text, 260);
  return text;
}

}  // namespace

TEST_F(OptionsDialog, OkWithoutChangesStoresNothingAndEachPageHasItsHelpTopic) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt", L"f.txt"}, {}, "Opt=32\r\nIcon=16\r\n"));
  const std::string before = Stored();
  std::vector<int> topics;
  ASSERT_TRUE(WithDialog([&](HWND dialog) {
    EXPECT_TRUE(Ticked(dialog, IDC_OPT_FULL_ROW));
    EXPECT_TRUE(Ticked(dialog, IDC_OPT_HOVER_ROW)) << "ticked while its bit is clear";
    EXPECT_FALSE(Ticked(dialog, IDC_OPT_GRID_LINES));
    for (int page = 0; page < kOptionsPageCount; ++page) {
      ShowPage(dialog, page);
      topics.push_back(GetOptionsPageHelpTopic());
    }
    ShowPage(dialog, kColoursPage);
    HWND preview = GetDlgItem(dialog, IDC_COLOUR_PREVIEW);
    EXPECT_EQ(SendMessageW(preview, LVM_GETITEMCOUNT, 0, 0), 5) << "the first five files";
    EXPECT_EQ(Cell(preview, 0), L"a.txt");
    EXPECT_TRUE(IsWindowVisible(preview));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_OPT_FULL_ROW)));
    SendMessageW(dialog, WM_COMMAND, IDC_OPTIONS_OK, 0);
  }));
  EXPECT_EQ(topics, (std::vector<int>{20, 0, 0, 21, 23, 22}));
  EXPECT_EQ(Stored(), before) << "nothing was saved";
  Gui([] {
    EXPECT_EQ(g_app->options, 32u);
    EXPECT_EQ(g_app->optionsPage, kColoursPage);
  });
}

TEST_F(OptionsDialog, ChangedBoxesSizesAndColumnsTakeEffectAndAreStoredButColumnsWaitForABusyJob) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {}, "Opt=32\r\nIcon=16\r\n"));
  HWND tree = nullptr;
  Gui([&] { tree = g_app->paneWindows[0]; });
  int boxes = 0;
  ASSERT_TRUE(WithDialog([&](HWND dialog) {
    ShowPage(dialog, kGeneralPage);
    SendDlgItemMessageW(dialog, IDC_OPT_FULL_ROW, BM_CLICK, 0, 0);
    SendDlgItemMessageW(dialog, IDC_OPT_GRID_LINES, BM_CLICK, 0, 0);
    SendDlgItemMessageW(dialog, IDC_ICON_SIZE, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(dialog, IDC_OPT_MENU_ICON_SIZE, CB_SETCURSEL, 1, 0);
    ShowPage(dialog, kColumnsPage);
    HWND available = GetDlgItem(dialog, IDC_CHECK_AVAILABLE);
    ListViewSelectOnly(available, RowNamed(available, L"Created"));
    SendMessageW(dialog, WM_COMMAND, IDC_ENTRY_ADD, 0);
    // While a job is busy the columns wait, and the dialog stays.
    ASSERT_TRUE(BeginExclusiveJob());
    std::thread answer([&] { boxes = AnswerBoxOf(dialog); });
    SendMessageW(dialog, WM_COMMAND, IDC_OPTIONS_OK, 0);
    answer.join();
    EndExclusiveJob();
    EXPECT_TRUE(IsWindow(dialog));
    SendMessageW(dialog, WM_COMMAND, IDC_OPTIONS_OK, 0);
  }));
  EXPECT_EQ(boxes, 1);
  Gui([&] {
    EXPECT_EQ(g_app->options, 0x40u);
    EXPECT_EQ(g_app->listIconSize, 32);
    EXPECT_TRUE(IsWindow(g_app->paneWindows[0]) && g_app->paneWindows[0] != tree) << "the tree made again";
    EXPECT_GE(ColumnLayoutDisplayPosition(g_app->fileList->creation.columns, 2310), 0) << "the creation time shows";
    EXPECT_NE(g_app->fileList->creation.styleFlags & 0x1, 0u) << "grid lines";
  });
  const std::vector<std::string> stored = SectionLines(Stored(), "QVRX");
  EXPECT_EQ(ValueOf(stored, "Opt"), "64");
  EXPECT_EQ(ValueOf(stored, "Icon"), "32");
  EXPECT_EQ(ValueOf(stored, "IconMn"), "24");

  // Cancel leaves everything as it was.
  ASSERT_TRUE(WithDialog([&](HWND dialog) {
    SendDlgItemMessageW(dialog, IDC_OPT_ON_TOP, BM_CLICK, 0, 0);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }));
  Gui([] { EXPECT_EQ(g_app->options, 0x40u); });
}
