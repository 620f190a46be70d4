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

// The part of a name a type name depends on: from its last dot on, empty without a dot; null when it is too long to
// be kept.
const wchar_t* ExtensionKey(const wchar_t* path) {
  const wchar_t* dot = nullptr;
  const wchar_t* end = path;
  for (; *end; ++end) {
    if (IsPathSeparator(*end)) dot = nullptr;
    if (*end == L'.') dot = end;
  }
  const wchar_t* key = dot ? dot : end;
  return WideLength(key) < static_cast<size_t>(kKnownExtensionCapacity) ? key : nullptr;
}

bool SameExtension(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

int KnownExtensionIndex(const FileTypeTable* table, const wchar_t* key) {
  const LONG count = table->knownCount;
  for (LONG i = 0; key && i < count; ++i) {
    if (SameExtension(table->known[i].extension, key)) return table->known[i].index;
  }
  return 0;
}

void KeepExtension(FileTypeTable* table, const wchar_t* key, int index) {
  const LONG count = table->knownCount;
  if (!key || index == 0 || count >= kKnownExtensionSlots) return;
  CopyWideBounded(key, table->known[count].extension, kKnownExtensionCapacity);
  table->known[count].index = index;
  InterlockedExchange(&table->knownCount, count + 1);
}

int FolderTypeIndex(uint32_t attributes) {
  // The attribute pair the shell gives folder links.
  const uint32_t link = 0x8000 | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  return (attributes & link) == link ? kLinkTypeEntry : kFolderTypeEntry;
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
  if (!table || !word) return;
  CopyWideBounded(word, table->fileWord, kFileWordCapacity);
  // Names made from an extension carry the word.
  InterlockedExchange(&table->knownCount, 0);
}

int FileTypeTableIndexForPath(FileTypeTable* table, const wchar_t* path, uint32_t attributes) {
  if (!table || !path) return 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FolderTypeIndex(attributes);
  const wchar_t* key = ExtensionKey(path);
  const int known = KnownExtensionIndex(table, key);
  if (known != 0) return known;
  SHFILEINFOW info = {};
  GetShellFileInfo(path, FILE_ATTRIBUTE_NORMAL, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES, &info);
  wchar_t name[kTypeNameCapacity];
  if (info.szTypeName[0]) {
    CopyWideBounded(info.szTypeName, name, kTypeNameCapacity);
  } else {
    NameFromExtension(table, path, name);
  }
  const int index = IndexOfName(table, name);
  KeepExtension(table, key, index);
  return index;
}

int FileTypeTableKnownIndex(const FileTypeTable* table, const wchar_t* path, uint32_t attributes) {
  if (!table || !path) return 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FolderTypeIndex(attributes);
  return KnownExtensionIndex(table, ExtensionKey(path));
}

void FileTypeTableGetName(const FileTypeTable* table, int index, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  const TypeNameRecord* record = table ? RecordAt(table, index) : nullptr;
  if (record) CopyWideBounded(record->name, buffer, capacity);
}
