// Menus built and queried, accelerators of owner-drawn items, pop-ups at the cursor, context-menu commands.
#include "foundation/win32/menus.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "foundation/text/bounded_text.h"
#include "support/process_driver.h"
#include "support/test_window.h"

namespace {

MenuItemRecord Record(uint16_t id, const wchar_t* text) {
  MenuItemRecord record = {};
  record.commandId = id;
  CopyWideString(text, record.text, 60);
  return record;
}

// Answers the menu loop by keys: down to the second item, then Enter.
void CALLBACK ChooseSecondItem(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND popup = FindProcessWindow(GetCurrentProcessId(), L"#32768", [](HWND w) { return IsWindowVisible(w) != 0; });
  PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

// A context menu that records the command it is asked to run.
class RecordingContextMenu : public IContextMenu {
 public:
  explicit RecordingContextMenu(HRESULT answer) : answer_(answer) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    received = *reinterpret_cast<CMINVOKECOMMANDINFOEX*>(info);
    return answer_;
  }
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) override { return E_NOTIMPL; }
  CMINVOKECOMMANDINFOEX received = {};

 private:
  HRESULT answer_;
};

}  // namespace

TEST(Menus, ItemsAreAppendedAndReadBackByPosition) {
  HMENU sub = CreatePopupMenu();
  HMENU menu = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuItem(menu, 10, L"&Open", MFT_STRING, MFS_ENABLED, 0x55, nullptr));
  ASSERT_TRUE(AppendMenuItem(menu, 0, nullptr, 0, 0, 0, nullptr));
  ASSERT_TRUE(AppendMenuItem(menu, 11, L"Sa&ve", MFT_STRING, MFS_DISABLED, 0, nullptr));
  ASSERT_TRUE(AppendMenuItem(menu, 12, L"More", MFT_STRING, 0, 0, sub));
  EXPECT_EQ(GetMenuItemCount(menu), 4);

  MENUITEMINFOW info;
  wchar_t text[32];
  ASSERT_TRUE(MenuGetItemInfoByPosition(menu, 0, MIIM_ID | MIIM_STRING | MIIM_DATA, &info, text, 32));
  EXPECT_EQ(info.wID, 10u);
  EXPECT_EQ(info.dwItemData, 0x55u);
  EXPECT_STREQ(text, L"&Open");
  ASSERT_TRUE(MenuGetItemInfoByPosition(menu, 1, MIIM_FTYPE, &info, nullptr, 0));
  EXPECT_NE(info.fType & MFT_SEPARATOR, 0u);
  ASSERT_TRUE(MenuGetItemInfoByPosition(menu, 2, MIIM_STATE, &info, nullptr, 0));
  EXPECT_NE(info.fState & MFS_DISABLED, 0u);
  ASSERT_TRUE(MenuGetItemInfoByPosition(menu, 3, MIIM_SUBMENU, &info, nullptr, 0));
  EXPECT_EQ(info.hSubMenu, sub);

  // The system is told one character less than the buffer holds, so the text always ends inside it.
  wchar_t small[4] = {L'x', L'x', L'x', L'x'};
  ASSERT_TRUE(MenuGetItemInfoByPosition(menu, 0, MIIM_STRING, &info, small, 4));
  EXPECT_STREQ(small, L"&O");
  EXPECT_EQ(small[3], L'x');

  SetMenuItemChecked(menu, 11, true);
  EXPECT_NE(GetMenuState(menu, 11, MF_BYCOMMAND) & MF_CHECKED, 0u);
  SetMenuItemChecked(menu, 11, false);
  EXPECT_EQ(GetMenuState(menu, 11, MF_BYCOMMAND) & MF_CHECKED, 0u);
  DestroyMenu(menu);

  wchar_t cleared[8] = L"old";
  EXPECT_FALSE(MenuGetItemInfoByPosition(nullptr, 0, MIIM_STRING, &info, cleared, 8));
  EXPECT_STREQ(cleared, L"");
  EXPECT_FALSE(AppendMenuItem(nullptr, 1, L"x", 0, 0, 0, nullptr));
  SetMenuItemChecked(nullptr, 1, true);
}

