// QVRX.exe's file list columns driven from outside: clicks on the name header sort up and then down, with the
// preview and the rename run following the new order; a column moved and widened and the sort come back after
// a restart, written as "L" and "Sort" when the program closes.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "foundation/ui/command_ids.h"
#include "profile_text.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

// The header of the real file list, read and changed through memory of the program's process.
class RemoteHeader {
 public:
  RemoteHeader(HANDLE process, HWND list)
      : header_(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))), block_(process, 256) {}

  HWND Window() const { return header_; }
  int Format(int item) const { return Item(item, HDI_FORMAT).fmt; }
  LPARAM ColumnId(int item) const { return Item(item, HDI_LPARAM).lParam; }
  void SetWidth(int item, int width) const {
    HDITEMW change = {};
    change.mask = HDI_WIDTH;
    change.cxy = width;
    block_.Write(change);
    SendMessageW(header_, HDM_SETITEMW, item, block_.Address());
  }
  template <size_t N>
  void SetOrder(const int (&order)[N]) const {
    block_.Write(order);
    SendMessageW(header_, HDM_SETORDERARRAY, N, block_.Address());
  }
  std::vector<int> Order(int count) const {
    SendMessageW(header_, HDM_GETORDERARRAY, count, block_.Address());
    const auto read = block_.Read<std::array<int, 16>>();
    return std::vector<int>(read.begin(), read.begin() + count);
  }
  RECT ItemRect(int item) const {
    SendMessageW(header_, HDM_GETITEMRECT, item, block_.Address());
    return block_.Read<RECT>();
  }

 private:
  HDITEMW Item(int item, UINT mask) const {
    HDITEMW read = {};
    read.mask = mask;
    block_.Write(read);
    SendMessageW(header_, HDM_GETITEMW, item, block_.Address());
    return block_.Read<HDITEMW>();
  }

  HWND header_;
  RemoteBlock block_;
};

// The cells of a column in list order.
Names InListOrder(const RemoteList& list, int column) {
  Names cells;
  for (int row = 0; row < list.Count(); ++row) cells.push_back(list.Cell(row, column));
  return cells;
}

bool CursorAt(POINT point) {
  POINT cursor = {};
  return GetCursorPos(&cursor) && cursor.x == point.x && cursor.y == point.y;
}

// A click on the left part of a header item, the cursor where a user's would be: the list takes the half of
// the name column from where the cursor was. The display's own news of earlier pointer moves may still come in
// after the cursor was set, so it is set until it stays.
void ClickHeaderItem(const RemoteHeader& header, int item) {
  const RECT rect = header.ItemRect(item);
  POINT point = {rect.left + 10, (rect.top + rect.bottom) / 2};
  const LPARAM position = MAKELPARAM(point.x, point.y);
  ClientToScreen(header.Window(), &point);
  for (int settled = 0, tries = 0; settled < 5 && tries < 200; ++tries) {
    if (!CursorAt(point)) SetCursorPos(point.x, point.y);
    Sleep(10);
    settled = CursorAt(point) ? settled + 1 : 0;
  }
  PostMessageW(header.Window(), WM_LBUTTONDOWN, MK_LBUTTON, position);
  PostMessageW(header.Window(), WM_LBUTTONUP, 0, position);
}

constexpr int kSortedUp = HDF_SORTUP | HDF_BITMAP;

// The program started on a folder, with its file list and that list's header.
struct Session {
  Session(const ProgramCopy& copy, const std::wstring& folder)
      : run(copy, folder),
        window(run.Window()),
        list(run.Process(), GetDlgItem(window, kFileListId)),
        header(run.Process(), GetDlgItem(window, kFileListId)) {}

  ProgramRun run;
  HWND window;
  RemoteList list;
  RemoteHeader header;
};

using ColumnsProgramInteractive = ProgramOnFolder;
using ColumnsProgram = ProgramOnFolder;

}  // namespace

