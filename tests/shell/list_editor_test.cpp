// The list editor of the options dialog's column page on a page of its own: rows move between the lists with
// their alignment images, a row with negative item data stays, fields come from the menu with their
// references, alignments change only rows that carry data, and only rows not made from the menu go back.
#include "shell/list_editor.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/core/memory.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/list_views.h"
#include "metadata/column_page.h"
#include "metadata/field_menu.h"
#include "program_state_scope.h"
#include "support/dialog_template.h"

namespace {

struct Row {
  std::wstring text;
  int image;
  std::wstring second;
  bool operator==(const Row& other) const {
    return text == other.text && image == other.image && second == other.second;
  }
};

void PrintTo(const Row& row, std::ostream* out) {
  *out << std::string(row.text.begin(), row.text.end()) << "/" << row.image << "/"
       << std::string(row.second.begin(), row.second.end());
}

std::vector<Row> Rows(HWND list) {
  std::vector<Row> rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[kEditorTextCapacity];
    wchar_t second[kEditorSecondCapacity];
    ListViewGetItemText(list, i, 0, text, kEditorTextCapacity);
    ListViewGetItemText(list, i, 1, second, kEditorSecondCapacity);
    rows.push_back({text, ListViewItemImage(list, i), second});
  }
  return rows;
}

