#include "views/file_list_row.h"

#include <cwchar>

#include "foundation/core/threads.h"
#include "foundation/text/bounded_text.h"
#include "foundation/files/paths.h"
#include "foundation/ui/file_type_table.h"

void SetFileListRowName(FileListRow* row, const wchar_t* name) {
  wchar_t copy[kFileNameCapacity];
  CopyWideBounded(name, copy, kFileNameCapacity);
  wmemset(row->currentName, 0, kFileNameCapacity);
  CopyWideBounded(copy, row->currentName, kFileNameCapacity);
  const int length = static_cast<int>(WideLength(row->currentName));
  const int dot = ExtensionDotPosition(row->currentName);
  row->length = FileListRowSize(static_cast<size_t>(length));
  row->extensionAt = static_cast<uint16_t>(dot < length ? dot + 1 : length);
  row->typeNameIndex = 0;
  row->icon = 0;
}

namespace {

LRESULT TypeIndexHere(void* row) {
  const auto* file = static_cast<const FileListRow*>(row);
  return FileTypeTableIndexForPath(&g_fileTypes, file->currentName, file->info.attributes);
}

// A known extension is looked up on any thread; only the GUI thread asks the shell and adds names.
int32_t TypeIndexOf(const FileListRow* row) {
  const int known = FileTypeTableKnownIndex(&g_fileTypes, row->currentName, row->info.attributes);
  if (known != 0) return known;
  return static_cast<int32_t>(RunOnGuiThread(TypeIndexHere, const_cast<FileListRow*>(row)));
}

}  // namespace

int32_t FileListRowTypeIndex(FileListRow* row) {
  if (row->typeNameIndex == 0) row->typeNameIndex = TypeIndexOf(row);
  return row->typeNameIndex;
}
