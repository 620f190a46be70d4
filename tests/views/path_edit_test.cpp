// The address bar's edit mode: completion offers the subfolders that match the typed name, a typed folder of
// its own loads its names, Enter opens a known path and refuses an unknown one, and the clipboard's text is cut
// to what the box holds. The box takes the keyboard focus, so these run alone.
#include "views/path_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/core/memory.h"
#include "foundation/providers/providers.h"
#include "foundation/ui/clipboard.h"
#include "foundation/ui/command_ids.h"
#include "pane_test_parent.h"
#include "program_state_scope.h"
#include "support/temp_folder.h"
#include "foundation/files/paths.h"

namespace {

using Entries = std::vector<std::wstring>;

class PathEditInteractive : public testing::Test {
 protected:
  PathEditInteractive() {
    InitFileSystemProviders();
    for (const wchar_t* name : {L"X\\Alpha", L"X\\alpine", L"X\\Beta", L"Y\\inner"}) folder_.MakeFolder(name);
    InitAddressBar(&bar_);
    ShowWindow(parent_.Window(), SW_SHOWNA);
    CreateAddressBar(&bar_, parent_.Window(), GetModuleHandleW(nullptr));
    MoveWindow(bar_.window, 0, 0, 600, bar_.rowHeight, TRUE);
    PathBarSetPath(&bar_, kLocalDiskIndex, (folder_ / L"X").c_str(), false);
  }
  ~PathEditInteractive() override {
    DestroyAddressBar(&bar_);
    ShutdownProviders();
  }

  HWND Combo() const { return GetDlgItem(bar_.window, kPathEditId); }

  // Types the text as the box's whole text and lets the completion run.
  Entries Type(const std::wstring& text) {
    SetWindowTextW(Combo(), text.c_str());
    AutoCompletePath(Combo(), kLocalDiskIndex);
    Entries entries;
    const int count = static_cast<int>(SendMessageW(Combo(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t entry[1024] = {};
      SendMessageW(Combo(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
      entries.emplace_back(entry);
    }
    SendMessageW(Combo(), CB_SHOWDROPDOWN, FALSE, 0);
    return entries;
  }

  void PressEnter(const std::wstring& text) {
    SetWindowTextW(Combo(), text.c_str());
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    GetComboBoxInfo(Combo(), &info);
    PostMessageW(info.hwndItem, WM_KEYDOWN, VK_RETURN, 0);
    parent_.PumpUntil([&] { return Combo() == nullptr; });
  }

  std::wstring In(const wchar_t* name) const { return folder_ / name; }

  ProgramStateScope state_;
  TempFolder folder_;
  PaneTestParent parent_{600, 200};
  AddressBar bar_ = {};
};

}  // namespace

TEST_F(PathEditInteractive, TypedNamesOfferTheMatchingSubfoldersOfTheTypedFolder) {
  SendMessageW(bar_.window, WM_COMMAND, IDM_PATH_EDIT, 0);
  const HWND combo = Combo();
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(state_->inlineEditor, combo);
  wchar_t shown[1024] = {};
  GetWindowTextW(Combo(), shown, 1024);
  EXPECT_EQ(std::wstring(shown), In(L"X"));

  struct Case {
    std::wstring typed;
    Entries offered;
  };
  const Case cases[] = {
      {In(L"X\\al"), {In(L"X\\Alpha"), In(L"X\\alpine")}},
      {In(L"X\\al*"), {In(L"X\\Alpha"), In(L"X\\alpine")}},
      {In(L"X\\B"), {In(L"X\\Beta")}},
      {In(L"X\\q"), {}},
      {In(L"nope\\al"), {}},
      {In(L"Y\\"), {In(L"Y\\inner")}},
  };
  for (const Case& c : cases) EXPECT_EQ(Type(c.typed), c.offered) << std::string(c.typed.begin(), c.typed.end());
  EXPECT_EQ(std::wstring(GetCompletionData(Combo())->folder), In(L"Y")) << "a new folder loaded its own names";
  SendMessageW(bar_.window, WM_COMMAND, IDM_PATH_PASTE, 0);
  EXPECT_EQ(Combo(), combo) << "no second box while one is open";
}

TEST_F(PathEditInteractive, EnterOpensAKnownPathAndClosesTheBoxAlsoOnAnUnknownOne) {
  SendMessageW(bar_.window, WM_COMMAND, IDM_PATH_EDIT, 0);
  PressEnter(In(L"X\\nope"));
  EXPECT_EQ(Combo(), nullptr);
  EXPECT_TRUE(parent_.Navigations().empty());
  EXPECT_EQ(state_->inlineEditor, nullptr);

  SendMessageW(bar_.window, WM_COMMAND, IDM_PATH_EDIT, 0);
  PressEnter(In(L"X\\Beta"));
  EXPECT_EQ(parent_.Navigations(), std::vector<std::wstring>{In(L"X\\Beta")});
}

TEST_F(PathEditInteractive, TheClipboardsTextIsCutToWhatTheBoxHolds) {
  ASSERT_EQ(SetClipboardText(bar_.window, std::wstring(2000, L'p').c_str()), 0u);
  SendMessageW(bar_.window, WM_COMMAND, IDM_PATH_PASTE, 0);
  ASSERT_NE(Combo(), nullptr);
  EXPECT_EQ(GetWindowTextLengthW(Combo()), kPathCapacity - 1);
}
