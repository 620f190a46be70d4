#include "engine/file_list_fields.h"

#include <windows.h>

#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "foundation/core/guard.h"
#include "foundation/core/item_store.h"
#include "foundation/core/memory.h"
#include "foundation/files/paths.h"
#include "foundation/win32/column_layout.h"
#include "metadata/field_references.h"
#include "metadata/field_values.h"
#include "metadata/module_field_source.h"
#include "metadata/plugin_host.h"
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

// The rows whose values are read together, so that each plug-in gets all their values in one crossing to its
// thread.
constexpr uint32_t kRowsPerBatch = kMostBatchValues;

struct RowBatch {
  FileListRow* rows[kRowsPerBatch];
  uint32_t indexes[kRowsPerBatch];
  FieldValueExtension values[kRowsPerBatch];
  FieldValueRow wanted[kRowsPerBatch];
  wchar_t paths[kRowsPerBatch][kPathCapacity];
  int count;
};

// Reads the missing values of the listed files from row `*index` on, up to a batch of them; *index moves on. The
// rows stay where they are meanwhile: they move or go only on the GUI thread, by changes that wait for the job
// this runs in (or, on the GUI thread, that cannot come between).
void LoadBatchFieldValues(ItemListControl* files, uint32_t* index, RowBatch* batch) {
  batch->count = 0;
  const FieldValueReadScope scope;
  for (; *index < ItemStoreCount(&files->rows) && batch->count < static_cast<int>(kRowsPerBatch); ++*index) {
    FileListRow* row = reinterpret_cast<FileListRow*>(ItemStoreGet(&files->rows, *index));
    if (row == nullptr || (row->info.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const int n = batch->count;
    if (GetRowFullPath(files, row, batch->paths[n], kPathCapacity) != 0) continue;
    batch->rows[n] = row;
    batch->indexes[n] = *index;
    batch->values[n] = BeginFieldValueExtension(&row->fieldValues);
    batch->wanted[n] = {batch->paths[n], &batch->values[n].list, 0};
    ++batch->count;
  }
  LoadMissingFieldValuesForRows(g_columnFieldList, batch->wanted, batch->count, files->creation.columns);
  for (int n = 0; n < batch->count; ++n) {
    if (EndFieldValueExtension(&batch->rows[n]->fieldValues, batch->values[n])) {
      ItemsViewRedrawItem(files, static_cast<int>(batch->indexes[n]));
    }
  }
}

}  // namespace

void RegisterModuleFieldSource() {
  g_moduleFieldSource = {EnumerateModuleFields, CopyModuleKeyName, GetModuleFieldValue};
}

void LoadFileListFieldValues(const wchar_t*) {
  ItemListControl* files = g_app != nullptr ? g_app->fileList : nullptr;
  if (files == nullptr || !HasFieldColumns(files->creation.columns)) return;
  RowBatch* batch = static_cast<RowBatch*>(AllocZeroed(sizeof(RowBatch)));
  if (batch == nullptr) return;
  GuardedCall(0, [&] {
    for (uint32_t index = 0; index < ItemStoreCount(&files->rows);) LoadBatchFieldValues(files, &index, batch);
    return 0;
  });
  FreeAndNull(&batch);
}

void FreeItemFieldValuesCallback(uint8_t* row) {
  if (row != nullptr) FreeFieldValueList(&reinterpret_cast<FileListRow*>(row)->fieldValues);
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
  const FieldValueReadScope scope;
  FieldValueExtension values = BeginFieldValueExtension(&row->fieldValues);
  const int kind = GetFieldValue(g_columnFieldList, field, &values.list, path, out, outSize);
  EndFieldValueExtension(&row->fieldValues, values);
  return kind;
}

void FileListFieldText(int columnId, const FileListRow* row, wchar_t* out, int capacity) {
  const FieldValueReadScope scope;
  FormatFieldValueFromList(columnId, FetchFieldValueList(&row->fieldValues), out, capacity);
  if (capacity > 1 && out[0] == L'0' && out[1] == 0) out[0] = 0;
}
