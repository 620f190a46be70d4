#include "engine/file_list_fields.h"

#include <windows.h>

#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/files/paths.h"
#include "foundation/win32/column_layout.h"
#include "metadata/field_references.h"
#include "metadata/field_values.h"
#include "metadata/module_field_source.h"
#include "views/file_list_row.h"
#include "views/items_view.h"
#include "views/path_pool.h"

namespace {

bool HasFieldColumns(const ColumnLayout* layout) {
  for (int i = 0; layout != nullptr && layout[i].id != 0; ++i) {
    if (layout[i].id < 0) return true;
  }
  return false;
}

void LoadRowFieldValues(ItemListControl* files, uint32_t index) {
  FileListRow* row = reinterpret_cast<FileListRow*>(ItemStoreGet(&files->rows, index));
  if (row == nullptr || (row->info.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  wchar_t path[kPathCapacity];
  if (GetRowFullPath(files, row, path, kPathCapacity) != 0) return;
  FieldValueNode* values = row->fieldValues;
  const int read = LoadMissingFieldValues(g_columnFieldList, &values, path, files->creation.columns);
  row->fieldValues = values;
  if (read > 0) ItemsViewRedrawItem(files, static_cast<int>(index));
}

}  // namespace

void RegisterModuleFieldSource() {
  g_moduleFieldSource = {EnumerateModuleFields, CopyModuleKeyName, GetModuleFieldValue};
}

void LoadFileListFieldValues(const wchar_t*) {
  ItemListControl* files = g_app != nullptr ? g_app->fileList : nullptr;
  if (files == nullptr || !HasFieldColumns(files->creation.columns)) return;
  GuardedCall(0, [&] {
    for (uint32_t index = 0; index < ItemStoreCount(&files->rows); ++index) LoadRowFieldValues(files, index);
    return 0;
  });
}

void FreeItemFieldValuesCallback(uint8_t* row) {
  if (row == nullptr) return;
  FileListRow* fileRow = reinterpret_cast<FileListRow*>(row);
  FieldValueNode* values = fileRow->fieldValues;
  fileRow->fieldValues = nullptr;
  FreeFieldValueList(&values);
}

int AddFileListFieldColumn(const wchar_t* displayName, const wchar_t* source, const wchar_t* field) {
  return AddPluginFieldEntry(g_columnFieldList, displayName, source, field);
}

void DescribeFileListFieldColumn(int columnId, wchar_t* out, int capacity) {
  FormatCustomColumnSpec(g_columnFieldList, columnId, out, capacity);
}

int FileListFieldSortValue(int field, FileListRow* row, void* out, int outSize) {
  wchar_t path[kPathCapacity];
  if (GetRowFullPath(AppFileList(), row, path, kPathCapacity) != 0) return kFieldNoValue;
  FieldValueNode* values = row->fieldValues;
  const int kind = GetFieldValue(g_columnFieldList, field, &values, path, out, outSize);
  row->fieldValues = values;
  return kind;
}

void FileListFieldText(int columnId, const FileListRow* row, wchar_t* out, int capacity) {
  FormatFieldValueFromList(columnId, row->fieldValues, out, capacity);
  if (capacity > 1 && out[0] == L'0' && out[1] == 0) out[0] = 0;
}
