// The file list's sort choice in the program: the View menu's one round mark across the sort commands, and a
// field column of a content plug-in that shows its values, sorts by them as numbers and is stored in "L".
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "metadata/field_references.h"
#include "profile_text.h"
#include "program_fixture.h"
#include "shell/file_commands.h"
#include "shell/main_commands.h"
#include "support/temp_folder.h"
#include "views/item_list.h"

namespace {

using Names = std::vector<std::wstring>;

constexpr int kFirstSortCommand = 141;
constexpr int kLastSortCommand = 150;
constexpr int kFieldSortCommand = 600;
constexpr int kDescendingCommand = 152;

struct MenuMark {
  bool radio;
  bool checked;
};

MenuMark MarkOf(HMENU menu, int command) {
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_FTYPE | MIIM_STATE;
  GetMenuItemInfoW(menu, command, FALSE, &item);
  return {(item.fType & MFT_RADIOCHECK) != 0, (item.fState & MFS_CHECKED) != 0};
}

class FileListColumns : public ProgramFixture {
 protected:
  // The View menu as it opens.
  HMENU OpenViewMenu() const {
    HMENU view = nullptr;
    Gui([&] {
      view = GetSubMenu(GetMenu(window_), 2);
      SendMessageW(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
    });
    return view;
  }
  // The cells of a column of the file list, in list order.
  Names Cells(int subItem) const {
    Names cells;
    Gui([&] {
      HWND list = g_app->fileList->window;
      for (int row = 0; row < static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++row) {
        wchar_t text[64] = L"";
        LVITEMW item = {};
        item.iSubItem = subItem;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        cells.push_back(text);
      }
    });
    return cells;
  }
};

using FileListColumnsInteractive = FileListColumns;

// The first visible pop-up menu of the process, or null.
HWND OpenMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

}  // namespace

TEST_F(FileListColumnsInteractive, TheHeaderMenuFitsTheClickedColumnOrEveryColumn) {
  ASSERT_TRUE(Start({L"a.txt"}, {}));
  HWND list = nullptr;
  HWND header = nullptr;
  POINT onNewName = {};
  Gui([&] {
    list = g_app->fileList->window;
    header = g_app->fileList->header;
    RECT item = {};
    SendMessageW(g_app->fileList->header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    onNewName = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(g_app->fileList->header, &onNewName);
  });
  const auto width = [&](int column) { return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)); };
  const int nameWidth = width(0);
  const int newNameWidth = width(1);
  // The menu's first item fits the clicked column, its second every column.
  for (int position : {0, 1}) {
    PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(header), MAKELPARAM(onNewName.x, onNewName.y));
    ASSERT_TRUE(WaitFor([] { return OpenMenu() != nullptr; }));
    for (int down = 0; down <= position; ++down) PostMessageW(window_, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(window_, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitFor([] { return OpenMenu() == nullptr; }));
    EXPECT_NE(width(1), newNameWidth);
    if (position == 0) {
      EXPECT_EQ(width(0), nameWidth) << "only the clicked column";
    }
  }
  EXPECT_NE(width(0), nameWidth);
}

TEST_F(FileListColumns, EachSortCommandTakesTheOneRoundMarkAndDescendingIsChecked) {
  ASSERT_TRUE(Start({L"b.txt", L"a.doc"}, {}));
  for (int command = kFirstSortCommand; command <= kLastSortCommand; ++command) {
    SendMessageW(window_, WM_COMMAND, command, 0);
    int key = -1;
    Gui([&] { key = g_app->fileList->sortKey; });
    EXPECT_EQ(key, SortKeyOfCommand(command));
    HMENU view = OpenViewMenu();
    for (int other = kFirstSortCommand; other <= kLastSortCommand; ++other) {
      const MenuMark mark = MarkOf(view, other);
      EXPECT_TRUE(mark.radio) << other;
      EXPECT_EQ(mark.checked, other == command) << "after " << command << ", item " << other;
    }
    EXPECT_FALSE(MarkOf(view, kDescendingCommand).checked);
  }
  SendMessageW(window_, WM_COMMAND, kDescendingCommand, 0);
  EXPECT_TRUE(MarkOf(OpenViewMenu(), kDescendingCommand).checked);
  EXPECT_EQ(ListedNames(), (Names{L"b.txt", L"a.doc"})) << "by folder downwards, then by stem downwards too";
}

TEST_F(FileListColumns, AFieldColumnShowsItsValuesAndSortsByThemAsNumbers) {
  ASSERT_TRUE(CreateFieldReferenceList());
  // The test plug-in's "Size" field is the file's size in bytes; it serves ".bin" files only. Each file holds
  // its own name, so its size is its name's length.
  const std::string plugin = "[pgnCont]\r\n1=Test;+" + Narrow(ExecutableFolder() + L"\\PublishedTestPlugin.wdx64") +
                             ";EXT=\"BIN\";\r\n";
  const std::wstring hundred = L"a" + std::wstring(95, L'a') + L".bin";
  ASSERT_TRUE(Start({L"z2345.bin", L"m23456.bin", hundred, L"k.txt"}, {}, "L=0,150;[Sz=Test=Size],80\r\n" + plugin));
  SendMessageW(window_, WM_COMMAND, kFieldSortCommand + 1, 0);
  EXPECT_EQ(ListedNames(), (Names{L"k.txt", L"z2345.bin", L"m23456.bin", hundred}))
      << "no value first, then 9 before 10 before 100";
  EXPECT_EQ(Cells(1), (Names{L"", L"9", L"10", L"100"}));
  SendMessageW(window_, WM_COMMAND, kDescendingCommand, 0);
  EXPECT_EQ(ListedNames(), (Names{hundred, L"m23456.bin", L"z2345.bin", L"k.txt"}));
  EXPECT_EQ(Close(), 0);
  const std::vector<std::string> stored = SectionLines(ReadWholeFile(ProfilePath()), "QVRX");
  EXPECT_EQ(ValueOf(stored, "L"), "0,150;[Sz=Test=Size],80");
  EXPECT_EQ(ValueOf(stored, "Sort"), std::to_string(1 << 16 | (kFieldSortCommand + 1)));
  DestroyFieldReferenceList();
}
