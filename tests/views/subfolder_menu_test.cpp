// The address bar's subfolder menus: the subfolders of a folder sorted by name with their item records, the path
// of a choice, and folders without subfolders.
#include "views/subfolder_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/providers/providers.h"
#include "program_state_scope.h"
#include "support/temp_folder.h"

namespace {

class SubfolderMenus : public testing::Test {
 protected:
  SubfolderMenus() : record_(NewSubfolderMenu(kLocalDiskIndex)), menu_(CreatePopupMenu()) { InitFileSystemProviders(); }
  ~SubfolderMenus() override {
    DestroyMenu(menu_);
    FreeSubfolderMenu(record_);
    ShutdownProviders();
  }

  std::vector<std::wstring> MenuTexts() const {
    std::vector<std::wstring> texts;
    for (int i = 0; i < GetMenuItemCount(menu_); ++i) {
      wchar_t text[300] = {};
      GetMenuStringW(menu_, static_cast<UINT>(i), text, 300, MF_BYPOSITION);
      texts.emplace_back(text);
    }
    return texts;
  }

  ProgramStateScope state_;
  TempFolder folder_;
  SubfolderMenu* record_;
  HMENU menu_;
};

}  // namespace

TEST_F(SubfolderMenus, SubfoldersComeSortedWithRecordsAndAChoiceNamesItsFolder) {
  const std::wstring longName(70, L'n');
  for (const std::wstring& name : {std::wstring(L"b"), std::wstring(L"A"), longName}) folder_.MakeFolder(name);
  folder_.WriteFile(L"file.txt", "x");
  ASSERT_EQ(BuildSubfolderMenu(record_, folder_.Path().c_str(), menu_, true), 3u);
  EXPECT_EQ(MenuTexts(), (std::vector<std::wstring>{L"A", L"b", longName}));
  ASSERT_NE(record_->items, nullptr);
  for (uint32_t i = 0; i < 3; ++i) {
    const MenuItemData& item = record_->items[i];
    EXPECT_EQ(item.commandId, i + 1);
    EXPECT_EQ(item.flags, kSubfolderItemFlags);
    EXPECT_EQ(item.owner, record_);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_ID;
    GetMenuItemInfoW(menu_, i, TRUE, &info);
    EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(&item));
    EXPECT_EQ(info.wID, i + 1);
  }
  EXPECT_EQ(std::wstring(record_->items[2].text), longName.substr(0, kSubfolderItemNameLength))
      << "the record keeps room for the terminator";

  wchar_t path[1024];
  ASSERT_EQ(SubfolderChoicePath(record_, 2, path, 1024), 0);
  EXPECT_EQ(std::wstring(path), folder_ / L"b");
  EXPECT_NE(SubfolderChoicePath(record_, 4, path, 1024), 0);
}

TEST_F(SubfolderMenus, PlainMenusHaveNoRecordsAndAFolderWithoutSubfoldersNoItems) {
  folder_.MakeFolder(L"one\\inner");
  folder_.WriteFile(L"two\\file.txt", "x");
  EXPECT_EQ(BuildSubfolderMenu(record_, folder_.Path().c_str(), menu_, false), 2u);
  EXPECT_EQ(record_->items, nullptr);
  EXPECT_EQ(MenuTexts(), (std::vector<std::wstring>{L"one", L"two"}));

  SubfolderMenu* empty = NewSubfolderMenu(kLocalDiskIndex);
  HMENU emptyMenu = CreatePopupMenu();
  EXPECT_EQ(BuildSubfolderMenu(empty, (folder_ / L"two").c_str(), emptyMenu, true), 0u);
  EXPECT_EQ(GetMenuItemCount(emptyMenu), 0);
  EXPECT_EQ(empty->items, nullptr);
  DestroyMenu(emptyMenu);
  FreeSubfolderMenu(empty);
}
