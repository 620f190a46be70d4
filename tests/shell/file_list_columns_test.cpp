// The file list's sort choice in the program: the View menu's one round mark across the sort commands, and a
// field column of a content plug-in that shows its values, sorts by them as numbers and is stored in "L".
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/name_order.h"
#include "foundation/ui/command_ids.h"
#include "metadata/field_references.h"
#include "profile_text.h"
#include "program_fixture.h"
#include "shell/file_commands.h"
#include "shell/file_list_notifications.h"
#include "shell/main_commands.h"
#include "support/temp_folder.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

namespace {

using Names = std::vector<std::wstring>;


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

// What one row of the file list shows, as a header click must order it.
struct ShownRow {
  std::wstring stem;
  std::wstring extension;
  std::wstring newName;
  FileInfo info;
  std::vector<std::wstring> cells;  // by table position
};

std::wstring StemOf(const std::wstring& name) { return name.substr(0, name.rfind(L'.')); }

uint64_t TimeOf(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

int CompareTexts(const std::wstring& a, const std::wstring& b) { return CompareNamesNatural(a.c_str(), b.c_str(), false); }

int CompareNumbers(uint64_t a, uint64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

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
  // Every row of the file list with the texts of the first `columns` columns of the table.
  std::vector<ShownRow> Shown(int columns) const {
    std::vector<ShownRow> shown;
    Gui([&] {
      const ItemListControl* files = g_app->fileList;
      for (uint32_t i = 0; i < ItemStoreCount(&files->rows); ++i) {
        const auto* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, i));
        const std::wstring name = row->currentName;
        ShownRow line = {StemOf(name), name.substr(name.rfind(L'.') + 1), row->newName, row->info, {}};
        for (int column = 0; column < columns; ++column) {
          wchar_t text[256] = L"";
          LVITEMW item = {};
          item.iSubItem = column;
          item.pszText = text;
          item.cchTextMax = 256;
          SendMessageW(files->window, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
          line.cells.push_back(text);
        }
        shown.push_back(line);
      }
    });
    return shown;
  }
  // What the list tells its window when a header item is clicked at x (list client coordinates).
  void ClickHeader(int tablePosition, int x) const {
    Gui([&] {
      NMLISTVIEW click = {};
      click.hdr.hwndFrom = g_app->fileList->window;
      click.hdr.idFrom = g_app->fileList->creation.controlId;
      click.hdr.code = LVN_COLUMNCLICK;
      click.iItem = -1;
      click.iSubItem = tablePosition;
      click.ptAction = {x, 5};
      SendMessageW(window_, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    });
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
  for (int command = IDM_SORT_FIRST; command <= IDM_SORT_LAST; ++command) {
    SendMessageW(window_, WM_COMMAND, command, 0);
    int key = -1;
    Gui([&] { key = g_app->fileList->sortKey; });
    EXPECT_EQ(key, SortKeyOfCommand(command));
    HMENU view = OpenViewMenu();
    for (int other = IDM_SORT_FIRST; other <= IDM_SORT_LAST; ++other) {
      const MenuMark mark = MarkOf(view, other);
      EXPECT_TRUE(mark.radio) << other;
      EXPECT_EQ(mark.checked, other == command) << "after " << command << ", item " << other;
    }
    EXPECT_FALSE(MarkOf(view, IDM_SORT_DESCENDING).checked);
  }
  SendMessageW(window_, WM_COMMAND, IDM_SORT_DESCENDING, 0);
  EXPECT_TRUE(MarkOf(OpenViewMenu(), IDM_SORT_DESCENDING).checked);
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
  SendMessageW(window_, WM_COMMAND, IDM_SORT_FIELD_FIRST + 1, 0);
  EXPECT_EQ(ListedNames(), (Names{L"k.txt", L"z2345.bin", L"m23456.bin", hundred}))
      << "no value first, then 9 before 10 before 100";
  EXPECT_EQ(Cells(1), (Names{L"", L"9", L"10", L"100"}));
  SendMessageW(window_, WM_COMMAND, IDM_SORT_DESCENDING, 0);
  EXPECT_EQ(ListedNames(), (Names{hundred, L"m23456.bin", L"z2345.bin", L"k.txt"}));
  EXPECT_EQ(Close(), 0);
  const std::vector<std::string> stored = SectionLines(ReadWholeFile(ProfilePath()), "QVRX");
  EXPECT_EQ(ValueOf(stored, "L"), "0,150;[Sz=Test=Size],80");
  EXPECT_EQ(ValueOf(stored, "Sort"), std::to_string(1 << 16 | (IDM_SORT_FIELD_FIRST + 1)));
  DestroyFieldReferenceList();
}

// A click on any column's header orders every row by that column, also the rows never drawn (more than the
// list shows) and the first field column, whose id is -1.
TEST_F(FileListColumns, EveryHeaderSortsAllRowsByItsColumnDrawnOrNot) {
  ASSERT_TRUE(CreateFieldReferenceList());
  const std::string plugin = "[pgnCont]\r\n1=Test;+" + Narrow(ExecutableFolder() + L"\\PublishedTestPlugin.wdx64") +
                             ";EXT=\"BIN\";\r\n";
  // Every column shown, the field column last (table position 9).
  const std::string layout = "L=0,150;1,150;2,75;3,120;4,45;5,100;6,200;7,120;8,120;[Sz=Test=Size],80\r\n";
  constexpr int kFiles = 60;
  constexpr int kColumns = 10;
  const wchar_t* const extensions[] = {L"txt", L"doc", L"bin"};
  std::vector<std::wstring> names;
  for (int i = 0; i < kFiles; ++i) names.push_back(L"n" + std::to_wstring(100 + i) + L"." + extensions[i % 3]);
  // Sizes all different and out of name order; written out of name order too, so the times differ from it.
  for (int k = 0; k < kFiles; ++k) {
    const int i = (k * 7) % kFiles;
    temp_.WriteFile(L"files\\" + names[i], std::string(1 + (i * 37) % 61, 'x'));
  }
  ASSERT_TRUE(Start(names, {"<Case,n,2>"}, layout + plugin));
  int shownRows = 0;
  Gui([&] { shownRows = static_cast<int>(SendMessageW(g_app->fileList->window, LVM_GETCOUNTPERPAGE, 0, 0)); });
  EXPECT_LT(shownRows, kFiles) << "some rows are never drawn";

  using Compare = int (*)(const ShownRow& a, const ShownRow& b);
  struct Case {
    const char* column;
    int tablePosition;
    int x;  // the name column sorts by name on its left half, by extension on its right half
    Compare compare;
  };
  // The type first: reading the cells afterwards draws every row's type.
  const Case cases[] = {
      {"type", 5, 0, [](const ShownRow& a, const ShownRow& b) { return CompareTexts(a.cells[5], b.cells[5]); }},
      {"size", 2, 0, [](const ShownRow& a, const ShownRow& b) { return CompareNumbers(a.info.size, b.info.size); }},
      {"name", 0, 10, [](const ShownRow& a, const ShownRow& b) { return CompareTexts(a.stem, b.stem); }},
      {"extension", 0, 140,
       [](const ShownRow& a, const ShownRow& b) { return CompareTexts(a.extension, b.extension); }},
      {"new name", 1, 0, [](const ShownRow& a, const ShownRow& b) { return CompareTexts(a.newName, b.newName); }},
      {"modified", 3, 0,
       [](const ShownRow& a, const ShownRow& b) {
         return CompareNumbers(TimeOf(a.info.lastWriteTime), TimeOf(b.info.lastWriteTime));
       }},
      {"attributes", 4, 0, [](const ShownRow& a, const ShownRow& b) { return CompareTexts(a.cells[4], b.cells[4]); }},
      {"folder", 6, 0, [](const ShownRow& a, const ShownRow& b) { return CompareTexts(a.cells[6], b.cells[6]); }},
      {"created", 7, 0,
       [](const ShownRow& a, const ShownRow& b) {
         return CompareNumbers(TimeOf(a.info.creationTime), TimeOf(b.info.creationTime));
       }},
      {"accessed", 8, 0,
       [](const ShownRow& a, const ShownRow& b) {
         return CompareNumbers(TimeOf(a.info.lastAccessTime), TimeOf(b.info.lastAccessTime));
       }},
      {"field", 9, 0,
       [](const ShownRow& a, const ShownRow& b) {
         // Files without the field's value first.
         const auto value = [](const ShownRow& r) { return r.cells[9].empty() ? 0 : 1 + std::stoull(r.cells[9]); };
         return CompareNumbers(value(a), value(b));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    int keyBefore = -1;
    Gui([&] { keyBefore = g_app->fileList->sortKey; });
    ClickHeader(c.tablePosition, c.x);
    bool descending = false;
    int key = -1;
    Gui([&] {
      descending = g_app->fileList->sortDirection != 0;
      key = g_app->fileList->sortKey;
    });
    EXPECT_NE(key, keyBefore) << "the click chose the column's key";
    // Read only now: asking for a cell's text looks up what a drawn row needs.
    const std::vector<ShownRow> rows = Shown(kColumns);
    ASSERT_EQ(rows.size(), static_cast<size_t>(kFiles));
    for (size_t i = 1; i < rows.size(); ++i) {
      int order = c.compare(rows[i - 1], rows[i]);
      if (order == 0) order = CompareTexts(rows[i - 1].stem, rows[i].stem);
      EXPECT_TRUE(descending ? order >= 0 : order <= 0)
          << Narrow(rows[i - 1].stem) << " before " << Narrow(rows[i].stem) << " at row " << i;
    }
  }
  EXPECT_EQ(Close(), 0);
  DestroyFieldReferenceList();
}

// A row gets its icon the first time its name is drawn, also when its full path is longer than a kept path
// (rename and listing take such paths, so the icon must too).
TEST_F(FileListColumns, ARowsNameGetsItsIconAlsoUnderAPathLongerThanAKeptPath) {
  std::wstring deep;
  for (wchar_t letter : std::wstring(L"defgh")) deep += std::wstring(240, letter) + L"\\";
  struct Case {
    std::wstring folder;  // under "files"
    std::wstring name;
  };
  const Case cases[] = {{L"near\\", L"near.txt"}, {deep, L"deep.txt"}};
  for (const Case& c : cases) temp_.WriteFile(L"files\\" + c.folder + c.name, "x");
  ASSERT_GT(FilesFolder().size() + deep.size(), 1024u);
  ASSERT_TRUE(Start({L"top.txt"}, {}));
  SendMessageW(window_, WM_COMMAND, IDM_SUBFOLDERS, 0);  // subfolders listed too
  ASSERT_TRUE(WaitFor([] { return ItemStoreCount(&g_app->fileList->rows) == 3 && g_app->busyCounter == 0; }));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name);
    std::wstring shown;
    int icon = 0;
    Gui([&] {
      const ItemStore* rows = &g_app->fileList->rows;
      for (uint32_t i = 0; i < ItemStoreCount(rows); ++i) {
        auto* row = reinterpret_cast<FileListRow*>(ItemStoreGet(rows, i));
        if (c.name != row->currentName) continue;
        wchar_t text[64] = L"";
        NMLVDISPINFOW request = {};
        request.item.mask = LVIF_TEXT | LVIF_IMAGE;
        request.item.iItem = static_cast<int>(i);
        request.item.pszText = text;
        request.item.cchTextMax = 64;
        FileListGetItemText(&request);
        shown = text;
        icon = request.item.iImage;
      }
    });
    EXPECT_EQ(shown, c.name) << "the name column, whose cell brings the icon";
    EXPECT_GT(icon, 0);
  }
}
