// The fields of the file list: the rename modules' fields offered to field references, and the values of the
// field columns that each file row keeps (read on the listing thread when a listing ends, freed with the row).
#pragma once
#include <cstdint>

struct FileListRow;

// Lets field references reach the fields of the rename modules. Called once at start.
void RegisterModuleFieldSource();

// Reads the values of the file list's field columns that its file rows lack; a row that got values is drawn
// again.
void LoadFileListFieldValues(const wchar_t* folder);

// The file list's deletion callback: the row's kept field values go.
void FreeItemFieldValuesCallback(uint8_t* row);

// The field columns of the file list's layout and sort, on the field references: the column number n (id -n)
// for a stored column, added when missing (0 when the field cannot be had); the stored form of a column; a
// row's sort value of field n (above 2550 a module's field id) as the list's sort keys take it.
int AddFileListFieldColumn(const wchar_t* displayName, const wchar_t* source, const wchar_t* field);
void DescribeFileListFieldColumn(int columnId, wchar_t* out, int capacity);
int FileListFieldSortValue(int field, FileListRow* row, void* out, int outSize);
// The text of a field column's cell: the row's kept value ("0" shows as nothing).
void FileListFieldText(int columnId, const FileListRow* row, wchar_t* out, int capacity);
