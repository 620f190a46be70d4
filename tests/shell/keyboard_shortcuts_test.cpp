// The keyboard shortcuts: the key table from the defaults and section "Keys", the names of keys, commands and
// menu shortcuts, the exported page, the shortcut page with its key dialog and what it saves, and the hook's
// Windows key with Alt.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/profile/profile_store.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/resource_library.h"
#include "foundation/win32/list_views.h"
#include "profile_text.h"
#include "program_state_scope.h"
#include "shell/key_names.h"
#include "shell/keyboard_hook.h"
#include "shell/keys_html.h"
#include "shell/main_commands.h"
#include "shell/shortcut_key_dialog.h"
#include "shell/shortcut_page.h"
#include "support/dialog_action.h"
#include "support/dialog_template.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"

namespace {

constexpr uint16_t kCtrlS = kKeyCtrl | 'S';

// The program's state with the English texts, a profile store holding `keys` as section "Keys", and the key
// table filled from both.
class ShortcutScope {
 public:
  explicit ShortcutScope(const std::string& keys) {
    const std::wstring path = folder_.WriteFile(L"QVRX.INI", "[Keys]\r\n" + keys);
    ProfileStoreConstruct(&g_settingsStore, path.c_str(), kProfileNoAutoLocation);
    state_->uiStrings = LoadResourceLibrary()->languages[0].table;
    InitKeyHookState(&g_keyHookState);
    FillShortcutTable(&g_keyHookState);
  }
  ~ShortcutScope() {
    ReleaseKeyHookState(&g_keyHookState);
    ProfileStoreDestroy(&g_settingsStore);
  }
  std::vector<std::string> SavedKeys() const {
    ProfileSave(&g_settingsStore);
    return SectionLines(ReadWholeFile(folder_ / L"QVRX.INI"), "Keys");
  }
  const TempFolder& Folder() const { return folder_; }

