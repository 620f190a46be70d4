#include "foundation/file_type_table.h"

#include <shellapi.h>

#include <cstring>

#include "foundation/bounded_text.h"
#include "foundation/icons.h"
#include "foundation/system_folders.h"

FileTypeTable g_fileTypes;

namespace {

constexpr int kTypeNameCapacity = 80;

#pragma pack(push, 1)
struct TypeNameRecord {
  uint16_t length;
  wchar_t name[kTypeNameCapacity];
};
#pragma pack(pop)

int AppendTypeName(FileTypeTable* table, const wchar_t* name) {
  TypeNameRecord record = {};
  CopyWideBounded(name, record.name, kTypeNameCapacity);
  record.length = static_cast<uint16_t>(sizeof record.length + (WideLength(record.name) + 1) * sizeof(wchar_t));
  return RecordBufferAppend(&table->names, &record, record.length);
}

}  // namespace

int ConstructFileTypeTable(FileTypeTable* table) {
  if (!table) return 1;
  memset(table, 0, sizeof *table);
  RecordBufferInit(&table->names, false);
  wchar_t windowsFolder[MAX_PATH];
  GetWindowsFolder(windowsFolder, MAX_PATH);
  SHFILEINFOW info = {};
  GetShellFileInfo(windowsFolder, FILE_ATTRIBUTE_DIRECTORY, SHGFI_TYPENAME, &info);
  const int folder = AppendTypeName(table, info.szTypeName);
  return folder | AppendTypeName(table, L"Link");
}

void DestroyFileTypeTable(FileTypeTable* table) {
  if (table) RecordBufferDestroy(&table->names);
}
