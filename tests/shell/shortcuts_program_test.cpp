// Shortcuts as a user gives them, through the system's keyboard: in the program run inside the test process
// every default and fixed key reaches its command exactly once (the commands counted on their way to the main
// window and held back there); in the real QVRX.exe the keys do what their commands do, and a key given on
// the shortcut page works after a restart and shows in the menu.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"
#include "profile_text.h"
#include "program_fixture.h"
#include "program_on_folder.h"
#include "remote_program.h"
#include "shell/keyboard_hook.h"
#include "support/system_input.h"
#include "views/items_view.h"

namespace {

struct Shortcut {
  WORD key;
  UINT modifiers;
  int command;
};

// The default table and the fixed keys.
const Shortcut kShortcuts[] = {
    {VK_F3, 0, IDM_SHOW_IN_FILE_MANAGER}, {VK_F5, 0, IDM_REFRESH_TREE}, {VK_F6, MOD_SHIFT, IDM_RENAME_IN_PLACE},
    {VK_SPACE, MOD_CONTROL, IDM_FILTER}, {VK_RETURN, MOD_ALT, IDM_PROPERTIES}, {VK_RETURN, MOD_SHIFT, IDM_ATTRIBUTES},
    {'A', MOD_CONTROL, IDM_SELECT_ALL}, {'D', MOD_CONTROL, IDM_SELECT_NONE},
    {'G', MOD_CONTROL, IDM_OPEN_IN_FILE_MANAGER}, {'I', MOD_CONTROL, IDM_INVERT_SELECTION},
    {'S', MOD_CONTROL, IDM_SAVE_SETTINGS}, {VK_TAB, 0, IDM_NEXT_PANE}, {VK_TAB, MOD_SHIFT, IDM_PREVIOUS_PANE},
    {VK_ESCAPE, 0, IDM_CANCEL},
};

// The commands the main window was sent, counted and held back before it runs them.
std::map<int, int> g_commands;
WNDPROC g_mainProc = nullptr;

LRESULT CALLBACK CountCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && lParam == 0) {
    ++g_commands[LOWORD(wParam)];
    return 0;
  }
  return CallWindowProcW(g_mainProc, window, message, wParam, lParam);
}

using ShortcutsInteractive = ProgramFixture;
using ShortcutsProgramInteractive = ProgramOnFolder;

// A command id no menu or key has, posted to mark the end of what came before it.
constexpr int kLastPosted = 0xFFFF;

// Presses a key with all its events at once: the program takes them only after they are all queued.
void SendKeyUnpaced(WORD key, WORD modifier) {
  INPUT inputs[4] = {};
  const WORD keys[4] = {modifier, key, key, modifier};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, inputs, sizeof(INPUT));
}

bool InMenuMode(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
}

int SelectedCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)); }

// Presses a key until its effect shows, for keys soon after a click: Wine takes the modifier keys' state from
// the X server once the window has the X focus, and keys given just before that lose their modifier. The key
// must do nothing more when pressed again.
bool PressUntil(WORD key, UINT modifiers, const std::function<bool()>& done) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    PressKey(key, modifiers);
    for (int i = 0; i < 50; ++i) {
      if (done()) return true;
      Sleep(20);
    }
  }
  return false;
}

}  // namespace

