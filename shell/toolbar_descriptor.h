// The main toolbar's descriptor: which buttons it can show, which ones the user chose (value "TB" of the
// profile store), and the toolbar window once it exists. The descriptor lives for the whole process.
//
// The stored choice lists, for each chosen button in order, its fixed image number plus one, joined by ','
// ("5,0,6"); a separator is stored as 0. A number that matches no button is kept as it stands, and the
// toolbar skips it.
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
  SettingsStore* store;  // holds the chosen buttons as "TB"
  uint16_t iconSize;   // 0 until set
  uint16_t separatorId;
  uint16_t bitmapId;   // 0: one icon per button
  uint16_t hotBitmapId;
  uint16_t bitmapImageCount;
  uint16_t controlId;
  uint16_t* choice;    // heap array of command ids, 0-terminated; null until read
  // The toolbar's image lists: the window may go with its parent, the lists stay the descriptor's.
  HIMAGELIST toolbarImages;
  HIMAGELIST toolbarHotImages;
  HIMAGELIST dialogImages;
  int32_t shown;       // the layout gives the toolbar room only while it is shown
};

extern ToolbarDescriptor g_mainToolbar;

// Longest stored choice, in characters.
constexpr int kToolbarChoiceTextCapacity = 1024;

// Sets the main toolbar's descriptor up over the store: its buttons, its default choice, no window.
void InitMainToolbarDescriptor(ToolbarDescriptor* descriptor, SettingsStore* store);
// Destroys the toolbar window with its image lists, frees the choice (read again for the next window) and
// destroys the dialog's image list.
void DestroyToolbarDescriptor(ToolbarDescriptor* descriptor);

// The row of a command in the descriptor's table; null when it has none.
const ToolbarButtonRow* FindToolbarButton(const ToolbarDescriptor* descriptor, int commandId);

// The current choice becomes the stored one (read under the store's lock; a value that cannot be had counts as
// missing), or a copy of the default choice when nothing is stored.
void LoadToolbarChoice(ToolbarDescriptor* descriptor);
void CopyDefaultToolbarChoice(ToolbarDescriptor* descriptor);
// A stored text as a new heap choice (0-terminated); null when it holds no number or memory is short.
uint16_t* ParseToolbarChoice(const ToolbarDescriptor* descriptor, const char* text);
// The current choice in its stored form, cut to the capacity.
void FormatToolbarChoice(const ToolbarDescriptor* descriptor, char* text, int capacity);

// Builds the toolbar window anew: the instance is kept, a non-zero icon size too; a new choice (heap, taken
// over) replaces the current one, else the current one is read when there is none. One button per chosen
// command the table holds. The window is null when it cannot be made.
void RebuildToolbar(ToolbarDescriptor* descriptor, HINSTANCE instance, HWND parent, int iconSize,
                    uint16_t* newChoice);
// The same, but a toolbar whose icons come one by one from resources shows without them until
// LoadToolbarIcons: the start-up shows the window first.
void RebuildToolbarWithoutIcons(ToolbarDescriptor* descriptor, HINSTANCE instance, HWND parent, int iconSize,
                                uint16_t* newChoice);
void LoadToolbarIcons(ToolbarDescriptor* descriptor);
// Writes the current choice as the stored one and saves the profile store.
void SaveToolbarChoice(ToolbarDescriptor* descriptor);

// Successive integers of an 8-bit text (digits with an optional leading '-'; any other character is skipped)
// into `out` when given; their count. The numbers are kept in 16 bits.
int ParseNarrowIntegerList(const char* text, int16_t* out);
