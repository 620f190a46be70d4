// The pages of the plug-ins and the field columns in their host dialogs: the plug-in list shown from section
// "pgnCont" and written back, unloading only after a change, editing an entry in dialog 5530, the field menu of
// modules and checked plug-ins, and the chosen columns read back into a layout.
#include "metadata/plugin_page.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/win32/system_functions.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/list_views.h"
#include "metadata/column_page.h"
#include "metadata/field_menu.h"
#include "metadata/field_references.h"
#include "metadata/option_pages.h"
#include "support/dialog_template.h"
#include "tests/metadata/module_field_fake.h"
#include "tests/metadata/plugin_scope.h"

namespace {

using UnloadCount = int(WINAPI*)();

std::function<void(HWND)> g_dialogAction;

BOOL CALLBACK FindEnabledDialog(HWND window, LPARAM found) {
  wchar_t name[16];
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowEnabled(window) || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Acts on the modal dialog once it is up, inside its loop on the test's thread.
void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindEnabledDialog, reinterpret_cast<LPARAM>(&dialog));
  if (dialog == nullptr || GetDlgItem(dialog, IDC_PLUGIN_NAME) == nullptr) return;
  KillTimer(nullptr, timer);
  g_dialogAction(dialog);
}

void RunToolbarCommand(HWND page, int command, std::function<void(HWND)> action) {
  g_dialogAction = std::move(action);
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, ActOnDialog);
  PluginsPageToolbarCommand(page, command);
  KillTimer(nullptr, timer);
}

std::string SectionValue(int n) {
  char value[4096];
  ProfileGetString(&g_settingsStore, kPluginSection, std::to_string(n).c_str(), "", value, sizeof value);
  return value;
}

std::wstring Row(HWND page, int row) {
  PluginListEntry entry;
  if (!ReadPluginRow(GetDlgItem(page, IDC_PLUGIN_LIST), row, &entry)) return L"";
  return std::wstring(entry.enabled ? L"+" : L"-") + entry.name + L"|" + entry.detectString + L"|" +
         entry.initParameter;
}

const UiStringRecord kPageTexts[] = {
    {-1, L"US"}, {5530, L"Edit plug-in"}, {5539, L"Add plug-in"}, {5506, L"No name"}, {0, nullptr}};

class PluginPage : public testing::Test {
 protected:
  PluginPage() {
    InitCommonControlClasses();
    scope_.state_.UseTexts(kPageTexts);
  }
  ~PluginPage() override { DestroyWindow(page_); }

  // The page as the options dialog holds it: the toolbar's placeholder and the list.
  void Open() {
    DialogTemplate page(L"Plug-ins", 330, 170);
    page.AddControl(L"STATIC", L"", IDC_PLUGIN_TOOLBAR, 0, 7, 5, 316, 16);
    page.AddControl(WC_LISTVIEWW, L"", IDC_PLUGIN_LIST, LVS_REPORT | LVS_SINGLESEL, 7, 24, 316, 120);
    page_ = page.Create(nullptr, PageProc);
    ASSERT_NE(page_, nullptr);
  }

  static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) SetupPluginListPage(dialog);
    return FALSE;
  }

  // Values as the page writes them: items holding ';' or a double quote are quoted.
  PluginScope scope_{{PluginValue("Test", kPublishedPlugin, "+", "\"EXT=\"LOG\"\"", "\"a;b\""),
                      PluginValue("Off", kNarrowPlugin, "-"), "Bare;+;[0]=1;"}};
  HWND page_ = nullptr;
};

}  // namespace

TEST_F(PluginPage, ShowsTheSectionAndWritesItBackInListOrder) {
  const std::string test = SectionValue(1);
  const std::string off = SectionValue(2);
  Open();
  EXPECT_EQ(Row(page_, 0), L"+Test|EXT=\"LOG\"|a;b");
  EXPECT_EQ(Row(page_, 1), L"-Off||");
  EXPECT_EQ(Row(page_, 2), L"+Bare|[0]=1|");
  HWND toolbar = GetDlgItem(page_, IDC_PLUGIN_TOOLBAR);
  wchar_t kind[32];
  GetClassNameW(toolbar, kind, 32);
  EXPECT_STREQ(kind, TOOLBARCLASSNAMEW);
  EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 8);

  // Test moves below Off and is duplicated there; at the top a move up does nothing; Bare goes.
  HWND list = GetDlgItem(page_, IDC_PLUGIN_LIST);
  PluginsPageToolbarCommand(page_, IDC_ENTRY_DOWN);
  PluginsPageToolbarCommand(page_, IDC_ENTRY_DUPLICATE);
  ListViewSelectOnly(list, 0);
  PluginsPageToolbarCommand(page_, IDC_ENTRY_UP);
  ListViewSelectOnly(list, 3);
  PluginsPageToolbarCommand(page_, IDC_ENTRY_REMOVE);
  EXPECT_TRUE(SavePluginList(page_));
  EXPECT_EQ(SectionValue(1), off);
  EXPECT_EQ(SectionValue(2), test);
  EXPECT_EQ(SectionValue(3), test);
  EXPECT_EQ(SectionValue(4), "");
}

