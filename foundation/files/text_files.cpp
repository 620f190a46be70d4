#include "foundation/files/text_files.h"

#include <windows.h>

#include <cstring>

#include "foundation/files/file_io.h"
#include "foundation/files/file_records.h"
#include "foundation/core/record_buffer.h"
#include "foundation/text/text_encoding.h"

namespace {

bool IsNarrowReadable(int32_t type) { return type == kTextAnsi || type == kTextUtf8 || type == kTextUtf8Unmarked; }

bool StartsWithBytes(const uint8_t* bytes, uint32_t count, const char* prefix, uint32_t length) {
  return count >= length && memcmp(bytes, prefix, length) == 0;
}

bool IsUnmarkedUtf16(const uint8_t* bytes, uint32_t count) {
  if (count == 0 || count % 2 != 0) return false;
  for (uint32_t i = 0; i < count; i += 2) {
    if (bytes[i] == 0 || bytes[i + 1] != 0) return false;
  }
  return true;
}

// Reads `size` bytes of one text unit; false at the end of the file.
bool ReadUnit(BufferedFile* file, void* unit, uint32_t size) { return FileReadExact(file, unit, size) == 0; }

// Gives the unit just read back to the buffer (it is always still there).
void UnreadUnit(BufferedFile* file, uint32_t size) { file->bufferPosition -= static_cast<int32_t>(size); }

template <typename Unit>
int ReadLine(BufferedFile* file, Unit* buffer, int capacity) {
  int stored = 0;
  bool any = false;
  Unit unit = 0;
  while (ReadUnit(file, &unit, sizeof unit)) {
    any = true;
    if (unit == 0 || unit == '\n') break;
    if (unit == '\r') {
      if (ReadUnit(file, &unit, sizeof unit) && unit != '\n') UnreadUnit(file, sizeof unit);
      break;
    }
    if (stored + 1 < capacity) buffer[stored++] = unit;
  }
  if (capacity > 0) buffer[stored] = 0;
  return any ? stored + 1 : 0;
}

}  // namespace

TextType DetectTextType(const uint8_t* bytes, uint32_t count) {
  if (bytes == nullptr) count = 0;
  if (StartsWithBytes(bytes, count, "\xFF\xFE", 2)) return kTextUtf16;
  if (StartsWithBytes(bytes, count, "\xFE\xFF", 2)) return kTextUtf16BigEndian;
  if (StartsWithBytes(bytes, count, "\xEF\xBB\xBF", 3)) return kTextUtf8;
  if (count != 0 && IsValidUtf8(bytes, static_cast<int>(count))) return kTextUtf8Unmarked;
  if (count > 4 && StartsWithBytes(bytes, count, "{\\rtf", 5)) return kTextRtf;
  if (IsUnmarkedUtf16(bytes, count)) return kTextUtf16Unmarked;
  if (count != 0 && memchr(bytes, 0, count) != nullptr) return kTextBinary;
  return kTextAnsi;
}

int TextFileOpen(BufferedFile* file, const wchar_t* path) {
  const int result = FileOpenRead(file, path);
  if (result != 0) return result;
  DWORD got = 0;
  if (!ReadFile(file->handle, file->buffer, kBufferedFileBufferBytes, &got, nullptr)) got = 0;
  file->bufferBytes = static_cast<int32_t>(got);
  file->textType = DetectTextType(file->buffer, got);
  if (file->textType == kTextUtf16) file->bufferPosition = 2;
  if (file->textType == kTextUtf8) file->bufferPosition = 3;
  return 0;
}

int TextFileReadLineNarrow(BufferedFile* file, char* buffer, int capacity) {
  if (file == nullptr || buffer == nullptr || capacity <= 0) return 0;
  if (!IsNarrowReadable(file->textType)) return -static_cast<int>(kBufferedReadErrorDefault);
  return ReadLine(file, buffer, capacity);
}

int TextFileReadLineWide(BufferedFile* file, wchar_t* buffer, int capacity) {
  if (file == nullptr || buffer == nullptr || capacity <= 0) return 0;
  if (file->textType == kTextUtf16) return ReadLine(file, buffer, capacity);
  if (!IsNarrowReadable(file->textType)) return -static_cast<int>(kBufferedReadErrorDefault);
  InlineTextBuffer line;
  InitInlineTextBuffer(&line);
  const int narrowCapacity = capacity * 3;
  char* narrow = PrepareInlineTextBuffer(&line, static_cast<uint32_t>(narrowCapacity));
  if (narrow == nullptr) return 0;
  const int result = ReadLine(file, narrow, narrowCapacity);
  const bool utf8 = file->textType != kTextAnsi && IsValidUtf8(narrow, -1);
  const int converted =
      utf8 ? Utf8ToWideBounded(narrow, buffer, capacity) : MultiByteToWideBounded(narrow, buffer, capacity, CP_ACP);
  ReleaseInlineTextBuffer(&line);
  return result == 0 ? 0 : converted + 1;
}
