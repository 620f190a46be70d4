// What the main window answers its two lists: the cell texts and icons (LVN_GETDISPINFOW), the info tips of
// the file list, and renaming a file in place in the file list.
#pragma once
#include <windows.h>
#include <commctrl.h>

struct FileListRow;
struct ItemListControl;

// A chain row's cells: the step's description (column 5580) and its comment (column 41). After the chain's
// texts changed, the description column first widens so that the columns fill the list.
void ChainListGetDispInfo(NMLVDISPINFOW* request);

// A file row's cells by column: name (with its icon, ghosted when hidden or system), new name, size, the three
// times, type, folder and attribute letters, and the values of field columns.
void FileListGetItemText(NMLVDISPINFOW* request);
// The text of a file row's cell in column `columnId`, as FileListGetItemText gives it; any thread.
void FileListCellText(const ItemListControl* files, FileListRow* row, int columnId, wchar_t* text, int capacity);

// The file list's info tip of a row: up to three lines (type, size, last change) after the cell text, as far as
// they fit. Non-zero: the tip has several lines. Nothing for devices.
LRESULT BuildItemInfoTip(NMTTDISPINFOW* request);

// LVN_BEGINLABELEDITW: 0 lets the editor open (a file's name is selected without its extension); 1 refuses
// while a job is busy and for a row that does not exist.
LRESULT BeginFileRename(NMLVDISPINFOW* request);

// LVN_ENDLABELEDITW: the typed text becomes the new name, taken as a rename mask over the current name ('?',
// '*'), or as a case mask when it holds '<' or '>'. A name no file can have (a path separator, and whatever
// the preview marks: a character not allowed in names, a trailing dot or blank, nothing, more than 255
// characters, a device's name) is refused with a message that says why, and the answer kEndEditKeepOpen
// leaves the editor open on the text. An existing other file is refused too (0). On success the file is
// renamed on disk, the row takes the new name and the answer is 1; else 0 and nothing changes.
LRESULT EndFileRename(NMLVDISPINFOW* request);