int RowNamed(HWND list, const wchar_t* text) {
  LVFINDINFOW find = {};
  find.flags = LVFI_STRING;
  find.psz = text;
  return static_cast<int>(SendMessageW(list, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
}

// A field menu of one source with two fields, and the source's row in the list.
FieldMenu* MenuWithRow(HWND list) {
  auto* menu = static_cast<FieldMenu*>(AllocZeroed(sizeof(FieldMenu)));
  RecordBufferInit(&menu->payloads, true);
  menu->menu = CreatePopupMenu();
  HMENU source = CreatePopupMenu();
  AppendMenuW(menu->menu, MF_POPUP, reinterpret_cast<UINT_PTR>(source), L"EXIF");
  AddFieldMenuPayloadItem(menu, source, L"RWidth=EXIF=Width", L"Width");
  AddFieldMenuPayloadItem(menu, source, L"L=Test=Size.KB", L"Size");
  ListViewInsertItem(list, L"EXIF", -1, kMenuRowImage, source, 0);
  return menu;
}

const UiStringRecord kColumnTexts[] = {
    {-1, L"US"}, {50, L"Name"}, {51, L"New name"}, {52, L"Size"}, {53, L"Modified"}, {0, nullptr}};

class ListEditor : public testing::Test {
 protected:
  ListEditor() {
    state_.UseTexts(kColumnTexts);
    DialogTemplate page(L"Columns", 300, 200);
    page.AddControl(L"STATIC", L"", kColumnToolbarPlaceholder, 0, 5, 5, 200, 16);
    page.AddControl(WC_LISTVIEWW, L"", kAvailableColumnsList, LVS_REPORT, 5, 25, 140, 150);
    page.AddControl(WC_LISTVIEWW, L"", kChosenColumnsList, LVS_REPORT, 150, 25, 140, 150);
    dialog_ = page.Create(nullptr);
    available_ = GetDlgItem(dialog_, kAvailableColumnsList);
    chosen_ = GetDlgItem(dialog_, kChosenColumnsList);
    SetupColumnPage(dialog_);
    // Name and new name shown, size and modified time available.
    const ColumnLayout table[] = {{50, 150, 0, 0}, {51, 150, 1, 0}, {52, 75, 2, 0x201}, {53, 120, 3, 0}, {0, 0, 0, 0}};
    ColumnLayout layout[5];
    std::copy(table, table + 5, layout);
    layout[2].order = layout[3].order = -1;
    SetupColumnLists(dialog_, table, layout);
    menu_ = MenuWithRow(available_);
    SetListEditorMenu(available_, menu_);
  }
  ~ListEditor() override {
    FreeListEditorMenu(available_);
    DestroyWindow(dialog_);
  }

  void Command(int command) {
    ListEditorCommand(dialog_, command, kColumnToolbarPlaceholder, kAvailableColumnsList, kChosenColumnsList);
  }

  ProgramStateScope state_;
  HWND dialog_;
  HWND available_;
  HWND chosen_;
  FieldMenu* menu_;
};

}  // namespace

TEST(ListMenuEntry, TheTypeLetterGivesTheImageAndTheReferenceTheSecondColumn) {
  const struct {
    const wchar_t* payload;
    bool parsed;
    Row row;
  } cases[] = {
      {L"RWidth=EXIF=Width", true, {L"Width", 2, L"EXIF=Width"}},
      {L"L=Test=Size.KB", true, {L"Size", 0, L"Test=Size.KB"}},
      {L"XName=Mail=From", true, {L"Name", 0, L"Mail=From"}},
      {L"RName=EXIF", false, {L"", 0, L""}},
      {L"", false, {L"", 0, L""}},
  };
  for (const auto& c : cases) {
    ListMenuEntry entry;
    EXPECT_EQ(ParseListMenuEntry(c.payload, &entry), c.parsed);
    if (c.parsed) {
      EXPECT_EQ((Row{entry.text, entry.image, entry.second}), c.row);
    }
  }
}

TEST_F(ListEditor, RowsMoveWithTheirImagesAndMenuEntriesGoWhenRemoved) {
  // Size (right-aligned) goes after the focused Name; the row above it in the source is selected.
  ListViewSelectOnly(available_, RowNamed(available_, L"Size"));
  ListViewSelectOnly(chosen_, 0);
  Command(IDC_ENTRY_ADD);
  EXPECT_EQ(Rows(chosen_), (std::vector<Row>{{L"Name", 0, L""}, {L"Size", 2, L""}, {L"New name", 0, L""}}));
  EXPECT_EQ(Rows(available_), (std::vector<Row>{{L"Modified", 0, L""}, {L"EXIF", kMenuRowImage, L""}}));

  // A row with negative item data only beeps.
  ListViewInsertItem(available_, L"Kept", -1, 0, reinterpret_cast<const void*>(-4), 0);
  ListViewSelectOnly(available_, RowNamed(available_, L"Kept"));
  Command(IDC_ENTRY_ADD);
  EXPECT_EQ(Rows(chosen_).size(), 3u);

  // Entries of the menu are appended with their references; an entry that does not parse adds nothing.
  EXPECT_TRUE(AddListEntryFromMenu(chosen_, menu_, 1));
  EXPECT_TRUE(AddListEntryFromMenu(chosen_, menu_, 2));
  EXPECT_FALSE(AddListEntryFromMenu(chosen_, menu_, 3));
  EXPECT_EQ(ListViewItemParam(chosen_, 3), -1);
  ListViewSelectOnly(chosen_, 3);
  Command(IDC_ALIGN_LEFT + 1);
  ListViewInsertItem(chosen_, L"Bare", -1, 0, nullptr, 0);
  ListViewSelectOnly(chosen_, 5);
  Command(IDC_ALIGN_RIGHT);
  EXPECT_EQ(Rows(chosen_), (std::vector<Row>{{L"Name", 0, L""},
                                            {L"Size", 2, L""},
                                            {L"New name", 0, L""},
                                            {L"Width", 1, L"EXIF=Width"},
                                            {L"Size", 0, L"Test=Size.KB"},
                                            {L"Bare", 0, L""}}));

  // The menu's entry goes for good; a column goes back to the source list.
  ListViewSelectOnly(chosen_, 3);
  Command(IDC_ENTRY_REMOVE);
  ListViewSelectOnly(chosen_, 1);
  Command(IDC_ENTRY_REMOVE);
  EXPECT_EQ(Rows(chosen_).size(), 4u);
  EXPECT_EQ(Rows(available_).size(), 4u);
  EXPECT_GE(RowNamed(available_, L"Size"), 0);
}
