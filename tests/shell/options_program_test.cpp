// QVRX.exe's options dialog and toolbar driven through the system's input, with pictures of the dialog's
// pages among the test artefacts: options changed on their pages take effect after OK and come back after a
// restart; a button added to the toolbar in its dialog shows, runs its command and stays.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <colordlg.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "profile_text.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "support/process_driver.h"
#include "support/system_input.h"
#include "support/temp_folder.h"
#include "window_image.h"

namespace {

constexpr int kToolbarId = 1;

// The shown dialog of the process owned by `owner` that has the control.
HWND WaitForDialog(DWORD processId, HWND owner, int controlId) {
  HWND dialog = nullptr;
  WaitUntil([&] {
    dialog = FindProcessWindow(processId, L"#32770", [&](HWND w) {
      return IsWindowVisible(w) != FALSE && GetWindow(w, GW_OWNER) == owner && GetDlgItem(w, controlId) != nullptr;
    });
    return dialog != nullptr;
  });
  return dialog;
}

POINT Middle(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// A rectangle the program answers into memory of its own, for a message of a control.
RECT RemoteRect(HANDLE process, HWND control, UINT message, WPARAM wParam, LONG first = 0) {
  RemoteBlock block(process, sizeof(RECT));
  block.Write(RECT{first, 0, 0, 0});
  SendMessageW(control, message, wParam, block.Address());
  return block.Read<RECT>();
}

int RowNamed(const RemoteList& list, const std::wstring& text) {
  for (int row = 0; row < list.Count(); ++row) {
    if (list.Cell(row, 0) == text) return row;
  }
  return -1;
}

// Clicks until the condition holds: a click that comes while the dialog is still settling can get lost.
bool ClickUntil(const std::function<void()>& click, const std::function<bool()>& done) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    click();
    if (WaitUntil(done)) return true;
  }
  return false;
}

