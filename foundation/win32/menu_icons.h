// The menu-icon holder: the image list of the icons shown in the program's owner-drawn menus, which command
// shows which image, and the menus' background brush. One holder lives for the whole process.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#pragma pack(push, 1)
// One entry of the holder's table; a command id of 0 ends the table.
struct MenuIconEntry {
  uint16_t commandId;
  uint16_t imageIndex;
};
#pragma pack(pop)
static_assert(sizeof(MenuIconEntry) == 4, "menu icon entries are 4 bytes");

struct MenuIconHelper {
  HIMAGELIST imageList;
  MenuIconEntry* table;  // heap block, or null
  HBRUSH background;     // the menus' background brush; null: the dialog background
};

// The program's one holder.
extern MenuIconHelper g_menuIcons;

// Sets the holder empty (no image list, no table, no brush).
void InitMenuIconHelper(MenuIconHelper* helper);
// Destroys the image list and frees the table.
void DestroyMenuIconHelper(MenuIconHelper* helper);

// The image index of the first table entry with the command id; -1 without a table or an entry.
int MenuIconIndexForCommand(const MenuIconHelper* helper, int commandId);

// WM_MEASUREITEM of an owner-drawn menu item whose item data is a MenuItemRecord: 0 when the item has no item
// data, else 1. The height is the record's height byte; with a height other than 0 the width is the extra
// (accelerator) width + the label width + the icon width of the holder's image list (at least 16) + 26, with
// height 0 the label width + 2.
int MeasureOwnerDrawnMenuItem(const MenuIconHelper* helper, MEASUREITEMSTRUCT* item);

// Builds a menu image list of `size` pixels. With a bitmap id, `list` holds command ids alone and the image
// of each is its position in the bitmap strip (light grey transparent); without one, `list` holds pairs of
// (command id, icon resource id) and each icon is loaded at the size. Both lists end with a 0 command id.
// Unless `keepTable`, the holder's image list and table are replaced by the new ones (a command whose icon
// could not be loaded gets no entry); with it the holder stays as it is. Returns the new image list, or null
// when none could be created.
HIMAGELIST MenuIconsLoadImageList(MenuIconHelper* helper, HINSTANCE instance, int bitmapId, const uint16_t* list,
                                  int size, bool keepTable);
