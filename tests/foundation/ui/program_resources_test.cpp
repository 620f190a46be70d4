// The pictures compiled into the program file: the icons the program and its menus ask for, the splitter
// cursors and the sort arrows in the system's 3-D colours.
#include <windows.h>

#include <gtest/gtest.h>

#include "foundation/ui/resource_ids.h"

namespace {

// The program icon, the folder and problem icons, every icon of the menu-icon table, and the list editors'.
const int kIconIds[] = {IDI_PROGRAM, IDI_FOLDER_CLOSED, IDI_FOLDER_OPEN, IDI_PROBLEM, 101, 102, 103, 104, 105,
                        106, 175, 108, 109, 110, 107, 171, 121, 197, 198, 199, 169, 123, 124, 125, 126, 127, 161,
                        162, 163, 164, 140, 172, 178, 179, 182, 183, 184, 185, 191, 192, 194, 196, 201, 202, 203,
                        902, 701, 702, 703, 704, 705, 706};

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return bitmap.bmWidth;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, previous);
  DeleteDC(dc);
  return colour;
}

}  // namespace

TEST(ProgramResources, EveryIconComesInBothSizes) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (int id : kIconIds) {
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << "icon " << id;
      EXPECT_EQ(IconWidth(icon), size) << "icon " << id;
      DestroyIcon(icon);
    }
  }
}

TEST(ProgramResources, SplitterCursorsPointAtTheirMiddle) {
  for (int id : {IDCUR_SPLIT_VERTICAL, IDCUR_SPLIT_HORIZONTAL}) {
    HCURSOR cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    ASSERT_NE(cursor, nullptr) << "cursor " << id;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 16u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
}

TEST(ProgramResources, SortArrowsPointTheirWayInTheSystemColours) {
  struct Arrow {
    int id;
    int tipRow;   // the row of the single pixel at the tip
    int baseRow;  // the row of the nine-pixel base
  };
  const Arrow arrows[] = {{IDB_SORT_DESCENDING, 7, 3}, {IDB_SORT_ASCENDING, 3, 7}};
  for (const Arrow& arrow : arrows) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(arrow.id), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    ASSERT_NE(bitmap, nullptr) << "bitmap " << arrow.id;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 11);
    EXPECT_EQ(info.bmHeight, 11);
    EXPECT_EQ(PixelOf(bitmap, 0, 0), GetSysColor(COLOR_3DFACE)) << "bitmap " << arrow.id;
    EXPECT_EQ(PixelOf(bitmap, 5, arrow.tipRow), GetSysColor(COLOR_3DSHADOW)) << "bitmap " << arrow.id;
    EXPECT_EQ(PixelOf(bitmap, 4, arrow.tipRow), GetSysColor(COLOR_3DFACE)) << "bitmap " << arrow.id;
    EXPECT_EQ(PixelOf(bitmap, 1, arrow.baseRow), GetSysColor(COLOR_3DSHADOW)) << "bitmap " << arrow.id;
    DeleteObject(bitmap);
  }
}
