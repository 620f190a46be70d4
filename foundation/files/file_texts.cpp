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