 private:
  TempFolder folder_;
  ProgramStateScope state_;
};

std::wstring KeyName(uint16_t keyCode) {
  wchar_t name[kKeyNameCapacity];
  FormatKeyName(keyCode, name, kKeyNameCapacity);
  return name;
}

std::wstring Label(const CommandNameEntry& entry) {
  wchar_t label[kKeyNameCapacity];
  GetCommandLabel(&g_keyHookState, &entry, label, kKeyNameCapacity);
  return label;
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The shortcut page as the options dialog holds it (the toolbar's placeholder and the list), in a hidden dialog
// of this thread.
class ShortcutPage {
 public:
  ShortcutPage() {
    InitCommonControls();
    DialogTemplate page(L"Keys", 330, 200, DS_SETFONT | WS_POPUP | WS_CAPTION);
    page.AddControl(L"STATIC", L"", IDC_SHORTCUT_TOOLBAR, 0, 7, 5, 316, 16);
    page.AddControl(WC_LISTVIEWW, L"", IDC_SHORTCUT_LIST, LVS_REPORT | LVS_SINGLESEL, 7, 24, 316, 150);
    dialog_ = page.Create(nullptr, PageProc);
    list_ = GetDlgItem(dialog_, IDC_SHORTCUT_LIST);
  }
  static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetupShortcutListPage(dialog);
    return message == WM_NOTIFY ? ShortcutPageNotify(dialog, reinterpret_cast<NMHDR*>(lParam)) : FALSE;
  }
  ~ShortcutPage() { DestroyWindow(dialog_); }
  HWND Dialog() const { return dialog_; }
  HWND List() const { return list_; }
  int Count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
  int Command(int row) const { return HIWORD(ListViewItemParam(list_, row)); }
  uint16_t Key(int row) const { return LOWORD(ListViewItemParam(list_, row)); }
  std::wstring KeyText(int row) const {
    wchar_t text[kKeyNameCapacity];
    ListViewGetItemText(list_, row, 1, text, kKeyNameCapacity);
    return text;
  }
  std::vector<int> RowsOf(int command) const {
    std::vector<int> rows;
    for (int row = 0; row < Count(); ++row) {
      if (Command(row) == command) rows.push_back(row);
    }
    return rows;
  }
  void Focus(int row) const { ListViewSelectOnly(list_, row); }
  // Gives the focused row a key through dialog 5403: key chosen by its virtual key, modifiers ticked.
  void GiveKey(uint16_t keyCode) const {
    DialogAction choose([keyCode](HWND key) {
      SendDlgItemMessageW(key, IDC_SHORTCUT_ALT, BM_SETCHECK, (keyCode & kKeyAlt) ? BST_CHECKED : 0, 0);
      SendDlgItemMessageW(key, IDC_SHORTCUT_CTRL, BM_SETCHECK, (keyCode & kKeyCtrl) ? BST_CHECKED : 0, 0);
      SendDlgItemMessageW(key, IDC_SHORTCUT_SHIFT, BM_SETCHECK, (keyCode & kKeyShift) ? BST_CHECKED : 0, 0);
      HWND combo = GetDlgItem(key, IDC_SHORTCUT_KEY);
      const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
      for (int item = 0; item < count; ++item) {
        if (SendMessageW(combo, CB_GETITEMDATA, item, 0) == (keyCode & kVirtualKeyMask)) {
          SendMessageW(combo, CB_SETCURSEL, item, 0);
        }
      }
      PostMessageW(key, WM_COMMAND, IDC_SHORTCUT_OK, 0);
    });
    EditShortcutOfFocusedRow(dialog_);
  }

 private:
  HWND dialog_;
  HWND list_;
};

}  // namespace

TEST(KeyTable, DefaultsAndTheProfileLinesExceptReservedAndOutOfRangeKeys) {
  // 595 Ctrl+S loses its command; F2 (113) and Ctrl+O (591) get one; F1, Tab, 0 and 2048 are never taken; an
  // unknown name leaves F3 (114) without its command; an empty value changes nothing.
  ShortcutScope scope("595=-\r\n113=FileOpen\r\n591=LanguageDlg\r\n112=FileNew\r\n9=FileNew\r\n0=FileNew\r\n"
                      "2048=FileNew\r\n114=NoSuchCommand\r\n116=\r\n");
  const struct {
    uint16_t keyCode;
    int command;
  } cases[] = {
      {kCtrlS, 0}, {VK_F2, IDM_OPEN_SETTINGS}, {kKeyCtrl | 'O', IDM_LANGUAGE}, {VK_F1, 0}, {VK_TAB, IDM_NEXT_PANE},
      {VK_F3, 0}, {VK_F5, IDM_REFRESH_TREE}, {kKeyCtrl | 'A', IDM_SELECT_ALL},
      {kKeyShift | VK_F6, IDM_RENAME_IN_PLACE}, {kKeyShift | VK_TAB, IDM_PREVIOUS_PANE}, {VK_ESCAPE, IDM_CANCEL},
      {kKeyAlt | VK_RETURN, IDM_PROPERTIES}, {'S', 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortcutCommandOfKey(&g_keyHookState, c.keyCode), c.command) << std::hex << c.keyCode;
  }
  // The library's names come first, the main window's table is the fallback; "-" is no command.
  EXPECT_EQ(ParseCommandName("Language"), IDM_LANGUAGE);
  EXPECT_EQ(ParseCommandName("-"), 0);
  EXPECT_EQ(ParseCommandName("filesave"), 0);
  EXPECT_STREQ(CommandNameForId(IDM_SAVE_SETTINGS), "FileSave");
  EXPECT_EQ(CommandNameForId(29999), nullptr);
}

TEST(KeyNames, ModifiersThenTheKeyAndNoNameForTheNumpadDecimal) {
  ShortcutScope scope("");
  const struct {
    uint16_t keyCode;
    const wchar_t* name;
  } cases[] = {
      {kKeyCtrl | VK_F5, L"Ctrl+F5"},
      {kKeyAlt | kKeyCtrl | kKeyShift | 'A', L"Alt+Ctrl+Shift+A"},
      {VK_F24, L"F24"},
      {VK_NUMPAD7, L"Num 7"},
      {kKeyShift | VK_MULTIPLY, L"Shift+Num *"},
      {VK_DIVIDE, L"Num /"},
      {kKeyCtrl | VK_DECIMAL, L""},
      {VK_SEPARATOR, L""},
      {kKeyAlt | VK_RETURN, L"Alt+Enter"},
      {VK_INSERT, L"Ins"},
      {VK_SCROLL, L"Scroll Lock"},
      {kKeyCtrl | VK_OEM_COMMA, L"Ctrl+,"},
      {kKeyCtrl | VK_CONTROL, L"Ctrl+"},
      {'7', L"7"},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyName(c.keyCode), c.name) << std::hex << c.keyCode;
}

TEST(KeyNames, MenuTextsTakeTheHighestKeyAndLabelsJoinGroupAndCommand) {
  ShortcutScope scope("1619=FileSave\r\n114=FileSave\r\n");
  const struct {
    int command;
    const wchar_t* text;
    const wchar_t* result;
  } menus[] = {
      {IDM_SAVE_SETTINGS, L"&Save\tOld", L"&Save\tCtrl+Shift+S"},  // 1619 beats 595 and 114
      {IDM_NEW_LIST, L"&New\tOld", L"&New"},
      {IDM_WINDOW_LIST, L"&Window list\tX", L"&Window list\tX"},
  };
  for (const auto& c : menus) {
    wchar_t text[60];
    wcscpy(text, c.text);
    AppendShortcutToMenuText(&g_keyHookState, c.command, text, 60);
    EXPECT_STREQ(text, c.result);
  }
  EXPECT_EQ(Label({IDM_FILE_MENU, IDM_SAVE_SETTINGS, "FileSave"}), L"File - Save settings file..");
  EXPECT_EQ(Label({0, IDM_SAVE_SETTINGS, ""}), L"File - Save settings file..");
  EXPECT_EQ(Label({0, IDM_WINDOW_LIST, "TaskList"}), L"Window list");
  EXPECT_EQ(Label({0, 29999, "Cmd29999b"}), L"#29999b");
  EXPECT_EQ(Label({IDM_HELP_MENU, 29999, "NoDigit"}), L"Help");
}

TEST(KeysPage, EachCommandOnceWithItsLowestKeyAndTextsEscaped) {
  ShortcutScope scope("1619=FileSave\r\n114=FileSave\r\n");
  const std::wstring path = scope.Folder() / L"Keys.htm";
  ASSERT_EQ(WriteKeysHtml(&g_keyHookState, nullptr, path.c_str()), 0);
  const std::string page = ReadWholeFile(path);
  EXPECT_EQ(page.rfind("\xEF\xBB\xBF<html><head>\r\n<style type=\"text/css\">body {background:#FFFFFF;", 0), 0u);
  // Texts go through the page's escaping (blanks too), so that no label can break its markup.
  EXPECT_EQ(Occurrences(page, "Save&nbsp;settings&nbsp;file"), 1);
  EXPECT_NE(page.find("<td>File&nbsp;-&nbsp;Save&nbsp;settings&nbsp;file..</td><td>F3</td>"), std::string::npos);
  // The default commands but the one that lost F3, rows alternating from the light violet.
  EXPECT_EQ(Occurrences(page, "<tr bgcolor="), 10);
  EXPECT_EQ(page.find("<tr bgcolor="), page.find("<tr bgcolor=\"#f4f3fa\">"));
  EXPECT_EQ(Occurrences(page, "<tr bgcolor=\"#ffffff\">"), 5);
  EXPECT_EQ(page.substr(page.size() - 22), "</table></body></html>");
}

TEST(ShortcutPage, EveryNamedCommandHasARowAndConflictsNameTheHolder) {
  ShortcutScope scope("1619=FileSave\r\n");
  ShortcutPage page;
  int listed = 0;
  for (const CommandNameEntry& entry : kCommandNameTable) {
    if (entry.commandId == 0) continue;
    EXPECT_FALSE(page.RowsOf(entry.commandId).empty()) << entry.name;
    ++listed;
  }
  const std::vector<int> save = page.RowsOf(IDM_SAVE_SETTINGS);
  ASSERT_EQ(save.size(), 2u);
  EXPECT_EQ(page.KeyText(save[0]), L"Ctrl+S");
  EXPECT_EQ(page.KeyText(save[1]), L"Ctrl+Shift+S");
  EXPECT_EQ(page.Count(), listed + 1);

  ShortcutEditRecord record = {};
  record.list = page.List();
  record.commandId = IDM_OPEN_SETTINGS;
  const struct {
    uint16_t keyCode;
    int result;
  } cases[] = {{kCtrlS, save[0] + 1}, {kKeyShift | VK_TAB, -1}, {kKeyCtrl | VK_TAB, -1}, {VK_F12, 0}, {0, 0}};
  for (const auto& c : cases) {
    record.keyCode = c.keyCode;
    EXPECT_EQ(CheckShortcutConflict(nullptr, &record), c.result) << std::hex << c.keyCode;
  }
  record.commandId = IDM_SAVE_SETTINGS;
  record.keyCode = kCtrlS;
  EXPECT_EQ(CheckShortcutConflict(nullptr, &record), 0);
}

TEST(ShortcutPage, SavedKeysDifferFromTheDefaultsAndReservedKeysAreRefused) {
  ShortcutScope scope("");
  ShortcutPage page;
  // Ctrl+S goes from Save to Open: Save's row loses it.
  page.Focus(page.RowsOf(IDM_OPEN_SETTINGS)[0]);
  page.GiveKey(kCtrlS);
  EXPECT_EQ(page.Key(page.RowsOf(IDM_OPEN_SETTINGS)[0]), kCtrlS);
  EXPECT_EQ(page.KeyText(page.RowsOf(IDM_SAVE_SETTINGS)[0]), L"");
  // A reserved key ends the dialog as Cancel does.
  page.Focus(page.RowsOf(IDM_REFRESH_TREE)[0]);
  page.GiveKey(kKeyShift | VK_TAB);
  EXPECT_EQ(page.KeyText(page.RowsOf(IDM_REFRESH_TREE)[0]), L"F5");
  // Refresh gets a second key, the copy of Select all goes again, and Stop's only row keeps its row.
  page.Focus(page.RowsOf(IDM_REFRESH_TREE)[0]);
  ShortcutPageCommand(page.Dialog(), IDC_ENTRY_DUPLICATE);
  page.GiveKey(kKeyAlt | 'R');
  page.Focus(page.RowsOf(IDM_SELECT_ALL)[0]);
  ShortcutPageCommand(page.Dialog(), IDC_ENTRY_DUPLICATE);
  EXPECT_TRUE(IsCommandListedTwice(page.List(), IDM_SELECT_ALL));
  ShortcutPageCommand(page.Dialog(), IDC_ENTRY_REMOVE);
  EXPECT_FALSE(IsCommandListedTwice(page.List(), IDM_SELECT_ALL));
  EXPECT_EQ(page.KeyText(page.RowsOf(IDM_SELECT_ALL)[0]), L"Ctrl+A");
  page.Focus(page.RowsOf(IDM_SELECT_NONE)[0]);
  ShortcutPageCommand(page.Dialog(), IDC_ENTRY_REMOVE);
  ASSERT_EQ(page.RowsOf(IDM_SELECT_NONE).size(), 1u);
  SaveShortcutKeys(page.Dialog());

  const std::vector<std::string> keys = scope.SavedKeys();
  EXPECT_EQ(keys, (std::vector<std::string>{"595=FileOpen", "338=Refresh", "580=-"}));
  EXPECT_EQ(ShortcutCommandOfKey(&g_keyHookState, kCtrlS), IDM_OPEN_SETTINGS);
  EXPECT_EQ(ShortcutCommandOfKey(&g_keyHookState, kKeyAlt | 'R'), IDM_REFRESH_TREE);
  EXPECT_EQ(ShortcutCommandOfKey(&g_keyHookState, kKeyCtrl | 'D'), 0);
}

TEST(ShortcutPage, TheKeyDialogNamesTheCommandOfTheRowItEdits) {
  ShortcutScope scope("");
  ShortcutPage page;
  for (const int command : {IDM_OPEN_SETTINGS, IDM_REFRESH_TREE}) {
    const int row = page.RowsOf(command)[0];
    wchar_t label[kKeyNameCapacity];
    ListViewGetItemText(page.List(), row, 0, label, kKeyNameCapacity);
    page.Focus(row);
    std::wstring shown;
    DialogAction look([&shown](HWND key) {
      shown = DialogItemText(key, IDC_SHORTCUT_COMMAND);
      PressDialogButton(key, IDCANCEL);
    });
    EditShortcutOfFocusedRow(page.Dialog());
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown, label);
  }
}