// The pages of the options dialog: shown by a click on their name, each with a control it shows.
class OptionsPages {
 public:
  OptionsPages(const ProgramRun& run, HWND dialog) : run_(run), dialog_(dialog) {}
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  bool Show(int page) const {
    static const int kShown[] = {IDC_OPT_FULL_ROW, IDC_OPT_MENU_ICONS, IDC_COLOUR_TEXT,
                                 IDC_CHECK_AVAILABLE, IDC_SHORTCUT_LIST, IDC_PLUGIN_LIST};
    HWND pages = Item(IDC_OPTIONS_PAGES);
    // The system carries the rectangle of a list box's message across the processes itself.
    RECT item = {};
    SendMessageW(pages, LB_GETITEMRECT, page, reinterpret_cast<LPARAM>(&item));
    return ClickUntil([&] { ClickAt(pages, Middle(item)); }, [&] { return IsWindowVisible(Item(kShown[page])) != 0; });
  }
  // What the dialog shows, for a failure's message: a page that never showed tells whether the dialog had
  // filled its page list at all.
  std::string State() const {
    HWND pages = Item(IDC_OPTIONS_PAGES);
    return "pages " + std::to_string(SendMessageW(pages, LB_GETCOUNT, 0, 0)) + ", selected " +
           std::to_string(SendMessageW(pages, LB_GETCURSEL, 0, 0)) + ", general page shown " +
           std::to_string(IsWindowVisible(Item(IDC_OPT_FULL_ROW))) + ", dialog shown " +
           std::to_string(IsWindowVisible(dialog_)) + ", main window " + std::to_string(IsWindow(run_.Window()));
  }
  void Picture(int page) const {
    // The dialog's thread has painted all it had to before the screen is read.
    RedrawWindow(dialog_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT frame = {};
    GetWindowRect(dialog_, &frame);
    WindowImage image(frame.right - frame.left, frame.bottom - frame.top);
    CaptureScreen(frame, &image);
    image.SavePng(ArtifactPath((L"options_page_" + std::to_wstring(page) + L".png").c_str()));
  }
  bool Toggle(int box) const {
    const LRESULT before = SendMessageW(Item(box), BM_GETCHECK, 0, 0);
    return ClickUntil([&] { ClickWindow(Item(box)); },
                      [&] { return SendMessageW(Item(box), BM_GETCHECK, 0, 0) != before; });
  }
  // A row of a list view (by its text) clicked, then `press` run, until the row shows in the other list.
  bool MoveRow(int listId, const std::wstring& text, const std::function<void()>& press, int toListId) const {
    RemoteList from(run_.Process(), Item(listId));
    RemoteList to(run_.Process(), Item(toListId));
    const int row = RowNamed(from, text);
    if (row < 0) return false;
    const RECT rect = RemoteRect(run_.Process(), Item(listId), LVM_GETITEMRECT, row, LVIR_LABEL);
    // The row is chosen and the click has ended before the button that moves it is pressed; a lost click on the
    // row is clicked again at once, not only after a press that could not move anything.
    const auto chosen = [&] { return SendMessageW(Item(listId), LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0; };
    if (!ClickUntil([&] { ClickAt(Item(listId), Middle(rect)); }, chosen)) return false;
    WaitForMouseLetGo(Item(listId));
    return ClickUntil(press, [&] { return RowNamed(to, text) >= 0; });
  }
  // A click on a button of a toolbar of the dialog.
  void PressToolbarButton(int toolbarId, int command) const {
    ClickAt(Item(toolbarId), Middle(RemoteRect(run_.Process(), Item(toolbarId), TB_GETRECT, command)));
  }

 private:
  const ProgramRun& run_;
  HWND dialog_;
};

DWORD ListStyle(const ProgramRun& run) {
  return static_cast<DWORD>(SendMessageW(run.Item(kFileListId), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

int HeaderColumns(const ProgramRun& run) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(run.Item(kFileListId), LVM_GETHEADER, 0, 0));
  return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

int ToolbarCommand(const ProgramRun& run, int index) {
  RemoteBlock block(run.Process(), sizeof(TBBUTTON));
  SendMessageW(run.Item(kToolbarId), TB_GETBUTTON, index, block.Address());
  return block.Read<TBBUTTON>().idCommand;
}

int ToolbarButtons(const ProgramRun& run) {
  return static_cast<int>(SendMessageW(run.Item(kToolbarId), TB_BUTTONCOUNT, 0, 0));
}

bool ClickToolbarButton(const ProgramRun& run, int command, const std::function<bool()>& done) {
  HWND toolbar = run.Item(kToolbarId);
  const RECT button = RemoteRect(run.Process(), toolbar, TB_GETRECT, command);
  return ClickUntil([&] { ClickAt(toolbar, Middle(button)); }, done);
}

constexpr DWORD kGridLines = 0x1;
constexpr DWORD kFullRow = 0x20;

using OptionsProgramInteractive = ProgramOnFolder;
using ToolbarProgramInteractive = ProgramOnFolder;

}  // namespace

TEST_F(OptionsProgramInteractive, OptionsChangedOnTheirPagesTakeEffectAndComeBackAfterARestart) {
  // A chain, so that no menu of steps is offered at the start.
  const std::wstring files =
      Prepare({L"a.txt", L"b.txt"}, "[QVRX]\r\nLanguage=US\r\nOpt=32\r\n[QK]\r\nR1=<Case,n,2>\r\n");
  {
    ProgramRun run(copy_, files);
    ASSERT_NE(run.Window(), nullptr);
    ASSERT_TRUE(run.WaitForRows(2));
    const int columns = HeaderColumns(run);
    PostMessageW(run.Window(), WM_COMMAND, IDM_OPTIONS, 0);
    HWND dialog = WaitForDialog(run.ProcessId(), run.Window(), IDC_OPTIONS_PAGES);
    ASSERT_NE(dialog, nullptr);
    const OptionsPages pages(run, dialog);
    for (int page = 0; page < 6; ++page) {
      ASSERT_TRUE(pages.Show(page)) << page << ": " << pages.State();
      pages.Picture(page);
    }
    ASSERT_TRUE(pages.Show(0));
    ASSERT_TRUE(pages.Toggle(IDC_OPT_FULL_ROW));
    ASSERT_TRUE(pages.Toggle(IDC_OPT_GRID_LINES));

    // Own colours on; the text colour's chooser adds its colour to the custom ones.
    ASSERT_TRUE(pages.Show(2));
    ASSERT_TRUE(pages.Toggle(IDC_COLOUR_OWN));
    ClickWindow(pages.Item(IDC_COLOUR_TEXT));
    HWND chooser = WaitForDialog(run.ProcessId(), dialog, COLOR_ADD);
    ASSERT_NE(chooser, nullptr);
    // The chooser has taken the whole click on Add before OK is clicked.
    ASSERT_TRUE(ClickIntoFocus(GetDlgItem(chooser, COLOR_ADD)));
    WaitForMouseLetGo(GetDlgItem(chooser, COLOR_ADD));
    ASSERT_TRUE(ClickUntil([&] { ClickWindow(GetDlgItem(chooser, IDOK)); }, [&] { return !IsWindow(chooser); }));

    ASSERT_TRUE(pages.Show(3));
    const auto add = [&] { pages.PressToolbarButton(IDC_COLUMN_TOOLBAR, IDC_ENTRY_ADD); };
    ASSERT_TRUE(pages.MoveRow(IDC_CHECK_AVAILABLE, L"Created", add, IDC_CHECK_CHOSEN));
    pages.Picture(3);
    ASSERT_TRUE(ClickUntil([&] { ClickWindow(pages.Item(IDC_OPTIONS_OK)); }, [&] { return !IsWindow(dialog); }));

    EXPECT_EQ(ListStyle(run) & (kGridLines | kFullRow), kGridLines);
    EXPECT_EQ(HeaderColumns(run), columns + 1) << "the creation time shows";
    EXPECT_EQ(run.Close(), 0);
  }
  const std::vector<std::string> stored = SectionLines(ReadWholeFile(copy_.ProfileFile()), "QVRX");
  EXPECT_EQ(ValueOf(stored, "Opt"), "64");
  EXPECT_EQ(ValueOf(stored, "Color").substr(ValueOf(stored, "Color").size() - 2), ",1") << "own colours on";
  EXPECT_NE(ValueOf(stored, "CC"), "(missing)");
  EXPECT_NE(ValueOf(stored, "L").find(";7,"), std::string::npos) << ValueOf(stored, "L");

  ProgramRun again(copy_, files);
  ASSERT_NE(again.Window(), nullptr);
  ASSERT_TRUE(again.WaitForRows(2));
  EXPECT_EQ(ListStyle(again) & (kGridLines | kFullRow), kGridLines);
  EXPECT_EQ(HeaderColumns(again), 8);
  EXPECT_EQ(again.Close(), 0);
}

TEST_F(ToolbarProgramInteractive, AButtonAddedInTheToolbarDialogShowsRunsItsCommandAndStays) {
  const std::wstring files = Prepare({L"a.txt"}, "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<Case,n,2>\r\n");
  {
    ProgramRun run(copy_, files);
    ASSERT_NE(run.Window(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ToolbarButtons(run) == 28; })) << "the default buttons";
    PostMessageW(run.Window(), WM_COMMAND, IDM_TOOLBAR_BUTTONS, 0);
    HWND dialog = WaitForDialog(run.ProcessId(), run.Window(), IDC_CHECK_AVAILABLE);
    ASSERT_NE(dialog, nullptr);
    const OptionsPages lists(run, dialog);
    ASSERT_TRUE(lists.MoveRow(
        IDC_CHECK_AVAILABLE, L"Filter", [&] { ClickWindow(lists.Item(IDC_ENTRY_ADD)); }, IDC_CHECK_CHOSEN));
    lists.Picture(6500);
    ASSERT_TRUE(ClickUntil([&] { ClickWindow(lists.Item(IDC_CHECK_LIST_OK)); }, [&] { return !IsWindow(dialog); }));
    ASSERT_EQ(ToolbarButtons(run), 29);
    EXPECT_EQ(ToolbarCommand(run, 28), IDM_FILTER);

    // The new button opens the filter dialog; the subfolders button is checked and cleared.
    HWND filter = nullptr;
    ASSERT_TRUE(ClickToolbarButton(run, IDM_FILTER, [&] {
      // Shown, not only made: a click before the dialog shows is lost.
      filter = FindProcessWindow(run.ProcessId(), L"#32770", [](HWND w) {
        return IsWindowVisible(w) != FALSE && GetDlgItem(w, IDC_FILTER_INCLUDE) != nullptr;
      });
      return filter != nullptr;
    }));
    ASSERT_TRUE(ClickUntil([&] { ClickWindow(GetDlgItem(filter, IDCANCEL)); }, [&] { return !IsWindow(filter); }));
    HWND toolbar = run.Item(kToolbarId);
    ASSERT_TRUE(ClickToolbarButton(
        run, IDM_SUBFOLDERS, [&] { return SendMessageW(toolbar, TB_ISBUTTONCHECKED, IDM_SUBFOLDERS, 0) != 0; }));
    ASSERT_TRUE(ClickToolbarButton(
        run, IDM_SUBFOLDERS, [&] { return SendMessageW(toolbar, TB_ISBUTTONCHECKED, IDM_SUBFOLDERS, 0) == 0; }));
    EXPECT_EQ(run.Close(), 0);
  }
  EXPECT_EQ(ValueOf(SectionLines(ReadWholeFile(copy_.ProfileFile()), "QVRX"), "TB"),
            "4,0,1,2,3,13,12,14,0,5,6,7,0,18,19,0,20,0,21,22,0,9,10,11,0,27,0,16,23");
  ProgramRun again(copy_, files);
  ASSERT_NE(again.Window(), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return ToolbarButtons(again) == 29; }));
  EXPECT_EQ(again.Close(), 0);
}
