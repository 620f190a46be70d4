// The file-type name cache: every type name shown for a listed file is kept once, and rows keep its number.
// One table lives for the whole process.
#pragma once
#include <cstdint>

#include "foundation/record_buffer.h"

constexpr int kFileWordCapacity = 16;

// Entries numbered from 1 in insertion order; each record is a u16 record length (in bytes, the length field
// included) and the zero-terminated type name.
struct FileTypeTable {
  RecordBuffer names;
  wchar_t fileWord[kFileWordCapacity];  // the word for "file" in the user's language
};

// The fixed first entries.
constexpr int kFolderTypeEntry = 1;
constexpr int kLinkTypeEntry = 2;

extern FileTypeTable g_fileTypes;

// Starts a table with its two fixed entries: the shell's type name of the Windows folder (of "C:\" when the
// Windows folder cannot be found) and "Link". 0, or 1 when the records could not be stored.
int ConstructFileTypeTable(FileTypeTable* table);
// Releases the names.
void DestroyFileTypeTable(FileTypeTable* table);