TEST_F(PluginPage, SavingRestartsThePluginsOnlyWhenTheListChanged) {
  TestLibrary library(kPublishedPlugin);
  const UnloadCount unloads = library.Export<UnloadCount>("TestPluginUnloadCount");
  ASSERT_NE(FindOrLoadPlugin(L"Test", nullptr), nullptr);
  ASSERT_EQ(FindOrLoadPlugin(L"Bare", nullptr), nullptr) << "an entry without a library loads nothing";
  const int before = unloads();
  Open();
  EXPECT_FALSE(SavePluginList(page_));
  EXPECT_EQ(unloads(), before);
  EXPECT_EQ(LoadedPluginCount(), 1);

  LVITEMW item = {};
  item.iSubItem = 3;
  item.pszText = const_cast<wchar_t*>(L"a;c");
  SendDlgItemMessageW(page_, IDC_PLUGIN_LIST, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_TRUE(SavePluginList(page_));
  EXPECT_EQ(unloads(), before + 1);
  int index = -1;
  EXPECT_NE(FindPluginByName(L"Test", &index), nullptr) << "loaded again with its new settings";
  EXPECT_EQ(index, 0);
}

TEST_F(PluginPage, TheEntryDialogEditsTheFocusedRow) {
  Open();
  const struct {
    int row;
    int button;
    const wchar_t* title;
    bool libraryEnabled;
    std::wstring after;
  } cases[] = {
      {0, IDC_PLUGIN_OK, L" Edit plug-in", true, L"+Test|EXT=\"TXT\"|a;b"},
      {2, IDCANCEL, L" Edit plug-in", false, L"+Bare|[0]=1|"},
      {2, IDC_PLUGIN_OK, L" Edit plug-in", false, L"+Bare|EXT=\"TXT\"|"},
  };
  for (const auto& c : cases) {
    ListViewSelectOnly(GetDlgItem(page_, IDC_PLUGIN_LIST), c.row);
    std::wstring title;
    bool libraryEnabled = false;
    RunToolbarCommand(page_, IDC_ENTRY_EDIT, [&](HWND dialog) {
      wchar_t text[64];
      GetWindowTextW(dialog, text, 64);
      title = text;
      libraryEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PLUGIN_PATH)) != FALSE;
      SetDlgItemTextW(dialog, IDC_PLUGIN_DETECT, L"EXT=\"TXT\"");
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), 0);
    });
    EXPECT_EQ(title, c.title);
    EXPECT_EQ(libraryEnabled, c.libraryEnabled) << "row " << c.row;
    EXPECT_EQ(Row(page_, c.row), c.after);
  }
}

// Closes the message box the entry dialog puts up over itself, keeping its text.
std::wstring g_boxText;
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindEnabledDialog, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr || GetDlgItem(box, IDC_PLUGIN_NAME) != nullptr) return;
  KillTimer(nullptr, timer);
  wchar_t text[256] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  g_boxText = text;
  SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(PluginPage, AnEntryWithoutANameIsRefusedAndTheDialogStays) {
  Open();
  ListViewSelectOnly(GetDlgItem(page_, IDC_PLUGIN_LIST), 0);
  g_boxText.clear();
  bool stayed = false;
  RunToolbarCommand(page_, IDC_ENTRY_EDIT, [&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_PLUGIN_NAME, L"");
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseMessageBox);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PLUGIN_OK, BN_CLICKED), 0);
    KillTimer(nullptr, timer);
    stayed = IsWindow(dialog) && IsWindowVisible(dialog);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  EXPECT_TRUE(stayed);
  EXPECT_FALSE(g_boxText.empty()) << "the refusal is said";
  EXPECT_EQ(Row(page_, 0), L"+Test|EXT=\"LOG\"|a;b");
}

