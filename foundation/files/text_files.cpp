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


// Unit `index` of the bytes, a UTF-16 unit of a big-endian file in the order of the machine.
template <typename Unit>
Unit UnitAt(const uint8_t* bytes, uint32_t index, bool swapped) {
  Unit unit;
  memcpy(&unit, bytes + index * sizeof(Unit), sizeof unit);
  if constexpr (sizeof(Unit) == 2) {
    if (swapped) return static_cast<Unit>(((unit & 0xFF) << 8) | ((unit >> 8) & 0xFF));
  }
  return unit;
}

bool IsLineEnd(uint32_t unit) { return unit == 0 || unit == '\n' || unit == '\r'; }

// Takes the LF of a CR LF that the buffer's refill separated from its CR.
template <typename Unit>
void SkipLineFeed(BufferedFile* file, bool swapped) {
  const uint8_t* bytes = nullptr;
  if (FilePeekBuffered(file, &bytes) >= sizeof(Unit) && UnitAt<Unit>(bytes, 0, swapped) == '\n')
    file->bufferPosition += static_cast<int32_t>(sizeof(Unit));
}

// Scans the buffered bytes for the line's end in place, a buffer at a time.
template <typename Unit>
int ReadLine(BufferedFile* file, Unit* buffer, int capacity, bool swapped = false) {
  int stored = 0;
  bool any = false;
  const uint8_t* bytes = nullptr;
  for (uint32_t held; (held = FilePeekBuffered(file, &bytes) / sizeof(Unit)) != 0;) {
    any = true;
    uint32_t i = 0;
    Unit unit = 0;
    for (; i < held && !IsLineEnd(unit = UnitAt<Unit>(bytes, i, swapped)); ++i) {
      if (stored + 1 < capacity) buffer[stored++] = unit;
    }
    const bool ended = i < held;
    const bool crLf = ended && unit == '\r' && i + 1 < held && UnitAt<Unit>(bytes, i + 1, swapped) == '\n';
    file->bufferPosition += static_cast<int32_t>((i + (ended ? 1 : 0) + (crLf ? 1 : 0)) * sizeof(Unit));
    if (ended && unit == '\r' && i + 1 == held) SkipLineFeed<Unit>(file, swapped);
    if (ended) break;
  }
  if (capacity > 0) buffer[stored] = 0;
  return any ? stored + 1 : 0;
}

bool IsUtf16(int32_t type) {
  return type == kTextUtf16 || type == kTextUtf16Unmarked || type == kTextUtf16BigEndian;
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
  if (file->textType == kTextUtf16 || file->textType == kTextUtf16BigEndian) file->bufferPosition = 2;
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
  if (IsUtf16(file->textType)) return ReadLine(file, buffer, capacity, file->textType == kTextUtf16BigEndian);
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