TEST(Menus, AcceleratorOfOwnerDrawnItemsIsFoundInTheirRecords) {
  MenuItemRecord records[] = {Record(20, L"&Open"), Record(21, L"Sa&ve as.."), Record(22, L"E&xit")};
  HMENU menu = CreatePopupMenu();
  AppendMenuItem(menu, 19, L"&Vanilla", MFT_STRING, 0, 0, nullptr);
  for (MenuItemRecord& record : records) {
    AppendMenuItem(menu, record.commandId, record.text, MFT_OWNERDRAW, 0, reinterpret_cast<ULONG_PTR>(&record),
                   nullptr);
  }
  // The plain item without a record is passed over.
  EXPECT_EQ(FindMenuAccelerator(L'v', 0, menu), MAKELRESULT(2, MNC_EXECUTE));
  EXPECT_EQ(FindMenuAccelerator(L'X', MF_POPUP, menu), MAKELRESULT(3, MNC_EXECUTE));
  EXPECT_EQ(FindMenuAccelerator(L'o', 0, menu), MAKELRESULT(1, MNC_EXECUTE));
  EXPECT_EQ(FindMenuAccelerator(L'q', 0, menu), 0);
  EXPECT_EQ(FindMenuAccelerator(L'o', MF_SYSMENU, menu), 0);
  EXPECT_EQ(FindMenuAccelerator(L'o', MF_POPUP | MF_SYSMENU, menu), 0);
  EXPECT_EQ(FindMenuAccelerator(L'o', 0, nullptr), 0);
  DestroyMenu(menu);
}

TEST(Menus, RecordLayoutPutsTheTextAtByte18) {
  EXPECT_EQ(offsetof(MenuItemRecord, flags), 2u);
  EXPECT_EQ(offsetof(MenuItemRecord, measure), 6u);
  EXPECT_EQ(offsetof(MenuItemRecord, children), 10u);
  EXPECT_EQ(offsetof(MenuItemRecord, text), 18u);
}

TEST(Menus, StrippingAcceleratorsCutsAtTheEllipsisMarker) {
  wchar_t text[32] = L"&Save as..\tCtrl+S";
  StripMenuAccelerators(text);
  EXPECT_STREQ(text, L"Save as");
  wchar_t doubled[16] = L"A&&B &Cd";
  StripMenuAccelerators(doubled);
  EXPECT_STREQ(doubled, L"AB Cd");
  wchar_t plain[16] = L"Plain.txt";
  StripMenuAccelerators(plain);
  EXPECT_STREQ(plain, L"Plain.txt");
  StripMenuAccelerators(nullptr);
}

TEST(MenusInteractive, PopupAtTheCursorReturnsTheChosenCommandAndIsDestroyedWhenAsked) {
  OwnedWindow owner(CreateTestPopup(100, 100, 200, 200, true));
  HMENU menu = CreatePopupMenu();
  AppendMenuItem(menu, 31, L"First", MFT_STRING, 0, 0, nullptr);
  AppendMenuItem(menu, 32, L"Second", MFT_STRING, 0, 0, nullptr);
  SetTimer(nullptr, 0, 200, ChooseSecondItem);
  EXPECT_EQ(TrackPopupMenuAtCursor(menu, owner, TPM_LEFTALIGN, true, false), 32);
  EXPECT_TRUE(IsMenu(menu));

  SetTimer(nullptr, 0, 200, CloseMenu);
  EXPECT_EQ(TrackPopupMenuAtCursor(menu, owner, TPM_LEFTALIGN, true, true), 0);
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_EQ(TrackPopupMenuAtCursor(nullptr, owner, 0, true, true), 0);
}

TEST(Menus, ContextMenuCommandIsInvokedByItsOffset) {
  RecordingContextMenu menu(S_OK);
  HWND owner = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(InvokeContextMenuCommand(&menu, owner, 17), 0);
  EXPECT_EQ(menu.received.cbSize, 104u);
  EXPECT_EQ(menu.received.fMask, static_cast<DWORD>(CMIC_MASK_UNICODE));
  EXPECT_EQ(menu.received.hwnd, owner);
  EXPECT_EQ(menu.received.lpVerb, MAKEINTRESOURCEA(17));
  EXPECT_EQ(menu.received.lpVerbW, MAKEINTRESOURCEW(17));
  EXPECT_EQ(menu.received.nShow, SW_SHOWNORMAL);

  RecordingContextMenu refusing(E_FAIL);
  EXPECT_EQ(InvokeContextMenuCommand(&refusing, owner, 3), 5);
  EXPECT_EQ(InvokeContextMenuCommand(nullptr, owner, 3), 5);
}