TEST_F(ShortcutsInteractive, EveryDefaultAndFixedKeyRunsItsCommandOnce) {
  // A second key of Invert selection: the menu names the highest key of a command.
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {"<Case,n,2>"}, "[Keys]\r\n1609=SelInv\r\n"));
  for (const auto& [command, text] : {std::pair{IDM_INVERT_SELECTION, L"&Invert selection\tCtrl+Shift+I"},
                                      {IDM_SAVE_SETTINGS, L"&Save settings file..\tCtrl+S"},
                                      {IDM_NEW_LIST, L"&New list"}}) {
    wchar_t shown[80] = {};
    GetMenuStringW(GetMenu(window_), command, shown, 80, MF_BYCOMMAND);
    EXPECT_STREQ(shown, text);
  }
  HWND files = GetDlgItem(window_, kFileListId);
  Gui([&] {
    g_commands.clear();
    g_mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountCommands)));
  });
  ClickWindow(files);
  ASSERT_TRUE(WaitForFocus(files));
  const auto countOf = [&](int command) {
    int count = 0;
    Gui([&] { count = g_commands.count(command) ? g_commands[command] : 0; });
    return count;
  };
  // A key with a modifier taken once before counting: Wine drops a modifier given before the window has the
  // X focus, which can come a while after the click.
  ASSERT_TRUE(PressUntil('A', MOD_CONTROL, [&] { return countOf(IDM_SELECT_ALL) > 0; }));
  Gui([&] { g_commands.clear(); });
  std::map<int, int> expected;
  for (const Shortcut& shortcut : kShortcuts) {
    expected[shortcut.command] = 1;
    EXPECT_TRUE(PressUntil(shortcut.key, shortcut.modifiers, [&] { return countOf(shortcut.command) > 0; }))
        << shortcut.command;
    EXPECT_FALSE(InMenuMode(window_)) << "after the key of " << shortcut.command;
  }
  // Keys that are no shortcut reach the window as they are (undo and back have none by default).
  PressKey('S');
  PressKey('Z', MOD_CONTROL);
  PressKey(VK_LEFT, MOD_ALT);
  // A Ctrl+S queued whole before the program looks at it is still Ctrl+S.
  SendKeyUnpaced('S', VK_CONTROL);
  expected[IDM_SAVE_SETTINGS] = 2;
  // F3 once more closes the keys: once its command is counted, every key before it has been taken.
  PressKey(VK_F3);
  expected[IDM_SHOW_IN_FILE_MANAGER] = 2;
  EXPECT_TRUE(WaitFor([&] { return countOf(IDM_SAVE_SETTINGS) == 2 && countOf(IDM_SHOW_IN_FILE_MANAGER) == 2; }));
  std::map<int, int> seen;
  Gui([&] { seen = g_commands; });
  EXPECT_EQ(seen, expected);

  // Only a key taken from the queue counts: a peek that leaves it there, or a code below 0, posts nothing.
  Gui([&] {
    g_commands.clear();
    const LPARAM press = 1 | (MapVirtualKeyW(VK_F5, MAPVK_VK_TO_VSC) << 16);
    KeyboardHookProc(-1, VK_F5, press);
    KeyboardHookProc(HC_NOREMOVE, VK_F5, press);
    KeyboardHookProc(HC_ACTION, VK_F5, press);
    // Queued behind whatever the calls posted: once it is counted, all of that has come.
    PostMessageW(window_, WM_COMMAND, kLastPosted, 0);
  });
  EXPECT_TRUE(WaitFor([&] { return countOf(kLastPosted) == 1; }));
  Gui([&] {
    g_commands.erase(kLastPosted);
    seen = g_commands;
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_mainProc));
  });
  EXPECT_EQ(seen, (std::map<int, int>{{IDM_REFRESH_TREE, 1}}));
}

