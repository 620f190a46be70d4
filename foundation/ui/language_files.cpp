#include "foundation/ui/language_files.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/files/file_texts.h"
#include "foundation/core/memory.h"
#include "foundation/text/numbers.h"
#include "foundation/files/paths.h"
#include "foundation/core/record_buffer.h"
#include "foundation/ui/resource_library.h"
#include "foundation/win32/system_functions.h"
#include "foundation/text/text_encoding.h"
#include "foundation/ui/ui_seams.h"

namespace {

int DetectLanguageFileEncoding(const uint8_t* bytes, uint32_t size);

constexpr int kBaseNameLength = 5;
constexpr int kCodeCapacity = 4;
constexpr char kFallbackCode[] = "US";
constexpr char kLanguageFileExtension[] = "LNG";
constexpr char kLanguageNameKey[] = "Language";
constexpr char kCodePageKey[] = "CP";
constexpr char kKeyTableName[] = "-";
constexpr int kUtf8MarkBytes = 3;
constexpr int kUtf16MarkBytes = 2;
constexpr LANGID kGermanLanguages[] = {1031, 2055, 3079, 4103, 5127};
constexpr DWORD kSmallestLanguageFile = 100;

// The program file's path without extension, its name cut to five characters; false when it cannot be had.
bool ProgramPathStem(wchar_t* stem, int capacity) {
  const DWORD length = g_uiSeams.getModuleFileNameW(nullptr, stem, static_cast<DWORD>(capacity));
  if (length == 0 || length >= static_cast<DWORD>(capacity)) return false;
  StripExtension(stem);
  const int nameAt = FileNameOffset(stem);
  if (static_cast<int>(WideLength(stem + nameAt)) > kBaseNameLength) stem[nameAt + kBaseNameLength] = 0;
  return true;
}

// stem, '_', code, '.', extension; true when that file exists. A path that does not fit is never tried.
bool BuildLanguageFilePath(const wchar_t* stem, const char* code, const char* extension, wchar_t* buffer,
                           int capacity) {
  const size_t length = WideLength(stem) + 1 + NarrowLength(code) + 1 + NarrowLength(extension);
  if (length >= static_cast<size_t>(capacity)) return false;
  CopyWideBounded(stem, buffer, capacity);
  AppendWideBounded(L"_", buffer, capacity);
  AppendMultiByteAsWide(code, buffer, capacity, CP_ACP);
  AppendWideBounded(L".", buffer, capacity);
  AppendMultiByteAsWide(extension, buffer, capacity, CP_ACP);
  return GetFileAttributesLong(buffer) != INVALID_FILE_ATTRIBUTES;
}

// Where the value of `key` begins in an 8-bit text: after the first place where the key is followed by any
// '_' and '='; null when there is none.
const char* FindNarrowValue(const char* text, const char* key) {
  const size_t keyLength = NarrowLength(key);
  if (keyLength == 0) return nullptr;
  for (const char* at = strstr(text, key); at; at = strstr(at + 1, key)) {
    const char* next = at + keyLength;
    while (*next == '_') ++next;
    if (*next == '=') return next + 1;
  }
  return nullptr;
}

// The same in UTF-16 text, the key compared whole.
const wchar_t* FindWideValue(const wchar_t* text, const wchar_t* key) {
  const size_t keyLength = WideLength(key);
  if (keyLength == 0) return nullptr;
  for (const wchar_t* at = wcsstr(text, key); at; at = wcsstr(at + 1, key)) {
    const wchar_t* next = at + keyLength;
    while (*next == L'_') ++next;
    if (*next == L'=') return next + 1;
  }
  return nullptr;
}

size_t NarrowLineLength(const char* text) { return strcspn(text, "\r\n"); }

void ReadNarrowValue(int encoding, const char* key, const char* text, wchar_t* buffer, int capacity) {
  const char* value = FindNarrowValue(text, key);
  if (!value) return;
  char line[kLanguageUtf8ValueBytes + 1];
  const size_t length = std::min(NarrowLineLength(value), static_cast<size_t>(kLanguageUtf8ValueBytes));
  memcpy(line, value, length);
  line[length] = 0;
  if (encoding == kLanguageText8Bit)
    MultiByteToWideBounded(line, buffer, capacity, CP_ACP);
  else
    Utf8ToWideBounded(line, buffer, capacity);
}

void ReadWideValue(const char* key, const wchar_t* text, wchar_t* buffer, int capacity) {
  const int keyCapacity = static_cast<int>(NarrowLength(key)) + 1;
  wchar_t* wideKey = AllocZeroedWide(static_cast<uint32_t>(keyCapacity));
  if (!wideKey) return;
  MultiByteToWideBounded(key, wideKey, keyCapacity, CP_ACP);
  const wchar_t* value = FindWideValue(text, wideKey);
  FreeAndNull(&wideKey);
  if (!value) return;
  const int length = static_cast<int>(wcscspn(value, L"\r\n"));
  const int kept = std::min(length, capacity - 1);
  wmemcpy(buffer, value, static_cast<size_t>(kept));
  buffer[kept] = 0;
}

// Turns every two-character "\n" into a line feed, in place.
void ExpandLineFeedEscapes(wchar_t* text) {
  wchar_t* out = text;
  for (const wchar_t* in = text; *in; ++in) {
    if (in[0] == L'\\' && in[1] == L'n') {
      *out++ = L'\n';
      ++in;
    } else {
      *out++ = *in;
    }
  }
  *out = 0;
}

const UiStringRecord* Records(const UiStringTable* table) { return table->records; }

UiStringRecord* BufferRecords(const RecordBuffer* buffer) {
  return reinterpret_cast<UiStringRecord*>(RecordBufferData(buffer));
}

int CountRecordsWithEnd(const UiStringTable* table) {
  int count = 1;
  while (Records(table)[count].id != 0) ++count;
  return count + 1;
}

// Appends the text and points record `index` at its place in the buffer.
int AppendRecordText(RecordBuffer* buffer, int index, int16_t id, const wchar_t* text) {
  const uintptr_t place = RecordBufferUsedBytes(buffer);
  if (RecordBufferAppendString(buffer, text) != 0) return 1;
  UiStringRecord* record = &BufferRecords(buffer)[index];
  record->id = id;
  record->text = reinterpret_cast<const void*>(place);
  return 0;
}

bool IsKeyTable(const UiStringTable* table) {
  const char* name = static_cast<const char*>(Records(table)[0].text);
  return Records(table)[0].id >= 0 && name && strcmp(name, kKeyTableName) == 0;
}

const UiStringTable* FindKeyTable(const ResourceLanguage* languages) {
  for (const ResourceLanguage* language = languages; language->table; ++language)
    if (IsKeyTable(language->table)) return language->table;
  return nullptr;
}

int AppendZeroRecords(RecordBuffer* buffer, int count) {
  const UiStringRecord zero = {0, nullptr};
  for (int i = 0; i < count; ++i)
    if (RecordBufferAppend(buffer, &zero, sizeof zero) != 0) return 1;
  return 0;
}

// The header's storage word: the code page complemented, which is negative and so marks UTF-16 texts. A code
// page whose complement does not stay negative in 16 bits (65001, say) is recorded as 0.
int16_t RecordedCodePage(int encoding, const uint8_t* text) {
  wchar_t value[kLanguageValueCapacity];
  ReadLanguageString(encoding, kCodePageKey, text, value, kLanguageValueCapacity);
  const int32_t codePage = WideToIntDecimal(value);
  return static_cast<int16_t>(~(codePage >= 0 && codePage <= INT16_MAX ? codePage : 0));
}

// Header: the recorded code page and the key table's name; record 1 the id of the language's name.
void FillHeader(RecordBuffer* buffer, int encoding, const uint8_t* text, const UiStringTable* keys) {
  UiStringRecord* records = BufferRecords(buffer);
  records[0].id = RecordedCodePage(encoding, text);
  records[0].text = Records(keys)[0].text;
  records[1].id = Records(keys)[1].id;
}

// The buffer's places turned into pointers into the copied block.
UiStringTable* CopyOutTable(const RecordBuffer* buffer, int recordCount) {
  uint8_t* block = static_cast<uint8_t*>(RecordBufferCopyOut(buffer));
  if (!block) return nullptr;
  UiStringRecord* records = reinterpret_cast<UiStringRecord*>(block);
  for (int i = 1; i < recordCount - 1; ++i)
    records[i].text = block + reinterpret_cast<uintptr_t>(records[i].text);
  return reinterpret_cast<UiStringTable*>(block);
}

UiStringTable* BuildTableFromFile(const wchar_t* path, const UiStringTable* keys, const UiStringTable* defaults) {
  const int recordCount = CountRecordsWithEnd(keys);
  uint32_t size = 0;
  uint8_t* text = ReadWholeFile(path, &size);
  if (!text) return nullptr;
  RecordBuffer buffer;
  RecordBufferInit(&buffer, true);
  UiStringTable* table = nullptr;
  if (AppendZeroRecords(&buffer, recordCount) == 0) {
    const int encoding = DetectLanguageFileEncoding(text, size);
    FillHeader(&buffer, encoding, text, keys);
    if (BuildLanguageTable(encoding, text, keys, defaults, &buffer) == 0) table = CopyOutTable(&buffer, recordCount);
  }
  RecordBufferDestroy(&buffer);
  FreeAndNull(&text);
  return table;
}

// The encoding of a file's bytes by their mark: kLanguageTextUtf16, kLanguageTextUtf8Marked or
// kLanguageText8Bit.
int DetectLanguageFileEncoding(const uint8_t* bytes, uint32_t size) {
  if (!bytes) return kLanguageText8Bit;
  if (size >= kUtf16MarkBytes && bytes[0] == 0xFF && bytes[1] == 0xFE) return kLanguageTextUtf16;
  if (size >= kUtf8MarkBytes && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return kLanguageTextUtf8Marked;
  return kLanguageText8Bit;
}

// The code of a file named stem-name, '_', two characters, '.', extension; false for any other name.
bool CodeOfLanguageFileName(const wchar_t* name, int stemNameLength, char* code) {
  const size_t expected = static_cast<size_t>(stemNameLength) + 4 + NarrowLength(kLanguageFileExtension);
  if (WideLength(name) != expected || name[stemNameLength] != L'_' || name[stemNameLength + 3] != L'.') return false;
  for (int i = 0; i < 2; ++i) {
    const wchar_t c = CharToUpperWide(name[stemNameLength + 1 + i]);
    if (c <= L' ' || c > 0x7E) return false;
    code[i] = static_cast<char>(c);
  }
  code[2] = 0;
  return true;
}

void VisitLanguageFile(const wchar_t* path, const char* code, LanguageFileVisitor visit, void* userData) {
  uint32_t size = 0;
  uint8_t* text = ReadWholeFile(path, &size);
  if (!text) return;
  wchar_t displayName[kLanguageNameCapacity];
  ReadLanguageString(DetectLanguageFileEncoding(text, size), kLanguageNameKey, text, displayName,
                     kLanguageNameCapacity);
  FreeAndNull(&text);
  visit(code, displayName, userData);
}

}  // namespace

void EnumLanguageFiles(LanguageFileVisitor visit, void* userData) {
  wchar_t stem[kPathCapacity];
  if (!visit || !ProgramPathStem(stem, kPathCapacity)) return;
  const int stemNameLength = static_cast<int>(WideLength(stem + FileNameOffset(stem)));
  // "_*" and not "_??": some file systems match no name with '?'; the name's form is checked below.
  wchar_t pattern[kPathCapacity];
  CopyWideBounded(stem, pattern, kPathCapacity);
  AppendWideBounded(L"_*.", pattern, kPathCapacity);
  AppendMultiByteAsWide(kLanguageFileExtension, pattern, kPathCapacity, CP_ACP);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    char code[kCodeCapacity];
    const bool file = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!file || found.nFileSizeHigh != 0 || found.nFileSizeLow <= kSmallestLanguageFile ||
        !CodeOfLanguageFileName(found.cFileName, stemNameLength, code)) {
      continue;
    }
    wchar_t path[kPathCapacity];
    CopyWideBounded(stem, path, kPathCapacity);
    path[FileNameOffset(path)] = 0;
    if (AppendWideBounded(found.cFileName, path, kPathCapacity) == 0) VisitLanguageFile(path, code, visit, userData);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

int LanguageFilePath(const char* code, const char* extension, wchar_t* buffer, int capacity, bool noFallback) {
  if (!buffer || capacity <= 0) return 1;
  buffer[0] = 0;
  wchar_t stem[kPathCapacity];
  if (!ProgramPathStem(stem, kPathCapacity)) return 1;
  if (BuildLanguageFilePath(stem, code, extension, buffer, capacity)) return 0;
  if (noFallback) return 1;
  return BuildLanguageFilePath(stem, kFallbackCode, extension, buffer, capacity) ? 0 : 1;
}

void ReadLanguageString(int encoding, const char* key, const void* fileText, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  if (!key || !fileText) return;
  const char* text = static_cast<const char*>(fileText);
  if (encoding == kLanguageTextUtf16)
    ReadWideValue(key, reinterpret_cast<const wchar_t*>(text + kUtf16MarkBytes), buffer, capacity);
  else
    ReadNarrowValue(encoding, key, encoding == kLanguageTextUtf8Marked ? text + kUtf8MarkBytes : text, buffer,
                    capacity);
}

int BuildLanguageTable(int encoding, const void* fileText, const UiStringTable* keys, const UiStringTable* defaults,
                       RecordBuffer* buffer) {
  wchar_t text[kLanguageValueCapacity];
  ReadLanguageString(encoding, kLanguageNameKey, fileText, text, kLanguageValueCapacity);
  if (!text[0]) GetStoredUiText(keys, Records(keys)[1].id, text, kLanguageValueCapacity);
  if (AppendRecordText(buffer, 1, Records(keys)[1].id, text) != 0) return 1;
  for (int i = 2; Records(keys)[i].id != 0; ++i) {
    const UiStringRecord& key = Records(keys)[i];
    ReadLanguageString(encoding, static_cast<const char*>(key.text), fileText, text, kLanguageValueCapacity);
    if (!text[0]) GetStoredUiText(defaults, key.id, text, kLanguageValueCapacity);
    ExpandLineFeedEscapes(text);
    if (AppendRecordText(buffer, i, key.id, text) != 0) return 1;
  }
  return 0;
}

UiStringTable* LoadLanguageFile(const ResourceLanguage* languages, const char* code) {
  if (!languages || !languages[0].table || !code) return nullptr;
  const UiStringTable* keys = FindKeyTable(languages);
  if (!keys || keys == languages[0].table || Records(keys)[1].id == 0) return nullptr;
  char fullCode[kCodeCapacity] = {};
  CopyNarrowBounded(code, fullCode, kCodeCapacity);
  if (fullCode[0] && !fullCode[1]) fullCode[1] = ' ';
  wchar_t path[kPathCapacity];
  if (LanguageFilePath(fullCode, kLanguageFileExtension, path, kPathCapacity, false) != 0) return nullptr;
  return BuildTableFromFile(path, keys, languages[0].table);
}

LANGID GetDefaultLanguageCode(char code[3]) {
  const LANGID language = GetSystemLanguage();
  const bool german = std::find(std::begin(kGermanLanguages), std::end(kGermanLanguages), language) !=
                      std::end(kGermanLanguages);
  CopyNarrowBounded(german ? "DE" : kFallbackCode, code, 3);
  return language;
}
