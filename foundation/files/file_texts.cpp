#include "foundation/files/file_texts.h"

#include <windows.h>

#include <algorithm>

#include "foundation/text/bounded_text.h"
#include "foundation/files/file_io.h"
#include "foundation/core/memory.h"
#include "foundation/text/text_encoding.h"
#include "foundation/core/threads.h"

namespace {

// Zero bytes after the file's bytes: a wide terminator also after an odd byte count.
constexpr uint32_t kTerminatorBytes = 4;
constexpr uint32_t kLargestFile = 0xFFFFFFFFu - kTerminatorBytes;
constexpr int kUtf8MarkBytes = 3;
constexpr int kUtf8TextCapacity = 1024;

uint8_t* ReadOpenFile(HANDLE file, uint32_t* size) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file, &length) || length.QuadPart > kLargestFile) return nullptr;
  const uint32_t bytes = static_cast<uint32_t>(length.QuadPart);
  uint8_t* block = static_cast<uint8_t*>(AllocZeroed(bytes + kTerminatorBytes));
  if (!block) return nullptr;
  DWORD read = 0;
  if (!ReadFile(file, block, bytes, &read, nullptr) || read != bytes) {
    FreeAndNull(&block);
    return nullptr;
  }
  if (size) *size = bytes;
  return block;
}

}  // namespace

uint8_t* ReadWholeFile(const wchar_t* path, uint32_t* size) {
  if (!path) return nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (OpenFileLong(path, &file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                   FILE_ATTRIBUTE_NORMAL) != 0)
    return nullptr;
  uint8_t* block = ReadOpenFile(file, size);
  CloseHandleSafe(file);
  return block;
}

int ConvertNarrowToWideDetect(const char* text, bool utf8, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = 0;
  if (!text) return 0;
  if (HasUtf8Bom(text, 0)) return Utf8ToWideBounded(text + kUtf8MarkBytes, buffer, capacity);
  if (utf8) return Utf8ToWideBounded(text, buffer, capacity);
  const DWORD count = static_cast<DWORD>(std::min(NarrowLength(text), static_cast<size_t>(capacity - 1)));
  OemToCharBuffW(text, buffer, count);
  buffer[count] = 0;
  return static_cast<int>(count);
}

int FileWriteUtf8Text(HANDLE file, const wchar_t* wide, const char* narrow) {
  if (wide) {
    char utf8[kUtf8TextCapacity];
    WideToUtf8Bounded(wide, utf8, kUtf8TextCapacity);
    return FileWriteHandle(file, utf8, static_cast<uint32_t>(NarrowLength(utf8)));
  }
  if (narrow) return FileWriteHandle(file, narrow, static_cast<uint32_t>(NarrowLength(narrow)));
  return 0;
}
