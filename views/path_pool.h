// The path-name pool of a list: one PathPoolEntry per listed folder, in the order the folders were entered.
// Rows keep a 1-based folder index into it; 0 stands for no folder. Entries are never removed one by one, so
// an index stays valid as long as the rows that hold it.
#pragma once
#include <cstdint>

struct FileListRow;
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

// The full path of a file row: its pooled folder with its current name appended. 0; ERROR_PATH_NOT_FOUND with an
// empty text when the row's folder is not in the pool; the negative result of a copy that was cut. Every path
// of a listed file is built here (a buffer of kLongPathCapacity holds any).
int GetRowFullPath(const ItemListControl* list, const FileListRow* row, wchar_t* buffer, int capacity);
// The same path with `name` in place of the current name: where the row's file goes when it is renamed.
int GetRowPathWithName(const ItemListControl* list, const FileListRow* row, const wchar_t* name, wchar_t* buffer,
                       int capacity);

// Copies row `index` of the application's file list into `rowBuffer` (sizeof(FileListRow) bytes; a local buffer
// when null) and, when `path` is given, writes the row's full path. A missing row leaves the buffer zero-filled
// and the path empty, with the result ERROR_NOT_FOUND; otherwise the result is GetRowFullPath's.
int CopyItemRecordWithPath(int index, wchar_t* path, int capacity, void* rowBuffer);
