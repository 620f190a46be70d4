// The Explorer context menu with the program's own item: the verbs handed back or run, the own item's place
// and id, free ids through submenus and the relay of menu messages, against a stand-in menu object and against
// the real shell. The test makes the menu's choice in place of the user.
#include "views/shell_context_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "foundation/files/shell_items.h"
#include "foundation/ui/command_ids.h"
#include "foundation/ui/ui_seams.h"
#include "program_state_scope.h"
#include "shell_verb_ids.h"
#include "support/temp_folder.h"
#include "support/test_window.h"
#include "ui_seams_scope.h"

namespace {

const UiStringRecord kTexts[] = {
    {-1, L"US"}, {IDM_OPEN_IN_FILE_MANAGER, L"Open in &Halvane;Show the folder in Halvane"}, {0, nullptr}};
constexpr wchar_t kOwnCaption[] = L"Open in &Halvane";

struct MenuEntry {
  UINT id;  // 0 for a separator
  int position;
  std::wstring text;
  int depth;  // 0 at the top
};

void ListItems(HMENU menu, int depth, std::vector<MenuEntry>* entries) {
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    wchar_t text[128] = {};
    MENUITEMINFOW item = {sizeof item, MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE};
    item.dwTypeData = text;
    item.cch = 127;
    GetMenuItemInfoW(menu, position, TRUE, &item);
    entries->push_back({(item.fType & MFT_SEPARATOR) ? 0 : item.wID, position, text, depth});
    if (item.hSubMenu) ListItems(item.hSubMenu, depth + 1, entries);
  }
}

// The user in front of the menu: sees it and picks an id (0 dismisses).
std::function<UINT(HMENU)> g_user;
std::vector<MenuEntry> g_shown;

BOOL WINAPI PickFromMenu(HMENU menu, UINT, int, int, HWND, LPTPMPARAMS) {
  ListItems(menu, 0, &g_shown);
  return static_cast<BOOL>(g_user(menu));
}

const MenuEntry* Shown(const wchar_t* text) {
  const auto found = std::find_if(g_shown.begin(), g_shown.end(), [&](const MenuEntry& e) { return e.text == text; });
  return found != g_shown.end() ? &*found : nullptr;
}

// A stand-in for a shell extension's menu object: items at offsets with their verbs (null: GetCommandString
// fails; -1: a separator; a submenu holds the offsets in `inside`), and a record of what it was asked.
struct CannedItem {
  int offset;
  const wchar_t* verb;
  std::vector<int> inside;
};

class FakeMenu : public IContextMenu3 {
 public:
  explicit FakeMenu(std::vector<CannedItem> items) : items_(std::move(items)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    const bool known = id == IID_IUnknown || id == IID_IContextMenu || id == IID_IContextMenu2 ||
                       id == IID_IContextMenu3;
    *object = known ? this : nullptr;
    if (known) AddRef();
    return known ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT, UINT first, UINT, UINT flags) override {
    queryFlags = flags;
    for (const CannedItem& item : items_) {
      HMENU submenu = item.inside.empty() ? nullptr : CreatePopupMenu();
      for (int offset : item.inside) AppendMenuW(submenu, MF_STRING, first + offset, L"inner");
      if (submenu) AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), L"sub");
      if (!submenu) AppendMenuW(menu, item.offset < 0 ? MF_SEPARATOR : MF_STRING, first + item.offset, L"item");
    }
    return refuse ? E_FAIL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    invoked = IS_INTRESOURCE(info->lpVerb) && info->nShow == SW_SHOWNORMAL ? LOWORD(info->lpVerb) : -2;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR name, UINT capacity) override {
    for (const CannedItem& item : items_) {
      const bool inside = std::count(item.inside.begin(), item.inside.end(), static_cast<int>(offset)) > 0;
      if ((item.offset != static_cast<int>(offset) && !inside) || type != GCS_VERBW || !item.verb) continue;
      lstrcpynW(reinterpret_cast<wchar_t*>(name), item.verb, static_cast<int>(capacity));
      return S_OK;
    }
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT message, WPARAM, LPARAM) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    relayed.push_back(message);
    *result = 77;
    return message == WM_MENUCHAR ? E_NOTIMPL : S_OK;
  }

  ULONG references = 1;
  UINT queryFlags = 0;
  bool refuse = false;
  int invoked = -1;
  std::vector<UINT> relayed;

 private:
  std::vector<CannedItem> items_;
};

// Open, a separator, cut, delete, rename, properties, a verb in other case, an item without a verb, a submenu.
const std::vector<CannedItem> kShellItems = {{0, L"open", {}},   {-1, nullptr, {}},      {1, L"cut", {}},
                                             {5, L"delete", {}}, {6, L"rename", {}},     {9, L"properties", {}},
                                             {10, L"Delete", {}}, {11, nullptr, {}},     {12, nullptr, {20}}};

