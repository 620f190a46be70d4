// Toolbars built from button tables, with their image lists.
//
// Every builder creates a "ToolbarWindow32" child (the caller's style plus WS_CHILD, WS_CLIPSIBLINGS,
// TBSTYLE_FLAT, TBSTYLE_TOOLTIPS and CCS_TOP) at position and size 0, sets its image list, adds the buttons,
// sizes it and shows it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#pragma pack(push, 1)
// One row of a compact button table, ended by a row whose command id is 0; a negative command id is a
// separator. An icon id above 0 names the button's icon resource.
struct ToolbarIconRow {
  int16_t commandId;
  int16_t iconId;
  uint8_t style;
};
#pragma pack(pop)
static_assert(sizeof(ToolbarIconRow) == 5, "toolbar table rows are 5 bytes");
static_assert(sizeof(TBBUTTON) == 32, "toolbar buttons are 32 bytes");

// The style bits every toolbar gets besides the caller's.
constexpr DWORD kToolbarStyle = WS_CHILD | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP;
static_assert(kToolbarStyle == 0x44000901, "the toolbar's own style bits");

// Where a toolbar goes. Without an instance the parent's is taken, for the window and for the resources.
struct ToolbarPlacement {
  HWND parent;
  DWORD style;
  int controlId;
  HINSTANCE instance;
};

// A toolbar and the image lists it shows, which belong to the caller.
struct ToolbarWindow {
  HWND toolbar;
  HIMAGELIST images;
  HIMAGELIST hotImages;
};

// Buttons of the system's TBBUTTON form end at the first entry whose state byte is 0.
int CountToolbarButtons(const TBBUTTON* buttons);

// The images are a bitmap strip of `buttonSize` square images (light grey transparent); a different hot
// bitmap gives the hot images. With the instance HINST_COMMCTRL the system's standard bitmap `bitmapId` is
// loaded into the toolbar instead.
ToolbarWindow CreateToolbarFromBitmap(const ToolbarPlacement& placement, const TBBUTTON* buttons, int bitmapId,
                                      int hotBitmapId, int imageCount, int buttonSize);

// A toolbar of the buttons with its image list still empty, so that it shows before its icons are loaded: a
// button that takes an icon holds the index its icon will have; LoadToolbarButtonIcons loads them later.
ToolbarWindow CreateToolbarForLaterIcons(const ToolbarPlacement& placement, const TBBUTTON* buttons, int iconSize);
// Loads the icons of a toolbar made by CreateToolbarForLaterIcons into its image list and repaints it: one icon
// of `iconSize` per button whose command id is not 0 and whose image index is not negative, loaded from the
// icon resource of the command id; the button's image index becomes the icon's index (-1 when it could not be
// loaded).
void LoadToolbarButtonIcons(const ToolbarWindow& toolbar, HINSTANCE instance, int iconSize);

// The same in three steps, so that the loading runs on another thread: the buttons are read on the toolbar's
// thread (ReadToolbarIcons), the icons loaded on any thread into an image list no window shows meanwhile
// (LoadToolbarIconsInto), and the buttons take their indexes on the toolbar's thread again, after the list was
// given to the toolbar (SetToolbarIconIndexes).
struct ToolbarIcons {
  int count;      // buttons of the toolbar; 0 when it could not be read
  int* commands;  // heap, per button: the command whose icon it shows, 0 for none
  int* indexes;   // heap, per button: that icon's index in the list, -1 when it could not be loaded
};
ToolbarIcons ReadToolbarIcons(HWND toolbar);
void LoadToolbarIconsInto(ToolbarIcons* icons, HIMAGELIST images, HINSTANCE instance, int iconSize);
void SetToolbarIconIndexes(HWND toolbar, const ToolbarIcons& icons);
void FreeToolbarIcons(ToolbarIcons* icons);

// The buttons of a compact table: enabled, with the row's style, the command id (0 for separators) and the
// icon of the row's icon id.
ToolbarWindow CreateToolbarFromIconTable(const ToolbarPlacement& placement, const ToolbarIconRow* rows,
                                         int iconSize);

// Destroys the toolbar window and its image lists; the record is empty afterwards.
void DestroyToolbar(ToolbarWindow* toolbar);