TEST_F(PluginPage, TheFieldMenuListsModuleFieldsThenCheckedPlugins) {
  ModuleFieldFake fake;
  Open();
  HWND sources = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 10, 10, page_, nullptr,
                                 nullptr, nullptr);
  FieldMenu menu;
  ASSERT_TRUE(BuildFieldMenu(page_, sources, &menu));
  std::vector<std::wstring> payloads;
  wchar_t payload[1300];
  for (int id = 1; GetFieldMenuPayload(&menu, id, payload, 1300); ++id) payloads.push_back(payload);
  const std::vector<std::wstring> expected = {
      L"RPicture width=EXIF=Width", L"RSize=EXIF=Size",    L"LText=EXIF=Text",      L"RSize=Test=Size",
      L"RSize=Test=Size.Bytes",     L"RSize=Test=Size.KB", L"RSize=Test=Size.MB",   L"LName=Test=Name",
      L"RRatio=Test=Ratio",         L"RDate=Test=Date",    L"RTime=Test=Time",      L"LFlag=Test=Flag",
      L"LChoice=Test=Choice",       L"LWName=Test=WName",  L"RDigits=Test=Digits",  L"LLong=Test=Long",
      L"RBulk=Test=Bulk",           L"RBulk=Test=Bulk.MB", L"RBulk=Test=Bulk.B",
  };
  EXPECT_EQ(payloads, expected);
  EXPECT_EQ(GetMenuItemCount(menu.menu), 2) << "one submenu per source";
  EXPECT_EQ(SendMessageW(sources, LVM_GETITEMCOUNT, 0, 0), 2);
  FreeFieldMenu(&menu);
}

TEST(ColumnPage, ChosenColumnsComeBackAsALayout) {
  PluginScope scope({PluginValue("Test", kPublishedPlugin)});
  InitCommonControlClasses();
  ASSERT_TRUE(CreateFieldReferenceList());
  ASSERT_EQ(AddPluginFieldEntry(g_columnFieldList, L"Kilobytes", L"Test", L"Size.KB"), 1);
  DialogTemplate page(L"Columns", 300, 200);
  page.AddControl(L"STATIC", L"", kColumnToolbarPlaceholder, 0, 5, 5, 200, 16);
  page.AddControl(WC_LISTVIEWW, L"", kAvailableColumnsList, LVS_REPORT, 5, 25, 140, 150);
  page.AddControl(WC_LISTVIEWW, L"", kChosenColumnsList, LVS_REPORT, 150, 25, 140, 150);
  HWND dialog = page.Create(nullptr);
  ASSERT_NE(dialog, nullptr);
  const ColumnLayout table[] = {{50, 150, 0, 0}, {51, 150, 1, 0}, {52, 75, 2, 0x201}, {0, 0, 0, 0}};
  const ColumnLayout layout[] = {{50, 160, 0, 0}, {52, 90, 2, 0x201}, {51, 150, -1, 0}, {-1, 70, 1, 2}, {0, 1, 0, 0}};
  SetupColumnPage(dialog);
  SetupColumnLists(dialog, table, layout);
  EXPECT_EQ(SendDlgItemMessageW(dialog, kAvailableColumnsList, LVM_GETITEMCOUNT, 0, 0), 1);
  wchar_t field[256] = {};
  LVITEMW item = {};
  item.iSubItem = 1;
  item.pszText = field;
  item.cchTextMax = 256;
  SendDlgItemMessageW(dialog, kChosenColumnsList, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(field, L"Kilobytes=Test=Size.KB");
  // A field taken from the field menu names its source and field only.
  HWND chosenList = GetDlgItem(dialog, kChosenColumnsList);
  const int added = ListViewInsertItem(chosenList, L"KB", -1, 2, nullptr, 0);
  ListViewSetItemText(chosenList, added, 1, L"Test=Size.KB");

  ColumnLayout* chosen = ReadChosenColumns(dialog);
  ASSERT_NE(chosen, nullptr);
  const ColumnLayout expected[] = {{50, 160, 0, 0}, {-1, 80, 1, 2}, {52, 90, 2, 0x201}, {-2, 80, 3, 1}, {0, 1, 0, 0}};
  for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
    EXPECT_EQ(chosen[i].id, expected[i].id) << i;
    EXPECT_EQ(chosen[i].width, expected[i].width) << i;
    EXPECT_EQ(chosen[i].order, expected[i].order) << i;
    EXPECT_EQ(chosen[i].flags, expected[i].flags) << i;
  }
  EXPECT_EQ(RecordBufferCount(g_columnFieldList), 2u) << "the stored field column found its entry again";
  FreeAndNull(&chosen);
  DestroyWindow(dialog);
  DestroyFieldReferenceList();
}
