// The pictures compiled into the program file: the icons the program and its menus ask for, the splitter
// cursors and the sort arrows in the system's 3-D colours.
#include <windows.h>

#include <gtest/gtest.h>

#include "foundation/ui/command_ids.h"
#include "foundation/ui/resource_ids.h"

namespace {

// The program icon, the folder and problem icons, every icon of the menu-icon table, and the list editors'.
const int kIconIds[] = {IDI_PROGRAM, IDI_FOLDER_CLOSED, IDI_FOLDER_OPEN, IDI_PROBLEM, IDM_EXIT, IDM_NEW_LIST,
                        IDM_OPEN_SETTINGS, IDM_SAVE_SETTINGS, IDM_RENAME_IN_PLACE, IDM_START_RENAMING,
                        IDM_SHOW_IN_FILE_MANAGER, IDM_ATTRIBUTES, IDM_TIMESTAMPS, IDM_PROPERTIES, IDM_EXPORT_LIST,
                        IDM_STOP, IDM_UNDO, IDM_FOLDER_BACK, IDM_FOLDER_FORWARD, IDM_FOLDER_UP, IDM_REFRESH_TREE,
                        IDM_ADD_STEP, IDM_EDIT_STEP, IDM_REMOVE_STEP, IDM_STEP_UP, IDM_STEP_DOWN, IDM_FOLDER_TREE,
                        IDM_SUBFOLDERS, IDM_SELECTED_ONLY, IDM_APPLY_FILTER, IDM_SORT_MENU, IDM_OPEN_IN_FILE_MANAGER,
                        IDM_CONNECT_DRIVE, IDM_DISCONNECT_DRIVE, IDM_LIST_FONT, IDM_OPTIONS, IDM_FILTER, IDM_LANGUAGE,
                        IDM_HELP_TOPICS, IDM_KEYS_PAGE, IDM_CHECK_UPDATES, IDM_ABOUT, IDM_PATH_EDIT, IDM_PATH_COPY,
                        IDM_PATH_PASTE, 902, 701, 702, 703, 704, 705, 706};

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
