// Changing the list control's rows: inserting, replacing and deleting records. Each change first cancels an
// open in-place editor. Inserting may run on a listing worker; the others run on the GUI thread.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/item_list_control.h"

// Inserts a row record (its first u16 is its length) at the index, or appends it for -1; the text is measured
// in the list's font to widen the list cell. The row's index, or -1 when the store refused it.
int ItemsViewInsertRecord(ItemListControl* control, const void* record, int index, const wchar_t* text);
// Replaces row i with the record. 0 replaced, 2 unchanged, 1 failed.
int ItemsViewUpdateItem(ItemListControl* control, int index, const void* record);
// Removes one row (the deletion callback runs on it first) or, for -1, every row. With `keep` the callback
// runs on every row and the records stay (for a store about to be destroyed). A row's own data is freed only
// together with the row: when the store's lock cannot be had, nothing is removed and nothing freed.
// 0 on success, 1 when the rows could not be changed.
int ItemsViewDeleteItem(ItemListControl* control, int index, bool keep);