class ShellContextMenu : public testing::Test {
 protected:
  ShellContextMenu() {
    state_.UseTexts(kTexts);
    g_uiSeams.trackPopupMenuEx = PickFromMenu;
    g_shown.clear();
  }

  ProgramStateScope state_;
  UiSeamsScope seams_;
  OwnedWindow owner_{CreateTestPopup(0, 0, 10, 10)};
};

}  // namespace

TEST_F(ShellContextMenu, VerbsAreHandedBackOnlyWhenAskedForAndEveryOtherCommandIsRunByTheShell) {
  constexpr int kOwn = -3;
  constexpr int kNone = -1;
  struct Case {
    uint32_t flags;
    int chosen;  // an offset, kOwn for the own item, kNone to dismiss
    int result;
    int invoked;  // the offset InvokeCommand got, kNone when not called
    bool refuse = false;
  };
  const Case cases[] = {
      {0x8, 5, 8, kNone},    {0x0, 5, 0, 5},          {0x4, 6, 4, kNone},     {0x1001, 6, 0, 6},
      {0x1, 0, 1, kNone},    {0x100d, 9, 0, 9},       {0x8, 10, 0, 10},       {0x100d, 11, 0, 11},
      {0x100d, 20, 0, 20},   {0x1000, kOwn, 4096, kNone}, {0x100d, kNone, 0, kNone},
      {0x100d, 9, 0, kNone, true},  // the menu object refuses to fill the menu: nothing is shown
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << " offset " << c.chosen);
    FakeMenu menu(kShellItems);
    menu.refuse = c.refuse;
    bool shown = false;
    g_user = [&](HMENU popup) -> UINT {
      shown = true;
      LRESULT answer = 0;
      EXPECT_TRUE(RelayShellMenuMessage(owner_.get(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0, &answer));
      EXPECT_EQ(answer, 77);
      // Unhandled by the shell, the message still belongs to its menu: the default answer.
      EXPECT_TRUE(RelayShellMenuMessage(owner_.get(), WM_MENUCHAR, 'Q', reinterpret_cast<LPARAM>(popup), &answer));
      EXPECT_EQ(answer, DefWindowProcW(owner_.get(), WM_MENUCHAR, 'Q', reinterpret_cast<LPARAM>(popup)));
      EXPECT_FALSE(RelayShellMenuMessage(owner_.get(), WM_DRAWITEM, 5, 0, &answer)) << "a control's drawing";
      return c.chosen == kOwn ? IDM_OPEN_IN_FILE_MANAGER : c.chosen == kNone ? 0 : 1 + c.chosen;
    };
    EXPECT_EQ(RunShellContextMenu(owner_.get(), &menu, c.flags), c.result);
    EXPECT_EQ(shown, !c.refuse);
    EXPECT_EQ(menu.invoked, c.invoked);
    EXPECT_EQ(menu.queryFlags, CMF_EXPLORE | ((c.flags & 0x4) ? CMF_CANRENAME : 0u));
    EXPECT_EQ(menu.references, 1u) << "every interface taken is given back";
    LRESULT answer = 0;
    EXPECT_FALSE(RelayShellMenuMessage(owner_.get(), WM_INITMENUPOPUP, 0, 0, &answer)) << "nothing after the menu";
  }
}

TEST_F(ShellContextMenu, TheOwnItemStandsBelowTheFirstSeparatorAndNeverTakesAnIdTheShellUses) {
  struct Case {
    uint32_t flags;
    std::vector<CannedItem> items;
    UINT ownId;  // 0: no own item
    int ownPosition;
  };
  const Case cases[] = {
      {0x100d, kShellItems, IDM_OPEN_IN_FILE_MANAGER, 2},
      {0x000d, kShellItems, 0, 0},
      // The shell's item takes the own id.
      {0x1000, {{0, L"open", {}}, {IDM_OPEN_IN_FILE_MANAGER - 1, L"x", {}}, {-1, nullptr, {}}},
       IDM_OPEN_IN_FILE_MANAGER + 1 + 777, 3},
      // The same in a submenu; no separator.
      {0x1000, {{0, L"open", {}}, {2, nullptr, {IDM_OPEN_IN_FILE_MANAGER - 1}}}, IDM_OPEN_IN_FILE_MANAGER + 1 + 777, 0},
  };
  for (const Case& c : cases) {
    FakeMenu menu(c.items);
    g_shown.clear();
    g_user = [](HMENU) -> UINT { return IDM_OPEN_IN_FILE_MANAGER; };
    const int result = RunShellContextMenu(owner_.get(), &menu, c.flags);
    const MenuEntry* own = Shown(kOwnCaption);
    ASSERT_EQ(own != nullptr, c.ownId != 0);
    if (own) EXPECT_EQ(own->id, c.ownId);
    if (own) EXPECT_EQ(own->position, c.ownPosition);
    // The own id stays the shell's when the shell uses it: choosing that item runs it.
    EXPECT_EQ(result, c.ownId == IDM_OPEN_IN_FILE_MANAGER ? 4096 : 0);
    EXPECT_EQ(menu.invoked, c.ownId == IDM_OPEN_IN_FILE_MANAGER ? -1 : IDM_OPEN_IN_FILE_MANAGER - 1);
  }
}

