// Numbers of the resources compiled into the program file (resources/qvrx.rc). The resource scripts include
// this header too, so the numbers are preprocessor constants. Icons of commands carry the command's id.
#pragma once

// Icons.
#define IDI_PROGRAM 1
#define IDI_FOLDER_CLOSED 18
#define IDI_FOLDER_OPEN 19
#define IDI_PROBLEM 88

// The header's 11 x 11 sort arrows (light grey background, shadow grey arrow: drawn in the system's 3-D colours).
#define IDB_SORT_DESCENDING 5
#define IDB_SORT_ASCENDING 6

// The splitter cursors between the panes of the main window.
#define IDCUR_SPLIT_VERTICAL 9
#define IDCUR_SPLIT_HORIZONTAL 10
// The hand over the address bar's segments.
#define IDCUR_HAND 15

// The language dialog: a list of languages, OK and Cancel. An invisible use of it sets the dialogs' icon.
#define IDD_LANGUAGE 90
#define IDC_LANGUAGE_LIST 91

// The filter dialog. Its controls carry the ids of their UI texts where they have one.
#define IDD_FILTER 2300
#define IDC_FILTER_NAME_GROUP 2301
#define IDC_FILTER_INCLUDE_LABEL 2302
#define IDC_FILTER_EXCLUDE_LABEL 2303
#define IDC_FILTER_INCLUDE 2304
#define IDC_FILTER_EXCLUDE 2306
#define IDC_FILTER_TIME_LABEL 2308
#define IDC_FILTER_TIME_KIND 2315
#define IDC_FILTER_LOWER_DATE_CHECK 2316
#define IDC_FILTER_LOWER_DATE_UNIT 2317
#define IDC_FILTER_LOWER_DATE 2318
#define IDC_FILTER_LOWER_TIME 2319
#define IDC_FILTER_LOWER_EDIT 2320
#define IDC_FILTER_LOWER_COUNT 2321
#define IDC_FILTER_UPPER_DATE_CHECK 2324
#define IDC_FILTER_UPPER_DATE_UNIT 2325
#define IDC_FILTER_UPPER_DATE 2326
#define IDC_FILTER_UPPER_TIME 2327
#define IDC_FILTER_COPY_DATES 2328
#define IDC_FILTER_UPPER_EDIT 2329
#define IDC_FILTER_UPPER_COUNT 2330
#define IDC_FILTER_SIZE_LABEL 2342
#define IDC_FILTER_LOWER_SIZE_CHECK 2343
#define IDC_FILTER_LOWER_SIZE 2344
#define IDC_FILTER_LOWER_SIZE_UNIT 2345
#define IDC_FILTER_UPPER_SIZE_CHECK 2346
#define IDC_FILTER_UPPER_SIZE 2347
#define IDC_FILTER_UPPER_SIZE_UNIT 2348
#define IDC_FILTER_ATTRIBUTES_GROUP 2349
#define IDC_FILTER_ARCHIVE 2350
#define IDC_FILTER_READ_ONLY 2351
#define IDC_FILTER_SYSTEM 2352
#define IDC_FILTER_DIRECTORY 2353
#define IDC_FILTER_HIDDEN 2354
#define IDC_FILTER_COMPRESSED 2355
#define IDC_FILTER_ENCRYPTED 2356
#define IDC_FILTER_OK 99

// The date-and-time dialog with its calendar.
#define IDD_DATE_TIME 2200
#define IDC_DATE_HOUR_SPIN 2201
#define IDC_DATE_HOUR 2202
#define IDC_DATE_MINUTE 2203
#define IDC_DATE_MINUTE_SPIN 2204
#define IDC_DATE_SECOND 2205
#define IDC_DATE_SECOND_SPIN 2206
#define IDC_DATE_MONTH 2207
#define IDC_DATE_YEAR 2208
#define IDC_DATE_YEAR_SPIN 2209
#define IDC_DATE_CALENDAR 2210
#define IDC_DATE_TODAY 2211
#define IDC_DATE_COPY 2214
#define IDC_DATE_PASTE 2215

// The attributes tool: the attribute boxes (the filter's ids) and the two time rows, which use the filter's date
// row controls with check boxes of their own.
#define IDD_ATTRIBUTES 2400
#define IDC_ATTRIBUTES_REPARSE 2407
#define IDC_ATTRIBUTES_GROUP 2408
#define IDC_ATTRIBUTES_TIMES_GROUP 2409
#define IDC_ATTRIBUTES_CREATION_CHECK 2410
#define IDC_ATTRIBUTES_MODIFIED_CHECK 2309
#define IDC_ATTRIBUTES_ACCESSED_LABEL 2312
#define IDC_ATTRIBUTES_ACCESSED_DATE 2413
#define IDC_ATTRIBUTES_ACCESSED_TIME 2414

