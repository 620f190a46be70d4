// The menu-icon holder: finding a command's image, measuring owner-drawn menu items, and building the image
// list from the program's icons.
#include "foundation/win32/menu_icons.h"

#include <gtest/gtest.h>

#include "foundation/win32/icons.h"
#include "foundation/win32/menus.h"

TEST(MenuIcons, CommandImageComesFromTheFirstEntryBeforeTheEnd) {
  MenuIconEntry table[] = {{101, 0}, {105, 4}, {0, 0}, {106, 7}};
  MenuIconHelper helper = {nullptr, table, nullptr};
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 105), 4);
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 106), -1);
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 999), -1);
  helper.table = nullptr;
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 101), -1);
}

TEST(MenuIcons, MeasuredWidthLeavesRoomForTheIconColumn) {
  struct Case {
    uint32_t measure;  // height | extra << 8 | text << 16
    int listIconSize;  // 0: no image list
    UINT width;
    UINT height;
  };
  const Case cases[] = {
      {0 | 0 << 8 | 40u << 16, 24, 42, 0},
      {20 | 30 << 8 | 100u << 16, 24, 180, 20},
      {20 | 30 << 8 | 100u << 16, 0, 172, 20},
  };
  for (const Case& c : cases) {
    MenuIconHelper helper = {c.listIconSize ? CreateIconImageList(c.listIconSize, 0, kKeepBackground) : nullptr,
                             nullptr, nullptr};
    MenuItemRecord record = {};
    record.measure = c.measure;
    MEASUREITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.itemData = reinterpret_cast<ULONG_PTR>(&record);
    EXPECT_EQ(MeasureOwnerDrawnMenuItem(&helper, &item), 1);
    EXPECT_EQ(item.itemWidth, c.width) << std::hex << c.measure;
    EXPECT_EQ(item.itemHeight, c.height);
    DestroyMenuIconHelper(&helper);
  }
  MEASUREITEMSTRUCT withoutData = {};
  EXPECT_EQ(MeasureOwnerDrawnMenuItem(nullptr, &withoutData), 0);
}

TEST(MenuIcons, ImageListHoldsTheIconsThatLoadedAndKeepingLeavesTheHolderAlone) {
  // Icons 101 and 102 are the program's own; 30999 does not exist.
  const uint16_t pairs[] = {101, 101, 30999, 30999, 102, 102, 0};
  MenuIconHelper helper = {};
  HIMAGELIST list = MenuIconsLoadImageList(&helper, GetModuleHandleW(nullptr), 0, pairs, 20, false);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(helper.imageList, list);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  EXPECT_EQ(ImageListIconWidth(list), 20);
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 101), 0);
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 102), 1);
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 30999), -1);

  HIMAGELIST kept = MenuIconsLoadImageList(&helper, GetModuleHandleW(nullptr), 0, pairs, 16, true);
  ASSERT_NE(kept, nullptr);
  EXPECT_NE(kept, list);
  EXPECT_EQ(helper.imageList, list);
  EXPECT_EQ(MenuIconIndexForCommand(&helper, 102), 1);
  ImageList_Destroy(kept);
  DestroyMenuIconHelper(&helper);
  EXPECT_EQ(helper.imageList, nullptr);
  EXPECT_EQ(helper.table, nullptr);
}