TEST(MenuFreeCommandId, TheWantedIdUnlessAnItemOrASubmenuItemUsesIt) {
  struct Case {
    std::vector<UINT> top;  // 0 stands for a separator
    std::vector<UINT> inside;
    UINT expected;
    int separator;
  };
  const Case cases[] = {
      {{1, 172, 300}, {}, 1078, -1}, {{1, 2}, {}, 172, -1}, {{1}, {172}, 950, -1}, {{1, 0, 5}, {}, 172, 1}};
  for (const Case& c : cases) {
    HMENU menu = CreatePopupMenu();
    for (UINT id : c.top) AppendMenuW(menu, id ? MF_STRING : MF_SEPARATOR, id, L"x");
    HMENU submenu = c.inside.empty() ? nullptr : CreatePopupMenu();
    for (UINT id : c.inside) AppendMenuW(submenu, MF_STRING, id, L"y");
    if (submenu) AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), L"sub");
    int separator = -2;
    EXPECT_EQ(MenuFreeCommandId(menu, &separator, 172), c.expected);
    EXPECT_EQ(separator, c.separator);
    DestroyMenu(menu);
  }
}


TEST_F(ShellContextMenu, TheRealShellsMenuOffersItsVerbsKeepsDeleteForTheProgramAndRunsCopy) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  TempFolder temp;
  const std::wstring file = temp.WriteFile(L"a.txt", "text");
  const UINT deleteId = ShellCommandOfVerb(file, L"delete");
  const UINT copyId = ShellCommandOfVerb(file, L"copy");
  ASSERT_TRUE(deleteId && copyId && ShellCommandOfVerb(file, L"open"));
  const std::wstring paths = file + L'\0';

  g_user = [&](HMENU) { return deleteId; };
  EXPECT_EQ(ShowShellContextMenu(owner_.get(), paths.c_str(), 0x100d), 8);
  EXPECT_TRUE(PathExists(file)) << "the program deletes, not the shell";
  const auto separator = std::find_if(g_shown.begin(), g_shown.end(), [](const MenuEntry& e) { return !e.id; });
  ASSERT_NE(separator, g_shown.end());
  ASSERT_NE(Shown(kOwnCaption), nullptr);
  EXPECT_EQ(Shown(kOwnCaption)->id, 172u);
  EXPECT_EQ(Shown(kOwnCaption)->position, separator->position + 1);

  HANDLE turn = CreateMutexW(nullptr, FALSE, L"QvrxTestClipboardTurn");
  ASSERT_NE(WaitForSingleObject(turn, 60000), static_cast<DWORD>(WAIT_TIMEOUT));
  g_user = [&](HMENU) { return copyId; };
  EXPECT_EQ(ShowShellContextMenu(owner_.get(), paths.c_str(), 0x100d), 0);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP)) << "the shell ran its copy verb";
  OleFlushClipboard();
  ReleaseMutex(turn);
  CloseHandle(turn);
  OleUninitialize();
}

TEST(ContextMenuPoint, TheMouseKeepsItsPointAndTheKeysOpenTheMenuAtTheItemInsideTheWindow) {
  OwnedWindow window{CreateTestPopup(100, 50, 300, 200)};
  RECT client = {};
  GetClientRect(window.get(), &client);
  POINT origin = {};
  ClientToScreen(window.get(), &origin);
  constexpr LPARAM kKeys = static_cast<LPARAM>(-1);
  struct Case {
    LPARAM position;
    bool withItem;
    RECT item;
    POINT expected;  // screen coordinates for the mouse, client coordinates for the keys
  };
  const Case cases[] = {
      {MAKELPARAM(640, 480), false, {}, {640, 480}},
      {MAKELPARAM(-20, 30), true, {5, 5, 50, 20}, {-20, 30}},  // a screen left of the first one
      {kKeys, true, {24, 40, 180, 58}, {24, 58}},
      {static_cast<LPARAM>(0xFFFFFFFF), true, {24, 40, 180, 58}, {24, 58}},
      {kKeys, true, {24, 900, 180, 918}, {24, client.bottom - 1}},  // scrolled out below
      {kKeys, true, {-70, -30, 40, -12}, {0, 0}},                   // scrolled out above and left
      {kKeys, false, {}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "item top " << c.item.top);
    const POINT at = ContextMenuPoint(window.get(), c.position, c.withItem ? &c.item : nullptr);
    const bool keys = IsKeyboardMenuPosition(c.position);
    EXPECT_EQ(at.x, c.expected.x + (keys ? origin.x : 0));
    EXPECT_EQ(at.y, c.expected.y + (keys ? origin.y : 0));
  }
}