TEST_F(ColumnsProgramInteractive, ClicksOnTheNameHeaderSortUpThenDownAndTheRunNumbersInThatOrder) {
  // Sorted by size at start; every new name is "x.txt", so the preview numbers the duplicates in list order.
  const std::wstring files =
      Prepare({}, "[QVRX]\r\nLanguage=US\r\nSort=4\r\n[QK]\r\nR1=<Crop,n,l,0,250>\r\nR2=<Ins,n,l,0,\"x\">\r\n");
  for (const char* name : {"a", "b", "c"}) {
    copy_.Folder().WriteFile(L"files\\" + std::wstring(1, name[0]) + L".txt", name);
  }
  Session program(copy_, files);
  ASSERT_NE(program.window, nullptr);
  DialogWatcher boxes(program.run.ProcessId(), IDOK);
  const RemoteList& list = program.list;
  const RemoteHeader& header = program.header;
  ASSERT_NE(header.Window(), nullptr);
  const Names numbered = {L"x.txt", L"x (2).txt", L"x (3).txt"};
  ASSERT_TRUE(WaitUntil([&] { return InListOrder(list, kNewNameColumn) == numbered; }));

  ClickHeaderItem(header, 0);
  ASSERT_TRUE(WaitUntil([&] { return (header.Format(0) & kSortedUp) != 0; })) << "the name column shows the sort";
  EXPECT_EQ(header.Format(0) & HDF_BITMAP_ON_RIGHT, 0) << "the name half of the name column";
  EXPECT_EQ(InListOrder(list, kNameColumn), (Names{L"a.txt", L"b.txt", L"c.txt"}));

  ClickHeaderItem(header, 0);
  ASSERT_TRUE(WaitUntil([&] { return InListOrder(list, kNameColumn) == Names{L"c.txt", L"b.txt", L"a.txt"}; }));
  EXPECT_EQ(InListOrder(list, kNewNameColumn), numbered) << "the preview numbers in the new order";

  ASSERT_TRUE(SendUntil(program.window, IDM_START_RENAMING, [&] { return list.Count() == 0; }));
  EXPECT_EQ(FilesWithContents(files), (Names{L"x (2).txt=b", L"x (3).txt=a", L"x.txt=c"}));
  EXPECT_EQ(program.run.Close(), 0);
  EXPECT_EQ(boxes.Answered(), 0);
  EXPECT_EQ(ValueOf(SectionLines(ReadWholeFile(copy_.ProfileFile()), "QVRX"), "Sort"), "65536");
}

TEST_F(ColumnsProgram, AColumnMovedAndWidenedAndTheSortComeBackAfterARestart) {
  const std::wstring files = Prepare({}, "[QVRX]\r\nLanguage=US\r\n");
  copy_.Folder().WriteFile(L"files\\a.txt", "1");
  copy_.Folder().WriteFile(L"files\\b.txt", "22");
  {
    Session first(copy_, files);
    ASSERT_NE(first.window, nullptr);
    ASSERT_TRUE(first.run.WaitForRows(2));
    // The size column (the third) dragged to the front, the name column widened, sorted by size downwards.
    first.header.SetOrder({2, 0, 1, 3, 4, 5, 6});
    first.header.SetWidth(0, 230);
    ASSERT_TRUE(SendUntil(first.window, IDM_SORT_SIZE, [&] { return (first.header.Format(2) & HDF_SORTUP) != 0; }));
    ASSERT_TRUE(
        SendUntil(first.window, IDM_SORT_DESCENDING, [&] { return (first.header.Format(2) & HDF_SORTDOWN) != 0; }));
    EXPECT_EQ(first.run.Close(), 0);
  }
  const std::vector<std::string> stored = SectionLines(ReadWholeFile(copy_.ProfileFile()), "QVRX");
  // The date column's default width holds a date as the system writes it, so it depends on the font.
  const std::string layout = ValueOf(stored, "L");
  const std::string before = "R2,75;0,230;1,150;3,";
  const std::string after = ";R4,45;5,100;6,200";
  ASSERT_GT(layout.size(), before.size() + after.size()) << layout;
  EXPECT_EQ(layout.substr(0, before.size()), before) << layout;
  EXPECT_EQ(layout.substr(layout.size() - after.size()), after) << layout;
  EXPECT_GE(std::stoi(layout.substr(before.size())), 120) << layout;
  EXPECT_EQ(ValueOf(stored, "Sort"), std::to_string(1 << 16 | 4));

  Session again(copy_, files);
  ASSERT_NE(again.window, nullptr);
  const RemoteHeader& header = again.header;
  ASSERT_TRUE(again.run.WaitForRows(2));
  EXPECT_EQ(header.ColumnId(0), 50);
  EXPECT_EQ(header.ColumnId(1), 52);
  EXPECT_EQ(header.Order(7), (std::vector<int>{1, 0, 2, 3, 4, 5, 6})) << "the size column stays in front";
  EXPECT_EQ(SendMessageW(GetDlgItem(again.window, kFileListId), LVM_GETCOLUMNWIDTH, 0, 0), 230);
  EXPECT_NE(header.Format(1) & HDF_SORTDOWN, 0);
  EXPECT_EQ(InListOrder(again.list, kNameColumn), (Names{L"b.txt", L"a.txt"})) << "the larger file first";
  EXPECT_EQ(again.run.Close(), 0);
}
