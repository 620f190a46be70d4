// Language files: UI string tables built from text files beside the program file.
//
// A language file is named after the program file: its name without folder and extension cut to five
// characters, '_', the two-letter language code, ".LNG". Each entry is a key, any number of '_', '=' and the
// value up to the end of its line. The keys are the texts of the resource library's key table (named "-");
// "Language" gives the language's own name and "CP" a code page number, which the table records. In values
// "\n" stands for a line feed.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/ui/ui_strings.h"

struct RecordBuffer;
struct ResourceLanguage;

// Encodings of a language file's text.
constexpr int kLanguageText8Bit = 0;  // the active code page
constexpr int kLanguageTextUtf16 = 1;  // begins with FF FE
constexpr int kLanguageTextUtf8Marked = 2;  // begins with EF BB BF
constexpr int kLanguageTextUtf8 = 3;

// The longest value taken from a language file, and the longest UTF-8 value in bytes.
constexpr int kLanguageValueCapacity = 1024;
constexpr int kLanguageUtf8ValueBytes = 2730;
// A language's name as the language list shows it.
constexpr int kLanguageNameCapacity = 32;

// The path of the file of `code` (8-bit) with `extension` (8-bit, without dot) beside the program file. 0 when
// that file exists. Otherwise, unless `noFallback`, the path of the "US" file, 0 when that one exists. 1 when
// no file was found; the buffer then holds the last path tried.
int LanguageFilePath(const char* code, const char* extension, wchar_t* buffer, int capacity, bool noFallback);

// The value of `key` in a language file's text (terminated as ReadWholeFile leaves it): the first place where
// the key (also as the end of a longer key) is followed by any '_' and '=' gives the value, cut at the first CR
// or LF. UTF-8 values are cut at kLanguageUtf8ValueBytes bytes. Empty when the key is missing.
void ReadLanguageString(int encoding, const char* key, const void* fileText, wchar_t* buffer, int capacity);

// Appends to `buffer` the language's name and one text per record of the key table `keys` after record 1,
// and fills in the records that the buffer holds at its start (one per record of `keys`, header and end
// record included): each gets its key record's id and the place of its text in the buffer. A key the file
// lacks takes the text of the same id from `defaults`. 0 on success, 1 when the buffer cannot grow.
int BuildLanguageTable(int encoding, const void* fileText, const UiStringTable* keys, const UiStringTable* defaults,
                       RecordBuffer* buffer);

// A new UI string table from the language file of `code`, in one heap block that the caller frees with
// FreeAndNull. `languages` is the resource library's list: its first table is the default, and the first
// table named "-" gives the keys. Null without a key table, when the key table is the first table, without a
// file (neither the code's nor the "US" one), or when the file cannot be read.
UiStringTable* LoadLanguageFile(const ResourceLanguage* languages, const char* code);

// Calls `visit` for each language file beside the program file that is larger than 100 bytes, with its code
// (the two characters after '_', upper-cased) and its value "Language" as the display name, read in the file's
// encoding by the same rule as LoadLanguageFile.
using LanguageFileVisitor = void (*)(const char* code, const wchar_t* displayName, void* userData);
void EnumLanguageFiles(LanguageFileVisitor visit, void* userData);

// "DE" when the system's default language is one of the German languages, else "US" (two letters and a
// terminator); returns the system's language id.
LANGID GetDefaultLanguageCode(char code[3]);