// The timestamps tool's options.
#define IDD_TIMESTAMPS 2500
#define IDC_TIMESTAMPS_SET_LABEL 2503
#define IDC_TIMESTAMPS_FROM_LABEL 2504
#define IDC_TIMESTAMPS_CREATION 2410
#define IDC_TIMESTAMPS_MODIFIED 2309
#define IDC_TIMESTAMPS_OTHER_TIME 2505
#define IDC_TIMESTAMPS_DOS 2507
#define IDC_TIMESTAMPS_MAIL 2509
#define IDC_TIMESTAMPS_EXIF 2510
#define IDC_TIMESTAMPS_EXIF_DATE 2511
#define IDC_TIMESTAMPS_NAME 2301

// The options dialog: the page list, the header with the page's name, and the controls of the six pages,
// each with the id of its UI text where it has one.
#define IDD_OPTIONS 5100
#define IDC_OPTIONS_PAGES 5101
#define IDC_OPTIONS_HEADER 5102
#define IDC_OPTIONS_OK 99
#define IDC_OPT_INFO_TIPS 5201
#define IDC_OPT_FULL_ROW 5202
#define IDC_OPT_COLUMN_LINES 5203
#define IDC_OPT_GRID_LINES 5204
#define IDC_OPT_HOVER_ROW 5205
#define IDC_OPT_ONE_CLICK 5206
#define IDC_OPT_ON_TOP 5207
#define IDC_OPT_MENU_ICONS 5208
#define IDC_OPT_MENU_ICON_LABEL 5209
#define IDC_OPT_MENU_ICON_SIZE 5210
#define IDC_OPT_SIZE_UNITS 5211
#define IDC_OPT_SECONDS 5212
#define IDC_OPT_NATURAL_ORDER 5213
#define IDC_OPT_FILE_TYPE 5214
#define IDC_OPT_EXPLORER_VERBS 5215
#define IDC_OPT_FILE_ICONS 5216
#define IDC_ICON_SIZE_LABEL 5217
#define IDC_ICON_SIZE 5218
#define IDC_COLUMN_TOOLBAR 5300
#define IDC_COLUMN_AVAILABLE_LABEL 5301
#define IDC_COLUMN_CHOSEN_LABEL 5302
#define IDC_COLOUR_TEXT 5461
#define IDC_COLOUR_BACKGROUND 5462
#define IDC_COLOUR_OWN 5463
#define IDC_COLOUR_PREVIEW 5464

// The check-list dialog: the buttons a toolbar can show and those it shows, the buttons that move them
// (IDC_ENTRY_*), and the icon size (the options dialog's column page uses the same list ids).
#define IDD_CHECK_LIST 6500
#define IDC_CHECK_LIST_OK 99
#define IDC_CHECK_AVAILABLE_LABEL 6501
#define IDC_CHECK_CHOSEN_LABEL 6502
#define IDC_CHECK_AVAILABLE 6503
#define IDC_CHECK_CHOSEN 6504

// The commands of the list editors: the check-list dialog's buttons and the toolbars of the options dialog's
// column, shortcut and plug-in pages. Each id is also that of the command's text (the button's tooltip) and
// of its own icon.
#define IDC_ENTRY_ADD 6990
#define IDC_ENTRY_UP 6991
#define IDC_ENTRY_DOWN 6992
#define IDC_ENTRY_EDIT 6993
#define IDC_ENTRY_DUPLICATE 6995
#define IDC_ENTRY_REMOVE 6997
#define IDC_ALIGN_LEFT 6999
#define IDC_ALIGN_CENTRE 7000
#define IDC_ALIGN_RIGHT 7001
#define IDC_ENTRY_FROM_MENU 7002

// The content plug-ins: the list page of the options dialog and the entry dialog of one plug-in.
#define IDC_PLUGIN_LIST 5501
#define IDC_PLUGIN_TOOLBAR 5502
#define IDD_PLUGIN_ENTRY 5530
#define IDC_PLUGIN_NAME_LABEL 5531
#define IDC_PLUGIN_NAME 5532
#define IDC_PLUGIN_PATH_LABEL 5533
#define IDC_PLUGIN_PATH 5534
#define IDC_PLUGIN_DETECT 5535
#define IDC_PLUGIN_SETTINGS 5536
#define IDC_PLUGIN_DETECT_LABEL 5537
#define IDC_PLUGIN_PARAMETER 5538
#define IDC_PLUGIN_PARAMETER_LABEL 5541
#define IDC_PLUGIN_BROWSE 5550
#define IDC_PLUGIN_OK 99

// The keyboard shortcuts: the page of the options dialog (list 5401 and the toolbar that replaces placeholder
// 5402) and the dialog of one key. The modifier boxes carry the ids of their UI texts.
#define IDC_SHORTCUT_LIST 5401
#define IDC_SHORTCUT_TOOLBAR 5402
#define IDD_SHORTCUT_KEY 5403
#define IDC_SHORTCUT_KEY 5404
#define IDC_SHORTCUT_MESSAGE 5405
#define IDC_SHORTCUT_COMMAND 5406
#define IDC_SHORTCUT_SHIFT 9016
#define IDC_SHORTCUT_CTRL 9017
#define IDC_SHORTCUT_ALT 9018
#define IDC_SHORTCUT_OK 99
