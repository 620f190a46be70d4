#include "shell/options_pages.h"

#include "foundation/core/app_state.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_text_ids.h"
#include "foundation/win32/dialog_controls.h"
#include "foundation/win32/window_wrappers.h"

namespace {

constexpr int kGeneralControls[] = {kTextSettingsPageGeneral,
                                    IDC_OPT_FULL_ROW,
                                    IDC_OPT_COLUMN_LINES,
                                    IDC_OPT_GRID_LINES,
                                    IDC_OPT_HOVER_ROW,
                                    IDC_OPT_ONE_CLICK,
                                    IDC_OPT_ON_TOP,
                                    IDC_OPT_SIZE_UNITS,
                                    IDC_OPT_SECONDS,
                                    IDC_OPT_NATURAL_ORDER,
                                    IDC_OPT_INFO_TIPS,
                                    IDC_OPT_FILE_TYPE,
                                    IDC_OPT_EXPLORER_VERBS,
                                    0};
constexpr int kIconControls[] = {kTextSettingsPageIcons, IDC_OPT_MENU_ICON_LABEL, IDC_OPT_MENU_ICON_SIZE,
                                 IDC_ICON_SIZE_LABEL,    IDC_ICON_SIZE,           IDC_OPT_MENU_ICONS,
                                 IDC_OPT_FILE_ICONS,     0};
constexpr int kColourControls[] = {kTextSettingsPageColours, IDC_COLOUR_TEXT,    IDC_COLOUR_BACKGROUND,
                                   IDC_COLOUR_OWN,           IDC_COLOUR_PREVIEW, 0};
// The column page's title id is also the id of its toolbar.
constexpr int kColumnControls[] = {IDC_COLUMN_TOOLBAR,  IDC_COLUMN_AVAILABLE_LABEL, IDC_COLUMN_CHOSEN_LABEL,
                                   IDC_CHECK_AVAILABLE, IDC_CHECK_CHOSEN,           0};
constexpr int kShortcutControls[] = {kTextSettingsPageShortcuts, IDC_SHORTCUT_LIST, IDC_SHORTCUT_TOOLBAR, 0};
constexpr int kPluginControls[] = {kTextContentPlugins, IDC_PLUGIN_LIST, IDC_PLUGIN_TOOLBAR, 0};

// Help topics of the pages, in page order.
constexpr int kPageHelpTopics[kOptionsPageCount] = {20, 0, 0, 21, 23, 22};

}  // namespace

const int* const kOptionsPages[kOptionsPageCount + 1] = {kGeneralControls, kIconControls,     kColourControls,
                                                         kColumnControls,  kShortcutControls, kPluginControls,
                                                         nullptr};

const OptionBox kOptionBoxes[] = {
    {IDC_OPT_FULL_ROW, kOptionFullRowSelect, false},     {IDC_OPT_COLUMN_LINES, kOptionColumnLines, false},
    {IDC_OPT_GRID_LINES, kOptionGridLines, false},       {IDC_OPT_HOVER_ROW, kOptionNoHoverColour, true},
    {IDC_OPT_ONE_CLICK, kOptionItemActivation, false},   {IDC_OPT_ON_TOP, kOptionAlwaysOnTop, false},
    {IDC_OPT_MENU_ICONS, kOptionSystemMenus, true},      {IDC_OPT_SIZE_UNITS, kOptionPlainSizes, true},
    {IDC_OPT_SECONDS, kOptionCompareModeOne, false},     {IDC_OPT_NATURAL_ORDER, kOptionNaturalNumberOrder, false},
    {IDC_OPT_INFO_TIPS, kOptionNoInfoTips, true},        {IDC_OPT_FILE_TYPE, kOptionSettingsFileType, false},
    {IDC_OPT_EXPLORER_VERBS, kOptionExplorerVerbs, false}, {IDC_OPT_FILE_ICONS, kOptionFileIconsOff, true},
};
const int kOptionBoxCount = static_cast<int>(sizeof kOptionBoxes / sizeof kOptionBoxes[0]);

bool IsOptionBoxTicked(const OptionBox& box, uint32_t options) {
  return ((options & box.bit) != 0) != box.setWhenClear;
}

uint32_t SetOptionByBox(const OptionBox& box, uint32_t options, bool ticked) {
  return ticked != box.setWhenClear ? options | box.bit : options & ~box.bit;
}

void TickOptionBoxes(HWND dialog, uint32_t options) {
  for (const OptionBox& box : kOptionBoxes) {
    if (IsOptionBoxTicked(box, options)) CheckDlgButtonOn(dialog, box.id);
  }
}

uint32_t ReadOptionBoxes(HWND dialog, uint32_t options) {
  for (const OptionBox& box : kOptionBoxes) {
    options = SetOptionByBox(box, options, IsDlgButtonCheckedById(dialog, box.id) == BST_CHECKED);
  }
  return options;
}

void ShowOptionsPage(HWND dialog, int page) {
  if (page < 0 || page >= kOptionsPageCount) page = kGeneralPage;
  g_app->optionsPage = static_cast<uint16_t>(page);
  for (int shown = 0; shown < kOptionsPageCount; ++shown) {
    const int command = shown == page ? SW_SHOW : SW_HIDE;
    for (const int* id = kOptionsPages[shown]; *id != 0; ++id) ShowWindowCmd(GetDialogItem(dialog, *id), command);
  }
}

int GetOptionsPageHelpTopic() {
  const int page = g_app ? g_app->optionsPage : 0;
  return page < kOptionsPageCount ? kPageHelpTopics[page] : 0;
}

uint32_t OptionEffects(const OptionValues& before, const OptionValues& after) {
  const uint32_t changed = before.options ^ after.options;
  uint32_t effects = 0;
  if (changed & kOptionSystemMenus) effects |= kRebuildMenu;
  const bool icons = (changed & kOptionFileIconsOff) || before.listIconSize != after.listIconSize;
  effects |= icons ? kRecreateTree : kRestyleLists;
  if (changed & kOptionPlainSizes) effects |= kRefreshSizeTexts;
  if (before.listIconSize != after.listIconSize) effects |= kStoreListIcons;
  if (before.menuIconSize != after.menuIconSize) effects |= kStoreMenuIcons;
  if (changed) effects |= kStoreOptions;
  if (effects & (kRecreateTree | kStoreListIcons | kStoreMenuIcons | kStoreOptions)) effects |= kSaveStore;
  return effects;
}
