// The path-name pool of a list: one PathPoolEntry per listed folder, in the order the folders were entered.
// Rows keep a 1-based folder index into it; 0 stands for no folder. Entries are never removed one by one, so
// an index stays valid as long as the rows that hold it.
#pragma once
#include <cstdint>

struct ItemListControl;

// Folder names longer than this are cut.
constexpr int kPooledNameMaxLength = 1023;

// Appends an entry: the full path for a top folder (parent 0), else the bare subfolder name under the
// entry `parent`. Its 1-based index, or 0 when it could not be stored.
uint32_t AddPooledPath(ItemListControl* list, const wchar_t* name, uint32_t parent);

// The full path of entry `index`: the parent's path, then the entry's name as a path component. 0, or the
// negative result of the last copy that was cut (the text is then cut too); -1 with an empty text when a very
// deep chain finds no memory to walk it. No list, index 0 or an index beyond the pool give an empty text and 0.
int GetPooledPath(const ItemListControl* list, uint32_t index, wchar_t* buffer, int capacity);
