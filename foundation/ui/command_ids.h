// The main window's command ids: every menu item, toolbar button, shortcut and context-menu verb ends as a
// WM_COMMAND with one of these. A command's id is also the UI text number of its menu text and the resource
// number of its icon; a pop-up's id names its title. The resource scripts and the resource library include
// this header too, so the numbers are preprocessor constants.
#pragma once

// Moving the focus between the panes (Tab, Shift+Tab) and Esc.
#define IDM_NEXT_PANE 22
#define IDM_PREVIOUS_PANE 23
#define IDM_CANCEL 25

// The toolbar's separator: it stands in the toolbar choice where a separator goes.
#define IDM_TOOLBAR_SEPARATOR 98

// File.
#define IDM_FILE_MENU 100
#define IDM_EXIT 101
#define IDM_NEW_LIST 102
#define IDM_OPEN_SETTINGS 103
#define IDM_SAVE_SETTINGS 104
#define IDM_RENAME_IN_PLACE 105
#define IDM_START_RENAMING 106
#define IDM_EXPORT_LIST 107
#define IDM_ATTRIBUTES 108
#define IDM_TIMESTAMPS 109
#define IDM_PROPERTIES 110
#define IDM_OPEN_FILES 111
#define IDM_RECYCLE 112

// Edit.
#define IDM_EDIT_MENU 120
#define IDM_UNDO 121
#define IDM_ADD_STEP 123
#define IDM_EDIT_STEP 124
#define IDM_REMOVE_STEP 125
#define IDM_STEP_UP 126
#define IDM_STEP_DOWN 127
#define IDM_SELECT_ALL 130
#define IDM_SELECT_NONE 131
#define IDM_INVERT_SELECTION 132
#define IDM_COPY_NAMES 133
#define IDM_COPY_PATHS 134
#define IDM_COPY_ROWS 135
#define IDM_COPY_ROWS_WITH_TITLES 136
#define IDM_RELOAD_LIST 139

// Sort by: the file list's sort keys, in command order, the direction and sorting again by the current key.
#define IDM_SORT_MENU 140
#define IDM_SORT_NAME 141
#define IDM_SORT_EXTENSION 142
#define IDM_SORT_NEW_NAME 143
#define IDM_SORT_MODIFIED 144
#define IDM_SORT_CREATED 145
#define IDM_SORT_ACCESSED 146
#define IDM_SORT_SIZE 147
#define IDM_SORT_ATTRIBUTES 148
#define IDM_SORT_TYPE 149
#define IDM_SORT_FOLDER 150
#define IDM_SORT_FIRST IDM_SORT_NAME
#define IDM_SORT_LAST IDM_SORT_FOLDER
#define IDM_SORT_DESCENDING 152
#define IDM_SORT_AGAIN 153

// View.
#define IDM_VIEW_MENU 160
#define IDM_FOLDER_TREE 161
#define IDM_SUBFOLDERS 162
#define IDM_SELECTED_ONLY 163
#define IDM_APPLY_FILTER 164
#define IDM_TOOLBAR 165
#define IDM_ADDRESS_BAR 166
#define IDM_STATUS_BAR 167
#define IDM_FILE_ICONS 168
#define IDM_REFRESH_TREE 169

// Tools.
#define IDM_TOOLS_MENU 170
#define IDM_STOP 171
#define IDM_OPEN_IN_FILE_MANAGER 172
#define IDM_SHOW_IN_FILE_MANAGER 175
#define IDM_CONNECT_DRIVE 178
#define IDM_DISCONNECT_DRIVE 179
#define IDM_WINDOW_LIST 30000

// Options.
#define IDM_OPTIONS_MENU 180
#define IDM_TOOLBAR_BUTTONS 181
#define IDM_LIST_FONT 182
#define IDM_OPTIONS 183
#define IDM_FILTER 184
#define IDM_LANGUAGE 185
#define IDM_BACK_UP_SETTINGS 186
#define IDM_RESTORE_SETTINGS 187
#define IDM_RESET_SETTINGS 188
// The appearance: light, as the system, dark, in display-mode order.
#define IDM_DISPLAY_MENU 210
#define IDM_DISPLAY_LIGHT 211
#define IDM_DISPLAY_SYSTEM 212
#define IDM_DISPLAY_DARK 213
#define IDM_DISPLAY_FIRST IDM_DISPLAY_LIGHT
#define IDM_DISPLAY_LAST IDM_DISPLAY_DARK

// Help.
#define IDM_HELP_MENU 190
#define IDM_HELP_TOPICS 191
#define IDM_KEYS_PAGE 192
#define IDM_CHECK_UPDATES 194
#define IDM_ABOUT 196

// The folder history and the address bar.
#define IDM_FOLDER_BACK 197
#define IDM_FOLDER_FORWARD 198
#define IDM_FOLDER_UP 199
#define IDM_PATH_EDIT 201
#define IDM_PATH_COPY 202
#define IDM_PATH_PASTE 203
#define IDM_PATH_FIRST IDM_PATH_EDIT
#define IDM_PATH_LAST IDM_PATH_PASTE

// The menu of a list's column header: fit the clicked column, fit every column.
#define IDM_FIT_COLUMN 400
#define IDM_FIT_ALL_COLUMNS 401

// What the main window posts to itself while it is created: the start-up work, then the chain's restore.
#define IDM_STARTUP 122
#define IDM_RESTORE_CHAIN 173

// The ranges of the menus' changing contents: the recent settings files (one id per entry), the rename modules
// (first + module index adds that module) and the content fields (first + 256 x module index + field; the first
// is also the pop-up of the field list).
#define IDM_RECENT_FILE_FIRST 222
#define IDM_RECENT_FILE_LAST 229
#define IDM_ADD_MODULE_FIRST 450
#define IDM_ADD_MODULE_LAST 599
#define IDM_SORT_FIELD_FIRST 600
#define IDM_SORT_FIELD_LAST 0xFFFF
