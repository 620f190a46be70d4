// The file-type name cache: every type name shown for a listed file is kept once, and rows keep its number.
// One table lives for the whole process. Only the GUI thread adds names; any thread reads them, a listing's
// sort among them, so the names are stored as a job-read table (foundation/core/job_read_table.h): while a job
// runs, a name that no longer fits is not stored (its row shows it once the job has ended).
//
// A file's type name depends on its extension alone, so the shell is asked once per extension: the extensions
// met are kept with their names' numbers. The GUI thread writes a slot whole before it raises the count, so any
// thread may look a known extension up.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/core/record_buffer.h"

constexpr int kFileWordCapacity = 16;
constexpr int kKnownExtensionCapacity = 16;  // the dot included; longer extensions are asked each time
constexpr int kKnownExtensionSlots = 64;

struct KnownExtension {
  wchar_t extension[kKnownExtensionCapacity];  // from the name's last dot; empty for a name without one
  int32_t index;
};

// Entries numbered from 1 in insertion order; each record is a u16 record length (in bytes, the length field
// included) and the zero-terminated type name.
struct FileTypeTable {
  RecordBuffer names;
  wchar_t fileWord[kFileWordCapacity];  // the word for "file" in the user's language
  KnownExtension known[kKnownExtensionSlots];
  volatile LONG knownCount;
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

// The word for "file" in the user's language (cut to 15 characters), used for files without a type name.
void FileTypeTableSetFileWord(FileTypeTable* table, const wchar_t* word);
// The number of a path's type name, the name stored on first use: a folder is 1 (2 for a folder that is a
// link); a file has the shell's type name of its extension, else its extension in upper case, "-" and the
// file word, or the file word alone. 0 when the name could not be stored. GUI thread only.
int FileTypeTableIndexForPath(FileTypeTable* table, const wchar_t* path, uint32_t attributes);
// The same number when it is known without asking the shell (a folder, or an extension met before); 0 when it is
// not. Any thread.
int FileTypeTableKnownIndex(const FileTypeTable* table, const wchar_t* path, uint32_t attributes);
// Copies name n (from 1); empty for 0 and for a number beyond the table.
void FileTypeTableGetName(const FileTypeTable* table, int index, wchar_t* buffer, int capacity);
