// Copying the file list's selected rows to the clipboard: names, and the cells of the captioned columns in
// display order with and without the caption line; an empty choice empties the clipboard, a busy job stops it.
#include "views/list_clipboard.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/core/item_store.h"
#include "list_test_parent.h"
#include "program_state_scope.h"
#include "views/items_view.h"
#include "views/items_view_layout.h"

namespace {

const UiStringRecord kCaptions[] = {{-1, L"US"}, {50, L"Name"}, {51, L"New"}, {52, L"Size"}, {58, L"Hidden"},
                                    {0, nullptr}};

std::string Bytes(const std::wstring& text, UINT format) {
  if (format == CF_UNICODETEXT) return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  char bytes[512] = {};
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

}  // namespace

TEST(ListClipboard, NamesOrCaptionedCellsInDisplayOrderGoOnInBothFormatsAndNothingEmptiesTheClipboard) {
  // The clipboard is shared by every test process that runs at the same time: each test holds it in turn.
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"QvrxTestClipboardTurn");
  ASSERT_NE(WaitForSingleObject(turn, 60000), static_cast<DWORD>(WAIT_TIMEOUT));
  ProgramStateScope state;
  state.UseTexts(kCaptions);
  ListTestParent parent(400, 300);
  // New is displayed before Name; 54 has no caption and 58 is hidden.
  ItemListControl* list =
      parent.CreateList(1, 0, {{50, 60, 1, 0}, {51, 60, 0, 0}, {54, 60, 2, 0}, {52, 60, 3, 1}, {58, 60, -1, 0}});
  parent.cellText = [](int row, int subItem) { return L"r" + std::to_wstring(row) + L"c" + std::to_wstring(subItem); };
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"\x160ip.txt", L"d.txt"}) {
    FileListRow row = MakeFileRow(name, L"");
    ItemStoreAppend(&list->rows, &row, row.length);
  }
  ItemsViewLayout(list, false);
  const std::wstring captions = L"New\tName\tSize\r\n";
  const std::wstring rows = L"r1c1\tr1c0\tr1c3\r\nr3c1\tr3c0\tr3c3\r\n";
  enum Copy { kNames, kRows, kRowsWithCaptions };
  struct Case {
    Copy copy;
    std::initializer_list<int> selected;
    std::wstring text;  // empty: the clipboard holds nothing
  };
  const Case cases[] = {
      {kNames, {0, 2, 3}, L"a.txt\r\n\x160ip.txt\r\nd.txt\r\n"},
      {kRowsWithCaptions, {1, 3}, captions + rows},
      {kRows, {1, 3}, rows},
      {kRowsWithCaptions, {}, captions},
      {kRows, {}, L""},
      {kNames, {}, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.copy << " of " << c.selected.size());
    ItemsViewSelectItems(list, -1, 0);
    for (int row : c.selected) ItemsViewSelectItems(list, row, 1);
    if (c.copy == kNames) CopySelectedNamesToClipboard(parent.Window(), list);
    if (c.copy != kNames) CopySelectedRowsToClipboard(parent.Window(), list, c.copy == kRowsWithCaptions);
    ASSERT_TRUE(OpenClipboard(parent.Window()));
    EXPECT_EQ(CountClipboardFormats() == 0, c.text.empty());
    for (UINT format : {CF_UNICODETEXT, CF_TEXT}) {
      HANDLE block = c.text.empty() ? nullptr : GetClipboardData(format);
      EXPECT_EQ(block != nullptr, !c.text.empty()) << format;
      if (!block) continue;
      const char* data = static_cast<const char*>(GlobalLock(block));
      const bool wide = format == CF_UNICODETEXT;
      const size_t length = wide ? wcslen(reinterpret_cast<const wchar_t*>(data)) * 2 : strlen(data);
      EXPECT_EQ(std::string(data, length), Bytes(c.text, format));
      GlobalUnlock(block);
    }
    CloseClipboard();
  }
  // A job may be changing the rows: the clipboard keeps what it had.
  ItemsViewSelectItems(list, 0, 1);
  InterlockedIncrement(&state->busyCounter);
  CopySelectedNamesToClipboard(parent.Window(), list);
  InterlockedDecrement(&state->busyCounter);
  ASSERT_TRUE(OpenClipboard(parent.Window()));
  EXPECT_EQ(CountClipboardFormats(), 0);
  CloseClipboard();
  ReleaseMutex(turn);
  CloseHandle(turn);
}
