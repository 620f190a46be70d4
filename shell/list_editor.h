// List editors of dialog pages: a source list of what can be added, a target list that holds the result in its
// order, and a toolbar of command buttons in place of a placeholder control (it keeps the placeholder's id).
// The options dialog's column page is one: its source list offers the file list's columns and, as rows that
// open a menu, the fields of each field source.
//
// Target rows carry an image (0, 1 or 2, the alignment the user chose) and item data; a row that came from a
// menu carries the negative number of its menu entry and shows the entry's reference in its second column.
// A source row with image 3 opens a menu: its item data is that menu, a submenu of the source list's menu.
#pragma once
#include <windows.h>

#include "foundation/ui/resource_ids.h"

struct FieldMenu;

// The image of a source row that opens a menu.
constexpr int kMenuRowImage = 3;

// Capacities of a row's texts.
constexpr int kEditorTextCapacity = 260;
constexpr int kEditorSecondCapacity = 1200;

// Runs a toolbar command: IDC_ENTRY_ADD adds the focused source row (a menu row lets the user choose from its
// menu; a row with negative item data only beeps) after the focused target row; IDC_ENTRY_REMOVE removes the
// focused target row (back into the source list unless it came from a menu); IDC_ENTRY_UP and IDC_ENTRY_DOWN
// move it; IDC_ALIGN_LEFT, IDC_ALIGN_CENTRE and IDC_ALIGN_RIGHT give it image 0, 1 or 2; IDC_ENTRY_FROM_MENU
// lets the user choose from the source list's whole menu.
void ListEditorCommand(HWND dialog, int command, int placeholderId, int sourceId, int targetId);

// True when the row of a source list opens a menu.
bool IsListMenuRow(HWND list, int row);

// While the source list has the focus: "add" enabled when the list has rows and the index is one of them.
void UpdateListEditorAddButton(HWND dialog, int placeholderId, HWND list, int index);
// While the target list has the focus: remove and the alignments for a valid index (negative: the focused
// row), up when it is not the first, down when it is not the last.
void UpdateListEditorButtons(HWND dialog, int placeholderId, HWND list, int index);

// The source list's menu, kept in the list's data; the list owns it until FreeListEditorMenu.
void SetListEditorMenu(HWND list, FieldMenu* menu);
void FreeListEditorMenu(HWND list);

// A menu entry "T A=B=C": its type letter gives the image ('R' 2, any other 0), the row's text is A (or C cut
// at its first '.' when A is empty) and its second column "B=C". False without two '='.
struct ListMenuEntry {
  int image;
  wchar_t text[kEditorTextCapacity];
  wchar_t second[kEditorSecondCapacity];
};
bool ParseListMenuEntry(const wchar_t* payload, ListMenuEntry* entry);
// Appends entry n of the menu to the target list (item data -n) and fits its columns; false when the entry
// does not parse.
bool AddListEntryFromMenu(HWND target, const FieldMenu* menu, int n);
// Shows the popup (the whole menu of the source list, or one of its submenus) at the cursor and appends the
// chosen entry.
void ChooseListEntryFromMenu(HWND dialog, HWND source, HMENU popup, HWND target);
