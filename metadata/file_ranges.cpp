#include "metadata/file_ranges.h"

#include <cstring>

#include "foundation/files/file_io.h"
#include "metadata/byte_reads.h"

namespace {

// Reads from the handle at `offset` straight into `target`: the number of bytes that came.
uint32_t ReadAtOffset(HANDLE handle, uint64_t offset, uint8_t* target, uint32_t count) {
  uint32_t done = 0;
  while (done < count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD got = 0;
    if (!ReadFile(handle, target + done, count - done, &got, &at) || got == 0) break;
    done += got;
  }
  return done;
}

bool WindowHolds(const RangeFile* file, uint64_t offset, uint32_t count) {
  return offset >= file->windowStart && RangeInside(offset - file->windowStart, count, file->windowBytes);
}

}  // namespace

int OpenRangeFile(RangeFile* file, const wchar_t* path) {
  file->size = 0;
  file->windowStart = 0;
  file->windowBytes = 0;
  const int opened = OpenFileLong(path, &file->handle, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL);
  if (opened != 0) return opened;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file->handle, &size)) {
    const int error = static_cast<int>(GetLastError());
    CloseRangeFile(file);
    return error != 0 ? error : ERROR_READ_FAULT;
  }
  file->size = static_cast<uint64_t>(size.QuadPart);
  return 0;
}

void CloseRangeFile(RangeFile* file) {
  if (file->handle != INVALID_HANDLE_VALUE && file->handle != nullptr) CloseHandle(file->handle);
  file->handle = INVALID_HANDLE_VALUE;
}

uint32_t ReadFileRangeUpTo(RangeFile* file, uint64_t offset, void* target, uint32_t count) {
  if (offset >= file->size) return 0;
  if (count > file->size - offset) count = static_cast<uint32_t>(file->size - offset);
  auto* bytes = static_cast<uint8_t*>(target);
  if (!WindowHolds(file, offset, count)) {
    if (count >= kRangeFileWindowBytes) return ReadAtOffset(file->handle, offset, bytes, count);
    const uint64_t left = file->size - offset;
    file->windowStart = offset;
    file->windowBytes =
        ReadAtOffset(file->handle, offset, file->window,
                     left < kRangeFileWindowBytes ? static_cast<uint32_t>(left) : kRangeFileWindowBytes);
    if (count > file->windowBytes) count = file->windowBytes;
  }
  memcpy(bytes, file->window + (offset - file->windowStart), count);
  return count;
}

int ReadFileRange(RangeFile* file, uint64_t offset, void* target, uint32_t count) {
  if (!RangeInside(offset, count, file->size)) return ERROR_HANDLE_EOF;
  if (ReadFileRangeUpTo(file, offset, target, count) == count) return 0;
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<int>(error) : ERROR_READ_FAULT;
}

RangeCursor WholeFileCursor(RangeFile* file) { return RangeCursor{file, 0, file->size}; }

RangeCursor SubCursor(const RangeCursor& cursor, uint64_t count) {
  const uint64_t left = CursorLeft(cursor);
  return RangeCursor{cursor.file, cursor.position, cursor.position + (count < left ? count : left)};
}

uint64_t CursorLeft(const RangeCursor& cursor) {
  return cursor.position < cursor.end ? cursor.end - cursor.position : 0;
}

bool CursorRead(RangeCursor* cursor, void* target, uint32_t count) {
  if (count > CursorLeft(*cursor)) return false;
  if (ReadFileRange(cursor->file, cursor->position, target, count) != 0) return false;
  cursor->position += count;
  return true;
}

bool CursorSkip(RangeCursor* cursor, uint64_t count) {
  if (count > CursorLeft(*cursor)) return false;
  cursor->position += count;
  return true;
}
