// The file list's stored layout: items read into column entries, whole layouts gathered from the profile store
// (with their fallbacks), written back, and a list's layout stored at close and installed at the next start.
#include "views/column_layout_text.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/profile/profile_store.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/date_text.h"
#include "foundation/win32/gdi.h"
#include "foundation/ui/header_columns.h"
#include "foundation/win32/column_layout.h"
#include "list_test_parent.h"
#include "support/temp_folder.h"
#include "ui_text_scope.h"
#include "views/file_list_columns.h"
#include "views/item_list_control.h"
#include "views/view_hooks.h"

namespace {

const UiStringRecord kNoTexts[] = {{-1, L"US"}, {0, nullptr}};

// Field columns of the test: each distinct reference gets the next number; its written form is kept.
std::vector<std::wstring> g_references;

int AddReference(const wchar_t* display, const wchar_t* source, const wchar_t* field) {
  const std::wstring written = L"[" + std::wstring(display) + L"=" + source + L"=" + field + L"]";
  for (size_t i = 0; i < g_references.size(); ++i) {
    if (g_references[i] == written) return static_cast<int>(i + 1);
  }
  if (std::wstring(source) == L"Missing") return 0;
  g_references.push_back(written);
  return static_cast<int>(g_references.size());
}

void DescribeReference(int columnId, wchar_t* out, int capacity) {
  const size_t n = static_cast<size_t>(-columnId);
  if (n >= 1 && n <= g_references.size()) CopyWideBounded(g_references[n - 1].c_str(), out, capacity);
}

// "id width order flags" of each entry, and "end <width>" for the terminator.
std::vector<std::string> Entries(const ColumnLayout* layout) {
  std::vector<std::string> entries;
  if (!layout) return entries;
  int i = 0;
  for (; layout[i].id != 0; ++i) {
    entries.push_back(std::to_string(layout[i].id) + " " + std::to_string(layout[i].width) + " " +
                      std::to_string(layout[i].order) + " " + std::to_string(layout[i].flags));
  }
  entries.push_back("end " + std::to_string(layout[i].width));
  return entries;
}

class ColumnLayoutText : public testing::Test {
 protected:
  ColumnLayoutText() {
    ProfileStoreConstruct(&g_settingsStore, (folder_ / L"QVRX.INI").c_str(), kProfileNoAutoLocation);
    g_references.clear();
    g_viewHooks.addFieldColumn = AddReference;
    g_viewHooks.describeFieldColumn = DescribeReference;
  }
  ~ColumnLayoutText() override {
    g_viewHooks = ViewHooks{};
    ProfileStoreDestroy(&g_settingsStore);
  }

  void Store(const char* key, const char* value) const { ProfileSetString(&g_settingsStore, "QVRX", key, value); }
  std::string Stored(const char* key) const {
    char text[4097];
    ProfileGetString(&g_settingsStore, "QVRX", key, "", text, sizeof text);
    return text;
  }
  std::vector<std::string> Parsed(bool createReferences = true, wchar_t* firstItem = nullptr) const {
    ColumnLayout* layout = ParseColumnLayout(g_fileListColumns, "QVRX", nullptr, firstItem, 64, createReferences);
    std::vector<std::string> entries = Entries(layout);
    FreeAndNull(&layout);
    return entries;
  }