TEST_F(ShortcutsProgramInteractive, KeysSelectFilesAndAKeyGivenOnThePageWorksAfterARestart) {
  const std::wstring files =
      Prepare({L"a.txt", L"b.txt", L"c.txt"}, "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=-<Case,n,2>\r\n");
  ProgramRun run(copy_, files);
  HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  HWND list = GetDlgItem(window, kFileListId);
  ASSERT_TRUE(run.WaitForRows(3));
  ClickWindow(list);
  ASSERT_TRUE(WaitForFocus(list));
  ASSERT_TRUE(PressUntil('A', MOD_CONTROL, [&] { return SelectedCount(list) == 3; }));
  // None, then invert once (twice would select none again); Ctrl+A also when queued whole.
  const struct {
    WORD key;
    int selected;
  } presses[] = {{'D', 0}, {'I', 3}, {'D', 0}};
  // Again until it shows: Wine may still forget a Ctrl (a lone letter changes nothing here).
  for (const auto& press : presses) {
    EXPECT_TRUE(PressUntil(press.key, MOD_CONTROL, [&] { return SelectedCount(list) == press.selected; }))
        << char(press.key);
  }
  SendKeyUnpaced('A', VK_CONTROL);
  EXPECT_TRUE(WaitUntil([&] { return SelectedCount(list) == 3; }));

  // The shortcut page of the options dialog: Invert selection gets F9.
  PostMessageW(window, WM_COMMAND, IDM_OPTIONS, 0);
  HWND page = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    page = FindProcessWindow(run.ProcessId(), L"#32770", [](HWND w) { return IsWindowVisible(w) != FALSE; });
    return page != nullptr;
  }));
  // The options dialog shows its shortcut page.
  SendDlgItemMessageW(page, IDC_OPTIONS_PAGES, LB_SETCURSEL, 4, 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_OPTIONS_PAGES, LBN_SELCHANGE), 0);
  HWND shortcuts = GetDlgItem(page, IDC_SHORTCUT_LIST);
  RemoteList labels(run.Process(), shortcuts);
  int invert = -1;
  for (int row = 0; row < labels.Count() && invert < 0; ++row) {
    if (labels.Cell(row, 0) == L"Edit - Invert selection") invert = row;
  }
  ASSERT_GE(invert, 0);
  RemoteBlock item(run.Process(), sizeof(LVITEMW));
  LVITEMW focus = {};
  focus.stateMask = focus.state = LVIS_FOCUSED | LVIS_SELECTED;
  item.Write(focus);
  SendMessageW(shortcuts, LVM_SETITEMSTATE, invert, item.Address());
  PostMessageW(page, WM_COMMAND, IDC_ENTRY_EDIT, 0);
  HWND key = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    key = FindProcessWindow(run.ProcessId(), L"#32770", [page](HWND w) { return w != page && IsWindowVisible(w); });
    return key != nullptr;
  }));
  // The dialog opens on the row's Ctrl+I.
  SendDlgItemMessageW(key, IDC_SHORTCUT_KEY, CB_SETCURSEL, VK_F9 - VK_F1, 0);
  SendDlgItemMessageW(key, IDC_SHORTCUT_CTRL, BM_SETCHECK, BST_UNCHECKED, 0);
  PostMessageW(key, WM_COMMAND, IDC_SHORTCUT_OK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(key); }));
  EXPECT_EQ(labels.Cell(invert, 1), L"F9");
  PostMessageW(page, WM_COMMAND, IDC_SHORTCUT_OK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(page); }));
  EXPECT_TRUE(WaitUntil(
      [&] { return ValueOf(SectionLines(ReadWholeFile(copy_.ProfileFile()), "Keys"), "120") == "SelInv"; }));
  EXPECT_EQ(run.Close(), 0);

  ProgramRun again(copy_, files);
  window = again.Window();
  ASSERT_NE(window, nullptr);
  list = GetDlgItem(window, kFileListId);
  ASSERT_TRUE(again.WaitForRows(3));
  ClickWindow(list);
  ASSERT_TRUE(WaitForFocus(list));
  // All, then none: each state shows only once its key was taken, and so after the click, which may have
  // selected a row.
  ASSERT_TRUE(PressUntil('A', MOD_CONTROL, [&] { return SelectedCount(list) == 3; }));
  ASSERT_TRUE(PressUntil('D', MOD_CONTROL, [&] { return SelectedCount(list) == 0; }));
  // Once only: a second press would invert the selection back.
  PressKey(VK_F9);
  EXPECT_TRUE(WaitUntil([&] { return SelectedCount(list) == 3; }));
  EXPECT_EQ(again.Close(), 0);
}

namespace {

class InPlaceRenameInteractive : public ProgramFixture {
 protected:
  // The file list takes a click, so that keys reach it.
  void ClickFileList() {
    HWND files = GetDlgItem(window_, kFileListId);
    ClickWindow(files);
    ASSERT_TRUE(WaitForFocus(files));
    // The command is posted once the list has taken the whole click: a posted message comes before a queued
    // button release, and a rename asked for while the mouse is down is no rename.
    WaitForMouseLetGo(files);
  }

