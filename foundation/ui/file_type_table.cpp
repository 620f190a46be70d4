#include "foundation/ui/file_type_table.h"

#include <shellapi.h>

#include <cstring>
#include <cwchar>

#include "foundation/core/job_read_table.h"
#include "foundation/text/bounded_text.h"
#include "foundation/win32/icons.h"
#include "foundation/files/paths.h"
#include "foundation/files/system_folders.h"

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
  return AppendToJobReadTable(&table->names, &record, record.length);
}

const TypeNameRecord* RecordAt(const FileTypeTable* table, int index) {
  const uint32_t count = RecordBufferCount(&table->names);
  if (index <= 0 || static_cast<uint32_t>(index) > count) return nullptr;
  const uint8_t* bytes = RecordBufferData(&table->names);
  for (int i = 1; i < index; ++i) bytes += reinterpret_cast<const TypeNameRecord*>(bytes)->length;
  return reinterpret_cast<const TypeNameRecord*>(bytes);
}

int IndexOfName(FileTypeTable* table, const wchar_t* name) {
  const uint32_t count = RecordBufferCount(&table->names);
  const uint8_t* bytes = RecordBufferData(&table->names);
  for (uint32_t i = 0; i < count; ++i) {
    const auto* record = reinterpret_cast<const TypeNameRecord*>(bytes);
    if (wcscmp(record->name, name) == 0) return static_cast<int>(i + 1);
    bytes += record->length;
  }
  return AppendTypeName(table, name) == 0 ? static_cast<int>(count + 1) : 0;
}

// "TXT-File" for a file whose extension the shell has no name for; "File" without an extension.
void NameFromExtension(const FileTypeTable* table, const wchar_t* path, wchar_t* name) {
  name[0] = 0;
  const wchar_t* extension = ExtensionPointer(path);
  if (extension && *extension) {
    CopyWideBounded(extension, name, kTypeNameCapacity);
    StringToUpperWide(name);
    AppendWideBounded(L"-", name, kTypeNameCapacity);
  }
  AppendWideBounded(table->fileWord, name, kTypeNameCapacity);
}

}  // namespace

int ConstructFileTypeTable(FileTypeTable* table) {
  if (!table) return 1;
  memset(table, 0, sizeof *table);
  RecordBufferInit(&table->names, false);
  wchar_t windowsFolder[kShortPathCapacity];
  GetWindowsFolder(windowsFolder, kShortPathCapacity);
  SHFILEINFOW info = {};
  GetShellFileInfo(windowsFolder, FILE_ATTRIBUTE_DIRECTORY, SHGFI_TYPENAME, &info);
  const int folder = AppendTypeName(table, info.szTypeName);
  return folder | AppendTypeName(table, L"Link");
}

void DestroyFileTypeTable(FileTypeTable* table) {
  if (table) RecordBufferDestroy(&table->names);
}

void FileTypeTableSetFileWord(FileTypeTable* table, const wchar_t* word) {
  if (table && word) CopyWideBounded(word, table->fileWord, kFileWordCapacity);
}

int FileTypeTableIndexForPath(FileTypeTable* table, const wchar_t* path, uint32_t attributes) {
  if (!table || !path) return 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    // The attribute pair the shell gives folder links.
    const uint32_t link = 0x8000 | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    return (attributes & link) == link ? kLinkTypeEntry : kFolderTypeEntry;
  }
  SHFILEINFOW info = {};
  GetShellFileInfo(path, FILE_ATTRIBUTE_NORMAL, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES, &info);
  wchar_t name[kTypeNameCapacity];
  if (info.szTypeName[0]) {
    CopyWideBounded(info.szTypeName, name, kTypeNameCapacity);
  } else {
    NameFromExtension(table, path, name);
  }
  return IndexOfName(table, name);
}

void FileTypeTableGetName(const FileTypeTable* table, int index, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  const TypeNameRecord* record = table ? RecordAt(table, index) : nullptr;
  if (record) CopyWideBounded(record->name, buffer, capacity);
}