TEST(ShortcutPage, ACommandKeepsItsDefaultKeyBesideARowWithout) {
  ShortcutScope scope("");
  ShortcutPage page;
  page.Focus(page.RowsOf(IDM_SAVE_SETTINGS)[0]);
  ShortcutPageCommand(page.Dialog(), IDC_ENTRY_DUPLICATE);
  ASSERT_EQ(page.RowsOf(IDM_SAVE_SETTINGS).size(), 2u);
  SaveShortcutKeys(page.Dialog());
  EXPECT_TRUE(scope.SavedKeys().empty());
  EXPECT_EQ(ShortcutCommandOfKey(&g_keyHookState, kCtrlS), IDM_SAVE_SETTINGS);
}

TEST(KeyHook, WindowsKeyWithAltBringsTheMainWindowBackOnlyWhenTheUserAgrees) {
  ProgramStateScope state;
  state->uiStrings = LoadResourceLibrary()->languages[0].table;
  HWND window = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 6000, 5000, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const HWND previousMain = g_mainWindow;
  g_mainWindow = window;
  const LPARAM winWithAlt = static_cast<LPARAM>(KF_ALTDOWN) << 16 | 1;
  RECT place = {};
  for (const int answer : {IDNO, IDYES}) {
    DialogWatcher box(GetCurrentProcessId(), answer);
    const LRESULT result = KeyboardHookProc(HC_ACTION, VK_LWIN, winWithAlt);
    EXPECT_EQ(box.Answered(), 1);
    EXPECT_EQ(box.LastText(), L"Move the main window back onto the screen?");
    GetWindowRect(window, &place);
    if (answer == IDNO) {
      EXPECT_EQ(place.left, 6000) << "the key goes on and the window stays";
    } else {
      EXPECT_EQ(result, 1) << "the key is taken";
      EXPECT_LT(place.right, GetSystemMetrics(SM_CXSCREEN) + 1);
      EXPECT_LT(place.bottom, GetSystemMetrics(SM_CYSCREEN) + 1);
    }
  }
  g_mainWindow = previousMain;
  DestroyWindow(window);
}
