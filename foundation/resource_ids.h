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
