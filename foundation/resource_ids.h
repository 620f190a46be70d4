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
#define IDC_FILTER_LOWER_COUNT 2321
#define IDC_FILTER_UPPER_DATE_CHECK 2324
#define IDC_FILTER_UPPER_DATE_UNIT 2325
#define IDC_FILTER_UPPER_DATE 2326
#define IDC_FILTER_UPPER_TIME 2327
#define IDC_FILTER_COPY_DATES 2328
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