  // The editor opened on the first row, with the focus; null when it did not open.
  HWND RenameFirstRow() {
    HWND editor = nullptr;
    Gui([&] { ItemsViewFocusItem(g_app->fileList, 0, false); });
    // A rename is refused while a job runs (a listing the tree's late selection started, a table growing): the
    // command is asked for again once no job runs.
    for (int ask = 0; ask < 3 && editor == nullptr; ++ask) {
      if (!WaitFor([] { return g_app->busyCounter == 0; })) return nullptr;
      PostMessageW(window_, WM_COMMAND, IDM_RENAME_IN_PLACE, 0);
      WaitFor([&] { return (editor = g_app->fileList->editor) != nullptr; });
    }
    EXPECT_NE(editor, nullptr) << "focused row " << g_app->fileList->focusedIndex << ", rows "
                               << g_app->fileList->rowCount << ", busy " << g_app->busyCounter;
    return editor != nullptr && WaitForFocus(editor) ? editor : nullptr;
  }
};

// Selected by message: Wine drops a Shift given before the editor's window has the X focus, and the typed name
// would then land after the old one.
void SelectAllOf(HWND editor) {
  SendMessageW(editor, EM_SETSEL, 0, -1);
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

}  // namespace

TEST_F(InPlaceRenameInteractive, EnterCommitsAnInPlaceRenameAndEscCancelsIt) {
  ASSERT_TRUE(Start({L"report.txt"}, {"<Case,n,2>"}));
  ClickFileList();
  const struct {
    WORD key;
    const wchar_t* listed;
  } cases[] = {{VK_ESCAPE, L"report.txt"}, {VK_RETURN, L"summary.txt"}};
  for (const auto& c : cases) {
    HWND editor = RenameFirstRow();
    ASSERT_NE(editor, nullptr);
    SelectAllOf(editor);
    TypeText(L"summary.txt");
    PressKey(c.key);
    EXPECT_TRUE(WaitFor([&] { return g_app->fileList->editor == nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return ListedNames() == std::vector<std::wstring>{c.listed}; }));
    EXPECT_EQ(Disk(), std::vector<std::wstring>{c.listed});
  }
}

TEST_F(InPlaceRenameInteractive, ANameNoFileCanTakeIsRefusedWithWhyAndTheEditorStaysOnIt) {
  ASSERT_TRUE(Start({L"report.txt"}, {"<Case,n,2>"}));
  ClickFileList();
  const struct {
    const wchar_t* typed;
    const wchar_t* why;
  } cases[] = {{L"co:lon.txt", L"invalid character :"}, {L"spaced ", L"invalid character U+0020"},
               {L"CON", L"name reserved for a device"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << Narrow(c.typed));
    HWND editor = RenameFirstRow();
    ASSERT_NE(editor, nullptr);
    SelectAllOf(editor);
    TypeText(c.typed);
    PressKey(VK_RETURN);
    HWND box = nullptr;
    const auto shown = [](HWND window) { return IsWindowVisible(window) != FALSE; };
    ASSERT_TRUE(WaitFor([&] { return (box = FindProcessWindow(GetCurrentProcessId(), L"#32770", shown)) != nullptr; }));
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)),
              L"The file cannot be given this name: " + std::wstring(c.why) + L"\r\n\r\n" + c.typed);
    // Enter answers the box, not the editor behind it.
    ASSERT_TRUE(WaitForFocus(GetDlgItem(box, IDOK)));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(WaitForFocus(editor)) << "the editor takes the focus back";
    EXPECT_EQ(g_app->fileList->editor, editor);
    EXPECT_EQ(TextOf(editor), c.typed);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return g_app->fileList->editor == nullptr; }));
    EXPECT_EQ(Disk(), std::vector<std::wstring>{L"report.txt"});
  }
}
