// The running program's copies of file rows to the clipboard (commands IDM_COPY_NAMES, IDM_COPY_ROWS_WITH_TITLES)
// and its list export (IDM_EXPORT_LIST) in the columns of the stored layout, and the Explorer context menu of the
// file list with the program's own item.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/jobs.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/ui_seams.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/win32/list_views.h"
#include "program_fixture.h"
#include "views/column_fit.h"
#include "ui_seams_scope.h"
#include "views/items_view.h"

namespace {

std::wstring g_exportPath;
bool g_ownItemShown = false;

BOOL WINAPI ChooseAlignedUnicode(OPENFILENAMEW* record) {
  record->lpstrFile[g_exportPath.copy(record->lpstrFile, record->nMaxFile - 1)] = 0;
  record->nFilterIndex = 2;
  return TRUE;
}

BOOL WINAPI LookAndDismiss(HMENU menu, UINT, int, int, HWND, LPTPMPARAMS) {
  g_ownItemShown = GetMenuState(menu, IDM_OPEN_IN_FILE_MANAGER, MF_BYCOMMAND) != static_cast<UINT>(-1);
  return 0;
}

class ListCopiesProgram : public ProgramFixture {
 protected:
  std::wstring Caption(int id) const {
    wchar_t caption[260] = {};
    Gui([&] { GetUiText(id, caption, 260); });
    return caption;
  }

  std::wstring ClipboardText() const {
    std::wstring text;
    if (!OpenClipboard(window_)) return L"<closed>";
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const wchar_t*>(GlobalLock(block));
      GlobalUnlock(block);
    }
    CloseClipboard();
    return text;
  }

  UiSeamsScope seams_;
};

}  // namespace

TEST_F(ListCopiesProgram, CopiesExportAndContextMenuFollowTheFileListAsShown) {
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"QvrxTestClipboardTurn");
  ASSERT_NE(WaitForSingleObject(turn, 60000), static_cast<DWORD>(WAIT_TIMEOUT));
  // Size first (right-aligned), then the name, then the new name; the other columns hidden.
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {"<Ext,\"bak\">"}, "L=R2,90;0,200;1,150\r\n"));
  HWND list = nullptr;
  Gui([&] {
    list = g_app->fileList->window;
    ItemsViewFocusItem(g_app->fileList, 0, false);
  });
  SendMessageW(window_, WM_COMMAND, IDM_COPY_NAMES, 0);
  EXPECT_EQ(ClipboardText(), L"a.txt\r\n");
  SendMessageW(window_, WM_COMMAND, IDM_COPY_ROWS_WITH_TITLES, 0);
  const std::wstring text = ClipboardText();
  const std::wstring captions = Caption(52) + L"\t" + Caption(50) + L"\t" + Caption(51) + L"\r\n";
  const std::wstring names = L"\ta.txt\ta.bak\r\n";
  ASSERT_GT(text.size(), captions.size() + names.size());
  EXPECT_EQ(text.substr(0, captions.size()), captions);
  EXPECT_EQ(text.substr(text.size() - names.size()), names);
  const std::wstring size = text.substr(captions.size(), text.size() - captions.size() - names.size());

  g_exportPath = temp_ / L"aligned.txt";
  g_uiSeams.getSaveFileNameW = ChooseAlignedUnicode;
  SendMessageW(window_, WM_COMMAND, IDM_EXPORT_LIST, 0);
  const std::string bytes = ReadWholeFile(g_exportPath);
  const std::wstring aligned(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  const size_t width = std::max(size.size(), Caption(52).size());
  const size_t nameWidth = std::max<size_t>(5, Caption(50).size());
  const std::wstring row = std::wstring(width - size.size(), L' ') + size + L" a.txt" +
                           std::wstring(nameWidth - 5 + 1, L' ') + L"a.bak\r\n";
  EXPECT_NE(aligned.find(L"\r\n" + row), std::wstring::npos) << "sizes right-aligned, names padded";

  // The menu key on the list: the main window shows the shell's menu of the focused file with its own item.
  g_uiSeams.trackPopupMenuEx = LookAndDismiss;
  SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
  EXPECT_TRUE(g_ownItemShown);
  EXPECT_EQ(ListedNames(), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
  EXPECT_EQ(Close(), 0);
  ReleaseMutex(turn);
  CloseHandle(turn);
}

TEST_F(ListCopiesProgram, FittingEveryColumnOfALongListIsAJobThatSetsTheWidthsAFitInPlaceSets) {
  ASSERT_TRUE(Start({L"a name much longer than all the others.txt", L"b.txt"}, {"<Ext,\"bak\">"}));
  ASSERT_TRUE(WaitUntilIdle());
  HWND list = nullptr;
  // The second row 4000 times more: more cells than a walk in place takes.
  Gui([&] {
    ItemListControl* files = g_app->fileList;
    list = files->window;
    const uint8_t* row = ItemStoreGet(&files->rows, 1);
    const uint16_t length = *reinterpret_cast<const uint16_t*>(row);
    std::string rows;
    for (int i = 0; i < 4000; ++i) rows.append(reinterpret_cast<const char*>(row), length);
    ItemsViewAppendRecords(files, reinterpret_cast<const uint8_t*>(rows.data()), static_cast<uint32_t>(rows.size()),
                           nullptr);
  });
  const auto widths = [&] {
    std::vector<int> fitted;
    for (int i = 0; i < ListViewColumnCount(list); ++i) fitted.push_back(ListView_GetColumnWidth(list, i));
    return fitted;
  };
  bool asJob = false;
  Gui([&] {
    FitAllListColumns(list);
    asJob = IsJobBusy();
  });
  EXPECT_TRUE(asJob) << "measured on a worker";
  ASSERT_TRUE(WaitUntilIdle());
  const std::vector<int> byJob = widths();
  Gui([&] {
    for (int i = 0; i < ListViewColumnCount(list); ++i) ListView_SetColumnWidth(list, i, 60);
    AutoSizeListColumns(list, ListViewColumnCount(list));
  });
  EXPECT_EQ(byJob, widths());
  EXPECT_EQ(Close(), 0);
}
