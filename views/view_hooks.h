// What the file list asks of the parts above it: what follows a folder listing, the metadata columns, and the
// shell's toolbar and recent folders. The shell fills the table once those parts exist; until then, and for
// every entry it leaves empty, the call does nothing. Every call runs inside the guard, so a failing hook
// cannot end a folder listing half-way.
#pragma once

struct FileListRow;
struct ItemListControl;

struct ViewHooks {
  // A listing of `folder` has stored its rows into `list` (also one that was stopped): what follows it, once,
  // on the listing's worker before the first row is selected.
  void (*listingEnded)(ItemListControl* list, const wchar_t* folder);
  // Applies the View options to the toolbar after one of them changed.
  void (*applyViewOptions)();
  // A newly chosen folder is put first in the recent-folders list.
  void (*addRecentFolder)(const wchar_t* folder);
  // Field columns. The number n of the field column (id -n) for a display name (empty: the field's name), a
  // source and a field text, added when missing; 0 when the field cannot be had.
  int (*addFieldColumn)(const wchar_t* displayName, const wchar_t* source, const wchar_t* field);
  // How a stored layout writes field column `columnId`: '[', display name, '=', source, '=', field, ']'.
  void (*describeFieldColumn)(int columnId, wchar_t* out, int capacity);
  // The sort value of field `field` for a file row (n: field column -n; above 2550 a module's field id) into
  // `out`: a SortValueType, kSortNoValue when the row has none.
  int (*fieldSortValue)(int field, FileListRow* row, void* out, int outSize);
  // The text of a file row's cell in column `columnId` as the list paints it, made straight from the row. Any
  // thread: a copy or an export of many rows runs on a job's worker.
  void (*fileCellText)(const ItemListControl* list, FileListRow* row, int columnId, wchar_t* text, int capacity);
};

extern ViewHooks g_viewHooks;

// Each calls its hook inside the guard; a missing hook does nothing.
void ListingEndedHook(ItemListControl* list, const wchar_t* folder);
void ApplyViewOptionsHook();
void AddRecentFolderHook(const wchar_t* folder);
// Without their hook: 0, an empty text, kSortNoValue.
int AddFieldColumnHook(const wchar_t* displayName, const wchar_t* source, const wchar_t* field);
void DescribeFieldColumnHook(int columnId, wchar_t* out, int capacity);
int FieldSortValueHook(int field, FileListRow* row, void* out, int outSize);
// False, with an empty text, when there is no hook or it failed.
bool FileCellTextHook(const ItemListControl* list, FileListRow* row, int columnId, wchar_t* text, int capacity);