  TempFolder folder_;
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct ItemCase {
  const wchar_t* item;
  int result;
  const char* entry;  // "id width order flags" when read
};

}  // namespace

TEST_F(ColumnLayoutText, ItemsNameADefaultColumnOrAFieldWithAlignmentAndWidth) {
  const ItemCase cases[] = {
      {L"R2,90", 0, "52 90 0 513"},      // the size column keeps its carried bit 0x200
      {L"c0,200", 0, "50 200 0 2"},      {L"l2,90", 0, "52 90 0 512"},
      {L"2", -1, nullptr},               {L"x,50", -1, nullptr},        {L"9,50", -1, nullptr},
      {L"[Pages=Docs=Pages],80", 0, "-1 80 0 0"},
      {L"R[Size=Docs=Size.KB]90", 0, "-2 90 0 1"},  // the ',' before the width may be left out
      {L"[Pages=Docs=Pages],80", 0, "-1 80 0 0"},   // the same field again: the same column
      {L"[=Docs=Pages]", -1, nullptr},               // no width
      {L"[Pages=Docs],80", -1, nullptr},            {L"[Pages=Docs=Pages,80", -1, nullptr},
      {L"[x=Missing=Pages],80", -1, nullptr},       // a field that cannot be had
  };
  for (const ItemCase& c : cases) {
    ColumnLayout entry[2] = {};
    EXPECT_EQ(ParseColumnDefinition(c.item, g_fileListColumns, entry, true), c.result) << Narrow(c.item);
    if (c.entry) {
      EXPECT_EQ(Entries(entry)[0], c.entry) << Narrow(c.item);
    }
  }
  ColumnLayout entry = {};
  EXPECT_EQ(ParseColumnDefinition(L"[Pages=Docs=Pages],80", g_fileListColumns, &entry, false), -1)
      << "without creating references a field column cannot be read";
  // The display name ends at the first '=' and is cut to 40 characters; source and field are cut likewise.
  const std::wstring longName(50, L'n');
  EXPECT_EQ(ParseColumnDefinition((L"[" + longName + L"=Docs=" + std::wstring(90, L'f') + L"],5").c_str(),
                                  g_fileListColumns, &entry, true),
            0);
  EXPECT_EQ(g_references.back(), L"[" + longName.substr(0, 40) + L"=Docs=" + std::wstring(80, L'f') + L"]");
}

TEST_F(ColumnLayoutText, StoredLayoutsAndTheirFallbacks) {
  struct LayoutCase {
    const char* what;
    const char* text;
    std::vector<std::string> entries;
  };
  const std::vector<std::string> defaults = {"50 150 0 0", "51 150 1 0", "52 75 2 513", "53 120 3 0",
                                             "2349 45 4 1", "55 100 5 0", "56 200 6 0",  "end 1"};
  const LayoutCase cases[] = {
      {"size first: the name entry moves to the front with its order", "R2,90;0,200",
       {"50 200 1 0", "52 90 0 513", "end 1"}},
      {"without the name column the defaults", "R2,90", defaults},
      {"malformed and repeated items are skipped", "0,120;bad;0,300;C6,80",
       {"50 120 0 0", "56 80 1 2", "end 1"}},
      {"the name third: swapped with the first entry", "2,90;5,100;0,200",
       {"50 200 2 0", "55 100 1 0", "52 90 0 512", "end 1"}},
      {"field columns", "0,100;[Pages=Docs=Pages],80", {"50 100 0 0", "-1 80 1 0", "end 1"}},
  };
  for (const LayoutCase& c : cases) {
    Store("L", c.text);
    EXPECT_EQ(Parsed(), c.entries) << c.what;
  }
  Store("L", "0,100;[Pages=Docs=Pages],80");
  EXPECT_EQ(Parsed(false), (std::vector<std::string>{"50 100 0 0", "end 1"}))
      << "without creating references the field column is skipped";
  Store("L", "R2,90");
  EXPECT_TRUE(Parsed(false).empty()) << "nothing gathered and no references to create: the caller keeps its table";

  // The first item can be set aside.
  Store("L", "prefix;0,150");
  wchar_t first[64] = L"";
  EXPECT_EQ(Parsed(true, first), (std::vector<std::string>{"50 150 0 0", "end 1"}));
  EXPECT_STREQ(first, L"prefix");

  // A desktop of another size makes the stored widths meaningless.
  Store("L", "R2,90;0,200");
  g_settingsStore.flags |= kProfileDesktopChanged;
  EXPECT_EQ(Parsed(), defaults);
  g_settingsStore.flags &= ~kProfileDesktopChanged;
}

TEST_F(ColumnLayoutText, OlderColumnValuesAreReadWhenThereIsNoLayoutTextAndGapsAreClosed) {
  Store("Col0", "180,0");
  Store("Col1", "90,2");
  Store("Col2", "60,3");
  Store("Col3", "100,-1");
  EXPECT_EQ(Parsed(), (std::vector<std::string>{"50 180 0 0", "51 90 1 0", "52 60 2 513", "end 1"}));
}

TEST_F(ColumnLayoutText, WrittenLayoutsReadBackTheSame) {
  ColumnLayout field[2] = {};
  ASSERT_EQ(ParseColumnDefinition(L"[a;b=Docs=Pages],80", g_fileListColumns, field, true), 0);
  ColumnLayout layout[] = {{50, 200, 1, 0}, {52, 90, 0, 0x201}, {55, 100, -1, 0}, field[0], {0, 1, 0, 0}};
  layout[3].order = 2;
  layout[3].flags = kColumnAlignCentre;
  SaveColumnLayout(layout, g_fileListColumns, "QVRX", nullptr, nullptr);
  // An item holding the separator is quoted.
  EXPECT_EQ(Stored("L"), "R2,90;0,200;\"C[a;b=Docs=Pages],80\"");
  EXPECT_EQ(Parsed(), (std::vector<std::string>{"50 200 1 0", "52 90 0 513", "-1 80 2 2", "end 1"}));
  SaveColumnLayout(layout, g_fileListColumns, "QVRX", "Other", L"first");
  EXPECT_EQ(Stored("Other"), "first;R2,90;0,200;\"C[a;b=Docs=Pages],80\"");
}

TEST_F(ColumnLayoutText, AListStoresItsHeaderAtCloseAndGetsItBackAtTheNextStart) {
  UiTextScope texts(kNoTexts);
  ListTestParent parent(600, 300);
  const std::initializer_list<ColumnLayout> defaults = {g_fileListColumns[0], g_fileListColumns[1],
                                                        g_fileListColumns[2]};
  ItemListControl* list = parent.CreateList(1, kListReorderColumns, defaults);
  Store("L", "R2,90;0,200");
  ApplyColumnLayoutFromProfile(list, "QVRX");
  ASSERT_EQ(SendMessageW(list->header, HDM_GETITEMCOUNT, 0, 0), 2);
  int order[2] = {};
  SendMessageW(list->header, HDM_GETORDERARRAY, 2, reinterpret_cast<LPARAM>(order));
  EXPECT_EQ(ColumnLayoutNthVisibleId(list->creation.columns, order[0]), kColumnSize);
  EXPECT_EQ(SendMessageW(list->window, LVM_GETCOLUMNWIDTH, 0, 0), 200);

  // The user drags the name column to the front and widens it.
  const int front[2] = {0, 1};
  SendMessageW(list->header, HDM_SETORDERARRAY, 2, reinterpret_cast<LPARAM>(front));
  HeaderSetItemWidth(list->header, 0, 250);
  SaveColumnLayoutToProfile(list, "QVRX");
  EXPECT_EQ(Stored("L"), "0,250;R2,90");

  // A list whose columns cannot be reordered keeps its columns and reads only their widths.
  ItemListControl* fixed = parent.CreateList(1, 0, defaults);
  Store("L", "120;52,70");
  ApplyColumnLayoutFromProfile(fixed, "QVRX");
  EXPECT_EQ(Entries(fixed->creation.columns),
            (std::vector<std::string>{"50 120 0 0", "51 150 1 0", "52 70 2 513", "end 0"}));
  HeaderSetItemWidth(fixed->header, 1, 160);
  SaveColumnLayoutToProfile(fixed, "QVRX");
  EXPECT_EQ(Stored("L"), "120;160;70");
}

TEST(DateColumns, DefaultWidthsHoldADateAsTheSystemWritesIt) {
  ListTestParent parent(400, 300);
  ItemListControl* list = parent.CreateList(1, 0, {{kColumnName, 150, 0, 0}});
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  wchar_t date[64];
  FormatFileDate(1, &now, date, 64);
  HDC dc = GetDC(list->window);
  HGDIOBJ previous = SelectObject(dc, list->font);
  const int needed = MeasureTextWidth(dc, date, -1) + list->textMargin;
  SelectObject(dc, previous);
  ReleaseDC(list->window, dc);

  ColumnLayout table[] = {{kColumnName, 20, 0, 0},     {kColumnModified, 20, 1, 0}, {kColumnCreated, 20, -1, 0},
                          {kColumnAccessed, 900, -1, 0}, {0, 0, 0, 0}};
  FitDateColumnDefaults(list, table);
  EXPECT_EQ(table[0].width, 20) << "not a date column";
  EXPECT_GE(table[1].width, needed) << "a date fits without being cut";
  EXPECT_EQ(table[2].width, table[1].width);
  EXPECT_EQ(table[3].width, 900) << "a wider default stays";
}
