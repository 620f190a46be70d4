// The pages of the options dialog and what its answers mean: the six pages with their controls, the check
// boxes of the option bits, the icon sizes, the help topic of the page last shown, and the effects a changed
// option word or icon size has once the dialog is closed with OK.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kOptionsPageCount = 6;
constexpr int kGeneralPage = 0;
constexpr int kIconsPage = 1;
constexpr int kColoursPage = 2;
constexpr int kColumnsPage = 3;
constexpr int kShortcutsPage = 4;
constexpr int kPluginsPage = 5;

// Each page's title text id, then its control ids, 0-terminated; the lists end with null.
extern const int* const kOptionsPages[kOptionsPageCount + 1];

// A check box and its option bit; some set the bit when they are clear.
struct OptionBox {
  int id;
  uint32_t bit;
  bool setWhenClear;
};
extern const OptionBox kOptionBoxes[];
extern const int kOptionBoxCount;

// Whether a box shows ticked for the option word, and the option word after the box was ticked or cleared.
bool IsOptionBoxTicked(const OptionBox& box, uint32_t options);
uint32_t SetOptionByBox(const OptionBox& box, uint32_t options, bool ticked);

// Ticks the boxes from the option word; reads them back into it.
void TickOptionBoxes(HWND dialog, uint32_t options);
uint32_t ReadOptionBoxes(HWND dialog, uint32_t options);

// Shows the controls of `page` (and hides every other page's) and keeps it as the page last shown.
void ShowOptionsPage(HWND dialog, int page);
// The help topic of the page last shown: 20 general, 21 columns, 23 shortcuts, 22 plug-ins, else 0 (the help
// file's first page).
int GetOptionsPageHelpTopic();

// What the dialog leaves behind, compared before and after.
struct OptionValues {
  uint32_t options;
  uint16_t listIconSize;
  uint16_t menuIconSize;
};

// What follows a change, as bits.
constexpr uint32_t kRebuildMenu = 0x1;        // menus drawn by the system or by the program
constexpr uint32_t kRecreateTree = 0x2;       // file icons or their size: tree and icons made again
constexpr uint32_t kRestyleLists = 0x4;       // otherwise the lists take their style bits again
constexpr uint32_t kRefreshSizeTexts = 0x8;   // sizes in units or as plain numbers
constexpr uint32_t kStoreListIcons = 0x10;    // "Icon"
constexpr uint32_t kStoreMenuIcons = 0x20;    // "IconMn", and the menu icons at the new size
constexpr uint32_t kStoreOptions = 0x40;      // "Opt"
constexpr uint32_t kSaveStore = 0x80;         // something was stored or the tree made again

uint32_t OptionEffects(const OptionValues& before, const OptionValues& after);
