// The main toolbar's descriptor: which buttons it can show, which ones the user chose (value "TB" of the
// profile store), and the toolbar window once it exists. The descriptor lives for the whole process.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

struct SettingsStore;

#pragma pack(push, 1)
// One button the toolbar can show; a command id of 0 ends a table. The image number is the button's fixed
// number in the stored choice; its icon is the icon resource of the command id.
struct ToolbarButtonRow {
  int16_t commandId;
  int16_t imageNumber;
  uint8_t style;  // 1 separator, 8 drop-down, 2 check button, 0 plain
};
#pragma pack(pop)
static_assert(sizeof(ToolbarButtonRow) == 5, "toolbar button rows are 5 bytes");

struct ToolbarDescriptor {
  HWND toolbar;
  HINSTANCE instance;  // holds the icons
  HWND parent;
  DWORD extraStyle;    // added to the toolbar's own style bits
  const ToolbarButtonRow* buttons;
  const uint16_t* defaultChoice;  // command ids, 0-terminated; the separator id stands for a separator
  SettingsStore* store;
  const char* key;     // value of the stored choice in section "QVRX"
  uint16_t iconSize;   // 0 until set
  uint16_t separatorId;
  uint16_t bitmapId;   // 0: one icon per button
  uint16_t hotBitmapId;
  uint16_t bitmapImageCount;
  uint16_t controlId;
  uint16_t* choice;    // heap array of command ids, 0-terminated; null until read
  HIMAGELIST dialogImages;
  int32_t shown;       // the layout gives the toolbar room only while it is shown
};

extern ToolbarDescriptor g_mainToolbar;

// Sets the main toolbar's descriptor up over the store: its buttons, its default choice, key "TB", no window.
void InitMainToolbarDescriptor(ToolbarDescriptor* descriptor, SettingsStore* store);
// Destroys the toolbar window, frees the choice and destroys the dialog's image list.
void DestroyToolbarDescriptor(ToolbarDescriptor* descriptor);
