#include "resources/qvrxres/menus.h"

#include "foundation/ui/command_ids.h"

// Every id is a command of the main window and names the item's text; a pop-up's id names its title.
namespace {

constexpr MenuDefinitionEntry kSeparator = {kMenuSeparatorId, kMenuSeparatorType, nullptr};
constexpr MenuDefinitionEntry kEnd = {0, 0, nullptr};

// The recent settings files are inserted before Exit, so it stays the file menu's last item.
const MenuDefinitionEntry kFileMenu[] = {
    {IDM_NEW_LIST, 0, nullptr}, {IDM_OPEN_SETTINGS, 0, nullptr}, {IDM_SAVE_SETTINGS, 0, nullptr}, kSeparator,
    {IDM_RENAME_IN_PLACE, 0, nullptr}, {IDM_START_RENAMING, 0, nullptr}, {IDM_STOP, 0, nullptr},
    {IDM_UNDO, 0, nullptr}, kSeparator,
    {IDM_EXPORT_LIST, 0, nullptr}, {IDM_SHOW_IN_FILE_MANAGER, 0, nullptr}, {IDM_ATTRIBUTES, 0, nullptr},
    {IDM_TIMESTAMPS, 0, nullptr}, {IDM_PROPERTIES, 0, nullptr}, kSeparator,
    {IDM_EXIT, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kEditMenu[] = {
    {IDM_ADD_STEP, 0, nullptr}, {IDM_EDIT_STEP, 0, nullptr}, {IDM_REMOVE_STEP, 0, nullptr}, {IDM_STEP_UP, 0, nullptr},
    {IDM_STEP_DOWN, 0, nullptr}, kSeparator,
    {IDM_SELECT_ALL, 0, nullptr}, {IDM_SELECT_NONE, 0, nullptr}, {IDM_INVERT_SELECTION, 0, nullptr}, kSeparator,
    {IDM_COPY_NAMES, 0, nullptr}, {IDM_COPY_PATHS, 0, nullptr}, {IDM_COPY_ROWS, 0, nullptr},
    {IDM_COPY_ROWS_WITH_TITLES, 0, nullptr}, kSeparator,
    {IDM_OPEN_FILES, 0, nullptr}, {IDM_RECYCLE, 0, nullptr}, kEnd,
};

// Sorting by a content field takes its items from the field list.
const MenuDefinitionEntry kSortMenu[] = {
    {IDM_SORT_NAME, 0, nullptr}, {IDM_SORT_EXTENSION, 0, nullptr}, {IDM_SORT_NEW_NAME, 0, nullptr},
    {IDM_SORT_MODIFIED, 0, nullptr}, {IDM_SORT_CREATED, 0, nullptr}, {IDM_SORT_ACCESSED, 0, nullptr},
    {IDM_SORT_SIZE, 0, nullptr}, {IDM_SORT_ATTRIBUTES, 0, nullptr}, {IDM_SORT_TYPE, 0, nullptr},
    {IDM_SORT_FOLDER, 0, nullptr}, kSeparator,
    {IDM_SORT_FIELD_FIRST, 0, kFieldListMenu}, kSeparator,
    {IDM_SORT_DESCENDING, 0, nullptr}, kEnd,
};

// The view menu must stay third: its check marks are set when the menu at position 2 opens.
const MenuDefinitionEntry kViewMenu[] = {
    {IDM_FOLDER_TREE, 0, nullptr}, {IDM_SUBFOLDERS, 0, nullptr}, {IDM_SELECTED_ONLY, 0, nullptr},
    {IDM_APPLY_FILTER, 0, nullptr}, kSeparator,
    {IDM_TOOLBAR, 0, nullptr}, {IDM_ADDRESS_BAR, 0, nullptr}, {IDM_STATUS_BAR, 0, nullptr},
    {IDM_FILE_ICONS, 0, nullptr}, kSeparator,
    {IDM_SORT_MENU, 0, kSortMenu}, kSeparator,
    {IDM_RELOAD_LIST, 0, nullptr}, {IDM_REFRESH_TREE, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kToolsMenu[] = {
    {IDM_OPEN_IN_FILE_MANAGER, 0, nullptr}, {IDM_CONNECT_DRIVE, 0, nullptr}, {IDM_DISCONNECT_DRIVE, 0, nullptr},
    kSeparator,
    {IDM_WINDOW_LIST, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kDisplayMenu[] = {
    {IDM_DISPLAY_LIGHT, 0, nullptr}, {IDM_DISPLAY_SYSTEM, 0, nullptr}, {IDM_DISPLAY_DARK, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kOptionsMenu[] = {
    {IDM_OPTIONS, 0, nullptr}, {IDM_FILTER, 0, nullptr}, {IDM_LIST_FONT, 0, nullptr},
    {IDM_TOOLBAR_BUTTONS, 0, nullptr}, {IDM_LANGUAGE, 0, nullptr},
    {IDM_DISPLAY_MENU, 0, kDisplayMenu}, kSeparator,
    {IDM_BACK_UP_SETTINGS, 0, nullptr}, {IDM_RESTORE_SETTINGS, 0, nullptr}, {IDM_RESET_SETTINGS, 0, nullptr}, kEnd,
};

const MenuDefinitionEntry kHelpMenu[] = {
    {IDM_HELP_TOPICS, 0, nullptr}, {IDM_KEYS_PAGE, 0, nullptr}, kSeparator,
    {IDM_CHECK_UPDATES, 0, nullptr}, kSeparator,
    {IDM_ABOUT, 0, nullptr}, kEnd,
};

}  // namespace

const MenuDefinitionEntry kMainMenu[] = {
    {IDM_FILE_MENU, 0, kFileMenu}, {IDM_EDIT_MENU, 0, kEditMenu}, {IDM_VIEW_MENU, 0, kViewMenu},
    {IDM_TOOLS_MENU, 0, kToolsMenu}, {IDM_OPTIONS_MENU, 0, kOptionsMenu}, {IDM_HELP_MENU, 0, kHelpMenu}, kEnd,
};

// Distinct objects: the program tells the two placeholders apart by their addresses.
const MenuDefinitionEntry kModuleListMenu[] = {kEnd};
const MenuDefinitionEntry kFieldListMenu[] = {kEnd};

const MenuDefinitionEntry kListPopupMenu[] = {
    {IDM_SELECT_ALL, 0, nullptr}, {IDM_SELECT_NONE, 0, nullptr}, {IDM_INVERT_SELECTION, 0, nullptr}, kEnd,
};
